// The boot screen animation of Windows 11 (setting 500). Which choice is the default depends on the
// Windows build.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class BootScreenAnimationForm;
}

class BootScreenAnimationForm : public SettingPage
{
    Q_OBJECT

public:
    explicit BootScreenAnimationForm(QWidget *parent = nullptr);
    ~BootScreenAnimationForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_BootScreenAnimationComboBox_currentIndexChanged(int index);
    void on_BootScreenAnimationPushButton_clicked();

private:
    Ui::BootScreenAnimationForm *ui;
    ChoiceSetting animation; // 500
};
