// How the taskbar combines the buttons of one program (setting 9), basic edition only.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class UngroupTaskbarIconsForm;
}

class UngroupTaskbarIconsForm : public SettingPage
{
    Q_OBJECT

public:
    explicit UngroupTaskbarIconsForm(QWidget *parent = nullptr);
    ~UngroupTaskbarIconsForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_UngroupTaskbarIconsComboBox_currentIndexChanged(int index);
    void on_UngroupTaskbarIconsPushButton_clicked();

private:
    Ui::UngroupTaskbarIconsForm *ui;
    ChoiceSetting glomLevel; // 9
};
