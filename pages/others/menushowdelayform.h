// The delay before a menu opens (setting 102), a system parameter, on a slider with a number field.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class MenuShowDelayForm;
}

class MenuShowDelayForm : public SettingPage
{
    Q_OBJECT

public:
    explicit MenuShowDelayForm(QWidget *parent = nullptr);
    ~MenuShowDelayForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);
    // The sentence of a delay: the slider's (current) or the stored one, which also takes the default
    // form when the system could not be asked.
    QString menuShowDelayDesc(unsigned int value, bool current) const;

private slots:
    void on_MenuShowDelayHorizontalSlider_valueChanged(int value);
    void on_MenuShowDelayLineEdit_textChanged(const QString &text);
    void on_MenuShowDelayPushButton_clicked();

private:
    // Shown when the system cannot be asked, by Set Default, and written when such a state is restored.
    int defaultDelay;
    Ui::MenuShowDelayForm *ui;
    NumberSetting menuShowDelay; // 102
};
