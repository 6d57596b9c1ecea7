// The Desktop pages: texts, the icon values kept under two keys, and the icon spacing that the
// registry keeps as negative text.
#include "settingcases.h"
#include "testmachine.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString classicKey = QStringLiteral(
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\ClassicStartMenu");

} // namespace

class TestDesktopPages : public QObject
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

    void texts()
    {
        DesktopIconForm icons;
        QCOMPARE(child<QGroupBox>(&icons, "desktopIconGroupBox")->title(), QStringLiteral("Desktop Icon"));
        QCOMPARE(child<QCheckBox>(&icons, "usersFilesCheckBox")->text(), QStringLiteral("User's Files"));
        QVERIFY(!child<QLabel>(&icons, "controlPanelLabel")->pixmap().isNull());

        IconSpacingForm spacing;
        QCOMPARE(child<QLabel>(&spacing, "iconSpacingDescLabel")->text(),
                 QStringLiteral("Change desktop icon spacing  (need restart)"));
        QCOMPARE(child<QSpinBox>(&spacing, "iconSpacingVSpinBox")->maximum(), 2000);

        WinVersionOnDesktopForm version;
        QCOMPARE(child<QGroupBox>(&version, "WinVersionGroupBox")->title(),
                 QStringLiteral("Windows version and build number on the Desktop"));
        QCOMPARE(child<QLabel>(&version, "WinVersionDescLabel")->text(),
                 QStringLiteral("Show or hide Windows version and build number on the Desktop, "));
        auto *combo = child<QComboBox>(&version, "WinVersionComboBox");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Disable (Default)"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Enable"));
    }

    void anIconValueOfTwoIsHidden()
    {
        const SettingCase &c = settingCase(202);
        setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(2));
        DesktopIconForm page;
        QVERIFY(!child<QCheckBox>(&page, c.controlName)->isChecked());
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QCheckBox>(&page, c.controlName)->setChecked(true);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("2"));
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Hide Network icon on the desktop (default)."));
    }

    void iconValuesAreWrittenUnderBothKeys()
    {
        const SettingCase &c = settingCase(203);
        storeShown(c, 0);
        DesktopIconForm page;
        child<QCheckBox>(&page, c.controlName)->setChecked(true);
        page.writeData(203, false, false, QString());
        QCOMPARE(storedValue(c), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(0)}));
        QCOMPARE(registryValue(classicKey, QLatin1String(c.value)),
                 std::optional<RegValue>(RegValue{REG_DWORD, dwordData(0)}));
        QVERIFY(shellRefreshPending);

        // Restoring an absent value deletes it from both keys.
        page.writeData(203, true, true, QStringLiteral("0"));
        QVERIFY(!storedValue(c));
        QVERIFY(!registryValue(classicKey, QLatin1String(c.value)));
        // A value already absent counts as restored.
        QVERIFY(page.writeSetting(203, true, true, QString()));
    }

    void setDefaultReportsTheIconsThatChangeInOrder()
    {
        for (int id = 200; id <= 204; ++id)
            storeShown(settingCase(id), 1);
        DesktopIconForm page;
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QPushButton>(&page, "DesktopIconPushButton")->click();
        QList<int> ids;
        for (const QList<QVariant> &args : spy)
            ids << args.at(0).toInt();
        QCOMPARE(ids, (QList<int>{200, 201, 202, 204}));
    }

    void spacingReadsNegativeText_data()
    {
        QTest::addColumn<QString>("text"); // "-" for absent
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("oldValue");
        QTest::addColumn<QString>("oldDesc");
        QTest::newRow("-750") << "-750" << 750 << "750"
                              << "Change desktop horizontal icon spacing to 750.";
        QTest::newRow("positive") << "300" << 1125 << "1125"
                                  << "Change desktop horizontal icon spacing to 1125 (default).";
        QTest::newRow("not a number") << "wide" << 0 << "0"
                                      << "Change desktop horizontal icon spacing to 0.";
        QTest::newRow("absent") << "-" << 0 << "0"
                                << "Change desktop horizontal icon spacing to 1125 (default).";
        QTest::newRow("-3000") << "-3000" << 2000 << "3000"
                               << "Change desktop horizontal icon spacing to 3000.";
    }
    void spacingReadsNegativeText()
    {
        QFETCH(QString, text);
        QFETCH(int, shown);
        QFETCH(QString, oldValue);
        QFETCH(QString, oldDesc);
        const SettingCase &c = settingCase(205);
        if (text == QLatin1String("-"))
            makeAbsent(c);
        else
            setRegistryValue(fullKey(c), QLatin1String(c.value), REG_SZ, registrystore::stringData(text));
        IconSpacingForm page;
        QCOMPARE(child<QSpinBox>(&page, c.controlName)->value(), shown);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QSpinBox>(&page, c.controlName)->setValue(shown == 100 ? 101 : 100);
        QCOMPARE(spy.last().at(3).toString(), oldValue);
        QCOMPARE(spy.last().at(5).toString(), oldDesc);
        QCOMPARE(spy.last().at(4).toBool(), text == QLatin1String("-"));
    }

    void spacingSetDefaultReportsHorizontalThenVertical()
    {
        storeShown(settingCase(205), 500);
        storeShown(settingCase(206), 600);
        IconSpacingForm page;
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QPushButton>(&page, "iconSpacingPushButton")->click();
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 205);
        QCOMPARE(spy.at(1).at(0).toInt(), 206);
    }

    void spacingZeroIsWrittenWithoutASign()
    {
        IconSpacingForm page;
        child<QSpinBox>(&page, "iconSpacingHSpinBox")->setValue(0);
        page.writeData(205, false, false, QString());
        QCOMPARE(storedValue(settingCase(205)),
                 std::optional<RegValue>(RegValue{REG_SZ, registrystore::stringData(QStringLiteral("0"))}));
        page.writeData(206, true, false, QStringLiteral("980"));
        QCOMPARE(storedValue(settingCase(206)),
                 std::optional<RegValue>(RegValue{REG_SZ, registrystore::stringData(QStringLiteral("-980"))}));
        QVERIFY(!shellRefreshPending && !themeRefreshPending && !restartExplorerPending);
    }
};

QTEST_MAIN(TestDesktopPages)
#include "tst_desktoppages.moc"
