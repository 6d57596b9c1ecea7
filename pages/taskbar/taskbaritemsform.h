// The four buttons Windows 11 can show on its taskbar: Widgets (setting 3), Chat (4), Task view (5) and
// Search (6).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class TaskbarItemsForm;
}

class TaskbarItemsForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskbarItemsForm(QWidget *parent = nullptr);
    ~TaskbarItemsForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_showWidgetIconComboBox_currentIndexChanged(int index);
    void on_showChatIconComboBox_currentIndexChanged(int index);
    void on_showTaskviewIconComboBox_currentIndexChanged(int index);
    void on_showSearchIconComboBox_currentIndexChanged(int index);
    void on_showWidgetIconPushButton_clicked();
    void on_showChatIconPushButton_clicked();
    void on_showTaskviewIconPushButton_clicked();
    void on_showSearchIconPushButton_clicked();

private:
    Ui::TaskbarItemsForm *ui;
    ChoiceSetting widgets;  // 3
    ChoiceSetting chat;     // 4
    ChoiceSetting taskView; // 5
    ChoiceSetting search;   // 6
};
