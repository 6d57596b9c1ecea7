// The automation pages against a recording helper window: what each page writes, what it posts and in which
// order, when it starts the helper and when it closes it.
#include "archiveserver.h"
#include "boundedtransfer.h"
#include "autodarkmodeform.h"
#include "autowallpaperchangerform.h"
#include "glasspanmessages.h"
#include "helperharness.h"
#include "krutils.h"
#include "loadwallpaperthread.h"
#include "misctoolsform.h"
#include "mytrayiconform.h"
#include "trackcleanerform.h"
#include "smartshortcutform.h"
#include "suntimes.h"
#include "testmachine.h"
#include "transparenttaskbarmoduleform.h"
#include "win32.h"

#include "linux/shell/deskwallpaper.h"
#include "linux/machine/machine.h"
#include "linux/windows/windowtable.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <QTabWidget>
#include <QToolBar>
#include <QComboBox>
#include <QGeoPositionInfoSource>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <unistd.h>

using harness::dword;
using harness::setDword;

namespace {

const QString Root = QStringLiteral("Software\\Keelrun Hushdeck Plus!");
const QString RunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString Install = QStringLiteral("C:\\Apps\\Hushdeck");

QString regString(const QString &key, const QString &name)
{
    KRUtils u;
    QString text;
    u.readRegString(HKEY_CURRENT_USER, key, name, text);
    return text;
}

// A helper window of this process: what the pages post to it is kept until taken.
HWND recordingHelper()
{
    return windowtable::createWindow(DWORD(getpid()), QStringLiteral("GLASSPAN"),
                                     QStringLiteral("Transparent Taskbar"));
}

// "message:wParam" of each message posted to this process's windows, oldest first.
QStringList posted()
{
    QStringList out;
    for (const windowtable::Message &m : windowtable::takeMessages(DWORD(getpid())))
        out << QStringLiteral("%1:%2").arg(m.msg).arg(qulonglong(m.wParam));
    return out;
}

QString msg(UINT message, WPARAM wParam = 0)
{
    return QStringLiteral("%1:%2").arg(message).arg(qulonglong(wParam));
}

// A position source that hands over one position when asked for updates.
class TestSource : public QGeoPositionInfoSource
{
public:
    explicit TestSource(QObject *parent) : QGeoPositionInfoSource(parent) {}
    static QGeoCoordinate next;
    static int stops;
    void setUpdateInterval(int) override {}
    QGeoPositionInfo lastKnownPosition(bool = false) const override { return QGeoPositionInfo(); }
    PositioningMethods supportedPositioningMethods() const override { return AllPositioningMethods; }
    int minimumUpdateInterval() const override { return 0; }
    Error error() const override { return NoError; }
    void startUpdates() override
    {
        QMetaObject::invokeMethod(
            this, [this] { emit positionUpdated(QGeoPositionInfo(next, QDateTime::currentDateTime())); },
            Qt::QueuedConnection);
    }
    void stopUpdates() override { ++stops; }
    void requestUpdate(int = 0) override {}
};
QGeoCoordinate TestSource::next;
int TestSource::stops = 0;

QGeoPositionInfoSource *testSource(QObject *parent)
{
    return new TestSource(parent);
}

QGeoPositionInfoSource *noSource(QObject *)
{
    return nullptr;
}

template <typename T> T *child(QWidget *page, const char *name)
{
    T *w = page->findChild<T *>(QLatin1String(name));
    Q_ASSERT(w);
    return w;
}

} // namespace

class TestAutomationPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<ArchiveServer> archive;

private slots:
    void initTestCase()
    {
        // Pages start the helper by name; here the start is only recorded (no program at this folder).
        qputenv("HUSHDECK_INSTALL", QByteArray("/nonexistent/hushdeck"));
    }

    void init()
    {
        m = std::make_unique<TestMachine>();
        archive = std::make_unique<ArchiveServer>();
        m->overrideUrl(QStringLiteral("https://www.bing.com"), archive->base());
        m->overrideUrl(QStringLiteral("https://bing.com"), archive->base());
        KRUtils().writeRegString(HKEY_CURRENT_USER, Root, QStringLiteral("Path"), Install);
        positionSourceFactory = noSource;
        posted();
    }

    void cleanup()
    {
        // No download a page gave up on outlives the machine it works on.
        archive.reset();
        QTRY_COMPARE(transfersRunning(), 0);
        m.reset();
    }

    // Save on each helper page: the messages posted, the start, the Run value and the close.
    void saveTalksToHelper_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("enable");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("otherFeature");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("start");

        const QString close = msg(WM_CLOSE);
        const QString helper = Install + QStringLiteral("\\Glasspan.exe");
        QTest::newRow("taskbar on, running")
            << "taskbar" << 1 << true << false << QStringList{msg(HELPER_MSG_TASKBAR_ON), msg(WM_GLASSPAN_SET, 100)}
            << QString();
        QTest::newRow("taskbar on, absent")
            << "taskbar" << 1 << false << false << QStringList() << helper + QStringLiteral("|100");
        QTest::newRow("taskbar off, alone")
            << "taskbar" << 0 << true << false << QStringList{msg(HELPER_MSG_TASKBAR_OFF), close} << QString();
        QTest::newRow("taskbar off, needed")
            << "taskbar" << 0 << true << true << QStringList{msg(HELPER_MSG_TASKBAR_OFF)} << QString();
        QTest::newRow("dark on, running")
            << "dark" << 1 << true << false << QStringList{msg(HELPER_MSG_DARKMODE_ON), msg(HELPER_MSG_DARKMODE_RELOAD)}
            << QString();
        QTest::newRow("dark on, absent") << "dark" << 1 << false << false << QStringList() << helper;
        QTest::newRow("dark off, alone") << "dark" << 0 << true << false
                                         << QStringList{msg(HELPER_MSG_DARKMODE_OFF), close} << QString();
        QTest::newRow("dark off, absent") << "dark" << 0 << false << false << QStringList() << QString();
        QTest::newRow("wallpaper on, running")
            << "wallpaper" << 1 << true << false
            << QStringList{msg(HELPER_MSG_WALLPAPER_ON), msg(HELPER_MSG_WALLPAPER_RELOAD)} << QString();
        QTest::newRow("wallpaper on, absent") << "wallpaper" << 1 << false << false << QStringList() << helper;
        QTest::newRow("wallpaper off, needed")
            << "wallpaper" << 0 << true << true << QStringList{msg(HELPER_MSG_WALLPAPER_OFF)} << QString();
        QTest::newRow("tray on, running")
            << "tray" << 1 << true << false << QStringList{msg(HELPER_MSG_TRAYICON_RELOAD)} << QString();
        QTest::newRow("tray on, absent") << "tray" << 1 << false << false << QStringList() << helper;
        QTest::newRow("tray off, needed")
            << "tray" << 0 << true << true << QStringList{msg(HELPER_MSG_TRAYICON_RELOAD)} << QString();
        QTest::newRow("tray off, alone") << "tray" << 0 << true << false << QStringList{close} << QString();
    }

    void saveTalksToHelper()
    {
        QFETCH(QString, page);
        QFETCH(int, enable);
        QFETCH(bool, running);
        QFETCH(bool, otherFeature);
        QFETCH(QStringList, messages);
        QFETCH(QString, start);

        // The page opens with the opposite choice stored, so that the user's change is a real one.
        const int stored = enable ? 0 : 1;
        if (otherFeature)
            setDword(Root + (page == QLatin1String("taskbar") ? QStringLiteral("\\AutoDarkMode")
                                                              : QStringLiteral("\\Glasspan")),
                     QStringLiteral("Enabled"), 1);
        HWND helper = running ? recordingHelper() : nullptr;
        std::unique_ptr<QWidget> w;
        QString key;
        if (page == QLatin1String("taskbar")) {
            key = Root + QStringLiteral("\\Glasspan");
            setDword(key, QStringLiteral("Enabled"), DWORD(stored));
            w.reset(new TransparentTaskbarModuleForm);
            child<QComboBox>(w.get(), "GlasspanComboBox")->setCurrentIndex(enable);
            child<QLineEdit>(w.get(), "GlasspanLineEdit")->setText(QStringLiteral("100"));
        } else if (page == QLatin1String("dark")) {
            key = Root + QStringLiteral("\\AutoDarkMode");
            setDword(key, QStringLiteral("Enabled"), DWORD(stored));
            w.reset(new AutoDarkModeForm);
            child<QComboBox>(w.get(), "autoDarkModeComboBox")->setCurrentIndex(enable);
        } else if (page == QLatin1String("wallpaper")) {
            key = Root + QStringLiteral("\\WallpaperChanger");
            setDword(key, QStringLiteral("Enabled"), DWORD(stored));
            w.reset(new AutoWallpaperChangerForm);
            child<QComboBox>(w.get(), "wallpaperChangerComboBox")->setCurrentIndex(enable);
        } else {
            key = Root;
            setDword(key, QStringLiteral("ShowTrayIcon"), DWORD(stored));
            w.reset(new MyTrayIconForm);
        }
        if (page == QLatin1String("wallpaper"))
            QTRY_VERIFY(!static_cast<AutoWallpaperChangerForm *>(w.get())->downloadRunning);
        // What opening the page sent is another test's business.
        posted();
        const int startsBefore = m->logged(QStringLiteral("Start")).size();
        KRUtils().deleteRegValue(HKEY_CURRENT_USER, RunKey, QStringLiteral("TransparentTaskbar"));

        if (page == QLatin1String("tray")) {
            child<QCheckBox>(w.get(), "checkBox")->setChecked(enable != 0);
        } else {
            QAction *save = w->findChild<QToolBar *>(QStringLiteral("toolbar"))->actions().first();
            QVERIFY(save->isEnabled());
            save->trigger();
            QVERIFY(!save->isEnabled());
        }

        QCOMPARE(posted(), messages);
        const QStringList starts = m->logged(QStringLiteral("Start")).mid(startsBefore);
        QCOMPARE(starts, start.isEmpty() ? QStringList() : QStringList{start});
        const QString name = page == QLatin1String("tray") ? QStringLiteral("ShowTrayIcon") : QStringLiteral("Enabled");
        QCOMPARE(dword(key, name), qint64(enable));
        // The Run value is written for an enabled feature (not by the tray page) and never removed.
        const bool runWritten = enable && page != QLatin1String("tray");
        QCOMPARE(regString(RunKey, QStringLiteral("TransparentTaskbar")),
                 runWritten ? QStringLiteral("\"") + Install + QStringLiteral("\\Glasspan.exe\"") : QString());
        if (helper)
            windowtable::destroyWindow(helper);
    }

    // Opening a page with its feature stored on re-notifies the helper or starts it, without a click.
    void openingEnabledPage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("taskbar") << "taskbar" << QStringList{msg(HELPER_MSG_TASKBAR_ON), msg(WM_GLASSPAN_SET, 77)};
        QTest::newRow("dark") << "dark" << QStringList{msg(HELPER_MSG_DARKMODE_ON), msg(HELPER_MSG_DARKMODE_RELOAD)};
        QTest::newRow("wallpaper") << "wallpaper"
                                   << QStringList{msg(HELPER_MSG_WALLPAPER_ON), msg(HELPER_MSG_WALLPAPER_RELOAD)};
    }

    void openingEnabledPage()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, messages);
        const QString key = Root + (page == QLatin1String("taskbar") ? QStringLiteral("\\Glasspan")
                                    : page == QLatin1String("dark")  ? QStringLiteral("\\AutoDarkMode")
                                                                     : QStringLiteral("\\WallpaperChanger"));
        setDword(key, QStringLiteral("Enabled"), 1);
        setDword(key, QStringLiteral("TransparentLevel"), 77);
        auto make = [&]() -> QWidget * {
            if (page == QLatin1String("taskbar"))
                return new TransparentTaskbarModuleForm;
            if (page == QLatin1String("dark"))
                return new AutoDarkModeForm;
            return new AutoWallpaperChangerForm(nullptr, true);
        };
        // No helper: it is started, nothing is posted.
        std::unique_ptr<QWidget> first(make());
        QCOMPARE(posted(), QStringList());
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), 1);
        QVERIFY(!first->findChild<QToolBar *>(QStringLiteral("toolbar"))->actions().first()->isEnabled());
        // A running helper is told again.
        HWND helper = recordingHelper();
        std::unique_ptr<QWidget> second(make());
        QCOMPARE(posted(), messages);
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), 1);
        windowtable::destroyWindow(helper);
    }

    void taskbarOffMakesTaskbarOpaque()
    {
        setDword(Root + QStringLiteral("\\Glasspan"), QStringLiteral("Enabled"), 1);
        TransparentTaskbarModuleForm page;
        HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        QVERIFY(taskbar);
        SetWindowLongW(taskbar, GWL_EXSTYLE, WS_EX_LAYERED);
        SetLayeredWindowAttributes(taskbar, 0, 90, LWA_ALPHA);
        QCOMPARE(harness::taskbarAlpha(), 90);
        // Without the layered style an alpha is not applied: the page has to set the style itself.
        SetWindowLongW(taskbar, GWL_EXSTYLE, 0);
        child<QComboBox>(&page, "GlasspanComboBox")->setCurrentIndex(0);
        QVERIFY(!child<QSlider>(&page, "GlasspanHorizontalSlider")->isEnabled());
        page.saveAction->trigger();
        QCOMPARE(harness::taskbarAlpha(), 255);
        QVERIFY(harness::taskbarExStyle() & WS_EX_LAYERED);
    }

    void levelTextIsClamped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("shown");
        QTest::newRow("above") << "300" << 255 << "255";
        QTest::newRow("negative") << "-5" << 0 << "0";
        QTest::newRow("zero") << "0" << 0 << "0";
        QTest::newRow("letters") << "abc" << 0 << "0";
    }

    void levelTextIsClamped()
    {
        QFETCH(QString, typed);
        QFETCH(int, level);
        QFETCH(QString, shown);
        setDword(Root + QStringLiteral("\\Glasspan"), QStringLiteral("TransparentLevel"), 128);
        TransparentTaskbarModuleForm page;
        child<QComboBox>(&page, "GlasspanComboBox")->setCurrentIndex(1);
        child<QLineEdit>(&page, "GlasspanLineEdit")->setText(typed);
        QCOMPARE(child<QSlider>(&page, "GlasspanHorizontalSlider")->value(), level);
        QCOMPARE(child<QLineEdit>(&page, "GlasspanLineEdit")->text(), shown);
        page.saveAction->trigger();
        QCOMPARE(dword(Root + QStringLiteral("\\Glasspan"), QStringLiteral("TransparentLevel")), qint64(level));
    }

    // The page shows a stored level as the helper applies it: above 255 opaque, a value of the wrong size none.
    void storedLevelShown_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("level");
        const auto dword = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
        QTest::newRow("256") << dword(256) << 255;
        QTest::newRow("0 bytes") << QByteArray() << 255;
        QTest::newRow("2 bytes") << QByteArray(2, '\0') << 255;
    }
    void storedLevelShown()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, level);
        QVERIFY(harness::setDwordBytes(Root + QStringLiteral("\\Glasspan"), QStringLiteral("TransparentLevel"), data));
        TransparentTaskbarModuleForm page;
        QCOMPARE(child<QSlider>(&page, "GlasspanHorizontalSlider")->value(), level);
    }

    void trayPageOpeningWritesNothing()
    {
        setDword(Root, QStringLiteral("ShowTrayIcon"), 1);
        MyTrayIconForm page;
        QVERIFY(child<QCheckBox>(&page, "checkBox")->isChecked());
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), 1);
        // Opening with the icon off and nothing else enabled closes a running helper.
        setDword(Root, QStringLiteral("ShowTrayIcon"), 0);
        HWND helper = recordingHelper();
        MyTrayIconForm second;
        QCOMPARE(posted(), QStringList{msg(WM_CLOSE)});
        QCOMPARE(dword(Root, QStringLiteral("ShowTrayIcon")), qint64(0));
        windowtable::destroyWindow(helper);
    }

    void clockTime12_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("period");
        QTest::newRow("0:05") << QTime(0, 5) << 12 << 5 << 0;
        QTest::newRow("11:59") << QTime(11, 59) << 11 << 59 << 0;
        QTest::newRow("12:00") << QTime(12, 0) << 12 << 0 << 1;
        QTest::newRow("12:30") << QTime(12, 30) << 12 << 30 << 1;
        QTest::newRow("18:45") << QTime(18, 45) << 6 << 45 << 1;
        QTest::newRow("23:59") << QTime(23, 59) << 11 << 59 << 1;
    }

    void clockTime12()
    {
        QFETCH(QTime, time);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, period);
        const ClockTime12 t = toClockTime12(time);
        QCOMPARE(t.hour, hour);
        QCOMPARE(t.minute, minute);
        QCOMPARE(t.period, period);
    }

    // A position fills the rows with today's sun times and is stored; updates stop after it.
    void positionFillsSunTimes_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<bool>("shown");
        QTest::newRow("oslo") << 59.9139 << 10.7522 << true;
        QTest::newRow("sydney") << -33.8688 << 151.2093 << true;
        QTest::newRow("no longitude") << 48.0 << qQNaN() << false;
    }

    void positionFillsSunTimes()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(bool, shown);
        const QString key = Root + QStringLiteral("\\AutoDarkMode");
        setDword(key, QStringLiteral("UseLocationData"), 1);
        TestSource::next = QGeoCoordinate(latitude, longitude);
        TestSource::stops = 0;
        positionSourceFactory = testSource;
        AutoDarkModeForm page;
        auto *lightHour = child<QSpinBox>(&page, "lightHourSpinBox");
        auto *darkHour = child<QSpinBox>(&page, "darkHourSpinBox");
        auto *darkMinute = child<QSpinBox>(&page, "darkMinuteSpinBox");
        if (!shown) {
            QTest::qWait(50);
            QCOMPARE(regString(key, QStringLiteral("Latitude")), QString());
            QCOMPARE(regString(key, QStringLiteral("Longitude")), QString());
            QCOMPARE(lightHour->value(), 1);
            QCOMPARE(darkMinute->value(), 0);
            return;
        }
        QTRY_COMPARE(TestSource::stops, 1);
        QCOMPARE(regString(key, QStringLiteral("Latitude")), QString::number(latitude, 'g', 6));
        QCOMPARE(regString(key, QStringLiteral("Longitude")), QString::number(longitude, 'g', 6));
        const QDate today = QDate::currentDate();
        const SunTimes sun =
            computeSunTimes(today.year(), today.month(), today.day(),
                            QDateTime(today, QTime(12, 0)).offsetFromUtc() / 3600.0, latitude, longitude);
        const ClockTime12 rise = toClockTime12(QTime::fromMSecsSinceStartOfDay(int(sunriseSeconds(sun) * 1000)));
        const ClockTime12 set = toClockTime12(QTime::fromMSecsSinceStartOfDay(int(sunsetSeconds(sun) * 1000)));
        QCOMPARE(lightHour->value(), rise.hour);
        QCOMPARE(child<QComboBox>(&page, "lightPeriodComboBox")->currentIndex(), rise.period);
        QCOMPARE(darkHour->value(), set.hour);
        QCOMPARE(darkMinute->value(), set.minute);
        QCOMPARE(child<QComboBox>(&page, "darkPeriodComboBox")->currentIndex(), set.period);
        QVERIFY(!lightHour->isEnabled());
        // The position alone is no change to save.
        QVERIFY(!page.saveAction->isEnabled());
    }

    // A position arriving while the fixed times are shown: times the user typed stay and are saved; rows the
    // user did not touch (the dark row always) show what is stored, or the sun's times where nothing is.
    void latePositionKeepsTypedTimes_data()
    {
        QTest::addColumn<bool>("storedTimes");
        QTest::addColumn<bool>("typed");
        QTest::newRow("typed over stored") << true << true;
        QTest::newRow("typed, none stored") << false << true;
        QTest::newRow("untouched, stored") << true << false;
        QTest::newRow("untouched, none stored") << false << false;
    }
    void latePositionKeepsTypedTimes()
    {
        QFETCH(bool, storedTimes);
        QFETCH(bool, typed);
        const QString key = Root + QStringLiteral("\\AutoDarkMode");
        setDword(key, QStringLiteral("UseLocationData"), 0);
        if (storedTimes) {
            setDword(key, QStringLiteral("LightHour"), 7);
            setDword(key, QStringLiteral("LightMinute"), 0);
        }
        TestSource::next = QGeoCoordinate(59.9139, 10.7522);
        TestSource::stops = 0;
        positionSourceFactory = testSource;
        AutoDarkModeForm page;
        auto *hour = child<QSpinBox>(&page, "lightHourSpinBox");
        auto *minute = child<QSpinBox>(&page, "lightMinuteSpinBox");
        if (typed) {
            hour->setValue(5);
            minute->setValue(30);
        }
        QTRY_COMPARE(TestSource::stops, 1);
        const QDate today = QDate::currentDate();
        const SunTimes sun = computeSunTimes(today.year(), today.month(), today.day(),
                                             QDateTime(today, QTime(12, 0)).offsetFromUtc() / 3600.0, 59.9139, 10.7522);
        const ClockTime12 rise = toClockTime12(QTime::fromMSecsSinceStartOfDay(int(sunriseSeconds(sun) * 1000)));
        const int wantHour = typed ? 5 : storedTimes ? 7 : rise.hour;
        const int wantMinute = typed ? 30 : storedTimes ? 0 : rise.minute;
        QCOMPARE(hour->value(), wantHour);
        QCOMPARE(minute->value(), wantMinute);
        // The dark row, never typed in and never stored, takes the sunset whatever happened to the light row.
        const ClockTime12 set = toClockTime12(QTime::fromMSecsSinceStartOfDay(int(sunsetSeconds(sun) * 1000)));
        QCOMPARE(child<QSpinBox>(&page, "darkHourSpinBox")->value(), set.hour);
        QCOMPARE(child<QSpinBox>(&page, "darkMinuteSpinBox")->value(), set.minute);
        QCOMPARE(child<QComboBox>(&page, "darkPeriodComboBox")->currentIndex(), set.period);
        QCOMPARE(page.saveAction->isEnabled(), typed);
        if (!typed)
            return;
        page.saveAction->trigger();
        QCOMPARE(dword(key, QStringLiteral("LightHour")), qint64(5));
        QCOMPARE(dword(key, QStringLiteral("LightMinute")), qint64(30));
        QCOMPARE(dword(key, QStringLiteral("DarkHour")), qint64(set.hour));
        QCOMPARE(dword(key, QStringLiteral("DarkMinute")), qint64(set.minute));
    }

    // A new position that the saved schedule follows reaches a running helper, as a save does; nothing is
    // posted when the helper does not switch by it, and an absent helper is not started for it.
    void positionReachesTheHelper_data()
    {
        QTest::addColumn<int>("enabled");
        QTest::addColumn<int>("useLocation");
        QTest::addColumn<bool>("saveFirst"); // the user switches on and saves before the position comes
        QTest::addColumn<bool>("samePosition");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QStringList>("messages");
        const QStringList reload = {msg(HELPER_MSG_DARKMODE_ON), msg(HELPER_MSG_DARKMODE_RELOAD)};
        QTest::newRow("first position after save") << 0 << 1 << true << false << true << reload;
        QTest::newRow("enabled, by the sun") << 1 << 1 << false << false << true << reload;
        QTest::newRow("same position as stored") << 1 << 1 << false << true << true << QStringList();
        QTest::newRow("fixed times") << 1 << 0 << false << false << true << QStringList();
        QTest::newRow("switched off") << 0 << 1 << false << false << true << QStringList();
        QTest::newRow("no helper") << 1 << 1 << false << false << false << QStringList();
    }
    void positionReachesTheHelper()
    {
        QFETCH(int, enabled);
        QFETCH(int, useLocation);
        QFETCH(bool, saveFirst);
        QFETCH(bool, samePosition);
        QFETCH(bool, running);
        QFETCH(QStringList, messages);
        const QString key = Root + QStringLiteral("\\AutoDarkMode");
        setDword(key, QStringLiteral("Enabled"), DWORD(enabled));
        setDword(key, QStringLiteral("UseLocationData"), DWORD(useLocation));
        TestSource::next = QGeoCoordinate(59.9139, 10.7522);
        TestSource::stops = 0;
        if (samePosition) {
            KRUtils().writeRegString(HKEY_CURRENT_USER, key, QStringLiteral("Latitude"), QStringLiteral("59.9139"));
            KRUtils().writeRegString(HKEY_CURRENT_USER, key, QStringLiteral("Longitude"), QStringLiteral("10.7522"));
        }
        positionSourceFactory = testSource;
        HWND helper = running ? recordingHelper() : nullptr;
        AutoDarkModeForm page;
        if (saveFirst) {
            child<QComboBox>(&page, "autoDarkModeComboBox")->setCurrentIndex(1);
            page.saveAction->trigger();
        }
        posted(); // what opening and saving sent is another test's business
        const int starts = m->logged(QStringLiteral("Start")).size();
        QTRY_COMPARE(TestSource::stops, 1);
        QCOMPARE(regString(key, QStringLiteral("Latitude")), QStringLiteral("59.9139"));
        QCOMPARE(posted(), messages);
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), starts);
        if (helper)
            windowtable::destroyWindow(helper);
    }

    // Saving with the sun-time box checked keeps the stored schedule; unchecked it writes the six values.
    void darkModeScheduleWrites()
    {
        const QString key = Root + QStringLiteral("\\AutoDarkMode");
        setDword(key, QStringLiteral("UseLocationData"), 1);
        setDword(key, QStringLiteral("LightHour"), 7);
        AutoDarkModeForm page;
        child<QComboBox>(&page, "actionsComboBox")->setCurrentIndex(1);
        page.saveAction->trigger();
        QCOMPARE(dword(key, QStringLiteral("Action")), qint64(1));
        QCOMPARE(dword(key, QStringLiteral("UseLocationData")), qint64(1));
        QCOMPARE(dword(key, QStringLiteral("LightHour")), qint64(7));
        QCOMPARE(dword(key, QStringLiteral("DarkHour")), qint64(-1));

        child<QCheckBox>(&page, "timeScheduleCheckBox")->setChecked(false);
        // Unchecked: the stored values, and the spin boxes' minimum where none is stored (no position).
        QCOMPARE(child<QSpinBox>(&page, "lightHourSpinBox")->value(), 7);
        QCOMPARE(child<QSpinBox>(&page, "darkHourSpinBox")->value(), 1);
        QVERIFY(page.saveAction->isEnabled());
        child<QSpinBox>(&page, "darkHourSpinBox")->setValue(9);
        child<QComboBox>(&page, "darkPeriodComboBox")->setCurrentIndex(1);
        page.saveAction->trigger();
        QCOMPARE(dword(key, QStringLiteral("UseLocationData")), qint64(0));
        QCOMPARE(dword(key, QStringLiteral("LightHour")), qint64(7));
        QCOMPARE(dword(key, QStringLiteral("LightPeriod")), qint64(0));
        QCOMPARE(dword(key, QStringLiteral("DarkHour")), qint64(9));
        QCOMPARE(dword(key, QStringLiteral("DarkMinute")), qint64(0));
        QCOMPARE(dword(key, QStringLiteral("DarkPeriod")), qint64(1));
    }

    // Stored values outside their range: the page shows and saves a value it can hold.
    void wallpaperStoredValuesOutOfRange_data()
    {
        QTest::addColumn<int>("timeIndex");
        QTest::addColumn<int>("region");
        QTest::addColumn<int>("savedTime");
        QTest::addColumn<int>("savedRegion");
        QTest::addColumn<QString>("market");
        QTest::newRow("in range") << 5 << 2 << 5 << 2 << "en-ES";
        QTest::newRow("time too big") << 40 << 10 << 12 << 10 << "en-AU";
        QTest::newRow("time zero") << 0 << 0 << 1 << 0 << "en-US";
        QTest::newRow("region too big") << 3 << 11 << 3 << 0 << "en-US";
        QTest::newRow("region huge") << 3 << -1 << 3 << 0 << "en-US";
    }

    void wallpaperStoredValuesOutOfRange()
    {
        QFETCH(int, timeIndex);
        QFETCH(int, region);
        QFETCH(int, savedTime);
        QFETCH(int, savedRegion);
        QFETCH(QString, market);
        const QString key = Root + QStringLiteral("\\WallpaperChanger");
        setDword(key, QStringLiteral("TimeIndex"), DWORD(timeIndex));
        setDword(key, QStringLiteral("Region"), DWORD(region));
        AutoWallpaperChangerForm page;
        QTRY_VERIFY(!page.downloadRunning);
        QCOMPARE(archive->requests().size(), 1);
        QVERIFY2(archive->requests().first().endsWith(QStringLiteral("idx=0&n=1&mkt=") + market),
                 qPrintable(archive->requests().first()));
        QCOMPARE(child<QSpinBox>(&page, "wallpaperChangerTimeSpinBox")->value(), savedTime);
        page.saveAction->setEnabled(true);
        page.saveAction->trigger();
        QCOMPARE(dword(key, QStringLiteral("TimeIndex")), qint64(savedTime));
        QCOMPARE(dword(key, QStringLiteral("Region")), qint64(savedRegion));
    }

    // Back and Next walk the eight days with wrap-around; a press during a download starts nothing, and the
    // caption and the stored index are those of the image that arrived.
    void wallpaperNavigation()
    {
        const QString image = QStringLiteral("/th?id=OHR.Day_1920x1080.jpg");
        for (int day = 0; day < 8; ++day)
            archive->answer(QStringLiteral("/HPImageArchive.aspx?format=xml&idx=%1&").arg(day),
                            ArchiveServer::archiveAnswer(image));
        archive->answer(image, ArchiveServer::jpeg());
        AutoWallpaperChangerForm page;
        auto *set = child<QPushButton>(&page, "wallpaperChangerImageButton");
        QVERIFY(!set->isEnabled());
        // Pressed while today's preview downloads: no second download, and the caption stays today's.
        child<QToolButton>(&page, "wallpaperChangerNextToolButton")->click();
        QTRY_VERIFY(!page.downloadRunning);
        QVERIFY(set->isEnabled());
        QCOMPARE(child<QLabel>(&page, "wallpaperChangerImageLabel")->text(),
                 QStringLiteral("Bing daily wallpaper (") + QDate::currentDate().toString(Qt::TextDate) + ")");
        QCOMPARE(child<QLabel>(&page, "wallpaperChangerImageLabel2")->text(), QStringLiteral("A sample (c) Someone"));
        // The copyright line is the archive's text: never read as markup.
        QCOMPARE(child<QLabel>(&page, "wallpaperChangerImageLabel2")->textFormat(), Qt::PlainText);
        set->click();
        QCOMPARE(dword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex")), qint64(0));
        QCOMPARE(hostPath(deskwallpaper::current()), hostPath(downloadedImagePath));
        // Next from the index 7 chosen above goes to 6; Back twice from there wraps through 7 to 0.
        const QStringList walk = {"Next", "Back", "Back"};
        const QList<int> expected = {6, 7, 0};
        for (int i = 0; i < walk.size(); ++i) {
            child<QToolButton>(&page, walk[i] == QLatin1String("Next") ? "wallpaperChangerNextToolButton"
                                                                       : "wallpaperChangerBackToolButton")
                ->click();
            QTRY_VERIFY(!page.downloadRunning);
            const QStringList asked = archive->requests().filter(QStringLiteral("/HPImageArchive"));
            QVERIFY2(asked.last().contains(QStringLiteral("idx=%1&").arg(expected[i])), qPrintable(asked.last()));
        }
        QCOMPARE(archive->count(QStringLiteral("/HPImageArchive")), 4);
    }

    // A failed preview leaves Set off; Set never hands an empty or unfinished file to the desktop.
    void wallpaperFailedPreviewSetsNothing()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(150, 'x'));
        const QString before = deskwallpaper::current();
        AutoWallpaperChangerForm page;
        QTRY_VERIFY(!page.downloadRunning);
        auto *set = child<QPushButton>(&page, "wallpaperChangerImageButton");
        QVERIFY(!set->isEnabled());
        QVERIFY(child<QPushButton>(&page, "wallpaperChangerImageReloadButton")->isEnabled());
        QMetaObject::invokeMethod(&page, "on_wallpaperChangerImageButton_clicked");
        HWND helper = recordingHelper();
        child<QComboBox>(&page, "wallpaperChangerComboBox")->setCurrentIndex(1);
        page.saveAction->trigger();
        QCOMPARE(deskwallpaper::current(), before);
        QCOMPARE(dword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex")), qint64(0));
        windowtable::destroyWindow(helper);
    }

    // Save with "Enable" hands the previewed image to the desktop when the helper runs; a helper it starts
    // sets its own image.
    void wallpaperSaveEnableSetsPreview_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("helper running") << true;
        QTest::newRow("helper started") << false;
    }
    void wallpaperSaveEnableSetsPreview()
    {
        QFETCH(bool, running);
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer("/th?id=OHR.Day_1.jpg"));
        archive->answer(QStringLiteral("/th?id=OHR.Day"), ArchiveServer::jpeg());
        const QString before = deskwallpaper::current();
        AutoWallpaperChangerForm page;
        QTRY_VERIFY(!page.downloadRunning);
        HWND helper = running ? recordingHelper() : nullptr;
        child<QComboBox>(&page, "wallpaperChangerComboBox")->setCurrentIndex(1);
        page.saveAction->trigger();
        QCOMPARE(hostPath(deskwallpaper::current()), running ? hostPath(downloadedImagePath) : hostPath(before));
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), running ? 0 : 1);
        if (helper)
            windowtable::destroyWindow(helper);
    }

    // Set stores the index and sets the wallpaper; only with "Enable" chosen does it tell the helper and
    // write the Run value.
    void wallpaperSetTellsHelperOnlyWhenEnabled_data()
    {
        QTest::addColumn<int>("enable");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Disable") << 0 << QStringList();
        QTest::newRow("Enable") << 1 << QStringList{msg(HELPER_MSG_WALLPAPER_RELOAD)};
    }
    void wallpaperSetTellsHelperOnlyWhenEnabled()
    {
        QFETCH(int, enable);
        QFETCH(QStringList, messages);
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer("/th?id=OHR.Day_1.jpg"));
        archive->answer(QStringLiteral("/th?id=OHR.Day"), ArchiveServer::jpeg());
        AutoWallpaperChangerForm page;
        QTRY_VERIFY(!page.downloadRunning);
        HWND helper = recordingHelper();
        child<QComboBox>(&page, "wallpaperChangerComboBox")->setCurrentIndex(enable);
        posted();
        child<QPushButton>(&page, "wallpaperChangerImageButton")->click();
        QCOMPARE(posted(), messages);
        QCOMPARE(regString(RunKey, QStringLiteral("TransparentTaskbar")),
                 enable ? QStringLiteral("\"") + Install + QStringLiteral("\\Glasspan.exe\"") : QString());
        QCOMPARE(dword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex")), qint64(0));
        QCOMPARE(hostPath(deskwallpaper::current()), hostPath(downloadedImagePath));
        windowtable::destroyWindow(helper);
    }

    // A first preview that fails says so, with Reload offered; a later one that fails keeps the picture on
    // view, which stays settable: its file is never replaced by an answer that is no picture.
    void wallpaperFailedPreviews()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::NotFound);
        AutoWallpaperChangerForm page;
        QTRY_VERIFY(!page.downloadRunning);
        auto *image = child<QLabel>(&page, "wallpaperChangerImage");
        auto *set = child<QPushButton>(&page, "wallpaperChangerImageButton");
        auto *reload = child<QPushButton>(&page, "wallpaperChangerImageReloadButton");
        QVERIFY(image->text() != QStringLiteral("Downloading daily image from Microsoft Bing server..."));
        QVERIFY(image->text().contains(QStringLiteral("could not be downloaded")));
        QVERIFY(reload->isEnabled());
        QVERIFY(!set->isEnabled());

        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer("/th?id=OHR.Day_1.jpg"));
        archive->answer(QStringLiteral("/th?id=OHR.Day"), ArchiveServer::jpeg());
        reload->click();
        QTRY_VERIFY(!page.downloadRunning);
        QVERIFY(!image->pixmap().isNull());
        QVERIFY(set->isEnabled());

        archive->answer(QStringLiteral("/th?id=OHR.Day"), QByteArray("<html><body>Sign in</body></html>"));
        child<QToolButton>(&page, "wallpaperChangerBackToolButton")->click();
        QTRY_VERIFY(!page.downloadRunning);
        QVERIFY(reload->isEnabled());
        QVERIFY(set->isEnabled());
        set->click();
        QCOMPARE(dword(Root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("CurrentIndex")), qint64(0));
        QCOMPARE(hostPath(deskwallpaper::current()), hostPath(downloadedImagePath));
        QVERIFY(!QImage(hostPath(downloadedImagePath)).isNull());
    }

    // A close the main window refused after all: later downloads do not ask for it again.
    void wallpaperCloseAskedOnce()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::Silent);
        AutoWallpaperChangerForm page;
        page.show();
        QSignalSpy closing(&page, &AutoWallpaperChangerForm::closeApp);
        QVERIFY(page.downloadRunning);
        page.requestClose();
        QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 3000);
        page.show();
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer("/th?id=OHR.Day_1.jpg"));
        archive->answer(QStringLiteral("/th?id=OHR.Day"), ArchiveServer::jpeg());
        child<QPushButton>(&page, "wallpaperChangerImageReloadButton")->click();
        QVERIFY(page.downloadRunning);
        QTRY_VERIFY(!page.downloadRunning);
        QCOMPARE(closing.count(), 1);
        QVERIFY(page.isVisible());
    }

    // A close request during a download: the download ends early and the page lets the close go on.
    void wallpaperCloseDuringDownload()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::Silent);
        AutoWallpaperChangerForm page;
        QSignalSpy closing(&page, &AutoWallpaperChangerForm::closeApp);
        QVERIFY(page.downloadRunning);
        page.requestClose();
        QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 3000);
        QVERIFY(!page.downloadRunning);
    }

    void shortcutValidation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("note");
        const QString app = QStringLiteral("APP");
        const QString dir = QStringLiteral("DIR");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "Note: please enter application name.";
        QTest::newRow("name first") << "" << app << dir << "Note: please enter application name.";
        QTest::newRow("bad path") << "tool"
                                  << "/nonexistent/a.exe" << dir << "Note: please enter a correct aplication path.";
        QTest::newRow("bad path and location") << "tool"
                                               << ""
                                               << "/nonexistent"
                                               << "Note: please enter a correct aplication path.";
        QTest::newRow("bad location") << "tool" << app << "/nonexistent"
                                      << "Note: please enter a correct location where you want to create the shortcut.";
        QTest::newRow("folder as app") << "tool" << dir << dir << "";
        QTest::newRow("valid") << "tool" << app << dir << "";
    }

    void shortcutValidation()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, location);
        QFETCH(QString, note);
        const QString dir = m->folder() + QStringLiteral("/links");
        QVERIFY(QDir().mkpath(dir));
        const QString app = dir + QStringLiteral("/tool.exe");
        QFile(app).open(QIODevice::WriteOnly);
        path.replace(QStringLiteral("APP"), app).replace(QStringLiteral("DIR"), dir);
        location.replace(QStringLiteral("DIR"), dir);
        SmartShortcutForm page;
        QVERIFY(!page.createShortcutAction->isEnabled());
        child<QLineEdit>(&page, "appPathLineEdit")->setText(path);
        child<QLineEdit>(&page, "shortcutLocationLineEdit")->setText(location);
        child<QLineEdit>(&page, "appNameLineEdit")->setText(name);
        QCOMPARE(child<QLabel>(&page, "noteLabel")->text(), note);
        QCOMPARE(page.createShortcutAction->isEnabled(), note.isEmpty());
    }

    // The link written reads back through the shell link object: launcher, folder, arguments and icon.
    void shortcutLinkReadsBack_data()
    {
        QTest::addColumn<int>("priority");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("normal, no parameters") << 2 << ""
                                               << "0,2,APP,";
        QTest::newRow("high with commas") << 4 << "-x,-y"
                                          << "0,4,APP,-x,-y";
        QTest::newRow("low") << 0 << "--quiet"
                             << "0,0,APP,--quiet";
    }

    void shortcutLinkReadsBack()
    {
        QFETCH(int, priority);
        QFETCH(QString, parameters);
        QFETCH(QString, arguments);
        // The page is given Windows paths, as its file and folder browsers give them.
        const QString hostDir = m->folder() + QStringLiteral("/links");
        QVERIFY(QDir().mkpath(hostDir));
        QVERIFY(QFile(hostDir + QStringLiteral("/my.tool.exe")).open(QIODevice::WriteOnly));
        const QString dir = fromHostPath(hostDir);
        const QString app = dir + QStringLiteral("\\my.tool.exe");
        arguments.replace(QStringLiteral("APP"), app);
        SmartShortcutForm page;
        child<QLineEdit>(&page, "appPathLineEdit")->setText(app);
        child<QLineEdit>(&page, "appNameLineEdit")->setText(QStringLiteral("Tool"));
        child<QLineEdit>(&page, "appParamLineEdit")->setText(parameters);
        child<QLineEdit>(&page, "shortcutLocationLineEdit")->setText(dir);
        child<QComboBox>(&page, "appPriorityComboBox")->setCurrentIndex(priority);
        QVERIFY(page.createShortcutAction->isEnabled());
        page.createShortcutAction->trigger();

        IShellLinkW *link = nullptr;
        QVERIFY(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void **>(&link))));
        IPersistFile *file = nullptr;
        QVERIFY(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))));
        const QString linkPath = dir + QStringLiteral("\\Tool.lnk");
        QVERIFY(QFileInfo::exists(hostPath(linkPath)));
        QVERIFY(SUCCEEDED(file->Load(wstr(linkPath), STGM_READ)));
        WCHAR text[1024];
        QVERIFY(SUCCEEDED(link->GetArguments(text, 1024)));
        QCOMPARE(fromWide(text), arguments);
        QVERIFY(SUCCEEDED(link->GetPath(text, 1024, nullptr, 0)));
        // The target is kept as a volume path: the same file, whichever form the system gives it back in.
        QCOMPARE(hostPath(fromWide(text)), hostPath(Install + QStringLiteral("\\Hopsteer.exe")));
        QVERIFY(SUCCEEDED(link->GetWorkingDirectory(text, 1024)));
        QCOMPARE(fromWide(text), QStringLiteral("C:/Apps/Hushdeck"));
        int icon = -1;
        QVERIFY(SUCCEEDED(link->GetIconLocation(text, 1024, &icon)));
        QCOMPARE(fromWide(text), app);
        QCOMPARE(icon, 0);
        file->Release();
        link->Release();
    }

    // The wallpaper tab fetches its preview when turned to, once at a time; its Reload does nothing.
    void miscToolsWallpaperTab()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::NotFound);
        MiscToolsForm page;
        QCOMPARE(page.tabWidget->currentIndex(), 0);
        QCOMPARE(page.tabWidget->tabText(1), QStringLiteral("Auto Wallpaper Changer"));
        QVERIFY(!page.wallpaperChanger->downloadRunning);
        page.tabWidget->setCurrentIndex(1);
        QVERIFY(page.wallpaperChanger->downloadRunning);
        // Away and back while it runs: nothing new.
        page.tabWidget->setCurrentIndex(2);
        page.tabWidget->setCurrentIndex(1);
        QTRY_VERIFY(!page.wallpaperChanger->downloadRunning);
        QCOMPARE(archive->count(QStringLiteral("/HPImageArchive")), 1);
        auto *reload = child<QPushButton>(page.wallpaperChanger, "wallpaperChangerImageReloadButton");
        QVERIFY(reload->isEnabled());
        reload->click();
        QVERIFY(!page.wallpaperChanger->downloadRunning);
        page.tabWidget->setCurrentIndex(0);
        page.tabWidget->setCurrentIndex(1);
        QTRY_VERIFY(!page.wallpaperChanger->downloadRunning);
        QCOMPARE(archive->count(QStringLiteral("/HPImageArchive")), 2);
    }

    // Destroyed during a download that never answers: the page stops the download and waits for its thread.
    void miscToolsDestroyedDuringDownload()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::Silent);
        auto page = std::make_unique<MiscToolsForm>();
        page->tabWidget->setCurrentIndex(1);
        QTRY_COMPARE(archive->count(QStringLiteral("/HPImageArchive")), 1);
        QPointer<QThread> thread = page->wallpaperChanger->findChild<QThread *>();
        QVERIFY(thread && thread->isRunning());
        QElapsedTimer clock;
        clock.start();
        page.reset();
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!thread);
    }

    // On the Track Cleaner tab only the File Explorer and Run boxes decide whether Analyze and Clear are offered.
    void miscToolsTrackCleanerButtons_data()
    {
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<bool>("offered");
        QTest::newRow("windows boxes only") << QStringList{"WindowsTempFiles", "WindowsLogFiles"} << false;
        QTest::newRow("run dialog") << QStringList{"WindowsRunDialog"} << true;
        QTest::newRow("recent files and temp") << QStringList{"FileExplorerRecentFiles", "WindowsTempFiles"} << true;
        QTest::newRow("none") << QStringList() << false;
    }

    void miscToolsTrackCleanerButtons()
    {
        QFETCH(QStringList, checked);
        QFETCH(bool, offered);
        MiscToolsForm page;
        const QStringList all = {"FileExplorerRecentFiles", "FileExplorerTypedPaths", "FileExplorerSearchHistory",
                                 "WindowsRunDialog",        "WindowsTempFiles",       "WindowsLogFiles",
                                 "WindowsErrorReporting",   "WindowsNetworkData"};
        auto box = [&](const QString &kind) {
            return page.trackCleaner->findChild<QCheckBox *>(QStringLiteral("TrackCleaner") + kind +
                                                             QStringLiteral("CheckBox"));
        };
        for (const QString &kind : all)
            box(kind)->setChecked(false);
        for (const QString &kind : checked)
            box(kind)->setChecked(true);
        auto *analyze = page.trackCleaner->findChild<QPushButton *>(QStringLiteral("TrackCleanerAnalyzeButton"));
        auto *clear = page.trackCleaner->findChild<QPushButton *>(QStringLiteral("TrackCleanerClearButton"));
        QCOMPARE(analyze->isEnabled(), offered);
        QCOMPARE(clear->isEnabled(), offered);
        // A Windows box toggled afterwards leaves both as they are.
        box(QStringLiteral("WindowsNetworkData"))->toggle();
        QCOMPARE(analyze->isEnabled(), offered);
        QCOMPARE(clear->isEnabled(), offered);
    }
};

QTEST_MAIN(TestAutomationPages)
#include "tst_automationpages.moc"
