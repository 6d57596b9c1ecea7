#include "oeminfoform.h"
#include "ui_oeminfoform.h"

#include "pagelayout.h"

#include <QGridLayout>
#include <QProcess>
#include <QVBoxLayout>

namespace {

TextStore oemValue(const char *name)
{
    return registryString(HKEY_LOCAL_MACHINE,
                          QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation"),
                          QLatin1String(name));
}

} // namespace

OemInfoForm::OemInfoForm(QWidget *parent)
    : SettingPage(QStringLiteral("OEM Info"),
                  QStringLiteral("oem Support Information Manufacturer Support Hours Phone URL System About"), parent),
      ui(new Ui::oemInfoForm), manufacturer(this, 700, oemValue("Manufacturer"),
                                            QStringLiteral("Change the computer manufacturer information to \"")),
      supportHours(this, 701, oemValue("SupportHours"),
                   QStringLiteral("Change the computer support hours information to \"")),
      supportPhone(this, 702, oemValue("SupportPhone"),
                   QStringLiteral("Change the computer support phone information to \"")),
      supportURL(this, 703, oemValue("SupportURL"), QStringLiteral("Change the computer support URL information to \""))
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->oemInfoGroupBox);
    box->addLayout(pagelayout::fields({{ui->ManufacturerLabel, ui->ManufacturerLineEdit},
                                       {ui->SupportHoursLabel, ui->SupportHoursLineEdit},
                                       {ui->SupportPhoneLabel, ui->SupportPhoneLineEdit},
                                       {ui->SupportURLLabel, ui->SupportURLLineEdit}}));
    box->addWidget(ui->SupportURLNoteLabel);
    box->addWidget(ui->SupportURLNoteLabel2);
    box->addSpacing(20);
    box->addWidget(ui->OemInfoDescLabel);
    box->addWidget(ui->oemInfoImage);
    box->addLayout(pagelayout::row({ui->openAboutPushButton}));

    manufacturer.bind(ui->ManufacturerLineEdit);
    supportHours.bind(ui->SupportHoursLineEdit);
    supportPhone.bind(ui->SupportPhoneLineEdit);
    supportURL.bind(ui->SupportURLLineEdit);
    loadSetting();
}

OemInfoForm::~OemInfoForm()
{
    delete ui;
}

bool OemInfoForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void OemInfoForm::openSettingsAbout(QObject *owner)
{
    // Nothing waits for it; one process per click.
    startProgram(new QProcess(owner), QStringLiteral("explorer"), {QStringLiteral("ms-settings:about")});
}

void OemInfoForm::on_ManufacturerLineEdit_textChanged(const QString &)
{
    manufacturer.report();
}

void OemInfoForm::on_SupportHoursLineEdit_textChanged(const QString &)
{
    supportHours.report();
}

void OemInfoForm::on_SupportPhoneLineEdit_textChanged(const QString &)
{
    supportPhone.report();
}

void OemInfoForm::on_SupportURLLineEdit_textChanged(const QString &)
{
    supportURL.report();
}

void OemInfoForm::on_openAboutPushButton_clicked()
{
    openSettingsAbout(this);
}
