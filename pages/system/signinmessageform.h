// The notice Windows shows before sign-in: its title (setting 504) and its text (505).
#pragma once

#include "settingpage.h"
#include "textsetting.h"

namespace Ui {
class SignInMessageForm;
}

class SignInMessageForm : public SettingPage
{
    Q_OBJECT

public:
    explicit SignInMessageForm(QWidget *parent = nullptr);
    ~SignInMessageForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_SignInMessageTitleLineEdit_textChanged(const QString &text);
    void on_SignInMessageContentPlainTextEdit_textChanged();
    void on_SignInMessagePushButton_clicked();

private:
    Ui::SignInMessageForm *ui;
    TextSetting title;   // 504
    TextSetting content; // 505
};
