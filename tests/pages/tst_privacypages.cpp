// The Privacy pages: the telemetry service as the page sees it through the Service Control Manager (its
// status line, absent or refusing service, what a change and a restore write, the buffer of each query),
// and telemetry levels and advertising values that have no choice.
#include "linux/machine/localmemory.h"
#include "settingcases.h"
#include "testmachine.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const SettingCase &service()
{
    return settingCase(302);
}

void storeStartType(unsigned startType)
{
    setRegistryValue(fullKey(service()), QStringLiteral("Start"), REG_DWORD, dwordData(startType));
}

QString statusLine(QWidget *page)
{
    return child<QLabel>(page, "diagTrackStatLabel")->text();
}

} // namespace

class TestPrivacyPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void theStatusLineNamesStateAndStartType_data()
    {
        QTest::addColumn<QString>("fault"); // "function:error[:calls let through]", or a case below
        QTest::addColumn<unsigned>("startType");
        QTest::addColumn<unsigned>("state");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("oldValue");
        const QString unknown = QStringLiteral("Status:  ");
        QTest::newRow("auto, running") << "" << 2u << 4u << "Status: running auto start"
                                       << "2";
        QTest::newRow("demand, stopped") << "" << 3u << 1u << "Status: stopped demand start"
                                         << "3";
        QTest::newRow("disabled, stopped") << "" << 4u << 1u << "Status: stopped disabled"
                                           << "4";
        QTest::newRow("boot, paused") << "" << 0u << 7u << "Status: paused boot start"
                                      << "0";
        QTest::newRow("start pending") << "" << 2u << 2u << "Status: start pending auto start"
                                       << "2";
        QTest::newRow("outside the tables") << "" << 9u << 8u << unknown << "9";
        QTest::newRow("no service") << "absent" << 2u << 4u << unknown << "0";
        QTest::newRow("not elevated") << "user" << 2u << 4u << unknown << "0";
        QTest::newRow("manager refused") << "OpenSCManagerW:5" << 2u << 4u << unknown << "0";
        QTest::newRow("service refused") << "OpenServiceW:5" << 2u << 4u << unknown << "0";
        QTest::newRow("status refused") << "QueryServiceStatusEx:5" << 2u << 4u << unknown << "0";
        QTest::newRow("size probe refused") << "QueryServiceConfigW:5" << 2u << 4u << unknown << "0";
        QTest::newRow("second query refused") << "QueryServiceConfigW:5:1" << 2u << 4u << unknown << "0";
    }
    void theStatusLineNamesStateAndStartType()
    {
        QFETCH(QString, fault);
        QFETCH(unsigned, startType);
        QFETCH(unsigned, state);
        QFETCH(QString, line);
        QFETCH(QString, oldValue);
        storeStartType(startType);
        m->setServiceState(QStringLiteral("DiagTrack"), state);
        if (fault == QLatin1String("absent"))
            makeAbsent(service());
        else if (fault == QLatin1String("user"))
            m->setElevated(false);
        else if (!fault.isEmpty())
            m->failServiceCall(fault.section(':', 0, 0), fault.section(':', 1, 1).toUInt(),
                               fault.section(':', 2, 2).toInt());

        const qint64 blocks = localmemory::liveBlocks();
        ManageTelemetryForm page;
        QCOMPARE(statusLine(&page), line);
        QCOMPARE(localmemory::liveBlocks(), blocks); // the configuration's buffer went back
        // Only auto start shows "Enable"; the reported start type is the one the service gave.
        auto *combo = child<QComboBox>(&page, "diagTrackComboBox");
        QCOMPARE(combo->currentIndex(), oldValue == QLatin1String("2") ? 1 : 0);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        combo->setCurrentIndex(1 - combo->currentIndex());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(3).toString(), oldValue);
        QCOMPARE(spy.last().at(4).toBool(), false);
        QCOMPARE(spy.last().at(5).toString(), oldValue == QLatin1String("2")
                                                  ? QStringLiteral("Enable diagtrack service at startup (default).")
                                                  : QStringLiteral("Disable diagtrack service at startup."));
    }

    void disablingKeepsARunningServiceRunning()
    {
        storeStartType(2);
        m->setServiceState(QStringLiteral("DiagTrack"), SERVICE_RUNNING);
        unsigned pid = 0;
        m->serviceState(QStringLiteral("DiagTrack"), &pid);
        ManageTelemetryForm page;
        child<QComboBox>(&page, "diagTrackComboBox")->setCurrentIndex(0);
        QVERIFY(page.writeData(302, false, false, QString()));
        QCOMPARE(storedValue(service()), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(3)}));
        unsigned pidAfter = 0;
        QCOMPARE(m->serviceState(QStringLiteral("DiagTrack"), &pidAfter), unsigned(SERVICE_RUNNING));
        QCOMPARE(pidAfter, pid);
        QCOMPARE(statusLine(&page), QStringLiteral("Status: running demand start"));
    }

    void restoringWritesTheRecordedStartType_data()
    {
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<bool>("removeValue");
        QTest::addColumn<unsigned>("written");
        QTest::addColumn<QString>("line");
        QTest::newRow("auto") << "2" << false << 2u << "Status: running auto start";
        QTest::newRow("demand") << "3" << false << 3u << "Status: running demand start";
        QTest::newRow("disabled") << "4" << false << 4u << "Status: running disabled";
        QTest::newRow("disabled, marked absent") << "4" << true << 4u << "Status: running disabled";
        QTest::newRow("boot start") << "0" << false << 3u << "Status: running demand start";
        QTest::newRow("system start") << "1" << false << 3u << "Status: running demand start";
        QTest::newRow("not a number, refused") << "auto" << false << 2u << "Status: running auto start";
    }
    void restoringWritesTheRecordedStartType()
    {
        QFETCH(QString, recorded);
        QFETCH(bool, removeValue);
        QFETCH(unsigned, written);
        QFETCH(QString, line);
        const bool refused = recorded == QLatin1String("auto"); // the start type it had stays
        storeStartType(written == 2 && !refused ? 3 : 2);
        ManageTelemetryForm page;
        QCOMPARE(page.writeData(302, true, removeValue, recorded), !refused);
        QCOMPARE(storedValue(service()), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(written)}));
        QCOMPARE(statusLine(&page), line);
        page.loadSetting();
        QCOMPARE(child<QComboBox>(&page, "diagTrackComboBox")->currentIndex(), written == 2 ? 1 : 0);
    }

    void aRefusedChangeLeavesTheServiceAndSaysSo_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("change refused") << "ChangeServiceConfigW";
        QTest::newRow("manager refused") << "OpenSCManagerW";
    }
    void aRefusedChangeLeavesTheServiceAndSaysSo()
    {
        QFETCH(QString, fault);
        storeStartType(3);
        ManageTelemetryForm page;
        child<QComboBox>(&page, "diagTrackComboBox")->setCurrentIndex(1);
        // The page's own status query opens the manager too: only the change's opening fails.
        m->failServiceCall(fault, ERROR_ACCESS_DENIED);
        QVERIFY(!page.writeData(302, false, false, QString()));
        m->failServiceCall(fault, 0);
        QCOMPARE(storedValue(service()), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(3)}));
        page.loadSetting();
        QCOMPARE(child<QComboBox>(&page, "diagTrackComboBox")->currentIndex(), 0);
    }

    void valuesWithoutAChoice_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint32>("stored");
        QTest::addColumn<QString>("oldDesc");
        QTest::newRow("telemetry 0") << 301 << 0u << "Enable telemetry and data collection (default).";
        QTest::newRow("telemetry 4") << 301 << 4u << "Enable telemetry and data collection (default).";
        QTest::newRow("advertising 2") << 300 << 2u
                                       << "Let apps show me personalized ads by using my advertising ID (Default).";
    }
    void valuesWithoutAChoice()
    {
        QFETCH(int, id);
        QFETCH(quint32, stored);
        QFETCH(QString, oldDesc);
        const SettingCase &c = settingCase(id);
        setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(stored));
        std::unique_ptr<SettingPage> page(c.create());
        QCOMPARE(shownValue(page.get(), c), -1);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        showValue(page.get(), c, 0);
        QCOMPARE(spy.last().at(3).toString(), QString::number(stored));
        QCOMPARE(spy.last().at(5).toString(), oldDesc);
        // Nothing is shown, so nothing is written from the control; a restore writes the number back.
        showValue(page.get(), c, -1);
        QVERIFY(!page->writeSetting(id, false, false, QString()));
        QVERIFY(page->writeSetting(id, true, false, QString::number(stored)));
        QCOMPARE(storedValue(c), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(stored)}));
    }
};

QTEST_MAIN(TestPrivacyPages)
#include "tst_privacypages.moc"
