// The old context menu of Windows 11 (setting 101): enabled while an empty in-process server key hides the
// new menu's handler.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class OldContextMenuForm;
}

class OldContextMenuForm : public SettingPage
{
    Q_OBJECT

public:
    explicit OldContextMenuForm(QWidget *parent = nullptr);
    ~OldContextMenuForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_oldContextMenuComboBox_currentIndexChanged(int index);
    void on_oldContextMenuPushButton_clicked();

private:
    Ui::OldContextMenuForm *ui;
    ChoiceSetting oldMenu; // 101
};
