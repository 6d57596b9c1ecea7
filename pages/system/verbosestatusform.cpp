#include "verbosestatusform.h"
#include "ui_verbosestatusform.h"

#include "pagelayout.h"

VerboseStatusForm::VerboseStatusForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"),
                  QStringLiteral("verbose status messages system starts up shutdown logon logoff"), parent),
      ui(new Ui::VerboseStatusForm),
      verboseStatus(
          this, 501,
          registryDword(HKEY_LOCAL_MACHINE,
                        QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"),
                        QStringLiteral("verbosestatus")),
          0,
          {{QStringLiteral("Disable (Default)"), QStringLiteral("Disable verbose status messages (default).")},
           {QStringLiteral("Enable"), QStringLiteral("Enable verbose status messages.")}},
          0)
{
    ui->setupUi(this);
    pagelayout::standard(
        this, ui->VerboseStatusGroupBox,
        {ui->VerboseStatusDescLabel, ui->VerboseStatusDescLabel2, ui->VerboseStatusDescLabel3, ui->VerboseStatusImage},
        {{ui->VerboseStatusComboBox, ui->VerboseStatusPushButton}});
    verboseStatus.bind(ui->VerboseStatusComboBox);
    loadSetting();
}

VerboseStatusForm::~VerboseStatusForm()
{
    delete ui;
}

bool VerboseStatusForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(501, fromStored, removeValue, storedValue);
}

void VerboseStatusForm::on_VerboseStatusComboBox_currentIndexChanged(int)
{
    verboseStatus.report();
}

void VerboseStatusForm::on_VerboseStatusPushButton_clicked()
{
    verboseStatus.setDefault();
}
