// Folder name or full folder path on the File Explorer title bar (setting 603). Applying it restarts File Explorer.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class FullFolderPathForm;
}

class FullFolderPathForm : public SettingPage
{
    Q_OBJECT

public:
    explicit FullFolderPathForm(QWidget *parent = nullptr);
    ~FullFolderPathForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_FullFolderPathComboBox_currentIndexChanged(int index);
    void on_FullFolderPathPushButton_clicked();

private:
    Ui::FullFolderPathForm *ui;
    ChoiceSetting fullFolderPath; // 603
};
