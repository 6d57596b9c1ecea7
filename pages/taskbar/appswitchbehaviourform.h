// Whether a click on a grouped taskbar button opens the last window used (setting 2).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class AppSwitchBehaviourForm;
}

class AppSwitchBehaviourForm : public SettingPage
{
    Q_OBJECT

public:
    explicit AppSwitchBehaviourForm(QWidget *parent = nullptr);
    ~AppSwitchBehaviourForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_quickSwitchLastOpenComboBox_currentIndexChanged(int index);
    void on_quickSwitchLastOpenPushButton_clicked();

private:
    Ui::AppSwitchBehaviourForm *ui;
    ChoiceSetting lastActiveClick; // 2
};
