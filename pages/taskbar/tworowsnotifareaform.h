// Notification area icons in one row or two (setting 11): byte 44 of the taskbar's StuckRects3 blob,
// shown as the choice (0 one row, 1 two rows) rather than as the byte.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TwoRowsNotifAreaForm;
}

class TwoRowsNotifAreaForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TwoRowsNotifAreaForm(QWidget *parent = nullptr);
    ~TwoRowsNotifAreaForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);
    // The blob is never deleted, so a restore writes the stored choice whatever removeValue says.
    bool writeSetting(int index, bool fromStored, bool removeValue, QString storedValue) override;

private slots:
    void on_TwoRowsNotifAreaComboBox_currentIndexChanged(int index);
    void on_TwoRowsNotifAreaPushButton_clicked();

private:
    Ui::TwoRowsNotifAreaForm *ui;
    ChoiceSetting rows; // 11
};
