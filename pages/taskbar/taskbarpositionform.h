// The screen edge of the taskbar (setting 7): byte 12 of the taskbar's StuckRects3 blob.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TaskbarPositionForm;
}

class TaskbarPositionForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskbarPositionForm(QWidget *parent = nullptr);
    ~TaskbarPositionForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);
    // The blob is never deleted, so a restore writes the stored byte whatever removeValue says.
    bool writeSetting(int index, bool fromStored, bool removeValue, QString storedValue) override;

private slots:
    void on_taskbarPositionComboBox_currentIndexChanged(int index);
    void on_taskbarPositionPushButton_clicked();

private:
    Ui::TaskbarPositionForm *ui;
    ChoiceSetting edge; // 7
};
