#include "winversionondesktopform.h"
#include "ui_winversionondesktopform.h"

#include "krutils.h"
#include "pagelayout.h"

WinVersionOnDesktopForm::WinVersionOnDesktopForm(QWidget *parent)
    : SettingPage(QStringLiteral("Desktop"), QStringLiteral("build version windows number desktop"), parent),
      ui(new Ui::WinVersionOnDesktopForm),
      winVersion(this, 207,
                 registryDword(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"),
                               QStringLiteral("PaintDesktopVersion")),
                 0,
                 {{QStringLiteral("Disable (Default)"),
                   QStringLiteral("Don't show Windows version and build number on the Desktop (default).")},
                  {QStringLiteral("Enable"), QStringLiteral("Show Windows version and build number on the Desktop.")}},
                 0)
{
    raiseOnWrite(&shellRefreshPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->WinVersionGroupBox,
                         {ui->WinVersionDescLabel, ui->WinVersionDescLabel2, ui->WinVersionImage},
                         {{ui->WinVersionComboBox, ui->WinVersionPushButton}});
    winVersion.bind(ui->WinVersionComboBox);
    loadSetting();
}

WinVersionOnDesktopForm::~WinVersionOnDesktopForm()
{
    delete ui;
}

bool WinVersionOnDesktopForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(207, fromStored, removeValue, storedValue);
}

void WinVersionOnDesktopForm::on_WinVersionComboBox_currentIndexChanged(int)
{
    winVersion.report();
}

void WinVersionOnDesktopForm::on_WinVersionPushButton_clicked()
{
    winVersion.setDefault();
}
