// The helper inside the test process: start-up, every message of its window procedure, its timers on the
// test clock, the tray menu's commands and the wallpaper downloads from a local archive.
#include "editionnames.h"
#include "archiveserver.h"
#include "boundedtransfer.h"
#include "glasspan.h"
#include "helperharness.h"
#include "picturecheck.h"
#include "suntimes.h"
#include "testmachine.h"
#include "testpictures.h"

#include "linux/shell/deskwallpaper.h"
#include "linux/machine/machine.h"
#include "linux/windows/menus.h"
#include "linux/system/power.h"
#include "linux/registry/registrystore.h"
#include "linux/windows/winloop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace harness;

namespace {

const QString Root = QStringLiteral(TEST_EDITION_ROOT);
const QString DarkKey = Root + QStringLiteral("\\AutoDarkMode");
const QString GlassKey = Root + QStringLiteral("\\Glasspan");
const QString WallKey = Root + QStringLiteral("\\WallpaperChanger");
const QString Personalize = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
const QString RecentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");

const QDate Day(2024, 5, 10);

// A value no code path writes, to see that nothing was written.
const DWORD Untouched = 7;

void schedule(int lightHour, int lightMinute, int lightPeriod, int darkHour, int darkMinute, int darkPeriod)
{
    setDword(DarkKey, QStringLiteral("Enabled"), 1);
    setDword(DarkKey, QStringLiteral("UseLocationData"), 0);
    setDword(DarkKey, QStringLiteral("LightHour"), DWORD(lightHour));
    setDword(DarkKey, QStringLiteral("LightMinute"), DWORD(lightMinute));
    setDword(DarkKey, QStringLiteral("LightPeriod"), DWORD(lightPeriod));
    setDword(DarkKey, QStringLiteral("DarkHour"), DWORD(darkHour));
    setDword(DarkKey, QStringLiteral("DarkMinute"), DWORD(darkMinute));
    setDword(DarkKey, QStringLiteral("DarkPeriod"), DWORD(darkPeriod));
}

void position(const QString &latitude, const QString &longitude)
{
    setDword(DarkKey, QStringLiteral("Enabled"), 1);
    setDword(DarkKey, QStringLiteral("UseLocationData"), 1);
    setString(DarkKey, QStringLiteral("Latitude"), latitude);
    setString(DarkKey, QStringLiteral("Longitude"), longitude);
}

qint64 appMode()
{
    return dword(Personalize, QStringLiteral("AppsUseLightTheme"));
}

qint64 windowsMode()
{
    return dword(Personalize, QStringLiteral("SystemUsesLightTheme"));
}

void markModes()
{
    setDword(Personalize, QStringLiteral("AppsUseLightTheme"), Untouched);
    setDword(Personalize, QStringLiteral("SystemUsesLightTheme"), Untouched);
}

QString wallpaperFolder()
{
    return machine::roamingAppData() + QStringLiteral("/" TEST_EDITION_NAME "/Wallpaper");
}

QString imageFile()
{
    return wallpaperFolder() + QStringLiteral("/image.jpg");
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString desktopWallpaper()
{
    return hostPath(deskwallpaper::current());
}

const QString ImagePath =
    QStringLiteral("/th?id=OHR.Sample_EN-US1234567_1920x1080.jpg&rf=LaDigue_1920x1080.jpg&pid=hp");

} // namespace

class TestGlasspan : public QObject
{
    Q_OBJECT

private:
    TestMachine *machineUnderTest = nullptr;
    ArchiveServer *server = nullptr;

    void serveGoodArchive()
    {
        server->answer(QStringLiteral("/HPImageArchive.aspx"), ArchiveServer::archiveAnswer(ImagePath));
        server->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg());
    }

    int archiveRequests() const { return server->count(QStringLiteral("/HPImageArchive.aspx")); }
    int imageRequests() const { return server->count(QStringLiteral("/th")); }
    QString lastArchiveRequest() const
    {
        QString last;
        for (const QString &r : server->requests())
            if (r.startsWith(QLatin1String("/HPImageArchive.aspx")))
                last = r;
        return last;
    }

private slots:
    void init()
    {
        machineUnderTest = new TestMachine;
        server = new ArchiveServer;
        machineUnderTest->overrideUrl(QStringLiteral("https://www.bing.com"), server->base());
        machineUnderTest->overrideUrl(QStringLiteral("https://bing.com"), server->base());
        setClock(QStringLiteral("UTC"), QDateTime(Day, QTime(12, 0)));
    }

    void cleanup()
    {
        stop();
        // No download the helper gave up on outlives the machine it works on.
        delete server;
        QTRY_COMPARE(transfersRunning(), 0);
        delete machineUnderTest;
    }

    // --- start-up, window and tray icon ---

    void startupWindow()
    {
        QVERIFY(start());
        HWND found = FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
        QVERIFY(found);
        QCOMPARE(found, helper.window);
        machine::Lock lock;
        machine::Query q("SELECT visible, style FROM windows WHERE hwnd=?");
        q.bind(1, qint64(reinterpret_cast<quintptr>(found)));
        QVERIFY(q.next());
        QCOMPARE(q.integer(0), 0); // hidden
        QCOMPARE(DWORD(q.integer(1)), DWORD(WS_OVERLAPPEDWINDOW));
    }

    void startupTrayIcon_data()
    {
        QTest::addColumn<qint64>("showTrayIcon");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absent") << qint64(-1) << false;
        QTest::newRow("0") << qint64(0) << false;
        QTest::newRow("1") << qint64(1) << true;
        QTest::newRow("any non-zero") << qint64(5) << true;
    }
    void startupTrayIcon()
    {
        QFETCH(qint64, showTrayIcon);
        QFETCH(bool, shown);
        if (showTrayIcon >= 0)
            setDword(Root, QStringLiteral("ShowTrayIcon"), DWORD(showTrayIcon));
        QVERIFY(start());
        QCOMPARE(trayIconShown(), shown);
        QCOMPARE(fromWide(helper.tray.szTip), QStringLiteral("Hushdeck Helper"));
        QCOMPARE(helper.tray.uCallbackMessage, UINT(WM_USER + 10));
        QVERIFY(helper.tray.hIcon);
        QCOMPARE(imageFromIcon(helper.tray.hIcon).size(), QSize(16, 16));
    }

    void secondStartChangesNothing()
    {
        QVERIFY(start());
        HWND first = helper.window;
        std::u16string none;
        QVERIFY(!startHelper(GetModuleHandleW(nullptr), none.c_str()));
        machine::Lock lock;
        machine::Query q("SELECT COUNT(*) FROM windows WHERE class='GLASSPAN'");
        QVERIFY(q.next());
        QCOMPARE(q.integer(0), 1);
        QCOMPARE(helper.window, first);
    }

    void trayIconReload()
    {
        QVERIFY(start());
        QVERIFY(!trayIconShown());
        setDword(Root, QStringLiteral("ShowTrayIcon"), 1);
        post(HELPER_MSG_TRAYICON_RELOAD);
        QVERIFY(trayIconShown());
        setDword(Root, QStringLiteral("ShowTrayIcon"), 0);
        post(HELPER_MSG_TRAYICON_RELOAD);
        QVERIFY(!trayIconShown());
    }

    // --- taskbar transparency ---

    void commandLineLevel_data()
    {
        QTest::addColumn<DWORD>("enabled");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("alphaAtStart");
        QTest::addColumn<int>("alphaAfterOn");
        QTest::newRow("number") << DWORD(1) << QStringLiteral("77") << 100 << 77;
        QTest::newRow("letters only give 0") << DWORD(1) << QStringLiteral("abc") << 100 << 0;
        QTest::newRow("empty keeps the level") << DWORD(1) << QString() << 100 << 100;
        QTest::newRow("blanks and a sign, low 8 bits") << DWORD(1) << QStringLiteral("  -3x") << 100 << 253;
        QTest::newRow("transparency off at start") << DWORD(0) << QStringLiteral("50") << 255 << 50;
    }
    void commandLineLevel()
    {
        QFETCH(DWORD, enabled);
        QFETCH(QString, commandLine);
        QFETCH(int, alphaAtStart);
        QFETCH(int, alphaAfterOn);
        setDword(GlassKey, QStringLiteral("Enabled"), enabled);
        setDword(GlassKey, QStringLiteral("TransparentLevel"), 100);
        QVERIFY(start(commandLine));
        QCOMPARE(taskbarAlpha(), alphaAtStart);
        QCOMPARE(bool(taskbarExStyle() & WS_EX_LAYERED), enabled != 0);
        post(HELPER_MSG_TASKBAR_ON);
        QCOMPARE(taskbarAlpha(), alphaAfterOn);
        QVERIFY(taskbarExStyle() & WS_EX_LAYERED);
    }

    void levels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("alpha");
        QTest::newRow("0 is fully transparent") << 0 << 0;
        QTest::newRow("255 is opaque") << 255 << 255;
        QTest::newRow("above 255: its low 8 bits") << 300 << 44;
    }
    void levels()
    {
        QFETCH(int, level);
        QFETCH(int, alpha);
        setDword(GlassKey, QStringLiteral("Enabled"), 1);
        setDword(GlassKey, QStringLiteral("TransparentLevel"), 128);
        QVERIFY(start());
        QCOMPARE(taskbarAlpha(), 128);
        post(WM_GLASSPAN_SET, WPARAM(level));
        QCOMPARE(taskbarAlpha(), alpha);
        QVERIFY(taskbarExStyle() & WS_EX_LAYERED); // also at 255 the taskbar stays layered
    }

    // A stored level is what the Transparent Taskbar page shows: above 255 opaque, a value of the wrong size
    // none at all (the default, opaque), never its low bits or a zero.
    void storedLevel_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("alpha");
        const auto dword = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
        QTest::newRow("100") << dword(100) << 100;
        QTest::newRow("256 is opaque, not 0") << dword(256) << 255;
        QTest::newRow("300 is opaque, not 44") << dword(300) << 255;
        QTest::newRow("0xFFFFFFFF") << dword(0xFFFFFFFF) << 255;
        QTest::newRow("0 bytes is no value") << QByteArray() << 255;
        QTest::newRow("2 bytes is no value") << QByteArray(2, '\0') << 255;
    }
    void storedLevel()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, alpha);
        setDword(GlassKey, QStringLiteral("Enabled"), 1);
        QVERIFY(setDwordBytes(GlassKey, QStringLiteral("TransparentLevel"), data));
        QVERIFY(start());
        QCOMPARE(taskbarAlpha(), alpha);
    }

    void setWhileOffOnlyStores()
    {
        QVERIFY(start());
        post(WM_GLASSPAN_SET, 80);
        QCOMPARE(taskbarAlpha(), 255);
        QVERIFY(!(taskbarExStyle() & WS_EX_LAYERED));
        post(HELPER_MSG_TASKBAR_ON);
        QCOMPARE(taskbarAlpha(), 80);
    }

    void onBeforeAnySetUsesStartupLevel()
    {
        QVERIFY(start());
        post(HELPER_MSG_TASKBAR_ON);
        QVERIFY(taskbarExStyle() & WS_EX_LAYERED);
        QCOMPARE(taskbarAlpha(), 255);
    }

    void offLeavesTaskbarTranslucent()
    {
        setDword(GlassKey, QStringLiteral("Enabled"), 1);
        setDword(GlassKey, QStringLiteral("TransparentLevel"), 90);
        QVERIFY(start());
        post(HELPER_MSG_TASKBAR_OFF);
        QCOMPARE(taskbarAlpha(), 90);
        post(WM_GLASSPAN_SET, 20); // off: stored only
        QCOMPARE(taskbarAlpha(), 90);
    }

    void shellRestart()
    {
        setDword(GlassKey, QStringLiteral("Enabled"), 1);
        setDword(GlassKey, QStringLiteral("TransparentLevel"), 70);
        setDword(Root, QStringLiteral("ShowTrayIcon"), 1);
        QVERIFY(start());
        const HWND oldTaskbar = taskbar();
        QCOMPARE(taskbarAlpha(), 70);
        QCOMPARE(timer(TIMER_FIND_TASKBAR), -1);

        endExplorer();
        pump();
        QVERIFY(!taskbar());
        QVERIFY(!trayIconShown()); // the icons went with the taskbar
        QCOMPARE(timer(TIMER_FIND_TASKBAR), 10000);

        startExplorer();
        pump();
        QVERIFY(taskbar() && taskbar() != oldTaskbar);
        QVERIFY(trayIconShown()); // re-added on "TaskbarCreated"
        QCOMPARE(taskbarAlpha(), 255);
        advance(9999);
        QCOMPARE(taskbarAlpha(), 255);
        advance(1);
        QCOMPARE(taskbarAlpha(), 70);
        QCOMPARE(timer(TIMER_FIND_TASKBAR), -1);

        // The new taskbar has a hook of its own: a second restart is noticed too.
        endExplorer();
        pump();
        QCOMPARE(timer(TIMER_FIND_TASKBAR), 10000);
    }

    void noTaskbarAtStart()
    {
        setDword(GlassKey, QStringLiteral("Enabled"), 1);
        setDword(GlassKey, QStringLiteral("TransparentLevel"), 40);
        endExplorer();
        QVERIFY(start());
        QCOMPARE(timer(TIMER_FIND_TASKBAR), 10000);
        advance(10000);
        advance(10000);
        QCOMPARE(timer(TIMER_FIND_TASKBAR), 10000);
        startExplorer();
        pump();
        QCOMPARE(taskbarAlpha(), 255);
        advance(10000);
        QCOMPARE(taskbarAlpha(), 40);
        QCOMPARE(timer(TIMER_FIND_TASKBAR), -1);
    }

    void setWithoutTaskbarStartsSearch()
    {
        QVERIFY(start());
        endExplorer();
        pump();
        KillTimer(helper.window, TIMER_FIND_TASKBAR);
        post(WM_GLASSPAN_SET, 60);
        QCOMPARE(timer(TIMER_FIND_TASKBAR), 10000);
    }

    // --- colour-mode schedule ---

    void schedule_data()
    {
        QTest::addColumn<QList<int>>("times"); // light h, m, period, dark h, m, period
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("light");
        QTest::addColumn<qint64>("delay");
        const QList<int> sevenToSeven{7, 0, 0, 7, 0, 1};
        QTest::newRow("7 AM - 7 PM at 12:00") << sevenToSeven << QTime(12, 0) << true << qint64(25200000);
        QTest::newRow("7 AM - 7 PM at 20:00")
            << sevenToSeven << QTime(20, 0) << false << qint64((86400 - 72000 + 25200) * 1000LL);
        QTest::newRow("7 AM - 7 PM at 6:59:59") << sevenToSeven << QTime(6, 59, 59) << false << qint64(1000);
        QTest::newRow("7 AM - 7 PM at 7:00") << sevenToSeven << QTime(7, 0) << true << qint64(12 * 3600000LL);
        QTest::newRow("7 AM - 7 PM at 19:00") << sevenToSeven << QTime(19, 0) << false << qint64(12 * 3600000LL);
        const QList<int> sevenToOne{7, 0, 0, 1, 0, 0};
        QTest::newRow("7 AM - 1 AM at 0:30, still yesterday's light")
            << sevenToOne << QTime(0, 30) << true << qint64(1800000);
        QTest::newRow("7 AM - 1 AM at 10:00") << sevenToOne << QTime(10, 0) << true << qint64(15 * 3600000LL);
        QTest::newRow("7 AM - 1 AM at 3:00") << sevenToOne << QTime(3, 0) << false << qint64(4 * 3600000LL);
        QTest::newRow("12 AM is midnight, 12 PM is noon")
            << QList<int>{12, 0, 0, 12, 0, 1} << QTime(6, 0) << true << qint64(6 * 3600000LL);
        QTest::newRow("minutes count") << QList<int>{6, 45, 0, 9, 15, 1} << QTime(21, 14, 30) << true << qint64(30000);
    }
    void schedule()
    {
        QFETCH(QList<int>, times);
        QFETCH(QTime, now);
        QFETCH(bool, light);
        QFETCH(qint64, delay);
        ::schedule(times[0], times[1], times[2], times[3], times[4], times[5]);
        setClock(QStringLiteral("UTC"), QDateTime(Day, now));
        markModes();
        QVERIFY(start());
        QCOMPARE(windowsMode(), light ? 1 : 0);
        QCOMPARE(appMode(), light ? 1 : 0);
        QCOMPARE(timer(TIMER_DARK_MODE), delay);
    }

    void noSwitching_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("equal light and dark times") << QStringLiteral("equal");
        QTest::newRow("missing dark minute") << QStringLiteral("missing");
        QTest::newRow("hour 13") << QStringLiteral("hour");
        QTest::newRow("minute 60") << QStringLiteral("minute");
        QTest::newRow("period 2") << QStringLiteral("period");
    }
    void noSwitching()
    {
        QFETCH(QString, change);
        ::schedule(7, 0, 0, 7, 0, 1);
        if (change == QLatin1String("equal"))
            setDword(DarkKey, QStringLiteral("DarkPeriod"), 0);
        else if (change == QLatin1String("missing"))
            removeValue(DarkKey, QStringLiteral("DarkMinute"));
        else if (change == QLatin1String("hour"))
            setDword(DarkKey, QStringLiteral("LightHour"), 13);
        else if (change == QLatin1String("minute"))
            setDword(DarkKey, QStringLiteral("DarkMinute"), 60);
        else
            setDword(DarkKey, QStringLiteral("LightPeriod"), 2);
        markModes();
        QVERIFY(start());
        QCOMPARE(windowsMode(), qint64(Untouched));
        QCOMPARE(appMode(), qint64(Untouched));
        QCOMPARE(timer(TIMER_DARK_MODE), -1);
    }

    void actions_data()
    {
        QTest::addColumn<DWORD>("action");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<bool>("apps");
        QTest::newRow("0: Windows mode") << DWORD(0) << true << false;
        QTest::newRow("1: app mode") << DWORD(1) << false << true;
        QTest::newRow("2: both") << DWORD(2) << true << true;
        QTest::newRow("5: neither") << DWORD(5) << false << false;
    }
    void actions()
    {
        QFETCH(DWORD, action);
        QFETCH(bool, windows);
        QFETCH(bool, apps);
        ::schedule(7, 0, 0, 7, 0, 1);
        setDword(DarkKey, QStringLiteral("Action"), action);
        markModes();
        QVERIFY(start());
        QCOMPARE(windowsMode(), windows ? 1 : qint64(Untouched));
        QCOMPARE(appMode(), apps ? 1 : qint64(Untouched));
        // The switch to dark at 19:00 flips the phase whatever was written: the next switch is light at 7:00.
        advance(25200000);
        QCOMPARE(windowsMode(), windows ? 0 : qint64(Untouched));
        QCOMPARE(appMode(), apps ? 0 : qint64(Untouched));
        QCOMPARE(timer(TIMER_DARK_MODE), 12 * 3600000LL);
    }

    void absentActionMeansBoth()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        markModes();
        QVERIFY(start());
        QCOMPARE(windowsMode(), 1);
        QCOMPARE(appMode(), 1);
    }

    void expiriesAlternate()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        QVERIFY(start());
        QCOMPARE(appMode(), 1);
        advance(25200000 - 1);
        QCOMPARE(appMode(), 1);
        advance(1);
        QCOMPARE(appMode(), 0);
        QCOMPARE(timer(TIMER_DARK_MODE), 12 * 3600000LL);
        advance(12 * 3600000LL);
        QCOMPARE(appMode(), 1);
        QCOMPARE(timer(TIMER_DARK_MODE), 12 * 3600000LL);
    }

    void darkModeOff()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        QVERIFY(start());
        QVERIFY(timer(TIMER_DARK_MODE) > 0);
        post(HELPER_MSG_DARKMODE_OFF);
        QCOMPARE(timer(TIMER_DARK_MODE), -1);
        QCOMPARE(appMode(), 1); // the last mode stays
    }

    void reloadWhileDisabledLeavesTimerToEndItself()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        QVERIFY(start());
        setDword(DarkKey, QStringLiteral("Enabled"), 0);
        post(HELPER_MSG_DARKMODE_RELOAD);
        QCOMPARE(timer(TIMER_DARK_MODE), 25200000);
        advance(25200000);
        QCOMPARE(appMode(), 1);
        QCOMPARE(timer(TIMER_DARK_MODE), -1);
    }

    void onThenReload()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        setDword(DarkKey, QStringLiteral("Enabled"), 0);
        markModes();
        QVERIFY(start());
        QCOMPARE(appMode(), qint64(Untouched));
        QCOMPARE(timer(TIMER_DARK_MODE), -1);
        setDword(DarkKey, QStringLiteral("Enabled"), 1);
        post(HELPER_MSG_DARKMODE_ON);
        post(HELPER_MSG_DARKMODE_RELOAD);
        QCOMPARE(appMode(), 1);
        QCOMPARE(timer(TIMER_DARK_MODE), 25200000);
    }

    void powerBroadcastReloads()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        QVERIFY(start());
        QCOMPARE(appMode(), 1);
        ::schedule(1, 0, 1, 11, 0, 1); // 13:00 to 23:00: dark at noon
        post(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
        QCOMPARE(appMode(), 0);
        QCOMPARE(timer(TIMER_DARK_MODE), 3600000);
    }

    // The system calls the suspend/resume callback on a thread of its own: the reloads wait for the
    // window's thread.
    void resumeReloadsOnWindowThread()
    {
        ::schedule(7, 0, 0, 7, 0, 1);
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        QVERIFY(start());
        QCOMPARE(appMode(), 1);
        QCOMPARE(imageRequests(), 1);
        ::schedule(1, 0, 1, 11, 0, 1);
        serveGoodArchive();
        power::deliverSuspendResume(PBT_APMRESUMEAUTOMATIC);
        QCOMPARE(appMode(), 1);
        QCOMPARE(archiveRequests(), 1);
        pump();
        QCOMPARE(appMode(), 0);
        QCOMPARE(archiveRequests(), 2);
        QCOMPARE(imageRequests(), 2); // the same-image key was cleared
    }

    void locationDaylightSaving()
    {
        const QString berlin = QStringLiteral("Europe/Berlin");
        position(QStringLiteral("52.52"), QStringLiteral("13.405"));
        setClock(berlin, QDateTime(QDate(2024, 3, 30), QTime(12, 0)));
        QVERIFY(start());
        const double before = darkMode.lightTime;
        QCOMPARE(appMode(), 1);
        stop();
        setClock(berlin, QDateTime(QDate(2024, 3, 31), QTime(12, 0)));
        QVERIFY(start());
        const double after = darkMode.lightTime;
        // One day later the sun rises two minutes earlier, the clock being an hour ahead.
        const double shift = (after - before) / 60;
        QVERIFY2(shift > 55 && shift < 60, qPrintable(QString::number(shift)));
        const SunTimes summer = computeSunTimes(2024, 3, 31, 2, 52.52, 13.405);
        QCOMPARE(qRound(after), qRound(sunriseSeconds(summer)));
        QCOMPARE(timer(TIMER_DARK_MODE), qint64(qint64(sunsetSeconds(summer)) - 12 * 3600) * 1000);
    }

    // Reloaded after sunset, by whatever path, the helper waits for the next day's own sunrise: around a
    // daylight-saving change that day's clock time of sunrise is an hour away from the day before's.
    void lightSwitchAfterSunset_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("path");
        const QList<QPair<const char *, QDate>> days{{"summer time begins next", QDate(2024, 3, 30)},
                                                     {"summer time ends next", QDate(2024, 10, 26)},
                                                     {"ordinary day", QDate(2024, 5, 10)}};
        for (const auto &day : days)
            for (const char *path : {"start-up", "reload", "power broadcast", "resume", "timer"})
                QTest::addRow("%s, %s", day.first, path) << day.second << QString::fromLatin1(path);
    }
    void lightSwitchAfterSunset()
    {
        QFETCH(QDate, date);
        QFETCH(QString, path);
        const QTimeZone berlin("Europe/Berlin");
        const double latitude = 52.52, longitude = 13.405;
        position(QStringLiteral("52.52"), QStringLiteral("13.405"));
        const bool timerPath = path == QLatin1String("timer");
        QDateTime now(date, timerPath ? QTime(12, 0) : QTime(21, 0), berlin);
        setClock(QStringLiteral("Europe/Berlin"), now.toTimeZone(berlin));
        if (path != QLatin1String("start-up") && !timerPath)
            setDword(DarkKey, QStringLiteral("Enabled"), 0);
        QVERIFY(start());
        if (timerPath) {
            const qint64 toSunset = timer(TIMER_DARK_MODE);
            QVERIFY(toSunset > 0);
            advance(toSunset);
            now = now.addMSecs(toSunset);
        } else if (path != QLatin1String("start-up")) {
            QCOMPARE(timer(TIMER_DARK_MODE), -1);
            setDword(DarkKey, QStringLiteral("Enabled"), 1);
            if (path == QLatin1String("reload"))
                post(HELPER_MSG_DARKMODE_RELOAD);
            else if (path == QLatin1String("power broadcast"))
                post(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
            else {
                power::deliverSuspendResume(PBT_APMRESUMEAUTOMATIC);
                pump();
            }
        }
        QCOMPARE(appMode(), 0);
        QCOMPARE(darkMode.lightPhase, 0);

        // The next day's sunrise worked out in UTC, where no offset enters.
        const QDate next = date.addDays(1);
        const SunTimes sun = computeSunTimes(next.year(), next.month(), next.day(), 0, latitude, longitude);
        const QDateTime sunrise = QDateTime(next, QTime(0, 0), QTimeZone::utc()).addSecs(qint64(sunriseSeconds(sun)));
        const qint64 expected = now.msecsTo(sunrise);
        const qint64 armed = timer(TIMER_DARK_MODE);
        QVERIFY2(qAbs(armed - expected) <= 1000,
                 qPrintable(QStringLiteral("armed for %1, sunrise at %2")
                                .arg(now.addMSecs(armed).toTimeZone(berlin).toString(Qt::ISODate),
                                     sunrise.toTimeZone(berlin).toString(Qt::ISODate))));
    }

    void locationRecomputedAtEachSwitch()
    {
        const QString berlin = QStringLiteral("Europe/Berlin");
        position(QStringLiteral("52.52"), QStringLiteral("13.405"));
        setClock(berlin, QDateTime(QDate(2024, 6, 10), QTime(12, 0)));
        QVERIFY(start());
        const SunTimes today = computeSunTimes(2024, 6, 10, 2, 52.52, 13.405);
        const SunTimes tomorrow = computeSunTimes(2024, 6, 11, 2, 52.52, 13.405);
        const qint64 sunset = qint64(sunsetSeconds(today));
        QCOMPARE(timer(TIMER_DARK_MODE), (sunset - 12 * 3600) * 1000);
        advance((sunset - 12 * 3600) * 1000);
        QCOMPARE(appMode(), 0);
        QCOMPARE(timer(TIMER_DARK_MODE), (86400 - sunset + qint64(sunriseSeconds(tomorrow))) * 1000);
        QVERIFY(qint64(sunriseSeconds(tomorrow)) != qint64(sunriseSeconds(today)));
    }

    void polar_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("light");
        QTest::newRow("midnight sun") << QDate(2024, 6, 21) << true;
        QTest::newRow("polar night") << QDate(2024, 12, 21) << false;
    }
    void polar()
    {
        QFETCH(QDate, date);
        QFETCH(bool, light);
        position(QStringLiteral("69.6492"), QStringLiteral("18.9553"));
        setClock(QStringLiteral("Europe/Oslo"), QDateTime(date, QTime(12, 0)));
        QVERIFY(start());
        QCOMPARE(appMode(), light ? 1 : 0);
        QCOMPARE(windowsMode(), light ? 1 : 0);
        // No switch that day; a look again just after midnight.
        QCOMPARE(timer(TIMER_DARK_MODE), (12 * 3600 + 1) * 1000LL);
        advance((12 * 3600 + 1) * 1000LL);
        QCOMPARE(appMode(), light ? 1 : 0);
        QCOMPARE(timer(TIMER_DARK_MODE), 24 * 3600 * 1000LL);
    }

    void polarDayEndsAtMidnight()
    {
        const double latitude = 69.6492;
        QDate last;
        for (QDate d(2024, 7, 10); d < QDate(2024, 8, 10); d = d.addDays(1))
            if (computeSunTimes(d.year(), d.month(), d.day(), 2, latitude, 18.9553).polar == 1)
                last = d;
        QVERIFY(last.isValid());
        const QDate next = last.addDays(1);
        const SunTimes first = computeSunTimes(next.year(), next.month(), next.day(), 2, latitude, 18.9553);
        QCOMPARE(first.polar, 0);
        position(QStringLiteral("69.6492"), QStringLiteral("18.9553"));
        setClock(QStringLiteral("Europe/Oslo"), QDateTime(last, QTime(12, 0)));
        QVERIFY(start());
        QCOMPARE(appMode(), 1);
        advance((12 * 3600 + 1) * 1000LL);
        // 0:00:01 on the first day with a sunset: before that day's sunrise, so dark until it.
        QCOMPARE(appMode(), 0);
        QCOMPARE(timer(TIMER_DARK_MODE), (qint64(sunriseSeconds(first)) - 1) * 1000);
    }

    void missingPosition_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::newRow("no latitude") << QString() << QStringLiteral("13.4");
        QTest::newRow("no longitude") << QStringLiteral("52.5") << QString();
        QTest::newRow("words") << QStringLiteral("north") << QStringLiteral("13.4");
        QTest::newRow("trailing text") << QStringLiteral("52.5N") << QStringLiteral("13.4");
        QTest::newRow("latitude out of range") << QStringLiteral("95") << QStringLiteral("13.4");
        QTest::newRow("longitude out of range") << QStringLiteral("52.5") << QStringLiteral("-181");
        QTest::newRow("empty") << QStringLiteral("") << QStringLiteral("");
    }
    void missingPosition()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        // A valid position first, so that a timer runs.
        position(QStringLiteral("52.52"), QStringLiteral("13.405"));
        markModes();
        QVERIFY(start());
        QVERIFY(timer(TIMER_DARK_MODE) > 0);
        markModes();
        removeValue(DarkKey, QStringLiteral("Latitude"));
        removeValue(DarkKey, QStringLiteral("Longitude"));
        if (!latitude.isNull())
            setString(DarkKey, QStringLiteral("Latitude"), latitude);
        if (!longitude.isNull())
            setString(DarkKey, QStringLiteral("Longitude"), longitude);
        post(HELPER_MSG_DARKMODE_RELOAD);
        QCOMPARE(appMode(), qint64(Untouched));
        QCOMPARE(timer(TIMER_DARK_MODE), -1);
    }

    void positionFormats_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::newRow("6 significant digits") << QStringLiteral("52.52");
        QTest::newRow("exponent form") << QStringLiteral("5.252e+01");
        QTest::newRow("blanks around") << QStringLiteral(" 52.52 ");
    }
    void positionFormats()
    {
        QFETCH(QString, latitude);
        position(latitude, QStringLiteral("13.405"));
        QVERIFY(start());
        QVERIFY(darkMode.timesValid);
        QCOMPARE(darkMode.latitude, 52.52);
    }

    // --- daily wallpaper ---

    void wallpaperDownloadedAndSet()
    {
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("CurrentIndex"), 3);
        const QString before = desktopWallpaper();
        QVERIFY(start());
        const QStringList asked = server->requests();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(0), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=3&n=1&mkt=en-US"));
        QCOMPARE(asked.at(1), ImagePath); // "&amp;" in the answer is "&" in the address
        QCOMPARE(fileBytes(imageFile()), ArchiveServer::jpeg());
        QVERIFY(!QFile::exists(imageFile() + QStringLiteral(".part")));
        QCOMPARE(timer(TIMER_WALLPAPER), 3600000);
        // The wallpaper follows a second after the download, and only then is the index taken as done.
        QCOMPARE(desktopWallpaper(), before);
        advance(999);
        QCOMPARE(desktopWallpaper(), before);
        QCOMPARE(fromWide(wallpaper.lastImageKey), QString());
        advance(1);
        QCOMPARE(desktopWallpaper(), imageFile());
        QCOMPARE(timer(TIMER_SET_WALLPAPER), -1);
        QVERIFY(fromWide(wallpaper.lastImageKey).endsWith(QStringLiteral("/th?id=OHR.Sample")));
    }

    void badArchiveAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("kind");
        const QByteArray good = ArchiveServer::archiveAnswer(ImagePath);
        QTest::newRow("short answer, cut before </url>")
            << good.left(good.indexOf("</url>") - 4) << int(ArchiveServer::Complete);
        QTest::newRow("transfer cut off") << good << int(ArchiveServer::CutShort);
        QTest::newRow("no image address")
            << QByteArray("<?xml version=\"1.0\"?><images></images>") << int(ArchiveServer::Complete);
        QTest::newRow("empty image address")
            << QByteArray("<images><image><url></url></image></images>") << int(ArchiveServer::Complete);
        QTest::newRow("address beyond the first 512 bytes")
            << QByteArray(600, ' ') + good << int(ArchiveServer::Complete);
        QTest::newRow("not found") << good << int(ArchiveServer::NotFound);
        QTest::newRow("no answer at all") << good << int(ArchiveServer::Silent);
        // The answer's path may lead to the image host only, never to a user name, host or port glued on.
        const auto leading = [&](const char *path) {
            QByteArray answer = good;
            return answer.replace(ImagePath.toLatin1().replace("&", "&amp;"), QByteArray(path));
        };
        QTest::newRow("path names another host") << leading("@other.test/th?id=x.jpg") << int(ArchiveServer::Complete);
        QTest::newRow("path extends the host") << leading(".other.test/th?id=x.jpg") << int(ArchiveServer::Complete);
        QTest::newRow("path names a port") << leading(":8443/th?id=x.jpg") << int(ArchiveServer::Complete);
        QTest::newRow("endless answer") << good << int(ArchiveServer::Endless);
    }
    void badArchiveAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, kind);
        machine::setSetting(QStringLiteral("url.timeout"), QStringLiteral("300"));
        server->answer(QStringLiteral("/HPImageArchive.aspx"), answer, ArchiveServer::Kind(kind));
        server->answer(QStringLiteral("/th"), ArchiveServer::jpeg());
        // Where an address built by gluing the path onto the host would go: here, so that it shows.
        for (const char *glued :
             {"https://bing.com@other.test", "https://bing.com.other.test", "https://bing.com:8443"})
            machineUnderTest->overrideUrl(QLatin1String(glued), server->base());
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        const QString before = desktopWallpaper();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(start());
        // An endless answer ends at its size cap, well within the answer's time limit (30 s); closing a connection
        // that is still pouring in may take the network stack a few seconds on a busy machine.
        QVERIFY2(clock.elapsed() < (kind == int(ArchiveServer::Endless) ? 15000 : 5000),
                 "an answer without end must not hold the helper");
        QCOMPARE(archiveRequests(), 1);
        QCOMPARE(imageRequests(), 0);
        QVERIFY(!QFile::exists(imageFile()));
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), -1);
        QCOMPARE(fromWide(wallpaper.lastImageKey), QString());
        advance(5000);
        QCOMPARE(desktopWallpaper(), before);
        QCOMPARE(timer(TIMER_WALLPAPER), 3600000);
    }

    // Only a whole picture may become the day's: its structure is followed to its end marker.
    void wholePicturesOnly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        using testpictures::picture;
        const QByteArray jpeg = picture("JPG"), png = picture("PNG"), bmp = picture("BMP");
        QTest::newRow("JPEG") << jpeg << true;
        QTest::newRow("progressive JPEG, several scans") << picture("JPG", true) << true;
        QTest::newRow("JPEG, bytes after its end") << jpeg + QByteArray(16, '\0') << true;
        QTest::newRow("PNG") << png << true;
        QTest::newRow("BMP") << bmp << true;
        QTest::newRow("bare JPEG header") << testpictures::jpegHeaderOnly() << false;
        QTest::newRow("SVG") << testpictures::svg() << false;
        QTest::newRow("JPEG without its end marker") << jpeg.chopped(2) << false;
        QTest::newRow("JPEG, a segment longer than the file") << QByteArray(jpeg).replace(4, 2, "\xff\xf0") << false;
        QTest::newRow("PNG, bytes after IEND") << png + "x" << false;
        QTest::newRow("BMP cut short") << bmp.chopped(1) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void wholePicturesOnly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        QVERIFY(QDir().mkpath(wallpaperFolder()));
        const QString path = wallpaperFolder() + QStringLiteral("/picture.download1");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        QCOMPARE(looksLikePicture(wstr(fromHostPath(path))), whole);
    }

    // Every cut of a picture is refused, and so is every changed byte of a PNG, whose chunks carry CRCs.
    void cutAndChangedPicturesRefused()
    {
        const auto whole = [](const QByteArray &b) {
            return picturecheck::isWholePicture(reinterpret_cast<const unsigned char *>(b.constData()),
                                                size_t(b.size()));
        };
        for (const char *format : {"JPG", "PNG", "BMP"}) {
            const QByteArray picture = testpictures::picture(format);
            QVERIFY(whole(picture));
            for (int n = 0; n < picture.size(); ++n)
                QVERIFY2(!whole(picture.left(n)), qPrintable(QStringLiteral("%1 cut to %2").arg(format).arg(n)));
        }
        const QByteArray png = testpictures::picture("PNG");
        for (int i = 0; i < png.size(); ++i) {
            for (char flip : {char(0x01), char(0x80)}) {
                QByteArray changed = png;
                changed[i] = char(changed.at(i) ^ flip);
                QVERIFY2(!whole(changed), qPrintable(QStringLiteral("byte %1 changed").arg(i)));
            }
        }
    }

    void badImageDownloads_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("body");
        const QByteArray jpeg = ArchiveServer::jpeg();
        QTest::newRow("cut short") << int(ArchiveServer::CutShort) << jpeg;
        QTest::newRow("not found") << int(ArchiveServer::NotFound) << jpeg;
        QTest::newRow("no answer: time-out") << int(ArchiveServer::Silent) << jpeg;
        QTest::newRow("stalls half way: time-out") << int(ArchiveServer::Stalling) << jpeg;
        QTest::newRow("empty body") << int(ArchiveServer::Complete) << QByteArray();
        QTest::newRow("a portal's page, not a picture")
            << int(ArchiveServer::Complete) << QByteArray("<!DOCTYPE html><html><body>Sign in</body></html>");
        QTest::newRow("a bare JPEG header") << int(ArchiveServer::Complete) << testpictures::jpegHeaderOnly();
        QTest::newRow("an SVG document") << int(ArchiveServer::Complete) << testpictures::svg();
        QTest::newRow("a JPEG without its end, sent whole") << int(ArchiveServer::Complete) << jpeg.chopped(40);
        QTest::newRow("endless") << int(ArchiveServer::Endless) << jpeg;
    }
    void badImageDownloads()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, body);
        machine::setSetting(QStringLiteral("url.timeout"), QStringLiteral("300"));
        server->answer(QStringLiteral("/HPImageArchive.aspx"), ArchiveServer::archiveAnswer(ImagePath));
        server->answer(QStringLiteral("/th"), body, ArchiveServer::Kind(kind));
        QDir().mkpath(wallpaperFolder());
        QFile old(imageFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("yesterday's picture");
        old.close();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        const QString before = desktopWallpaper();

        QElapsedTimer clock;
        clock.start();
        QVERIFY(start());
        // The endless image ends at its size cap (32 MiB), far sooner than the image's time limit (two minutes).
        QVERIFY2(clock.elapsed() < (kind == int(ArchiveServer::Endless) ? 60000 : 5000),
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(imageRequests(), 1);
        QCOMPARE(fileBytes(imageFile()), QByteArray("yesterday's picture"));
        QCOMPARE(QDir(wallpaperFolder()).entryList(QDir::Files), QStringList{"image.jpg"});
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), -1);
        advance(5000);
        QCOMPARE(desktopWallpaper(), before);
        QCOMPARE(fromWide(wallpaper.lastImageKey), QString());

        // Nothing was taken as done: the same image is fetched on the next try.
        server->answer(QStringLiteral("/th"), ArchiveServer::jpeg());
        post(WM_COMMAND, CMD_PREVIOUS_IMAGE);
        QCOMPARE(imageRequests(), 2);
        QCOMPARE(fileBytes(imageFile()), ArchiveServer::jpeg());
    }

    // A wallpaper the system refuses is not done: no index is stored, and the image is fetched again.
    void refusedWallpaperIsNotDone()
    {
        serveGoodArchive();
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(SPI_SETDESKWALLPAPER));
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("CurrentIndex"), 2);
        const QString before = desktopWallpaper();
        QVERIFY(start());
        advance(1000);
        QCOMPARE(desktopWallpaper(), before);
        post(WM_COMMAND, CMD_NEXT_IMAGE);
        QCOMPARE(imageRequests(), 2);
        advance(1000);
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), 2);
        QCOMPARE(fromWide(wallpaper.lastImageKey), QString());

        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString());
        post(WM_COMMAND, CMD_NEXT_IMAGE);
        QCOMPARE(imageRequests(), 3);
        advance(1000);
        QCOMPARE(desktopWallpaper(), imageFile());
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), 0);
    }

    void sameImageNotFetchedTwice()
    {
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        QVERIFY(start());
        QCOMPARE(imageRequests(), 1);
        advance(1000);
        post(WM_COMMAND, CMD_NEXT_IMAGE); // another day, the same image in the answer
        QCOMPARE(archiveRequests(), 2);
        QCOMPARE(imageRequests(), 1);
        post(HELPER_MSG_WALLPAPER_RELOAD_NOW);
        QCOMPARE(imageRequests(), 2);
    }

    void stepping_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("requested");
        QTest::newRow("Next on 0 wraps to 7") << 0 << CMD_NEXT_IMAGE << 7;
        QTest::newRow("Previous on 7 wraps to 0") << 7 << CMD_PREVIOUS_IMAGE << 0;
        QTest::newRow("Next on 5") << 5 << CMD_NEXT_IMAGE << 4;
        QTest::newRow("Previous on 2") << 2 << CMD_PREVIOUS_IMAGE << 3;
    }
    void stepping()
    {
        QFETCH(int, index);
        QFETCH(int, command);
        QFETCH(int, requested);
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 0); // the menu works with the feature off
        setDword(WallKey, QStringLiteral("CurrentIndex"), DWORD(index));
        QVERIFY(start());
        QCOMPARE(archiveRequests(), 0);
        post(WM_COMMAND, WPARAM(command));
        QCOMPARE(lastArchiveRequest(),
                 QStringLiteral("/HPImageArchive.aspx?format=xml&idx=%1&n=1&mkt=en-US").arg(requested));
        advance(1000);
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), requested);
    }

    void intervals_data()
    {
        QTest::addColumn<DWORD>("timeIndex");
        QTest::addColumn<DWORD>("timePeriod");
        QTest::addColumn<qint64>("period");
        QTest::newRow("1 hour") << DWORD(1) << DWORD(0) << qint64(3600000);
        QTest::newRow("5 hours") << DWORD(5) << DWORD(0) << qint64(18000000);
        QTest::newRow("12 days") << DWORD(12) << DWORD(1) << qint64(1036800000);
        QTest::newRow("40 days is kept to 12") << DWORD(40) << DWORD(3) << qint64(1036800000);
        QTest::newRow("0 hours is kept to 1") << DWORD(0) << DWORD(0) << qint64(3600000);
    }
    void intervals()
    {
        QFETCH(DWORD, timeIndex);
        QFETCH(DWORD, timePeriod);
        QFETCH(qint64, period);
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("TimeIndex"), timeIndex);
        setDword(WallKey, QStringLiteral("TimePeriod"), timePeriod);
        QVERIFY(start());
        QCOMPARE(timer(TIMER_WALLPAPER), period);
    }

    void intervalStepsTowardToday()
    {
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        QVERIFY(start());
        QCOMPARE(lastArchiveRequest(), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=0&n=1&mkt=en-US"));
        advance(3600000);
        QCOMPARE(lastArchiveRequest(), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=7&n=1&mkt=en-US"));
        advance(3600000);
        QCOMPARE(lastArchiveRequest(), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=6&n=1&mkt=en-US"));
    }

    void regions_data()
    {
        QTest::addColumn<DWORD>("region");
        QTest::addColumn<QString>("market");
        QTest::newRow("2") << DWORD(2) << QStringLiteral("en-ES");
        QTest::newRow("8") << DWORD(8) << QStringLiteral("zh-CN");
        QTest::newRow("10") << DWORD(10) << QStringLiteral("en-AU");
        QTest::newRow("11 is the first") << DWORD(11) << QStringLiteral("en-US");
        QTest::newRow("0xFFFFFFFF is the first") << DWORD(0xFFFFFFFF) << QStringLiteral("en-US");
    }
    void regions()
    {
        QFETCH(DWORD, region);
        QFETCH(QString, market);
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("Region"), region);
        QVERIFY(start());
        QVERIFY(lastArchiveRequest().endsWith(QStringLiteral("&mkt=") + market));
    }

    // Any stored index steps within the eight days (no signed overflow from the far ends of a DWORD).
    void currentIndexExtremes_data()
    {
        QTest::addColumn<DWORD>("stored");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("requested");
        QTest::newRow("0x80000000, Next") << DWORD(0x80000000) << CMD_NEXT_IMAGE << 7;
        QTest::newRow("0x7FFFFFFF, Previous") << DWORD(0x7FFFFFFF) << CMD_PREVIOUS_IMAGE << 1;
        QTest::newRow("0xFFFFFFFF, Previous") << DWORD(0xFFFFFFFF) << CMD_PREVIOUS_IMAGE << 1;
    }
    void currentIndexExtremes()
    {
        QFETCH(DWORD, stored);
        QFETCH(int, command);
        QFETCH(int, requested);
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("CurrentIndex"), stored);
        QVERIFY(start());
        post(WM_COMMAND, WPARAM(command));
        QCOMPARE(lastArchiveRequest(),
                 QStringLiteral("/HPImageArchive.aspx?format=xml&idx=%1&n=1&mkt=en-US").arg(requested));
    }

    void currentIndexOutOfRange()
    {
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("CurrentIndex"), 9);
        QVERIFY(start());
        QCOMPARE(lastArchiveRequest(), QStringLiteral("/HPImageArchive.aspx?format=xml&idx=0&n=1&mkt=en-US"));
        advance(1000);
        QCOMPARE(dword(WallKey, QStringLiteral("CurrentIndex")), 0);
    }

    void wallpaperOnOff()
    {
        serveGoodArchive();
        QVERIFY(start());
        QCOMPARE(archiveRequests(), 0);
        QCOMPARE(timer(TIMER_WALLPAPER), -1);
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        setDword(WallKey, QStringLiteral("TimeIndex"), 2);
        post(HELPER_MSG_WALLPAPER_ON);
        post(HELPER_MSG_WALLPAPER_RELOAD);
        QCOMPARE(timer(TIMER_WALLPAPER), 7200000);
        QCOMPARE(archiveRequests(), 0); // the reload does not download
        post(HELPER_MSG_WALLPAPER_OFF);
        QCOMPARE(timer(TIMER_WALLPAPER), -1);
    }

    void expiryWhileDisabledEndsTimer()
    {
        serveGoodArchive();
        setDword(WallKey, QStringLiteral("Enabled"), 1);
        QVERIFY(start());
        setDword(WallKey, QStringLiteral("Enabled"), 0);
        post(HELPER_MSG_WALLPAPER_RELOAD); // re-armed whatever "Enabled" says
        QCOMPARE(timer(TIMER_WALLPAPER), 3600000);
        const int before = archiveRequests();
        advance(3600000);
        QCOMPARE(archiveRequests(), before);
        QCOMPARE(timer(TIMER_WALLPAPER), -1);
    }

    // --- tray menu ---

    void popupMenu()
    {
        removeValue(Personalize, QStringLiteral("AppsUseLightTheme"));
        removeValue(Personalize, QStringLiteral("SystemUsesLightTheme"));
        QVERIFY(start());
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN);
        const QStringList expected{
            QStringLiteral("Track Cleaner/Clear File Explorer history#309"),
            QStringLiteral("Bing Daily Wallpapers/Next Image#307"),
            QStringLiteral("Bing Daily Wallpapers/Previous Image#308"),
            QStringLiteral("Set App Color mode/Light Mode#303"),
            QStringLiteral("Set App Color mode/Dark Mode#304*"),
            QStringLiteral("Set Windows Color Mode/Light Mode#305"),
            QStringLiteral("Set Windows Color Mode/Dark Mode#306*"),
            QStringLiteral("Set Active Power Scheme/Power saver#300"),
            QStringLiteral("Set Active Power Scheme/Balanced#301*"),
            QStringLiteral("Set Active Power Scheme/High performance#302"),
            QStringLiteral("Configuration#208"),
            QStringLiteral("Close#210"),
        };
        QCOMPARE(lastMenu(), expected);
        // Separators carry the identifier 206.
        const QList<menus::Item> items = menus::items(helper.rootMenu);
        int separators = 0;
        for (const menus::Item &item : items)
            separators += item.separator ? 1 : 0;
        QCOMPARE(separators, 4);
    }

    void otherTrayMessagesDoNothing()
    {
        QVERIFY(start());
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDOWN);
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE);
        QVERIFY(machineUnderTest->logged(QStringLiteral("TrackPopupMenu")).isEmpty());
        QVERIFY(machineUnderTest->logged(QStringLiteral("ShellExecuteEx")).isEmpty());
    }

    void colourCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("written");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("app light") << 303 << QStringLiteral("AppsUseLightTheme") << 1
                                   << QStringLiteral("Set App Color mode/Light Mode#303*");
        QTest::newRow("app dark") << 304 << QStringLiteral("AppsUseLightTheme") << 0
                                  << QStringLiteral("Set App Color mode/Dark Mode#304*");
        QTest::newRow("Windows light") << 305 << QStringLiteral("SystemUsesLightTheme") << 1
                                       << QStringLiteral("Set Windows Color Mode/Light Mode#305*");
        QTest::newRow("Windows dark") << 306 << QStringLiteral("SystemUsesLightTheme") << 0
                                      << QStringLiteral("Set Windows Color Mode/Dark Mode#306*");
    }
    void colourCommands()
    {
        QFETCH(int, command);
        QFETCH(QString, value);
        QFETCH(int, written);
        QFETCH(QString, ticked);
        setDword(Personalize, value, written ? 0 : 1);
        QVERIFY(start());
        machine::pushAnswer(QStringLiteral("TrackPopupMenu"), QString::number(command));
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN);
        QCOMPARE(dword(Personalize, value), written);
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN);
        QVERIFY2(lastMenu().contains(ticked), qPrintable(lastMenu().join(QLatin1Char(' '))));
    }

    void colourCommandCreatesMissingKey()
    {
        HKEY themes = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Themes"), 0, KEY_WRITE,
                      &themes);
        QCOMPARE(RegDeleteKeyW(themes, WSTR("Personalize")), LONG(ERROR_SUCCESS));
        RegCloseKey(themes);
        QVERIFY(start());
        post(WM_COMMAND, CMD_APP_LIGHT);
        QCOMPARE(appMode(), 1);
    }

    void powerSchemes_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("Power saver") << 300 << QStringLiteral("a1841308-3541-4fab-bc81-f71556f20b4a")
                                     << QStringLiteral("Set Active Power Scheme/Power saver#300*");
        QTest::newRow("Balanced") << 301 << QStringLiteral("381b4222-f694-41f0-9685-ff5bb260df2e")
                                  << QStringLiteral("Set Active Power Scheme/Balanced#301*");
        QTest::newRow("High performance") << 302 << QStringLiteral("8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c")
                                          << QStringLiteral("Set Active Power Scheme/High performance#302*");
    }
    void powerSchemes()
    {
        QFETCH(int, command);
        QFETCH(QString, scheme);
        QFETCH(QString, ticked);
        QVERIFY(start());
        post(WM_COMMAND, WPARAM(command));
        GUID *active = nullptr;
        QCOMPARE(PowerGetActiveScheme(nullptr, &active), DWORD(ERROR_SUCCESS));
        WCHAR text[40];
        StringFromGUID2(*active, text, 40);
        LocalFree(active);
        QCOMPARE(fromWide(text), QLatin1Char('{') + scheme.toUpper() + QLatin1Char('}'));
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN);
        const QStringList menu = lastMenu();
        QVERIFY(menu.contains(ticked));
        int ticks = 0;
        for (const QString &item : menu)
            if (item.startsWith(QLatin1String("Set Active Power Scheme/")) && item.endsWith(QLatin1Char('*')))
                ++ticks;
        QCOMPARE(ticks, 1);
    }

    void customSchemeLeavesTicks()
    {
        QVERIFY(start());
        post(WM_COMMAND, CMD_HIGH_PERFORMANCE);
        {
            machine::Transaction tx;
            const qint64 schemes = registrystore::findKey(
                QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes"));
            registrystore::ensureChild(schemes, QStringLiteral("11111111-2222-3333-4444-555555555555"));
            registrystore::writeValue(
                schemes, QStringLiteral("ActivePowerScheme"), REG_SZ,
                registrystore::stringData(QStringLiteral("11111111-2222-3333-4444-555555555555")));
            tx.commit();
        }
        post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN);
        QVERIFY(lastMenu().contains(QStringLiteral("Set Active Power Scheme/High performance#302*")));
    }

    void closeCommand()
    {
        QVERIFY(start());
        post(WM_COMMAND, CMD_CLOSE);
        int code = -1;
        QVERIFY(winloop::takeQuit(&code));
        QCOMPARE(code, 0);
        QVERIFY(IsWindow(helper.window)); // the loop ends; the window goes at exit
    }

    void wmCloseEndsHelper()
    {
        QVERIFY(start());
        HWND window = helper.window;
        post(WM_CLOSE);
        QVERIFY(!IsWindow(window));
        QVERIFY(!FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar")));
        int code = -1;
        QVERIFY(winloop::takeQuit(&code));
        QCOMPARE(code, 0);
    }

    void otherMessagesGoToDefaultProcedure()
    {
        QVERIFY(start());
        QCOMPARE(SendMessageW(helper.window, WM_USER + 999, 1, 2), LRESULT(0));
        QCOMPARE(SendMessageW(helper.window, WM_COMMAND, 4711, 0), LRESULT(0));
        QVERIFY(IsWindow(helper.window));
    }

    void openMainProgram_data()
    {
        QTest::addColumn<bool>("withPath");
        QTest::addColumn<QString>("elevation");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("started");
        QTest::newRow("double click") << true << QString() << int(HELPER_MSG_TRAY_CALLBACK) << true;
        QTest::newRow("Configuration") << true << QString() << int(WM_COMMAND) << true;
        QTest::newRow("no Path") << false << QString() << int(HELPER_MSG_TRAY_CALLBACK) << false;
        QTest::newRow("elevation declined") << true << QStringLiteral("IDNO") << int(WM_COMMAND) << false;
    }
    void openMainProgram()
    {
        QFETCH(bool, withPath);
        QFETCH(QString, elevation);
        QFETCH(int, message);
        QFETCH(bool, started);
        QTemporaryDir install;
        const QString marker = install.filePath(QStringLiteral("started.txt"));
        {
            QFile fake(install.filePath(QStringLiteral("Hushdeck")));
            QVERIFY(fake.open(QIODevice::WriteOnly));
            fake.write(QStringLiteral("#!/bin/sh\necho \"$@\" > \"%1.tmp\"\npwd >> \"%1.tmp\"\nmv \"%1.tmp\" \"%1\"\n")
                           .arg(marker)
                           .toUtf8());
            fake.close();
            fake.setPermissions(fake.permissions() | QFile::ExeOwner);
        }
        const QByteArray previousInstall = qgetenv("HUSHDECK_INSTALL");
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(install.path()));
        if (withPath)
            setString(Root, QStringLiteral("Path"), install.path());
        if (!elevation.isEmpty())
            machine::pushAnswer(QStringLiteral("Elevation"), elevation);
        machineUnderTest->answerMessageBox(QStringLiteral("IDOK"));
        QVERIFY(start());
        if (message == WM_COMMAND)
            post(WM_COMMAND, CMD_CONFIGURATION);
        else
            post(HELPER_MSG_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
        qputenv("HUSHDECK_INSTALL", previousInstall);

        const QStringList boxes = machineUnderTest->logged(QStringLiteral("MessageBox"));
        if (started) {
            QVERIFY(boxes.isEmpty());
            QCOMPARE(machineUnderTest->logged(QStringLiteral("ShellExecuteEx")),
                     QStringList{QStringLiteral("runas|%1\\Hushdeck.exe|RAM|%1").arg(install.path())});
            QTRY_VERIFY(QFile::exists(marker));
            const QStringList lines = QString::fromUtf8(fileBytes(marker)).split(QLatin1Char('\n'));
            QCOMPARE(lines.value(0), QStringLiteral("RAM"));
            QCOMPARE(lines.value(1), install.path());
        } else {
            QCOMPARE(boxes, QStringList{QStringLiteral("Error|Cannot open Hushdeck for Windows 11 main app.")});
            QVERIFY(!QFile::exists(marker));
        }
    }

    void clearHistory()
    {
        const QString recent = machine::roamingAppData() + QStringLiteral("/Microsoft/Windows/Recent");
        const QStringList folders{recent, recent + QStringLiteral("/AutomaticDestinations"),
                                  recent + QStringLiteral("/CustomDestinations")};
        for (const QString &folder : folders) {
            QDir().mkpath(folder);
            for (const char *name : {"a.lnk", "b.automaticDestinations-ms"}) {
                QFile f(folder + QLatin1Char('/') + QLatin1String(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        }
        QDir().mkpath(recent + QStringLiteral("/Inner"));
        QFile keep(recent + QStringLiteral("/Inner/kept.lnk"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        setDword(RecentDocs + QStringLiteral("\\.txt"), QStringLiteral("0"), 1);
        setDword(RecentDocs + QStringLiteral("\\Folder"), QStringLiteral("MRUListEx"), 2);
        setDword(RecentDocs, QStringLiteral("MRUListEx"), 3);
        machineUnderTest->answerMessageBox(QStringLiteral("IDOK"));
        QVERIFY(start());
        post(WM_COMMAND, CMD_CLEAR_HISTORY);

        QCOMPARE(machineUnderTest->logged(QStringLiteral("MessageBox")),
                 QStringList{QStringLiteral("Cleaning Success|The cleaning process is completed.")});
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, wstr(RecentDocs), 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
        DWORD subKeys = 99, values = 99;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        QCOMPARE(subKeys, DWORD(0));
        QCOMPARE(values, DWORD(0));
        for (const QString &folder : folders)
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(keep.exists()); // sub-folders are not entered
    }

    void clearHistoryWithoutProfile()
    {
        setDword(RecentDocs + QStringLiteral("\\.txt"), QStringLiteral("0"), 1);
        machineUnderTest->answerMessageBox(QStringLiteral("IDOK"));
        QVERIFY(start());
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        post(WM_COMMAND, CMD_CLEAR_HISTORY);
        const QStringList boxes = machineUnderTest->logged(QStringLiteral("MessageBox"));
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QLatin1String("Error|")), qPrintable(boxes.first()));
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, wstr(RecentDocs + QStringLiteral("\\.txt")), 0, KEY_READ, &key),
                 LONG(ERROR_FILE_NOT_FOUND));
    }

    void deleteFolderFilesCounts()
    {
        QTemporaryDir dir;
        for (const char *name : {"one", "two.txt", ".hidden"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        int deleted = -1;
        QCOMPARE(deleteFolderFiles(wstr(fromHostPath(dir.path())), WSTR(""), &deleted), 3);
        QCOMPARE(deleted, 3);
        QVERIFY(QDir(dir.filePath(QStringLiteral("sub"))).exists());
        deleted = -1;
        QCOMPARE(deleteFolderFiles(wstr(fromHostPath(dir.path())), WSTR("\\missing"), &deleted), 0);
        QCOMPARE(deleted, 0);
    }

    // A folder on the way below the profile that is a link leads outside: the files there are found, none goes.
    void deleteFolderFilesBehindALink()
    {
        QTemporaryDir dir, outside;
        QVERIFY(QDir().mkpath(outside.filePath(QStringLiteral("recent"))));
        QFile f(outside.filePath(QStringLiteral("recent/a.lnk")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(outside.path(), dir.filePath(QStringLiteral("Windows"))));
        int deleted = -1;
        QCOMPARE(deleteFolderFiles(wstr(fromHostPath(dir.path())), WSTR("\\Windows\\recent"), &deleted), 1);
        QCOMPARE(deleted, 0);
        QVERIFY(f.exists());
    }
};

QTEST_MAIN(TestGlasspan)
#include "tst_glasspan.moc"
