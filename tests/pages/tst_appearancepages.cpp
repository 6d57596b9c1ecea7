// The Appearance pages: their texts and choices, and the cases particular to them.
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
        lowerOneShotFlags();
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

    void reloadingShowsTheNumberOverTypedText()
    {
        storeShown(settingCase(403), 0);
        TitleBarSizeForm page;
        auto *field = child<QLineEdit>(&page, "TitleBarSizeLineEdit");
        field->setText(QStringLiteral("wide")); // counts as 0, where the slider stands already
        QCOMPARE(field->text(), QStringLiteral("wide"));
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        page.loadSetting();
        QCOMPARE(field->text(), QStringLiteral("0"));
        QCOMPARE(spy.last().at(1).toString(), spy.last().at(5).toString());
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
