// The Cortana service policy (setting 107). Explorer reads it when it starts.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class CortanaDisableForm;
}

class CortanaDisableForm : public SettingPage
{
    Q_OBJECT

public:
    explicit CortanaDisableForm(QWidget *parent = nullptr);
    ~CortanaDisableForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_CortanaDisableComboBox_currentIndexChanged(int index);
    void on_CortanaDisablePushButton_clicked();

private:
    Ui::CortanaDisableForm *ui;
    ChoiceSetting cortana; // 107
};
