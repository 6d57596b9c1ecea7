#include "computermodelform.h"
#include "ui_computermodelform.h"

#include "oeminfoform.h"
#include "pagelayout.h"

#include <QGridLayout>
#include <QVBoxLayout>

ComputerModelForm::ComputerModelForm(QWidget *parent)
    : SettingPage(QStringLiteral("OEM Info"), QStringLiteral("computer model Information System"), parent),
      ui(new Ui::ComputerModelForm),
      model(this, 704,
            registryString(HKEY_LOCAL_MACHINE,
                           QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation"),
                           QStringLiteral("Model")),
            QStringLiteral("Change the computer model information to \""))
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->ComputerModelGroupBox);
    box->addLayout(pagelayout::fields({{ui->ComputerModelLabel, ui->ComputerModelLineEdit}}));
    box->addSpacing(20);
    box->addWidget(ui->ComputerModelDescLabel);
    box->addWidget(ui->ComputerModelImage);
    box->addLayout(pagelayout::row({ui->openAboutPushButton}));
    model.bind(ui->ComputerModelLineEdit);
    loadSetting();
}

ComputerModelForm::~ComputerModelForm()
{
    delete ui;
}

bool ComputerModelForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(704, fromStored, removeValue, storedValue);
}

void ComputerModelForm::on_ComputerModelLineEdit_textChanged(const QString &)
{
    model.report();
}

void ComputerModelForm::on_openAboutPushButton_clicked()
{
    OemInfoForm::openSettingsAbout(this);
}
