// The old File Explorer toolbar on Windows 11 (setting 602). Applying it restarts File Explorer.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class OldFileExplorerToolbarForm;
}

class OldFileExplorerToolbarForm : public SettingPage
{
    Q_OBJECT

public:
    explicit OldFileExplorerToolbarForm(QWidget *parent = nullptr);
    ~OldFileExplorerToolbarForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_oldFileExplorerToolbarComboBox_currentIndexChanged(int index);
    void on_oldFileExplorerToolbarPushButton_clicked();

private:
    Ui::OldFileExplorerToolbarForm *ui;
    ChoiceSetting toolbar; // 602
};
