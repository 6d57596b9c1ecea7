#include "vbsfeatureform.h"
#include "ui_vbsfeatureform.h"

#include "pagelayout.h"

VBSFeatureForm::VBSFeatureForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("Virtualization-based Security VBS gaming game"), parent),
      ui(new Ui::VBSFeatureForm),
      vbs(this, 511,
          registryDword(HKEY_LOCAL_MACHINE, QStringLiteral("SYSTEM\\CurrentControlSet\\Control\\DeviceGuard"),
                        QStringLiteral("EnableVirtualizationBasedSecurity")),
          0,
          {{QStringLiteral("Disable (Default)"), QStringLiteral("Disable Virtualization-based Security (default).")},
           {QStringLiteral("Enable"), QStringLiteral("Enable Virtualization-based Security.")}},
          0)
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->vbsGroupBox, {ui->vbsDescLabel, ui->vbsDescLabel2},
                         {{ui->vbsComboBox, ui->vbsPushButton}});
    vbs.bind(ui->vbsComboBox);
    loadSetting();
}

VBSFeatureForm::~VBSFeatureForm()
{
    delete ui;
}

bool VBSFeatureForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(511, fromStored, removeValue, storedValue);
}

void VBSFeatureForm::on_vbsComboBox_currentIndexChanged(int)
{
    vbs.report();
}

void VBSFeatureForm::on_vbsPushButton_clicked()
{
    vbs.setDefault();
}
