// Web results in the Start menu search (setting 106). Explorer reads the policy when it starts.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class BingStartMenuForm;
}

class BingStartMenuForm : public SettingPage
{
    Q_OBJECT

public:
    explicit BingStartMenuForm(QWidget *parent = nullptr);
    ~BingStartMenuForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_BingStartMenuComboBox_currentIndexChanged(int index);
    void on_BingStartMenuPushButton_clicked();

private:
    Ui::BingStartMenuForm *ui;
    ChoiceSetting bingResults; // 106
};
