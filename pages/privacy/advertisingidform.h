// Whether apps may use the advertising ID (setting 300).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class AdvertisingIDForm;
}

class AdvertisingIDForm : public SettingPage
{
    Q_OBJECT

public:
    explicit AdvertisingIDForm(QWidget *parent = nullptr);
    ~AdvertisingIDForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_advertisingIDComboBox_currentIndexChanged(int index);
    void on_advertisingIDPushButton_clicked();

private:
    Ui::AdvertisingIDForm *ui;
    ChoiceSetting advertisingID; // 300
};
