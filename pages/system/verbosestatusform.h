// Verbose status messages at start-up, shutdown, sign-in and sign-out (setting 501).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class VerboseStatusForm;
}

class VerboseStatusForm : public SettingPage
{
    Q_OBJECT

public:
    explicit VerboseStatusForm(QWidget *parent = nullptr);
    ~VerboseStatusForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_VerboseStatusComboBox_currentIndexChanged(int index);
    void on_VerboseStatusPushButton_clicked();

private:
    Ui::VerboseStatusForm *ui;
    ChoiceSetting verboseStatus; // 501
};
