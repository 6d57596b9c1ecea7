#include "registeredownerform.h"
#include "ui_registeredownerform.h"

#include "pagelayout.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace {

TextStore ownerValue(const char *name)
{
    return registryString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                          QLatin1String(name));
}

} // namespace

RegisteredOwnerForm::RegisteredOwnerForm(QWidget *parent)
    : SettingPage(QStringLiteral("OEM Info"), QStringLiteral("Registered Owner Organization winver about"), parent),
      ui(new Ui::RegisteredOwnerForm),
      owner(this, 705, ownerValue("RegisteredOwner"), QStringLiteral("Change the registered owner information to \"")),
      organization(this, 706, ownerValue("RegisteredOrganization"),
                   QStringLiteral("Change the registered organization information to \""))
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->RegisteredOwnerGroupBox);
    box->addLayout(pagelayout::fields({{ui->RegisteredOwnerLabel, ui->RegisteredOwnerLineEdit},
                                       {ui->RegisteredOrgLabel, ui->RegisteredOrgLineEdit}}));
    box->addSpacing(20);
    box->addWidget(ui->RegisteredOwnerDescLabel);
    box->addWidget(ui->RegisteredOwnerImage);
    box->addLayout(pagelayout::row({ui->openAboutPushButton}));
    owner.bind(ui->RegisteredOwnerLineEdit);
    organization.bind(ui->RegisteredOrgLineEdit);
    loadSetting();
}

RegisteredOwnerForm::~RegisteredOwnerForm()
{
    delete ui;
}

bool RegisteredOwnerForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void RegisteredOwnerForm::on_RegisteredOwnerLineEdit_textChanged(const QString &)
{
    owner.report();
}

void RegisteredOwnerForm::on_RegisteredOrgLineEdit_textChanged(const QString &)
{
    organization.report();
}

void RegisteredOwnerForm::on_openAboutPushButton_clicked()
{
    ShellExecuteW(reinterpret_cast<HWND>(winId()), WSTR("open"), WSTR("winver.exe"), nullptr, nullptr, SW_SHOWNORMAL);
}
