// Show or hide five desktop icons (settings 200-204). Applying any of them asks for a shell notification.
#pragma once

#include "checksetting.h"
#include "settingpage.h"

namespace Ui {
class DesktopIconForm;
}

class DesktopIconForm : public SettingPage
{
    Q_OBJECT

public:
    explicit DesktopIconForm(QWidget *parent = nullptr);
    ~DesktopIconForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_computerCheckBox_stateChanged(int state);
    void on_usersFilesCheckBox_stateChanged(int state);
    void on_networkCheckBox_stateChanged(int state);
    void on_recycleBinCheckBox_stateChanged(int state);
    void on_controlPanelCheckBox_stateChanged(int state);
    void on_DesktopIconPushButton_clicked();

private:
    Ui::DesktopIconForm *ui;
    CheckSetting computer;     // 200
    CheckSetting usersFiles;   // 201
    CheckSetting network;      // 202
    CheckSetting recycleBin;   // 203
    CheckSetting controlPanel; // 204
};
