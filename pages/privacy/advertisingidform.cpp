#include "advertisingidform.h"
#include "ui_advertisingidform.h"

#include "pagelayout.h"

AdvertisingIDForm::AdvertisingIDForm(QWidget *parent)
    : SettingPage(QStringLiteral("Privacy"), QStringLiteral("advertising id personalized ads privacy"), parent),
      ui(new Ui::AdvertisingIDForm),
      advertisingID(this, 300,
                    registryDword(HKEY_CURRENT_USER,
                                  QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo"),
                                  QStringLiteral("Enabled")),
                    1,
                    {{QStringLiteral("No"),
                      QStringLiteral("Don't let apps show me personalized ads by using my advertising ID.")},
                     {QStringLiteral("Yes (Default)"),
                      QStringLiteral("Let apps show me personalized ads by using my advertising ID (Default).")}},
                    1)
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->advertisingIDGroupBox, {ui->advertisingIDDescLabel},
                         {{ui->advertisingIDComboBox, ui->advertisingIDPushButton}});
    advertisingID.bind(ui->advertisingIDComboBox);
    loadSetting();
}

AdvertisingIDForm::~AdvertisingIDForm()
{
    delete ui;
}

bool AdvertisingIDForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(300, fromStored, removeValue, storedValue);
}

void AdvertisingIDForm::on_advertisingIDComboBox_currentIndexChanged(int)
{
    advertisingID.report();
}

void AdvertisingIDForm::on_advertisingIDPushButton_clicked()
{
    advertisingID.setDefault();
}
