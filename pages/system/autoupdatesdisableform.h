// Automatic Windows updates (setting 512): the policy value disables them.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class AutoUpdatesDisableForm;
}

class AutoUpdatesDisableForm : public SettingPage
{
    Q_OBJECT

public:
    explicit AutoUpdatesDisableForm(QWidget *parent = nullptr);
    ~AutoUpdatesDisableForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_DisableAutomaticUpdatesComboBox_currentIndexChanged(int index);
    void on_DisableAutomaticUpdatesPushButton_clicked();

private:
    Ui::AutoUpdatesDisableForm *ui;
    ChoiceSetting autoUpdates; // 512
};
