// Accent colour on title bars and window borders (setting 402). Applying it asks for a theme refresh.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class AccentColorOnTitleBarsForm;
}

class AccentColorOnTitleBarsForm : public SettingPage
{
    Q_OBJECT

public:
    explicit AccentColorOnTitleBarsForm(QWidget *parent = nullptr);
    ~AccentColorOnTitleBarsForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_AccentColorOnTitleBarsComboBox_currentIndexChanged(int index);
    void on_AccentColorOnTitleBarsPushButton_clicked();

private:
    Ui::AccentColorOnTitleBarsForm *ui;
    ChoiceSetting accentColor; // 402
};
