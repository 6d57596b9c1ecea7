// Light or dark colours for Windows (setting 400) and for apps (401).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class WindowsColorModeForm;
}

class WindowsColorModeForm : public SettingPage
{
    Q_OBJECT

public:
    explicit WindowsColorModeForm(QWidget *parent = nullptr);
    ~WindowsColorModeForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_WindowsColorModeComboBox_currentIndexChanged(int index);
    void on_AppColorModeComboBox_currentIndexChanged(int index);
    void on_WindowsColorModePushButton_clicked();
    void on_AppColorModePushButton_clicked();

private:
    Ui::WindowsColorModeForm *ui;
    ChoiceSetting windowsMode; // 400
    ChoiceSetting appMode;     // 401
};
