// The support information that Windows shows on its About page (settings 700-703).
#pragma once

#include "settingpage.h"
#include "textsetting.h"

namespace Ui {
class oemInfoForm;
}

class OemInfoForm : public SettingPage
{
    Q_OBJECT

public:
    explicit OemInfoForm(QWidget *parent = nullptr);
    ~OemInfoForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

    // Opens the Settings About page; the process stays with owner.
    static void openSettingsAbout(QObject *owner);

private slots:
    void on_ManufacturerLineEdit_textChanged(const QString &text);
    void on_SupportHoursLineEdit_textChanged(const QString &text);
    void on_SupportPhoneLineEdit_textChanged(const QString &text);
    void on_SupportURLLineEdit_textChanged(const QString &text);
    void on_openAboutPushButton_clicked();

private:
    Ui::oemInfoForm *ui;
    TextSetting manufacturer; // 700
    TextSetting supportHours; // 701
    TextSetting supportPhone; // 702
    TextSetting supportURL;   // 703
};
