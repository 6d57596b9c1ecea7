// The computer model that Windows shows on its System page (setting 704).
#pragma once

#include "settingpage.h"
#include "textsetting.h"

namespace Ui {
class ComputerModelForm;
}

class ComputerModelForm : public SettingPage
{
    Q_OBJECT

public:
    explicit ComputerModelForm(QWidget *parent = nullptr);
    ~ComputerModelForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_ComputerModelLineEdit_textChanged(const QString &text);
    void on_openAboutPushButton_clicked();

private:
    Ui::ComputerModelForm *ui;
    TextSetting model; // 704
};
