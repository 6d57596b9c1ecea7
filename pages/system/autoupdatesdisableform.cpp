#include "autoupdatesdisableform.h"
#include "ui_autoupdatesdisableform.h"

#include "pagelayout.h"

AutoUpdatesDisableForm::AutoUpdatesDisableForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("windows update"), parent),
      ui(new Ui::AutoUpdatesDisableForm),
      autoUpdates(this, 512,
                  registryDword(HKEY_LOCAL_MACHINE,
                                QStringLiteral("SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsUpdate\\AU"),
                                QStringLiteral("NoAutoUpdate")),
                  0,
                  {{QStringLiteral("Disable"), QStringLiteral("Disable automatic Windows updates.")},
                   {QStringLiteral("Enable (Default)"), QStringLiteral("Enable automatic Windows updates (default).")}},
                  1)
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->DisableAutomaticUpdatesGroupBox, {ui->DisableAutomaticUpdatesDescLabel},
                         {{ui->DisableAutomaticUpdatesComboBox, ui->DisableAutomaticUpdatesPushButton}});
    autoUpdates.setValues({1, 0}, 0);
    autoUpdates.bind(ui->DisableAutomaticUpdatesComboBox);
    loadSetting();
}

AutoUpdatesDisableForm::~AutoUpdatesDisableForm()
{
    delete ui;
}

bool AutoUpdatesDisableForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(512, fromStored, removeValue, storedValue);
}

void AutoUpdatesDisableForm::on_DisableAutomaticUpdatesComboBox_currentIndexChanged(int)
{
    autoUpdates.report();
}

void AutoUpdatesDisableForm::on_DisableAutomaticUpdatesPushButton_clicked()
{
    autoUpdates.setDefault();
}
