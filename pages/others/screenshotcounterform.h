// The number the next Win+PrtScr screenshot continues from (setting 104), on a spin box.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class ScreenshotCounterForm;
}

class ScreenshotCounterForm : public SettingPage
{
    Q_OBJECT

public:
    explicit ScreenshotCounterForm(QWidget *parent = nullptr);
    ~ScreenshotCounterForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_ScreenshotCounterSpinBox_valueChanged(int value);

private:
    Ui::ScreenshotCounterForm *ui;
    NumberSetting counter; // 104
};
