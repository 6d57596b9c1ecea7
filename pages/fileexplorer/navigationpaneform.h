// The Quick access (Home), OneDrive and Network entries of File Explorer's navigation pane (settings
// 604-606). Applying any of them restarts File Explorer.
#pragma once

#include "checksetting.h"
#include "settingpage.h"

namespace Ui {
class NavigationPaneForm;
}

class NavigationPaneForm : public SettingPage
{
    Q_OBJECT

public:
    explicit NavigationPaneForm(QWidget *parent = nullptr);
    ~NavigationPaneForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_QuickAccessCheckBox_stateChanged(int state);
    void on_OneDriveCheckBox_stateChanged(int state);
    void on_NetworkCheckBox_stateChanged(int state);
    void on_NavigationPanePushButton_clicked();

private:
    Ui::NavigationPaneForm *ui;
    CheckSetting quickAccess; // 604
    CheckSetting oneDrive;    // 605
    CheckSetting network;     // 606
};
