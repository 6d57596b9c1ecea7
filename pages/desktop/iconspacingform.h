// Horizontal (205) and vertical (206) desktop icon spacing. The registry keeps each as the text of a
// negative number; the page shows it as a positive one.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class IconSpacingForm;
}

class IconSpacingForm : public SettingPage
{
    Q_OBJECT

public:
    explicit IconSpacingForm(QWidget *parent = nullptr);
    ~IconSpacingForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_iconSpacingHSpinBox_valueChanged(int value);
    void on_iconSpacingVSpinBox_valueChanged(int value);
    void on_iconSpacingPushButton_clicked();

private:
    Ui::IconSpacingForm *ui;
    NumberSetting horizontal; // 205
    NumberSetting vertical;   // 206
};
