// Seconds in the taskbar clock (setting 13); reported under System, where Windows keeps it.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class SecondInClockForm;
}

class SecondInClockForm : public SettingPage
{
    Q_OBJECT

public:
    explicit SecondInClockForm(QWidget *parent = nullptr);
    ~SecondInClockForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_SecondTaskbarClockComboBox_currentIndexChanged(int index);
    void on_SecondTaskbarClockPushButton_clicked();

private:
    Ui::SecondInClockForm *ui;
    ChoiceSetting seconds; // 13
};
