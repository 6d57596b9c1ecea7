// Show or hide file name extensions in File Explorer (setting 600). Applying it restarts File Explorer.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class HideFileExtForm;
}

class HideFileExtForm : public SettingPage
{
    Q_OBJECT

public:
    explicit HideFileExtForm(QWidget *parent = nullptr);
    ~HideFileExtForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_HideFileExtComboBox_currentIndexChanged(int index);
    void on_HideFileExtPushButton_clicked();

private:
    Ui::HideFileExtForm *ui;
    ChoiceSetting hideFileExt; // 600
};
