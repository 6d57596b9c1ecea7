// Basic edition: a translucent taskbar, drawn by the helper program. Setting 8 is the level the helper
// gets, setting 12 whether transparency is on.
#pragma once

#include "choicesetting.h"
#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class TransparentTaskbarForm;
}

class TransparentTaskbarForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TransparentTaskbarForm(QWidget *parent = nullptr);
    ~TransparentTaskbarForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);
    void loadSetting() override;

private slots:
    void on_GlasspanComboBox_currentIndexChanged(int index);
    void on_GlasspanHorizontalSlider_valueChanged(int value);
    void on_GlasspanLineEdit_textChanged(const QString &text);
    void on_GlasspanPushButton_clicked();

private:
    IntStore levelStore();
    IntStore enableStore();
    bool switchOn();
    bool switchOff();
    // The level only counts while transparency is on.
    void followEnable();

    // The level the taskbar has without the helper, and what restoring an absent level tells the helper.
    const int defaultLevel = 255;
    Ui::TransparentTaskbarForm *ui;
    NumberSetting level;  // 8
    ChoiceSetting enable; // 12
};
