// Game Mode (setting 103).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class GameModeForm;
}

class GameModeForm : public SettingPage
{
    Q_OBJECT

public:
    explicit GameModeForm(QWidget *parent = nullptr);
    ~GameModeForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_GameModeComboBox_currentIndexChanged(int index);
    void on_GameModePushButton_clicked();

private:
    Ui::GameModeForm *ui;
    ChoiceSetting gameMode; // 103
};
