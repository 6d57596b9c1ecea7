#include "cortanadisableform.h"
#include "ui_cortanadisableform.h"

#include "krutils.h"
#include "pagelayout.h"

CortanaDisableForm::CortanaDisableForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("cortana search taskbar"), parent),
      ui(new Ui::CortanaDisableForm),
      cortana(
          this, 107,
          registryDword(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search"),
                        QStringLiteral("AllowCortana")),
          1,
          {{QStringLiteral("Disable Cortana service"), QStringLiteral("Disable Cortana service.")},
           {QStringLiteral("Enable Cortana service (Default)"), QStringLiteral("Enable Cortana service (Default).")}},
          1)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->CortanaDisableGroupBox,
                         {ui->CortanaDisableDescLabel, ui->CortanaDisableDescLabel2, ui->CortanaDisableImage},
                         {{ui->CortanaDisableComboBox, ui->CortanaDisablePushButton}});
    cortana.bind(ui->CortanaDisableComboBox);
    loadSetting();
}

CortanaDisableForm::~CortanaDisableForm()
{
    delete ui;
}

bool CortanaDisableForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(107, fromStored, removeValue, storedValue);
}

void CortanaDisableForm::on_CortanaDisableComboBox_currentIndexChanged(int)
{
    cortana.report();
}

void CortanaDisableForm::on_CortanaDisablePushButton_clicked()
{
    cortana.setDefault();
}
