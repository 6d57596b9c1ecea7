// Where the Windows 11 taskbar puts its buttons: left or centre (setting 1).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TaskbarAlignmentForm;
}

class TaskbarAlignmentForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskbarAlignmentForm(QWidget *parent = nullptr);
    ~TaskbarAlignmentForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_taskbarAlignmentComboBox_currentIndexChanged(int index);
    void on_taskbarAlignmentPushButton_clicked();

private:
    Ui::TaskbarAlignmentForm *ui;
    ChoiceSetting alignment; // 1
};
