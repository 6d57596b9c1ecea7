// The Task Manager option of the security screen (setting 510).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TaskManagerDisableForm;
}

class TaskManagerDisableForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskManagerDisableForm(QWidget *parent = nullptr);
    ~TaskManagerDisableForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_TaskManagerDisableComboBox_currentIndexChanged(int index);
    void on_TaskManagerDisablePushButton_clicked();

private:
    Ui::TaskManagerDisableForm *ui;
    ChoiceSetting taskManager; // 510
};
