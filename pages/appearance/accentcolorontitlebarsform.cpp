#include "accentcolorontitlebarsform.h"
#include "ui_accentcolorontitlebarsform.h"

#include "krutils.h"
#include "pagelayout.h"

AccentColorOnTitleBarsForm::AccentColorOnTitleBarsForm(QWidget *parent)
    : SettingPage(QStringLiteral("Appearance"), QStringLiteral("Accent Color win32 title bars window borders"), parent),
      ui(new Ui::AccentColorOnTitleBarsForm),
      accentColor(this, 402,
                  registryDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\DWM"),
                                QStringLiteral("ColorPrevalence")),
                  0,
                  {{QStringLiteral("Off (default)"),
                    QStringLiteral("Don't use accent color on title bars and windows borders (default).")},
                   {QStringLiteral("On"), QStringLiteral("Use accent color on title bars and windows borders.")}},
                  0)
{
    raiseOnWrite(&themeRefreshPending);
    ui->setupUi(this);
    pagelayout::standard(
        this, ui->AccentColorOnTitleBarsGroupBox,
        {ui->AccentColorOnTitleBarsDescLabel, ui->AccentColorOnTitleBarsDescLabel2, ui->AccentColorOnTitleBarsImage},
        {{ui->AccentColorOnTitleBarsComboBox, ui->AccentColorOnTitleBarsPushButton}});
    accentColor.bind(ui->AccentColorOnTitleBarsComboBox);
    loadSetting();
}

AccentColorOnTitleBarsForm::~AccentColorOnTitleBarsForm()
{
    delete ui;
}

bool AccentColorOnTitleBarsForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(402, fromStored, removeValue, storedValue);
}

void AccentColorOnTitleBarsForm::on_AccentColorOnTitleBarsComboBox_currentIndexChanged(int)
{
    accentColor.report();
}

void AccentColorOnTitleBarsForm::on_AccentColorOnTitleBarsPushButton_clicked()
{
    accentColor.setDefault();
}
