// The registered owner (setting 705) and organization (706) that the About dialog shows.
#pragma once

#include "settingpage.h"
#include "textsetting.h"

namespace Ui {
class RegisteredOwnerForm;
}

class RegisteredOwnerForm : public SettingPage
{
    Q_OBJECT

public:
    explicit RegisteredOwnerForm(QWidget *parent = nullptr);
    ~RegisteredOwnerForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_RegisteredOwnerLineEdit_textChanged(const QString &text);
    void on_RegisteredOrgLineEdit_textChanged(const QString &text);
    void on_openAboutPushButton_clicked();

private:
    Ui::RegisteredOwnerForm *ui;
    TextSetting owner;        // 705
    TextSetting organization; // 706
};
