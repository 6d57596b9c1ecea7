// The size of the Windows 11 taskbar (setting 0); Explorer restarts to show it.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TaskbarSizeForm;
}

class TaskbarSizeForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskbarSizeForm(QWidget *parent = nullptr);
    ~TaskbarSizeForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_taskbarSizeComboBox_currentIndexChanged(int index);
    void on_taskbarSizePushButton_clicked();

private:
    Ui::TaskbarSizeForm *ui;
    ChoiceSetting taskbarSize; // 0
};
