// Basic edition: a translucent taskbar, drawn by the helper program. Setting 8 is the level the helper
// gets, setting 12 whether transparency is on.
#pragma once

#include "choicesetting.h"
#include "numbersetting.h"
#include "settingpage.h"

#include <optional>

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
    // What this page last asked for. The helper's window shows up only once the started program runs, and
    // stays while another of its features needs it, so after a write the request is the truth.
    std::optional<int> requested;
    Ui::TransparentTaskbarForm *ui;
    NumberSetting level;  // 8
    ChoiceSetting enable; // 12
};
