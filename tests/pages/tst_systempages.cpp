// The System pages: what is particular to them beyond the contract. The lock screen and its background,
// numbers beyond a slider's end, failed parameter reads, the sign-in message texts and the boot animation's
// default by Windows build.
#include "settingcases.h"
#include "testmachine.h"

#include "system/signinmessageform.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString personalization =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization");
const QString policies =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

QStringList items(QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

std::optional<RegValue> dword(quint32 v)
{
    return RegValue{REG_DWORD, dwordData(v)};
}

std::optional<RegValue> text(const QString &t)
{
    return RegValue{REG_SZ, registrystore::stringData(t)};
}

} // namespace

class TestSystemPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
    }
    void cleanup() { m.reset(); }

    void lockScreenCarriesItsBackground()
    {
        setRegistryValue(personalization, QStringLiteral("NoLockScreen"), REG_DWORD, dwordData(1));
        setRegistryValue(personalization, QStringLiteral("NoChangingLockScreen"), REG_DWORD, dwordData(0));
        LockScreenDisableForm page;
        auto *lock = child<QComboBox>(&page, "LockScreenDisableComboBox");
        auto *back = child<QComboBox>(&page, "ChangeLockScreenBackComboBox");
        auto *backDefault = child<QPushButton>(&page, "ChangeLockScreenBackPushButton");
        QCOMPARE(lock->currentIndex(), 0);
        QCOMPARE(back->currentIndex(), 1); // "Yes", greyed out
        QVERIFY(!back->isEnabled() && !backDefault->isEnabled());

        // The background value was read all the same: a restore of it puts back what the system held.
        deleteRegistryValue(personalization, QStringLiteral("NoChangingLockScreen"));
        QVERIFY(page.writeData(503, true, false, QStringLiteral("0")));
        QCOMPARE(registryValue(personalization, QStringLiteral("NoChangingLockScreen")), dword(0));
        deleteRegistryValue(personalization, QStringLiteral("NoChangingLockScreen"));

        // Lock screen back on: the background row comes back with the value read again (absent: the default).
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        lock->setCurrentIndex(1);
        QVERIFY(back->isEnabled() && backDefault->isEnabled());
        QCOMPARE(back->currentIndex(), 0);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 502);
        QCOMPARE(spy.at(1).at(0).toInt(), 503);
        const QString letChange = QStringLiteral("Let users change the Lock Screen Background (default).");
        QCOMPARE(spy.at(1).at(1).toString(), letChange);
        QCOMPARE(spy.at(1).at(5).toString(), letChange);
        QVERIFY(spy.at(1).at(4).toBool());
        QVERIFY(page.writeData(503, false, false, QString()));
        QCOMPARE(registryValue(personalization, QStringLiteral("NoChangingLockScreen")), dword(0));

        // Off again: "Yes" is shown, and applying it writes nothing while the lock screen stays off.
        lock->setCurrentIndex(0);
        QCOMPARE(back->currentIndex(), 1);
        QVERIFY(page.writeData(503, false, false, QString()));
        QCOMPARE(registryValue(personalization, QStringLiteral("NoChangingLockScreen")), dword(0));
        QVERIFY(page.writeData(502, false, false, QString()));
        QCOMPARE(registryValue(personalization, QStringLiteral("NoLockScreen")), dword(1));
        // A restore of an absent background deletes it, lock screen off or not.
        QVERIFY(page.writeData(503, true, true, QStringLiteral("0")));
        QVERIFY(!registryValue(personalization, QStringLiteral("NoChangingLockScreen")));
    }

    void aLockScreenValueOfTwoIsWrittenBackAsOne()
    {
        setRegistryValue(personalization, QStringLiteral("NoLockScreen"), REG_DWORD, dwordData(2));
        LockScreenDisableForm page;
        QCOMPARE(child<QComboBox>(&page, "LockScreenDisableComboBox")->currentIndex(), 0);
        QVERIFY(page.writeData(502, false, false, QString()));
        QCOMPARE(registryValue(personalization, QStringLiteral("NoLockScreen")), dword(1));
    }

    void timeoutBeyondTheSlider_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {507, 508, 509})
            QTest::newRow(qPrintable(QString::number(id))) << id;
    }
    void timeoutBeyondTheSlider()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        storeShown(c, 20000);
        TimeOutParamForm page;
        QCOMPARE(shownValue(&page, c), 7500);
        QCOMPARE(child<QLineEdit>(&page, qPrintable(numberField(c)))->text(), QStringLiteral("7500"));
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        showValue(&page, c, 7000);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("20000"));
        QVERIFY(spy.last().at(5).toString().endsWith(QLatin1String(" 20000 milliseconds.")));
        // Nothing is written unless the catalogue asks.
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, 20000)));
    }

    void aFailedReadShowsAndRestoresTheDefault_data() { timeoutBeyondTheSlider_data(); }
    void aFailedReadShowsAndRestoresTheDefault()
    {
        QFETCH(int, id);
        const SettingCase &c = settingCase(id);
        storeShown(c, 3000);
        m->failSystemParameter({readAction(c)});
        TimeOutParamForm page;
        QCOMPARE(shownValue(&page, c), 5000);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        showValue(&page, c, 100);
        QVERIFY(spy.last().at(4).toBool());
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("5000"));
        QVERIFY(spy.last().at(5).toString().endsWith(QLatin1String(" 5000 milliseconds (default).")));
        // The other two were read.
        for (int other : {507, 508, 509})
            if (other != id)
                QCOMPARE(shownValue(&page, settingCase(other)), 5000);
        QVERIFY(page.writeData(id, true, true, QStringLiteral("5000")));
        QCOMPARE(storedValue(c), std::optional<RegValue>(encodedShown(c, 5000)));
        // A refused write reaches the catalogue.
        m->failSystemParameter({readAction(c) + 1});
        QVERIFY(!page.writeData(id, false, false, QString()));
    }

    void iconCacheText_data()
    {
        QTest::addColumn<QString>("stored"); // "-" absent
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("oldDesc");
        QTest::addColumn<QString>("restored"); // "-" deleted
        QTest::newRow("absent") << "-" << 512 << "Set the amount of icon cache size to 512 kilobyte (default)."
                                << "-";
        // Text that is no number shows as 0, and is no value to restore: the change stays.
        QTest::newRow("letters") << "abc" << 0 << "Set the amount of icon cache size to 0 kilobyte."
                                 << "4096";
        QTest::newRow("beyond") << "20000" << 10240 << "Set the amount of icon cache size to 20000 kilobyte."
                                << "20000";
        QTest::newRow("default") << "512" << 512 << "Set the amount of icon cache size to 512 kilobyte (default)."
                                 << "512";
    }
    void iconCacheText()
    {
        QFETCH(QString, stored);
        QFETCH(int, shown);
        QFETCH(QString, oldDesc);
        QFETCH(QString, restored);
        const SettingCase &c = settingCase(506);
        if (stored == QLatin1String("-"))
            makeAbsent(c);
        else
            setRegistryValue(fullKey(c), QLatin1String(c.value), REG_SZ, registrystore::stringData(stored));
        IconCacheSizeForm page;
        QCOMPARE(shownValue(&page, c), shown);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        showValue(&page, c, 4096);
        QCOMPARE(spy.last().at(3).toString(), stored == QLatin1String("-") ? QString() : stored);
        QCOMPARE(spy.last().at(4).toBool(), stored == QLatin1String("-"));
        QCOMPARE(spy.last().at(5).toString(), oldDesc);
        QVERIFY(page.writeData(false, false, QString()));
        QCOMPARE(page.writeData(true, spy.last().at(4).toBool(), spy.last().at(3).toString()),
                 stored != QLatin1String("abc"));
        QCOMPARE(storedValue(c), restored == QLatin1String("-") ? std::nullopt : text(restored));
    }

    void signInMessage()
    {
        deleteRegistryValue(policies, QStringLiteral("legalnoticecaption"));
        setRegistryValue(policies, QStringLiteral("legalnoticetext"), REG_SZ,
                         registrystore::stringData(QStringLiteral("line one\nline two")));
        SignInMessageForm page;
        auto *title = child<QLineEdit>(&page, "SignInMessageTitleLineEdit");
        auto *content = child<QPlainTextEdit>(&page, "SignInMessageContentPlainTextEdit");
        QCOMPARE(content->toPlainText(), QStringLiteral("line one\nline two"));
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        title->setText(QStringLiteral("Notice"));
        QCOMPARE(spy.last().at(0).toInt(), 504);
        QCOMPARE(spy.last().at(1).toString(), QStringLiteral("Set sign-in message title to \"Notice\"."));
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Set sign-in message title to \"\"."));
        QVERIFY(spy.last().at(4).toBool());
        const QString oldText = spy.last().at(3).toString();

        // Clear Message empties both; Save stores two empty texts.
        child<QPushButton>(&page, "SignInMessagePushButton")->click();
        QCOMPARE(spy.last().at(0).toInt(), 505);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("line one\nline two"));
        QVERIFY(page.writeData(504, false, false, QString()) && page.writeData(505, false, false, QString()));
        QCOMPARE(registryValue(policies, QStringLiteral("legalnoticecaption")), text(QString()));
        QCOMPARE(registryValue(policies, QStringLiteral("legalnoticetext")), text(QString()));

        // Restores: the absent title is deleted, the text comes back with its line break.
        QVERIFY(page.writeData(504, true, true, oldText));
        QVERIFY(page.writeData(505, true, false, QStringLiteral("line one\nline two")));
        QVERIFY(!registryValue(policies, QStringLiteral("legalnoticecaption")));
        QCOMPARE(registryValue(policies, QStringLiteral("legalnoticetext")),
                 text(QStringLiteral("line one\nline two")));
        QVERIFY(!page.writeData(506, false, false, QString()));
    }

    // The box gives every line break back as LF: a reload of an unchanged text reports nothing, and a save
    // writes the line breaks the stored text had.
    void signInMessageLineBreaks_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("CR LF") << "line one\r\nline two\r\n"
                               << "line one\r\nline 2\r\nthree";
        QTest::newRow("LF") << "line one\nline two\n"
                            << "line one\nline 2\nthree";
        QTest::newRow("CR") << "line one\rline two\r"
                            << "line one\rline 2\rthree";
    }
    void signInMessageLineBreaks()
    {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        setRegistryValue(policies, QStringLiteral("legalnoticetext"), REG_SZ, registrystore::stringData(stored));
        SignInMessageForm page;
        auto *content = child<QPlainTextEdit>(&page, "SignInMessageContentPlainTextEdit");
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        page.loadSetting();
        page.reloadSetting(505);
        QCOMPARE(spy.count(), 0);

        content->setPlainText(QStringLiteral("line one\nline 2\nthree"));
        QCOMPARE(spy.last().at(3).toString(), stored);
        QVERIFY(page.writeData(505, false, false, QString()));
        QCOMPARE(registryValue(policies, QStringLiteral("legalnoticetext")), text(written));
        spy.clear();
        page.reloadSetting(505); // as after a save
        QCOMPARE(spy.count(), 0);
    }

    void bootAnimationByBuild_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<int>("setDefault");
        QTest::addColumn<QString>("sentence1");
        QTest::newRow("22000") << "22000"
                               << QStringList{"Disable New Boot Animation (default)", "Enable New Boot Animation"} << 0
                               << "Enable a new boot screen animation.";
        QTest::newRow("22621") << "22621"
                               << QStringList{"Disable New Boot Animation", "Enable New Boot Animation (default)"} << 1
                               << "Enable a new boot screen animation (default).";
    }
    void bootAnimationByBuild()
    {
        QFETCH(QString, build);
        QFETCH(QStringList, choices);
        QFETCH(int, setDefault);
        QFETCH(QString, sentence1);
        setRegistryValue(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                         QStringLiteral("CurrentBuildNumber"), REG_SZ, registrystore::stringData(build));
        makeAbsent(settingCase(500));
        BootScreenAnimationForm page;
        auto *combo = child<QComboBox>(&page, "BootScreenAnimationComboBox");
        QCOMPARE(items(combo), choices);
        QCOMPARE(combo->currentIndex(), 0); // absent: index 0 on every build
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        combo->setCurrentIndex(1);
        QCOMPARE(spy.last().at(1).toString(), sentence1);
        combo->setCurrentIndex(1 - setDefault);
        child<QPushButton>(&page, "BootScreenAnimationPushButton")->click();
        QCOMPARE(combo->currentIndex(), setDefault);
    }
};

QTEST_MAIN(TestSystemPages)
#include "tst_systempages.moc"
