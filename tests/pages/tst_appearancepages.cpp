// The Appearance pages: their texts, choices and sentences, and the cases particular to them.
#include "settingcases.h"
#include "testmachine.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestAppearancePages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

    static QStringList items(QComboBox *combo)
    {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        themeRefreshPending = shellRefreshPending = restartExplorerPending = false;
    }
    void cleanup() { m.reset(); }

    void texts()
    {
        WindowsColorModeForm mode;
        QCOMPARE(mode.objectName(), QStringLiteral("WindowsColorModeForm"));
        QCOMPARE(child<QGroupBox>(&mode, "WindowsColorModeGroupBox")->title(), QStringLiteral("Color Mode"));
        QCOMPARE(child<QLabel>(&mode, "AppColorModeDescLabel")->text(),
                 QStringLiteral("Change the colors that appear in your apps"));
        QVERIFY(!child<QLabel>(&mode, "WindowsColorModeImage2")->pixmap().isNull());
        QCOMPARE(child<QLabel>(&mode, "WindowsColorModeImage2")->text(), QString());
        const QStringList darkLight = {QStringLiteral("Dark"), QStringLiteral("Light (Default)")};
        QCOMPARE(items(child<QComboBox>(&mode, "WindowsColorModeComboBox")), darkLight);
        QCOMPARE(items(child<QComboBox>(&mode, "AppColorModeComboBox")), darkLight);

        AccentColorOnTitleBarsForm accent;
        QCOMPARE(child<QGroupBox>(&accent, "AccentColorOnTitleBarsGroupBox")->title(),
                 QStringLiteral("Accent Color on Title Bars"));
        QCOMPARE(child<QLabel>(&accent, "AccentColorOnTitleBarsDescLabel2")->text(),
                 QStringLiteral("Only effect WIn32 app's title bar, for example, Microsoft Edge."));
        QCOMPARE(items(child<QComboBox>(&accent, "AccentColorOnTitleBarsComboBox")),
                 (QStringList{QStringLiteral("Off (default)"), QStringLiteral("On")}));

        TitleBarSizeForm size;
        QCOMPARE(child<QGroupBox>(&size, "TitleBarSizeGroupBox")->title(), QStringLiteral("Title Bar Size"));
        QCOMPARE(child<QLabel>(&size, "TitleBarSizeDescLabel2")->text(), QStringLiteral("Default value: 1"));
        auto *slider = child<QSlider>(&size, "TitleBarSizeHorizontalSlider");
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 50);
        QCOMPARE(child<QLineEdit>(&size, "TitleBarSizeLineEdit")->maximumWidth(), 32);
        QCOMPARE(child<QPushButton>(&size, "TitleBarSizePushButton")->text(), QStringLiteral("Set Default"));
    }

    void sentences_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("desc");
        QTest::newRow("400 dark") << 400 << 0 << "Change the colors that appear in Windows to dark.";
        QTest::newRow("400 light") << 400 << 1 << "Change the colors that appear in Windows to light (default).";
        QTest::newRow("401 dark") << 401 << 0 << "Change the colors that appear in your apps to dark.";
        QTest::newRow("401 light") << 401 << 1 << "Change the colors that appear in your apps to light (default).";
        QTest::newRow("402 off") << 402 << 0 << "Don't use accent color on title bars and windows borders (default).";
        QTest::newRow("402 on") << 402 << 1 << "Use accent color on title bars and windows borders.";
        QTest::newRow("403 default") << 403 << 1 << "Set the size of windows's title bar to 1 (default).";
        QTest::newRow("403 other") << 403 << 0 << "Set the size of windows's title bar to 0.";
    }
    void sentences()
    {
        QFETCH(int, id);
        QFETCH(int, shown);
        QFETCH(QString, desc);
        const SettingCase &c = settingCase(id);
        storeShown(c, shown == 1 ? 0 : 1);
        std::unique_ptr<SettingPage> page(c.create());
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        showValue(page.get(), c, shown);
        QVERIFY(!spy.isEmpty());
        QCOMPARE(spy.last().at(1).toString(), desc);
        QCOMPARE(spy.last().at(2).toString(), QStringLiteral("Appearance"));

        // The same sentence describes the value once it is stored.
        storeShown(c, shown);
        page->loadSetting();
        showValue(page.get(), c, shown == 1 ? 0 : 1);
        QCOMPARE(spy.last().at(5).toString(), desc);
    }

    void aValueWithoutAChoiceLeavesTheComboEmpty()
    {
        const SettingCase &c = settingCase(400);
        setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(5));
        WindowsColorModeForm page;
        auto *combo = child<QComboBox>(&page, "WindowsColorModeComboBox");
        QCOMPARE(combo->currentIndex(), -1);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        combo->setCurrentIndex(0);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("5"));
        QCOMPARE(spy.last().at(5).toString(),
                 QStringLiteral("Change the colors that appear in Windows to light (default)."));

        // Shown empty again, nothing is written: -1 is no value of the setting.
        page.loadSetting();
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(!page.writeSetting(400, false, false, QString()));
        page.writeData(400, false, false, QString());
        QCOMPARE(storedValue(c), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(5)}));
    }

    void colorModeWritesOnlyItsTwoValues()
    {
        WindowsColorModeForm page;
        child<QComboBox>(&page, "WindowsColorModeComboBox")->setCurrentIndex(0);
        child<QComboBox>(&page, "AppColorModeComboBox")->setCurrentIndex(0);
        page.writeData(401, false, false, QString());
        QCOMPARE(storedValue(settingCase(401)), std::optional<RegValue>(encodedShown(settingCase(401), 0)));
        QCOMPARE(storedValue(settingCase(400)), std::optional<RegValue>(encodedShown(settingCase(400), 1)));
        page.writeData(402, false, false, QString());
        page.writeData(0, false, false, QString());
        QCOMPARE(storedValue(settingCase(400)), std::optional<RegValue>(encodedShown(settingCase(400), 1)));
        QVERIFY(!themeRefreshPending && !shellRefreshPending && !restartExplorerPending);
    }

    void accentColorRaisesTheThemeRefreshOnEveryPath_data()
    {
        QTest::addColumn<bool>("fromStored");
        QTest::addColumn<bool>("removeValue");
        QTest::newRow("apply") << false << false;
        QTest::newRow("restore") << true << false;
        QTest::newRow("delete") << true << true;
    }
    void accentColorRaisesTheThemeRefreshOnEveryPath()
    {
        QFETCH(bool, fromStored);
        QFETCH(bool, removeValue);
        AccentColorOnTitleBarsForm page;
        page.writeData(fromStored, removeValue, QStringLiteral("1"));
        QVERIFY(themeRefreshPending);
        QVERIFY(!shellRefreshPending && !restartExplorerPending);
    }

    void typedNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("desc");
        QTest::newRow("75 clamps") << "75" << 50 << "50"
                                   << "Set the size of windows's title bar to 50.";
        QTest::newRow("1 is the default") << "1" << 1 << "1"
                                          << "Set the size of windows's title bar to 1 (default).";
        QTest::newRow("text") << "x" << 0 << "0"
                              << "Set the size of windows's title bar to 0.";
    }
    void typedNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(int, slider);
        QFETCH(QString, field);
        QFETCH(QString, desc);
        storeShown(settingCase(403), 7);
        TitleBarSizeForm page;
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QLineEdit>(&page, "TitleBarSizeLineEdit")->setText(typed);
        QCOMPARE(child<QSlider>(&page, "TitleBarSizeHorizontalSlider")->value(), slider);
        QCOMPARE(child<QLineEdit>(&page, "TitleBarSizeLineEdit")->text(), field);
        QCOMPARE(spy.last().at(0).toInt(), 403);
        QCOMPARE(spy.last().at(1).toString(), desc);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("7"));
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Set the size of windows's title bar to 7."));
    }

    void aBorderAboveTheSliderKeepsTheStoredSize()
    {
        storeShown(settingCase(403), 60);
        TitleBarSizeForm page;
        QCOMPARE(child<QSlider>(&page, "TitleBarSizeHorizontalSlider")->value(), 50);
        QCOMPARE(child<QLineEdit>(&page, "TitleBarSizeLineEdit")->text(), QStringLiteral("50"));
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QLineEdit>(&page, "TitleBarSizeLineEdit")->setText(QStringLiteral("3"));
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("60"));
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Set the size of windows's title bar to 60."));
        QVERIFY(!spy.last().at(4).toBool());
    }

    void aFailedSystemCallShowsTheDefaultSize()
    {
        storeShown(settingCase(403), 9);
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(SPI_GETBORDER));
        TitleBarSizeForm page;
        QCOMPARE(child<QSlider>(&page, "TitleBarSizeHorizontalSlider")->value(), 1);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QLineEdit>(&page, "TitleBarSizeLineEdit")->setText(QStringLiteral("9"));
        QVERIFY(spy.last().at(4).toBool());
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("1"));
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Set the size of windows's title bar to 1 (default)."));
        // Restoring such a change writes the default size.
        page.writeData(true, true, QStringLiteral("1"));
        QCOMPARE(storedValue(settingCase(403)), std::optional<RegValue>(encodedShown(settingCase(403), 1)));
        QCOMPARE(m->logged(QStringLiteral("SettingChange")).size(), 1);
        QVERIFY(!themeRefreshPending && !shellRefreshPending && !restartExplorerPending);
    }
};

QTEST_MAIN(TestAppearancePages)
#include "tst_appearancepages.moc"
