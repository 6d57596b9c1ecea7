// The Snap Assist flyout of Windows 11 (setting 100).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class SnapAssistForm;
}

class SnapAssistForm : public SettingPage
{
    Q_OBJECT

public:
    explicit SnapAssistForm(QWidget *parent = nullptr);
    ~SnapAssistForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_snapAssistFlyoutComboBox_currentIndexChanged(int index);
    void on_snapAssistFlyoutPushButton_clicked();

private:
    Ui::SnapAssistForm *ui;
    ChoiceSetting snapAssist; // 100
};
