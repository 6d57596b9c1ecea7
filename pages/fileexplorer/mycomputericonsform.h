// The seven user folders of This PC (settings 607-613). Applying any of them restarts File Explorer.
#pragma once

#include "checksetting.h"
#include "settingpage.h"

namespace Ui {
class MyComputerIconsForm;
}

class MyComputerIconsForm : public SettingPage
{
    Q_OBJECT

public:
    explicit MyComputerIconsForm(QWidget *parent = nullptr);
    ~MyComputerIconsForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_DesktopCheckBox_stateChanged(int state);
    void on_DocumentsCheckBox_stateChanged(int state);
    void on_DownloadsCheckBox_stateChanged(int state);
    void on_MusicCheckBox_stateChanged(int state);
    void on_PicturesCheckBox_stateChanged(int state);
    void on_VideosCheckBox_stateChanged(int state);
    void on__3dObjectsCheckBox_stateChanged(int state);
    void on_MyComputerIconsPushButton_clicked();

private:
    Ui::MyComputerIconsForm *ui;
    CheckSetting desktop;   // 607
    CheckSetting documents; // 608
    CheckSetting downloads; // 609
    CheckSetting music;     // 610
    CheckSetting pictures;  // 611
    CheckSetting videos;    // 612
    CheckSetting objects3d; // 613
};
