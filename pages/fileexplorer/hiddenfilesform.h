// Show or hide hidden files, folders and drives in File Explorer (setting 601). Applying it restarts File Explorer.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class HiddenFilesForm;
}

class HiddenFilesForm : public SettingPage
{
    Q_OBJECT

public:
    explicit HiddenFilesForm(QWidget *parent = nullptr);
    ~HiddenFilesForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_HiddenFilesComboBox_currentIndexChanged(int index);
    void on_HiddenFilesPushButton_clicked();

private:
    Ui::HiddenFilesForm *ui;
    ChoiceSetting hiddenFiles; // 601
};
