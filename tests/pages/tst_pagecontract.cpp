// The contract every setting page keeps, checked once for every setting of the Appearance and Desktop
// tabs: what an absent value shows and reports, a change and back, Set Default on the default, the three
// ways of writing, the one-shot flags and the keyword search.
#include "settingcases.h"
#include "testmachine.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

struct Emission
{
    int index;
    QString desc;
    QString location;
    QString oldValue;
    bool isDefault;
    QString oldDesc;
};

Emission emission(const QList<QVariant> &args)
{
    return {args.at(0).toInt(),    args.at(1).toString(), args.at(2).toString(),
            args.at(3).toString(), args.at(4).toBool(),   args.at(5).toString()};
}

// The emissions for one setting: a change on one setting of a page may also report a setting that
// follows it.
QList<Emission> emissionsFor(const QSignalSpy &spy, int id)
{
    QList<Emission> out;
    for (const QList<QVariant> &args : spy)
        if (args.at(0).toInt() == id)
            out << emission(args);
    return out;
}

} // namespace

class TestPageContract : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

    void addSettingRows(bool withDefaultButton = false)
    {
        QTest::addColumn<int>("id");
        for (const SettingCase &c : settingCases())
            if (!withDefaultButton || c.defaultButton)
                QTest::newRow(qPrintable(QString::number(c.id))) << c.id;
    }

    std::unique_ptr<SettingPage> build(const SettingCase &c) { return std::unique_ptr<SettingPage>(c.create()); }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
    }
    void cleanup()
    {
        m.reset();
        lowerOneShotFlags();
    }

    void absentValueShowsThePresetAndRecordsNothing_data() { addSettingRows(); }
    void absentValueShowsThePresetAndRecordsNothing()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        makeAbsent(c);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        QCOMPARE(shownValue(page.get(), c), c.preset);
        QCOMPARE(spy.count(), 0);

        // The missing flag travels with the next change.
        showValue(page.get(), c, c.otherShown == c.preset ? c.defaultShown : c.otherShown);
        QVERIFY(!emissionsFor(spy, id).isEmpty());
        const Emission e = emissionsFor(spy, id).last();
        QCOMPARE(e.index, id);
        QVERIFY(e.isDefault);
        QCOMPARE(e.oldValue, QString::fromLatin1(c.presetOld));
        QCOMPARE(e.location, page->location());
    }

    void aChangeAndBackEndsWithTheStoredDescription_data() { addSettingRows(); }
    void aChangeAndBackEndsWithTheStoredDescription()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        storeShown(c, c.defaultShown);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);

        showValue(page.get(), c, c.otherShown);
        QCOMPARE(emissionsFor(spy, id).size(), 1);
        const Emission away = emissionsFor(spy, id).first();
        spy.clear();
        QCOMPARE(away.index, id);
        QVERIFY(!away.isDefault);
        QVERIFY(away.desc != away.oldDesc);

        showValue(page.get(), c, c.defaultShown);
        QCOMPARE(emissionsFor(spy, id).size(), 1);
        const Emission back = emissionsFor(spy, id).first();
        QCOMPARE(back.index, id);
        QCOMPARE(back.desc, back.oldDesc);
        QCOMPARE(back.oldDesc, away.oldDesc);
        QCOMPARE(back.oldValue, away.oldValue);
        // Nothing reaches the system until the catalogue asks.
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, c.defaultShown)));
    }

    void setDefaultOnTheDefaultEmitsNothing_data() { addSettingRows(true); }
    void setDefaultOnTheDefaultEmitsNothing()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        // Every setting of the page at its default, so a shared button has nothing to change either.
        for (const SettingCase &other : settingCases())
            storeShown(other, other.defaultShown);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        child<QPushButton>(page.get(), c.defaultButton)->click();
        QCOMPARE(spy.count(), 0);

        showValue(page.get(), c, c.otherShown);
        spy.clear();
        child<QPushButton>(page.get(), c.defaultButton)->click();
        QCOMPARE(shownValue(page.get(), c), c.defaultShown);
        QVERIFY(!emissionsFor(spy, id).isEmpty());
        const Emission e = emissionsFor(spy, id).last();
        QCOMPARE(e.desc, e.oldDesc);
    }

    void sentences_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("desc");
        QTest::addColumn<QString>("location");
        QTest::newRow("400 dark") << 400 << 0 << "Change the colors that appear in Windows to dark."
                                  << "Appearance";
        QTest::newRow("400 light") << 400 << 1 << "Change the colors that appear in Windows to light (default)."
                                   << "Appearance";
        QTest::newRow("401 dark") << 401 << 0 << "Change the colors that appear in your apps to dark."
                                  << "Appearance";
        QTest::newRow("401 light") << 401 << 1 << "Change the colors that appear in your apps to light (default)."
                                   << "Appearance";
        QTest::newRow("402 off") << 402 << 0 << "Don't use accent color on title bars and windows borders (default)."
                                 << "Appearance";
        QTest::newRow("402 on") << 402 << 1 << "Use accent color on title bars and windows borders."
                                << "Appearance";
        QTest::newRow("403 default") << 403 << 1 << "Set the size of windows's title bar to 1 (default)."
                                     << "Appearance";
        QTest::newRow("403 other") << 403 << 0 << "Set the size of windows's title bar to 0."
                                   << "Appearance";
        QTest::newRow("200 show") << 200 << 1 << "Show Computer icon on the desktop."
                                  << "Desktop";
        QTest::newRow("200 hide") << 200 << 0 << "Hide Computer icon on the desktop (default)."
                                  << "Desktop";
        QTest::newRow("201 show") << 201 << 1 << "Show User's Files icon on the desktop."
                                  << "Desktop";
        QTest::newRow("202 hide") << 202 << 0 << "Hide Network icon on the desktop (default)."
                                  << "Desktop";
        QTest::newRow("203 show") << 203 << 1 << "Show Recycle Bin icon on the desktop (default)."
                                  << "Desktop";
        QTest::newRow("203 hide") << 203 << 0 << "Hide Recycle Bin icon on the desktop."
                                  << "Desktop";
        QTest::newRow("204 show") << 204 << 1 << "Show Control Panel icon on the desktop."
                                  << "Desktop";
        QTest::newRow("205 default") << 205 << 1125 << "Change desktop horizontal icon spacing to 1125 (default)."
                                     << "Desktop";
        QTest::newRow("205 other") << 205 << 750 << "Change desktop horizontal icon spacing to 750."
                                   << "Desktop";
        QTest::newRow("206 other") << 206 << 0 << "Change desktop vertical icon spacing to 0."
                                   << "Desktop";
        QTest::newRow("207 off") << 207 << 0 << "Don't show Windows version and build number on the Desktop (default)."
                                 << "Desktop";
        QTest::newRow("207 on") << 207 << 1 << "Show Windows version and build number on the Desktop."
                                << "Desktop";
        const QList<std::tuple<int, int, const char *, const char *>> more = {
            {100, 0, "Disable the new Windows 11 Snap Assist flyout.", "Others"},
            {100, 1, "Enable the new Windows 11 Snap Assist flyout (default).", "Others"},
            {102, 400, "Set menu show delay value to 400 (default).", "Others"},
            {102, 200, "Set menu show delay value to 200.", "Others"},
            {103, 0, "Disable Game Mode feature.", "Others"},
            {103, 1, "Enable Game Mode feature (default).", "Others"},
            {104, 1, "Set the screenshot counter to \"1\".", "Others"},
            {104, 250, "Set the screenshot counter to \"250\".", "Others"},
            {106, 0, "Disable Bing search results in the Start menu.", "Others"},
            {106, 1, "Enable Bing search results in the Start menu (default).", "Others"},
            {107, 0, "Disable Cortana service.", "System"},
            {107, 1, "Enable Cortana service (Default).", "System"},
            {500, 0, "Disable a new boot screen animation.", "System"},
            {500, 1, "Enable a new boot screen animation (default).", "System"},
            {501, 0, "Disable verbose status messages (default).", "System"},
            {501, 1, "Enable verbose status messages.", "System"},
            {502, 0, "Disable lock screen.", "System"},
            {502, 1, "Enable lock screen (default).", "System"},
            {503, 0, "Let users change the Lock Screen Background (default).", "System"},
            {503, 1, "Prevent users from changing the Lock Screen Background.", "System"},
            {506, 512, "Set the amount of icon cache size to 512 kilobyte (default).", "System"},
            {506, 4096, "Set the amount of icon cache size to 4096 kilobyte.", "System"},
            {507, 5000,
             "Set Amount of time before system considers a thread unresponsive to 5000 milliseconds (default).",
             "System"},
            {507, 3000, "Set Amount of time before system considers a thread unresponsive to 3000 milliseconds.",
             "System"},
            {508, 2000,
             "Set Amount of time that the system must wait before terminating an unresponsive application to 2000 "
             "milliseconds.",
             "System"},
            {509, 5000,
             "Set Amount of time that the system must wait before terminating an unresponsive service to 5000 "
             "milliseconds (default).",
             "System"},
            {510, 0, "Show the Task Manager Option (Default).", "System"},
            {510, 1, "Hide the Task Manager Option.", "System"},
            {511, 0, "Disable Virtualization-based Security (default).", "System"},
            {511, 1, "Enable Virtualization-based Security.", "System"},
            {512, 0, "Disable automatic Windows updates.", "System"},
            {512, 1, "Enable automatic Windows updates (default).", "System"},
        };
        for (const auto &[id, shown, desc, location] : more)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(id).arg(shown)))
                << id << shown << QString::fromUtf8(desc) << QString::fromLatin1(location);
    }
    void sentences()
    {
        QFETCH(int, id);
        QFETCH(int, shown);
        QFETCH(QString, desc);
        QFETCH(QString, location);
        const SettingCase &c = settingCase(id);
        const int elsewhere = shown == c.defaultShown ? c.otherShown : c.defaultShown;
        storeShown(c, elsewhere);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        showValue(page.get(), c, shown);
        QVERIFY(!emissionsFor(spy, id).isEmpty());
        const Emission now = emissionsFor(spy, id).last();
        QCOMPARE(now.desc, desc);
        QCOMPARE(now.location, location);

        // The same sentence describes the value once it is stored.
        storeShown(c, shown);
        page->loadSetting();
        showValue(page.get(), c, elsewhere);
        QCOMPARE(emissionsFor(spy, id).last().oldDesc, desc);
    }

    void writeModes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("fromStored");
        QTest::addColumn<bool>("removeValue");
        QTest::addColumn<QString>("storedValue");
        for (const SettingCase &c : settingCases()) {
            const QString id = QString::number(c.id);
            QTest::newRow(qPrintable(id + " restore absent")) << c.id << true << true << QStringLiteral("5");
            QTest::newRow(qPrintable(id + " control, remove ignored")) << c.id << false << true << QString();
            QTest::newRow(qPrintable(id + " control")) << c.id << false << false << QString();
            QTest::newRow(qPrintable(id + " stored number")) << c.id << true << false << QStringLiteral("stored");
            QTest::newRow(qPrintable(id + " stored text")) << c.id << true << false << QStringLiteral("abc");
        }
    }
    void writeModes()
    {
        QFETCH(int, id);
        QFETCH(bool, fromStored);
        QFETCH(bool, removeValue);
        QFETCH(QString, storedValue);
        const SettingCase &c = settingCase(id);
        storeShown(c, c.defaultShown);
        auto page = build(c);
        showValue(page.get(), c, c.otherShown);
        // A restore hands back the stored value as the page reported it.
        QString stored = storedValue;
        int expectedShown = c.otherShown;
        if (stored == QLatin1String("stored")) {
            expectedShown = c.defaultShown;
            QSignalSpy spy(page.get(), &SettingPage::settingChanged);
            showValue(page.get(), c, c.defaultShown);
            showValue(page.get(), c, c.otherShown);
            stored = emissionsFor(spy, id).last().oldValue;
        } else if (stored == QLatin1String("abc")) {
            // The raw value 0; a page that keeps the choice takes it as choice 0.
            expectedShown = c.encoding == Encoding::InvertedDword ? 1 : 0;
        }

        lowerOneShotFlags();
        QVERIFY(page->writeSetting(id, fromStored, removeValue, stored));

        const std::optional<RegValue> now = ::storedValue(c);
        if (fromStored && removeValue) {
            if (readAction(c)) // a parameter is set to its default
                QCOMPARE(now, std::optional<RegValue>(encodedShown(c, c.defaultShown)));
            else
                QVERIFY(!now);
        } else {
            QCOMPARE(now, std::optional<RegValue>(encodedShown(c, expectedShown)));
        }
        QCOMPARE(themeRefreshPending, c.flag == &themeRefreshPending);
        QCOMPARE(shellRefreshPending, c.flag == &shellRefreshPending);
        QCOMPARE(restartExplorerPending, c.flag == &restartExplorerPending);
    }

    void anIdThePageDoesNotOwnWritesNothing_data() { addSettingRows(); }
    void anIdThePageDoesNotOwnWritesNothing()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        storeShown(c, c.defaultShown);
        auto page = build(c);
        showValue(page.get(), c, c.otherShown);
        lowerOneShotFlags();
        QVERIFY(!page->writeSetting(299, false, false, QString()));
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, c.defaultShown)));
        // A page with a flag raises it whatever the id.
        QCOMPARE(themeRefreshPending, c.flag == &themeRefreshPending);
        QCOMPARE(shellRefreshPending, c.flag == &shellRefreshPending);
        QCOMPARE(restartExplorerPending, c.flag == &restartExplorerPending);
    }

    void reloadingShowsTheSystemAndReportsTheStoredDescription_data() { addSettingRows(); }
    void reloadingShowsTheSystemAndReportsTheStoredDescription()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        storeShown(c, c.defaultShown);
        auto page = build(c);
        showValue(page.get(), c, c.otherShown);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        page->loadSetting();
        QCOMPARE(shownValue(page.get(), c), c.defaultShown);
        QVERIFY(!emissionsFor(spy, id).isEmpty());
        const Emission e = emissionsFor(spy, id).last();
        QCOMPARE(e.desc, e.oldDesc);
        spy.clear();
        page->loadSetting(); // nothing changes, nothing is reported
        QCOMPARE(spy.count(), 0);
    }

    void numberFieldClamps_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reported");
        QTest::addColumn<QString>("desc");
        const QString titleBar = QStringLiteral("Set the size of windows's title bar to %1.");
        QTest::newRow("75") << 403 << "75" << 50 << titleBar.arg(50);
        QTest::newRow("-3") << 403 << "-3" << 0 << titleBar.arg(0);
        QTest::newRow("text") << 403 << "abc" << 0 << titleBar.arg(0);
        QTest::newRow("12") << 403 << "12" << 12 << titleBar.arg(12);
        QTest::newRow("menu 500") << 102 << "500" << 400 << "Set menu show delay value to 400 (default).";
        QTest::newRow("menu text") << 102 << "abc" << 0 << "Set menu show delay value to 0.";
        QTest::newRow("icon cache 12000")
            << 506 << "12000" << 10240 << "Set the amount of icon cache size to 10240 kilobyte.";
        QTest::newRow("service 9000")
            << 509 << "9000" << 7500
            << "Set Amount of time that the system must wait before terminating an unresponsive service to 7500 "
               "milliseconds.";
    }
    void numberFieldClamps()
    {
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(int, reported);
        QFETCH(QString, desc);
        const SettingCase &c = settingCase(id);
        storeShown(c, 20);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        child<QLineEdit>(page.get(), qPrintable(numberField(c)))->setText(typed);
        QCOMPARE(child<QSlider>(page.get(), c.controlName)->value(), reported);
        QVERIFY(spy.count() >= 1);
        for (const QList<QVariant> &args : spy)
            QCOMPARE(emission(args).desc, desc);
        QVERIFY(page->writeSetting(id, false, false, QString()));
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, reported)));
    }

    void keywords_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        const QList<int> pages = {400, 402, 403, 200, 205, 207};
        for (int id : pages)
            QTest::newRow(qPrintable(QString::number(id) + " empty")) << id << QString() << true;
        QTest::newRow("colour mode capitals") << 400 << "APPLICATIONS WIN" << true;
        QTest::newRow("colour mode other") << 400 << "accent" << false;
        QTest::newRow("accent mixed") << 402 << "WIN32 title" << true;
        QTest::newRow("title bar") << 403 << "bar size" << true;
        QTest::newRow("title bar other") << 403 << "border" << false;
        QTest::newRow("desktop icons") << 200 << "RECYCLE bin" << true;
        QTest::newRow("spacing") << 205 << "Vertical Spacing" << true;
        QTest::newRow("spacing other") << 205 << "recycle" << false;
        QTest::newRow("version") << 207 << "build" << true;
        QTest::newRow("version whole string") << 207 << "build version windows number desktop" << true;
        QTest::newRow("version longer") << 207 << "build version windows number desktop!" << false;
        QTest::newRow("cortana") << 107 << "SEARCH task" << true;
        QTest::newRow("boot ends in a full stop") << 500 << "animation." << true;
        QTest::newRow("time-outs end in a blank") << 507 << "service " << true;
        QTest::newRow("time-outs other") << 507 << "services" << false;
        QTest::newRow("lock screen") << 502 << "screen back" << true;
    }
    void keywords()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        auto page = build(settingCase(id));
        QCOMPARE(page->matchesKeyword(text), matches);
    }
};

QTEST_MAIN(TestPageContract)
#include "tst_pagecontract.moc"
