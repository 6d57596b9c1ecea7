// The contract every setting page keeps, checked once for every setting of the page table's
// pages: what an absent value shows and reports, a change and back, Set Default on the default, the three
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
    QTemporaryDir noInstall;

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
        // A page that starts the helper finds no program to run: the start is only recorded.
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(noInstall.path()));
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
        QCOMPARE(e.isDefault, absentIsMissing(c));
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
        // A default kept as an absent key is a missing value.
        QCOMPARE(away.isDefault, absentIsMissing(c) && !storedValue(c));
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
        const char *fe = "File Explorer";
        QTest::newRow("600 hide") << 600 << 0 << "Hide file extensions in File Explorer (default)." << fe;
        QTest::newRow("600 show") << 600 << 1 << "Show file extensions in File Explorer." << fe;
        QTest::newRow("601 show") << 601 << 0 << "Show hidden files, folders and drives in File Explorer." << fe;
        QTest::newRow("601 hide") << 601 << 1
                                  << "Don't show hidden files, folders and drives in File Explorer (default)." << fe;
        QTest::newRow("602 off") << 602 << 0 << "Disable the old File Explorer toolbar style (default)." << fe;
        QTest::newRow("602 on") << 602 << 1 << "Enable the old File Explorer toolbar style." << fe;
        QTest::newRow("603 name") << 603 << 0 << "Show folder name only on the File Explorer title bar (default)."
                                  << fe;
        QTest::newRow("603 path") << 603 << 1 << "Show full folder path on the File Explorer title bar." << fe;
        QTest::newRow("604 show") << 604 << 1
                                  << "Show Quick access icons from File Explorer's navigation pane (default)." << fe;
        QTest::newRow("604 hide") << 604 << 0 << "Hide Quick access icons from File Explorer's navigation pane." << fe;
        QTest::newRow("605 show") << 605 << 1 << "Show OneDrive icons from File Explorer's navigation pane (default)."
                                  << fe;
        QTest::newRow("606 hide") << 606 << 0 << "Hide Network icons from File Explorer's navigation pane." << fe;
        QTest::newRow("607 show") << 607 << 1 << "Show the Desktop folder from This PC (default)." << fe;
        QTest::newRow("608 hide") << 608 << 0 << "Hide the Documents folder from This PC." << fe;
        QTest::newRow("609 hide") << 609 << 0 << "Hide the Downloads folder from This PC." << fe;
        QTest::newRow("610 hide") << 610 << 0 << "Hide the Music folder from This PC." << fe;
        QTest::newRow("611 hide") << 611 << 0 << "Hide the Pictures folder from This PC." << fe;
        QTest::newRow("612 hide") << 612 << 0 << "Hide the Videos folder from This PC." << fe;
        QTest::newRow("613 show") << 613 << 1 << "Show the 3D Objects folder from This PC (default)." << fe;
        QTest::newRow("613 hide") << 613 << 0 << "Hide the 3D Objects folder from This PC." << fe;
        QTest::newRow("620 show") << 620 << 1
                                  << "Show All Control Panel items in the Devices and drives section of This PC." << fe;
        QTest::newRow("621 hide") << 621 << 0
                                  << "Hide Control Panel in the Devices and drives section of This PC (default)." << fe;
        QTest::newRow("622 show") << 622 << 1 << "Show Recycle Bin in the Devices and drives section of This PC." << fe;
        QTest::newRow("0 small") << 0 << 0 << "Set Windows 11 taskbar size to small."
                                 << "Taskbar";
        QTest::newRow("0 medium") << 0 << 1 << "Set Windows 11 taskbar size to medium (default)."
                                  << "Taskbar";
        QTest::newRow("0 large") << 0 << 2 << "Set Windows 11 taskbar size to large."
                                 << "Taskbar";
        QTest::newRow("1 left") << 1 << 0 << "Set Windows 11 taskbar alignment to left."
                                << "Taskbar";
        QTest::newRow("1 center") << 1 << 1 << "Set Windows 11 taskbar alignment to center (default)."
                                  << "Taskbar";
        QTest::newRow("2 off") << 2 << 0 << "Disable quick switch to the last opened window (default)."
                               << "Taskbar";
        QTest::newRow("2 on") << 2 << 1 << "Enable quick switch to the last opened window."
                              << "Taskbar";
        QTest::newRow("3 hide") << 3 << 0 << "Hide Widgets icon on the taskbar"
                                << "Taskbar";
        QTest::newRow("3 show") << 3 << 1 << "Show Widgets icon on the taskbar (default)"
                                << "Taskbar";
        QTest::newRow("4 hide") << 4 << 0 << "Hide Chat icon on the taskbar"
                                << "Taskbar";
        QTest::newRow("5 show") << 5 << 1 << "Show Task view icon on the taskbar (default)"
                                << "Taskbar";
        QTest::newRow("6 hide") << 6 << 0 << "Hide Search icon on the taskbar"
                                << "Taskbar";
        QTest::newRow("7 left") << 7 << 0 << "Set taskbar position to the left of the screen."
                                << "Taskbar";
        QTest::newRow("7 top") << 7 << 1 << "Set taskbar position to the top of the screen."
                               << "Taskbar";
        QTest::newRow("7 right") << 7 << 2 << "Set taskbar position to the right of the screen."
                                 << "Taskbar";
        QTest::newRow("7 bottom") << 7 << 3 << "Set taskbar position to the bottom of the screen (default)."
                                  << "Taskbar";
        QTest::newRow("8 default") << 8 << 255 << "Set taskbar transparency level to 255 (default)."
                                   << "Taskbar";
        QTest::newRow("8 other") << 8 << 128 << "Set taskbar transparency level to 128."
                                 << "Taskbar";
        QTest::newRow("9 always") << 9 << 0 << "Set grouped icons feature in the taskbar to always combine (default)."
                                  << "Taskbar";
        QTest::newRow("9 full") << 9 << 1 << "Set grouped icons feature in the taskbar to combine when taskbar is full."
                                << "Taskbar";
        QTest::newRow("9 never") << 9 << 2 << "Set grouped icons feature in the taskbar to never combine."
                                 << "Taskbar";
        QTest::newRow("10 default") << 10 << 400
                                    << "Set Amount of time before displaying a thumbnail preview to 400 milliseconds "
                                       "(default)."
                                    << "Taskbar";
        QTest::newRow("10 other") << 10 << 30000
                                  << "Set Amount of time before displaying a thumbnail preview to 30000 milliseconds."
                                  << "Taskbar";
        QTest::newRow("11 one") << 11 << 0 << "Display notification area icons in one rows (Default)."
                                << "Taskbar";
        QTest::newRow("11 two") << 11 << 1 << "Display notification area icons in two rows."
                                << "Taskbar";
        QTest::newRow("12 off") << 12 << 0 << "Disable transparency effect on taskbar (default)."
                                << "Taskbar";
        QTest::newRow("12 on") << 12 << 1 << "Enable transparency effect on taskbar."
                               << "Taskbar";
        QTest::newRow("13 off") << 13 << 0 << "Don't show second in the Taskbar Clock (Default)."
                                << "System";
        QTest::newRow("13 on") << 13 << 1 << "Show second in the Taskbar Clock."
                               << "System";
        QTest::newRow("300 no") << 300 << 0 << "Don't let apps show me personalized ads by using my advertising ID."
                                << "Privacy";
        QTest::newRow("300 yes") << 300 << 1
                                 << "Let apps show me personalized ads by using my advertising ID (Default)."
                                 << "Privacy";
        QTest::newRow("301 basic") << 301 << 0 << "Disable telemetry and data collection."
                                   << "Privacy";
        QTest::newRow("301 enhanced") << 301 << 1 << "Enable telemetry and data collection (default)."
                                      << "Privacy";
        QTest::newRow("301 full") << 301 << 2 << "Enable telemetry and data collection (default)."
                                  << "Privacy";
        QTest::newRow("302 disable") << 302 << 0 << "Disable diagtrack service at startup."
                                     << "Privacy";
        QTest::newRow("302 enable") << 302 << 1 << "Enable diagtrack service at startup (default)."
                                    << "Privacy";
        QTest::newRow("700") << 700 << 1 << "Change the computer manufacturer information to \"Contoso 1\"."
                             << "OEM Info";
        QTest::newRow("700 empty") << 700 << 0 << "Change the computer manufacturer information to \"\"."
                                   << "OEM Info";
        QTest::newRow("701") << 701 << 2 << "Change the computer support hours information to \"Contoso 2\"."
                             << "OEM Info";
        QTest::newRow("702") << 702 << 1 << "Change the computer support phone information to \"Contoso 1\"."
                             << "OEM Info";
        QTest::newRow("703") << 703 << 1 << "Change the computer support URL information to \"Contoso 1\"."
                             << "OEM Info";
        QTest::newRow("704") << 704 << 3 << "Change the computer model information to \"Contoso 3\"."
                             << "OEM Info";
        QTest::newRow("705") << 705 << 1 << "Change the registered owner information to \"Contoso 1\"."
                             << "OEM Info";
        QTest::newRow("706") << 706 << 1 << "Change the registered organization information to \"Contoso 1\"."
                             << "OEM Info";
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

        // The same sentence describes the value once it is stored (a page built anew reads it: the service
        // page asks the service at construction, not at every load).
        storeShown(c, shown);
        auto again = build(c);
        QSignalSpy againSpy(again.get(), &SettingPage::settingChanged);
        showValue(again.get(), c, elsewhere);
        QVERIFY(!emissionsFor(againSpy, id).isEmpty());
        QCOMPARE(emissionsFor(againSpy, id).last().oldDesc, desc);
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
            // A record marked for removal, of the default and of the other value.
            QTest::newRow(qPrintable(id + " stored, marked remove"))
                << c.id << true << true << QStringLiteral("stored");
            QTest::newRow(qPrintable(id + " other stored, marked remove"))
                << c.id << true << true << QStringLiteral("other");
        }
    }
    void writeModes()
    {
        QFETCH(int, id);
        QFETCH(bool, fromStored);
        QFETCH(bool, removeValue);
        QFETCH(QString, storedValue);
        const SettingCase &c = settingCase(id);
        QString stored = storedValue;
        std::optional<RegValue> expected = encodedShown(c, c.otherShown);
        if (stored == QLatin1String("other")) {
            // The other value as a page reports it when it is the stored one.
            storeShown(c, c.otherShown);
            auto before = build(c);
            QSignalSpy spy(before.get(), &SettingPage::settingChanged);
            showValue(before.get(), c, c.defaultShown);
            stored = emissionsFor(spy, id).last().oldValue;
        }
        storeShown(c, c.defaultShown);
        auto page = build(c);
        showValue(page.get(), c, c.otherShown);
        // A restore hands back the stored value as the page reported it.
        if (stored == QLatin1String("stored")) {
            expected = encodedShown(c, c.defaultShown);
            QSignalSpy spy(page.get(), &SettingPage::settingChanged);
            showValue(page.get(), c, c.defaultShown);
            showValue(page.get(), c, c.otherShown);
            stored = emissionsFor(spy, id).last().oldValue;
        } else if (stored == QLatin1String("abc")) {
            // A text page writes the text back as it is; a number page refuses what it could never have given.
            expected = c.encoding == Encoding::Text
                           ? std::optional<RegValue>(RegValue{REG_SZ, registrystore::stringData(stored)})
                           : encodedShown(c, c.defaultShown);
        }

        lowerOneShotFlags();
        const bool refused = stored == QLatin1String("abc") && c.encoding != Encoding::Text && !removeValue;
        QCOMPARE(page->writeSetting(id, fromStored, removeValue, stored), !refused);

        const std::optional<RegValue> now = ::storedValue(c);
        std::optional<RegValue> want = expected;
        // The taskbar's blob stays as it is; a setting that is never absent takes the recorded value; the
        // others as a restore of an absent value leaves them.
        if (fromStored && removeValue && (c.encoding == Encoding::EdgeByte || c.encoding == Encoding::RowsByte))
            want = encodedShown(c, stored.toInt());
        else if (fromStored && removeValue && !restoreRemoves(c))
            want = storedValue == QLatin1String("5") ? encodedShown(c, 0) : expected; // 5 is no "on" of theirs
        else if (fromStored && removeValue)
            want = afterRemove(c);
        QCOMPARE(now, want);
        QCOMPARE(themeRefreshPending, c.flag == &themeRefreshPending);
        QCOMPARE(shellRefreshPending, c.flag == &shellRefreshPending);
        QCOMPARE(restartExplorerPending, c.flag == &restartExplorerPending);
    }

    // A backup record is text from a file: only a number the setting could have reported is written.
    void aStoredValueTheSettingCannotGiveIsRefused_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("shown"); // what the page then shows; -1: refused, the registry as it was
        QTest::newRow("colour mode: not a number") << 400 << "garbage" << -1;
        QTest::newRow("colour mode: empty") << 400 << "" << -1;
        QTest::newRow("colour mode: hexadecimal") << 400 << "0x10" << -1;
        QTest::newRow("colour mode: beyond int") << 400 << "2147483648" << -1;
        QTest::newRow("colour mode: negative") << 400 << "-1" << -1;
        QTest::newRow("colour mode: blank before") << 400 << " 0" << -1;
        QTest::newRow("colour mode: dark") << 400 << "0" << 0;
        QTest::newRow("hung-app time-out: not a number") << 507 << "garbage" << -1;
        QTest::newRow("hung-app time-out: negative") << 507 << "-1" << -1;
        QTest::newRow("hung-app time-out: beyond the slider, as the system may hold it") << 507 << "20000" << 20000;
        QTest::newRow("border: beyond 32 bits") << 403 << "32212254720" << -1;
        QTest::newRow("border: negative") << 403 << "-2" << -1;
        QTest::newRow("border: slider's end") << 403 << "50" << 50;
        QTest::newRow("desktop icon: negative") << 200 << "-1" << -1;
        QTest::newRow("drive: neither shown nor hidden") << 632 << "2" << -1;
        QTest::newRow("taskbar edge: negative") << 7 << "-1" << -1;
    }
    void aStoredValueTheSettingCannotGiveIsRefused()
    {
        QFETCH(int, id);
        QFETCH(QString, stored);
        QFETCH(int, shown);
        const SettingCase &c = settingCase(id);
        storeShown(c, c.otherShown);
        auto page = build(c);
        const std::optional<RegValue> before = ::storedValue(c);
        QCOMPARE(page->writeSetting(id, true, false, stored), shown >= 0);
        QCOMPARE(::storedValue(c), shown >= 0 ? encodedShown(c, shown) : before);
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
        if (c.control == Control::DriveItem) {
            QCOMPARE(spy.count(), 0); // the drive tree is refilled with prepared items
        } else {
            QVERIFY(!emissionsFor(spy, id).isEmpty());
            const Emission e = emissionsFor(spy, id).last();
            QCOMPARE(e.desc, e.oldDesc);
        }
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
        const QList<int> pages = {400, 402, 403, 200, 205, 207, 600, 601, 602, 603, 604, 607, 620, 632};
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
        QTest::newRow("extensions") << 600 << "FILE EXTENSIONS" << true;
        QTest::newRow("extensions other") << 600 << "hidden" << false;
        QTest::newRow("hidden") << 601 << "Folders Drives" << true;
        QTest::newRow("toolbar") << 602 << "old file" << true;
        QTest::newRow("toolbar other") << 602 << "ribbon" << false;
        QTest::newRow("full path") << 603 << "full path file" << true;
        QTest::newRow("pane") << 604 << "onedrive network" << true;
        QTest::newRow("folders") << 607 << "3D OBJECTS" << true;
        QTest::newRow("folders other") << 607 << "recycle" << false;
        QTest::newRow("devices") << 620 << "recycle bin this pc" << true;
        QTest::newRow("drives") << 632 << "this pc file" << true;
        QTest::newRow("drives other") << 632 << "folders" << false;
        QTest::newRow("size") << 0 << "TASKBAR SIZE" << true;
        QTest::newRow("alignment") << 1 << "alignment" << true;
        QTest::newRow("app switch") << 2 << "switching behaviour" << true;
        QTest::newRow("items") << 3 << "chat icon task" << true;
        QTest::newRow("items other") << 3 << "clock" << false;
        QTest::newRow("position") << 7 << "position top" << true;
        QTest::newRow("transparency") << 8 << "effect taskbar" << true;
        QTest::newRow("ungroup") << 9 << "grouped icons" << true;
        QTest::newRow("thumbnails") << 10 << "thumbnail previews" << true;
        QTest::newRow("rows, full stop") << 11 << "two rows." << true;
        QTest::newRow("seconds") << 13 << "seconds taskbar" << true;
        QTest::newRow("seconds other") << 13 << "second in taskbar" << false;
        for (int id : {300, 301, 700, 704, 705})
            QTest::newRow(qPrintable(QString::number(id) + " empty")) << id << QString() << true;
        QTest::newRow("advertising") << 300 << "PERSONALIZED ads" << true;
        QTest::newRow("advertising other") << 300 << "telemetry" << false;
        QTest::newRow("telemetry") << 301 << "diagtrack SERVICE" << true;
        QTest::newRow("telemetry other") << 301 << "advertising" << false;
        QTest::newRow("oem") << 700 << "hours phone" << true;
        QTest::newRow("oem other") << 700 << "model" << false;
        QTest::newRow("model") << 704 << "MODEL information" << true;
        QTest::newRow("owner") << 705 << "winver" << true;
        QTest::newRow("owner other") << 705 << "oem" << false;
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
