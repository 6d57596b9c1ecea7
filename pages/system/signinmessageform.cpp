#include "signinmessageform.h"
#include "ui_signinmessageform.h"

#include "pagelayout.h"

#include <QVBoxLayout>

namespace {

const QString policies = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

} // namespace

SignInMessageForm::SignInMessageForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("message users sign-in signin sign in logon"), parent),
      ui(new Ui::SignInMessageForm),
      title(this, 504, registryString(HKEY_LOCAL_MACHINE, policies, QStringLiteral("legalnoticecaption")),
            QStringLiteral("Set sign-in message title to \"")),
      content(this, 505, registryString(HKEY_LOCAL_MACHINE, policies, QStringLiteral("legalnoticetext")),
              QStringLiteral("Set sign-in message content to \""))
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->SignInMessageGroupBox);
    const QList<QWidget *> widgets = {ui->SignInMessageDescLabel,    ui->SignInMessageImage,
                                      ui->SignInMessageTitleLabel,   ui->SignInMessageTitleLineEdit,
                                      ui->SignInMessageContentLabel, ui->SignInMessageContentPlainTextEdit,
                                      ui->SignInMessageDescLabel2};
    for (QWidget *w : widgets)
        box->addWidget(w);
    box->addLayout(pagelayout::row({ui->SignInMessagePushButton}));
    title.bind(ui->SignInMessageTitleLineEdit);
    content.bind(ui->SignInMessageContentPlainTextEdit);
    loadSetting();
}

SignInMessageForm::~SignInMessageForm()
{
    delete ui;
}

bool SignInMessageForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void SignInMessageForm::on_SignInMessageTitleLineEdit_textChanged(const QString &)
{
    title.report();
}

void SignInMessageForm::on_SignInMessageContentPlainTextEdit_textChanged()
{
    content.report();
}

void SignInMessageForm::on_SignInMessagePushButton_clicked()
{
    // Both fields empty; Save then stores empty texts rather than deleting the values.
    ui->SignInMessageTitleLineEdit->clear();
    ui->SignInMessageContentPlainTextEdit->clear();
}
