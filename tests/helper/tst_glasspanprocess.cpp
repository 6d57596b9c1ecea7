// The helper as a program of its own: the single-instance rule with two real processes, and a running
// helper that a test drives with real posted messages, reading the machine it changes.
#include "editionnames.h"
#include "archiveserver.h"
#include "helperharness.h"
#include "testmachine.h"
#include "win32.h"

#include "linux/shell/deskwallpaper.h"
#include "linux/machine/machine.h"
#include "linux/windows/notifyicons.h"

#include <QProcess>
#include <QTest>

using harness::dword;
using harness::setDword;

namespace {

const QString Root = QStringLiteral(TEST_EDITION_ROOT);
const QString Personalize = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");

QString glasspan()
{
    return qEnvironmentVariable("HUSHDECK_INSTALL") + QStringLiteral("/Glasspan");
}

HWND helperWindow()
{
    return FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
}

int helperWindows()
{
    machine::Lock lock;
    machine::Query q("SELECT COUNT(*) FROM windows WHERE class='GLASSPAN'");
    return q.next() ? int(q.integer(0)) : -1;
}

int taskbarAlpha()
{
    machine::Lock lock;
    machine::Query q("SELECT alpha FROM windows WHERE class='Shell_TrayWnd'");
    return q.next() ? int(q.integer(0)) : -1;
}

bool trayIconShown()
{
    for (const notifyicons::Icon &icon : notifyicons::icons())
        if (icon.uid == 1010 && icon.tip == QLatin1String("Hushdeck Helper"))
            return true;
    return false;
}

void schedule(DWORD lightHour, DWORD lightPeriod, DWORD darkHour, DWORD darkPeriod)
{
    const QString key = Root + QStringLiteral("\\AutoDarkMode");
    setDword(key, QStringLiteral("Enabled"), 1);
    setDword(key, QStringLiteral("UseLocationData"), 0);
    setDword(key, QStringLiteral("LightHour"), lightHour);
    setDword(key, QStringLiteral("LightMinute"), 0);
    setDword(key, QStringLiteral("LightPeriod"), lightPeriod);
    setDword(key, QStringLiteral("DarkHour"), darkHour);
    setDword(key, QStringLiteral("DarkMinute"), 0);
    setDword(key, QStringLiteral("DarkPeriod"), darkPeriod);
}

} // namespace

class TestGlasspanProcess : public QObject
{
    Q_OBJECT

private slots:
    void singleInstance()
    {
        TestMachine m;
        QProcess first;
        first.start(glasspan(), QStringList());
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(helperWindow() != nullptr, 20000);
        const HWND window = helperWindow();

        QProcess second;
        second.start(glasspan(), QStringList{QStringLiteral("12")});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(helperWindows(), 1);
        QCOMPARE(helperWindow(), window);
        QCOMPARE(first.state(), QProcess::Running);

        QVERIFY(PostMessageW(window, WM_CLOSE, 0, 0));
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(!helperWindow());
    }

    void drivenByPostedMessages()
    {
        TestMachine m;
        ArchiveServer server;
        const QString imagePath = QStringLiteral("/th?id=OHR.Process_EN-US42_1920x1080.jpg");
        server.answer(QStringLiteral("/HPImageArchive.aspx"), ArchiveServer::archiveAnswer(imagePath));
        server.answer(QStringLiteral("/th?id=OHR.Process"), ArchiveServer::jpeg());
        m.overrideUrl(QStringLiteral("https://www.bing.com"), server.base());
        m.overrideUrl(QStringLiteral("https://bing.com"), server.base());
        // The helper's clock starts at noon UTC.
        machine::setSetting(QStringLiteral("timezone"), QStringLiteral("UTC"));
        machine::setSetting(QStringLiteral("clock"), QStringLiteral("2024-05-10T12:00:00Z"));
        schedule(7, 0, 7, 1);
        setDword(Personalize, QStringLiteral("AppsUseLightTheme"), 7);
        setDword(Personalize, QStringLiteral("SystemUsesLightTheme"), 7);
        setDword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("Enabled"), 1);
        setDword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex"), 2);
        setDword(Root, QStringLiteral("ShowTrayIcon"), 1);
        const QString image = machine::roamingAppData() + QStringLiteral("/" TEST_EDITION_NAME "/Wallpaper/image.jpg");

        QProcess helperProcess;
        helperProcess.start(glasspan(), QStringList());
        QVERIFY(helperProcess.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(helperWindow() != nullptr, 20000);
        const HWND window = helperWindow();

        // What start-up did: light mode at noon, the tray icon, today's image on the desktop.
        QTRY_COMPARE_WITH_TIMEOUT(dword(Personalize, QStringLiteral("AppsUseLightTheme")), 1, 20000);
        QCOMPARE(dword(Personalize, QStringLiteral("SystemUsesLightTheme")), 1);
        QVERIFY(trayIconShown());
        QTRY_COMPARE_WITH_TIMEOUT(hostPath(deskwallpaper::current()), image, 20000);
        QCOMPARE(server.requests().value(0), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=2&n=1&mkt=en-US"));
        QCOMPARE(dword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex")), 2);

        // Taskbar transparency.
        QCOMPARE(taskbarAlpha(), 255);
        QVERIFY(PostMessageW(window, WM_USER + 109, 120, 0));
        QVERIFY(PostMessageW(window, WM_USER + 110, 0, 0));
        QTRY_COMPARE_WITH_TIMEOUT(taskbarAlpha(), 120, 20000);
        QVERIFY(PostMessageW(window, WM_USER + 109, 0x1FF, 0));
        QTRY_COMPARE_WITH_TIMEOUT(taskbarAlpha(), 255, 20000);

        // A new schedule: 13:00 to 23:00 makes noon dark.
        schedule(1, 1, 11, 1);
        QVERIFY(PostMessageW(window, WM_USER + 201, 0, 0));
        QVERIFY(PostMessageW(window, WM_USER + 200, 0, 0));
        QTRY_COMPARE_WITH_TIMEOUT(dword(Personalize, QStringLiteral("AppsUseLightTheme")), 0, 20000);
        QCOMPARE(dword(Personalize, QStringLiteral("SystemUsesLightTheme")), 0);

        // The tray icon goes.
        setDword(Root, QStringLiteral("ShowTrayIcon"), 0);
        QVERIFY(PostMessageW(window, WM_USER + 500, 0, 0));
        QTRY_VERIFY_WITH_TIMEOUT(!trayIconShown(), 20000);

        QVERIFY(PostMessageW(window, WM_CLOSE, 0, 0));
        QVERIFY(helperProcess.waitForFinished(20000));
        QCOMPARE(helperProcess.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helperProcess.exitCode(), 0);
        QVERIFY(!helperWindow());
    }
};

QTEST_MAIN(TestGlasspanProcess)
#include "tst_glasspanprocess.moc"
