#include "snapassistform.h"
#include "ui_snapassistform.h"

#include "pagelayout.h"

SnapAssistForm::SnapAssistForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("Snap Assist flyout"), parent), ui(new Ui::SnapAssistForm),
      snapAssist(this, 100,
                 registryDword(HKEY_CURRENT_USER,
                               QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"),
                               QStringLiteral("EnableSnapAssistFlyout")),
                 1,
                 {{QStringLiteral("Disable"), QStringLiteral("Disable the new Windows 11 Snap Assist flyout.")},
                  {QStringLiteral("Enable (default)"),
                   QStringLiteral("Enable the new Windows 11 Snap Assist flyout (default).")}},
                 1)
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->snapAssistFlyoutGroupBox,
                         {ui->snapAssistFlyoutDescLabel, ui->snapAssistFlyoutImage1},
                         {{ui->snapAssistFlyoutComboBox, ui->snapAssistFlyoutPushButton}});
    snapAssist.bind(ui->snapAssistFlyoutComboBox);
    loadSetting();
}

SnapAssistForm::~SnapAssistForm()
{
    delete ui;
}

bool SnapAssistForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(100, fromStored, removeValue, storedValue);
}

void SnapAssistForm::on_snapAssistFlyoutComboBox_currentIndexChanged(int)
{
    snapAssist.report();
}

void SnapAssistForm::on_snapAssistFlyoutPushButton_clicked()
{
    snapAssist.setDefault();
}
