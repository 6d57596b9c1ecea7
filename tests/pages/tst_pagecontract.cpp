// The contract every setting page keeps, checked once for every setting of the catalogue's tabs: what an absent value
// shows and reports, a change and back, Set Default on the default, the three ways of writing, the one-shot flags and
// the keyword search.
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

} // namespace

class TestPageContract : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

    void addSettingRows()
    {
        QTest::addColumn<int>("id");
        for (const SettingCase &c : settingCases())
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
        QVERIFY(spy.count() >= 1);
        const Emission e = emission(spy.last());
        QCOMPARE(e.index, id);
        // A service always has a start type, so its setting is never reported missing.
        QCOMPARE(e.isDefault, c.encoding != Encoding::ServiceStart);
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
        QCOMPARE(spy.count(), 1);
        const Emission away = emission(spy.takeFirst());
        QCOMPARE(away.index, id);
        QVERIFY(!away.isDefault);
        QVERIFY(away.desc != away.oldDesc);

        showValue(page.get(), c, c.defaultShown);
        QCOMPARE(spy.count(), 1);
        const Emission back = emission(spy.takeFirst());
        QCOMPARE(back.index, id);
        QCOMPARE(back.desc, back.oldDesc);
        QCOMPARE(back.oldDesc, away.oldDesc);
        QCOMPARE(back.oldValue, away.oldValue);
        // Nothing reaches the system until the catalogue asks.
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, c.defaultShown)));
    }

    void setDefaultOnTheDefaultEmitsNothing_data()
    {
        // Text pages have no Set Default.
        QTest::addColumn<int>("id");
        for (const SettingCase &c : settingCases())
            if (c.defaultButton)
                QTest::newRow(qPrintable(QString::number(c.id))) << c.id;
    }
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
        QVERIFY(spy.count() >= 1);
        const Emission e = emission(spy.last());
        QCOMPARE(e.index, id);
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
        QVERIFY(!spy.isEmpty());
        const Emission now = emission(spy.last());
        QCOMPARE(now.index, id);
        QCOMPARE(now.desc, desc);
        QCOMPARE(now.location, location);

        // The same sentence describes the value once it is stored (a page built anew reads it: the service
        // page asks the service at construction, not at every load).
        storeShown(c, shown);
        auto again = build(c);
        QSignalSpy againSpy(again.get(), &SettingPage::settingChanged);
        showValue(again.get(), c, elsewhere);
        QVERIFY(!againSpy.isEmpty());
        QCOMPARE(emission(againSpy.last()).oldDesc, desc);
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
            stored = emission(spy.last()).oldValue;
        } else if (stored == QLatin1String("abc")) {
            // The raw value 0; a start type that is none becomes demand start.
            expectedShown = c.encoding == Encoding::InvertedDword ? 1 : c.encoding == Encoding::DwordFromOne ? -1 : 0;
        }

        lowerOneShotFlags();
        QVERIFY(page->writeSetting(id, fromStored, removeValue, stored));

        const std::optional<RegValue> now = ::storedValue(c);
        if (fromStored && removeValue) {
            if (c.encoding == Encoding::BorderTwips)
                QCOMPARE(now, std::optional<RegValue>(encodedShown(c, 1))); // a parameter is set to its default
            else if (c.encoding == Encoding::ServiceStart)
                QCOMPARE(now, std::optional<RegValue>(encodedShown(c, 0))); // "5" is no start type: demand start
            else
                QVERIFY(!now);
        } else if (fromStored && storedValue == QLatin1String("abc") && c.encoding == Encoding::Text) {
            QCOMPARE(now, std::optional<RegValue>(RegValue{REG_SZ, registrystore::stringData(storedValue)}));
        } else {
            QCOMPARE(now, std::optional<RegValue>(encodedShown(c, expectedShown)));
        }
        QCOMPARE(themeRefreshPending, c.flag == &themeRefreshPending);
        QCOMPARE(shellRefreshPending, c.flag == &shellRefreshPending);
        QVERIFY(!restartExplorerPending);
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
        QVERIFY(spy.count() >= 1);
        const Emission e = emission(spy.last());
        QCOMPARE(e.desc, e.oldDesc);
        spy.clear();
        page->loadSetting(); // nothing changes, nothing is reported
        QCOMPARE(spy.count(), 0);
    }

    void numberFieldClamps_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reported");
        QTest::newRow("75") << "75" << 50;
        QTest::newRow("-3") << "-3" << 0;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("12") << "12" << 12;
    }
    void numberFieldClamps()
    {
        QFETCH(QString, typed);
        QFETCH(int, reported);
        const SettingCase &c = settingCase(403);
        storeShown(c, 20);
        auto page = build(c);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        child<QLineEdit>(page.get(), "TitleBarSizeLineEdit")->setText(typed);
        QCOMPARE(child<QSlider>(page.get(), c.controlName)->value(), reported);
        QVERIFY(spy.count() >= 1);
        for (const QList<QVariant> &args : spy)
            QCOMPARE(emission(args).desc, QStringLiteral("Set the size of windows's title bar to %1.").arg(reported));
        QVERIFY(page->writeSetting(403, false, false, QString()));
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
