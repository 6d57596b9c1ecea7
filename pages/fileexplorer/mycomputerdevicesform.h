// Control Panel and Recycle Bin entries in the Devices and drives section of This PC (settings 620-622).
// Applying any of them restarts File Explorer.
#pragma once

#include "checksetting.h"
#include "settingpage.h"

namespace Ui {
class MyComputerDevicesForm;
}

class MyComputerDevicesForm : public SettingPage
{
    Q_OBJECT

public:
    explicit MyComputerDevicesForm(QWidget *parent = nullptr);
    ~MyComputerDevicesForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_ControlPanelAllCheckBox_stateChanged(int state);
    void on_ControlPanelCheckBox_stateChanged(int state);
    void on_RecycleBinCheckBox_stateChanged(int state);
    void on_MyComputerIconsPushButton_clicked();

private:
    Ui::MyComputerDevicesForm *ui;
    CheckSetting controlPanelAll; // 620
    CheckSetting controlPanel;    // 621
    CheckSetting recycleBin;      // 622
};
