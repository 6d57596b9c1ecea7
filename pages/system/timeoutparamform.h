// Three time-outs Windows applies to hung applications and at shutdown (settings 507 to 509), system
// parameters, each on a slider with a number field.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class TimeOutParamForm;
}

class TimeOutParamForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TimeOutParamForm(QWidget *parent = nullptr);
    ~TimeOutParamForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);
    void loadSetting() override;

private slots:
    void on_hungAppHorizontalSlider_valueChanged(int value);
    void on_waitToKillHorizontalSlider_valueChanged(int value);
    void on_waitToKillServiceHorizontalSlider_valueChanged(int value);
    void on_hungAppLineEdit_textChanged(const QString &text);
    void on_waitToKillLineEdit_textChanged(const QString &text);
    void on_waitToKillServiceLineEdit_textChanged(const QString &text);
    void on_hungAppPushButton_clicked();
    void on_waitToKillPushButton_clicked();
    void on_waitToKillServicePushButton_clicked();

private:
    // Shown when the system cannot be asked, and written when such a time-out is restored.
    int defaultTimeout;
    Ui::TimeOutParamForm *ui;
    NumberSetting hungApp;           // 507
    NumberSetting waitToKill;        // 508
    NumberSetting waitToKillService; // 509
};
