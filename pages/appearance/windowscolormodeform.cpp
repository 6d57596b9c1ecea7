#include "windowscolormodeform.h"
#include "ui_windowscolormodeform.h"

#include "pagelayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QString personalize = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");

} // namespace

WindowsColorModeForm::WindowsColorModeForm(QWidget *parent)
    : SettingPage(QStringLiteral("Appearance"), QStringLiteral("colors mode apps applications Windows"), parent),
      ui(new Ui::WindowsColorModeForm),
      windowsMode(this, 400, registryDword(HKEY_CURRENT_USER, personalize, QStringLiteral("SystemUsesLightTheme")), 1,
                  {{QStringLiteral("Dark"), QStringLiteral("Change the colors that appear in Windows to dark.")},
                   {QStringLiteral("Light (Default)"),
                    QStringLiteral("Change the colors that appear in Windows to light (default).")}},
                  1),
      appMode(this, 401, registryDword(HKEY_CURRENT_USER, personalize, QStringLiteral("AppsUseLightTheme")), 1,
              {{QStringLiteral("Dark"), QStringLiteral("Change the colors that appear in your apps to dark.")},
               {QStringLiteral("Light (Default)"),
                QStringLiteral("Change the colors that appear in your apps to light (default).")}},
              1)
{
    ui->setupUi(this);

    QVBoxLayout *box = pagelayout::group(this, ui->WindowsColorModeGroupBox);
    box->addWidget(ui->WindowsColorModeDescLabel);
    auto *windowsPictures = new QVBoxLayout;
    windowsPictures->setAlignment(Qt::AlignLeft);
    windowsPictures->addWidget(ui->WindowsColorModeImage1);
    windowsPictures->addWidget(ui->WindowsColorModeLabel1);
    windowsPictures->addWidget(ui->WindowsColorModeImage2);
    windowsPictures->addWidget(ui->WindowsColorModeLabel2);
    box->addLayout(windowsPictures);
    box->addLayout(pagelayout::row({ui->WindowsColorModeComboBox, ui->WindowsColorModePushButton}));
    box->addSpacing(20);
    box->addWidget(ui->AppColorModeDescLabel);
    auto *appPictures = new QHBoxLayout;
    appPictures->setAlignment(Qt::AlignLeft);
    auto *light = new QVBoxLayout;
    light->setAlignment(Qt::AlignTop);
    light->addWidget(ui->AppColorModeImage1);
    light->addWidget(ui->AppColorModeLabel1);
    auto *dark = new QVBoxLayout;
    dark->setAlignment(Qt::AlignTop);
    dark->addWidget(ui->AppColorModeImage2);
    dark->addWidget(ui->AppColorModeLabel2);
    appPictures->addLayout(light);
    appPictures->addSpacing(20);
    appPictures->addLayout(dark);
    box->addLayout(appPictures);
    box->addLayout(pagelayout::row({ui->AppColorModeComboBox, ui->AppColorModePushButton}));

    windowsMode.bind(ui->WindowsColorModeComboBox);
    appMode.bind(ui->AppColorModeComboBox);
    loadSetting();
}

WindowsColorModeForm::~WindowsColorModeForm()
{
    delete ui;
}

bool WindowsColorModeForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void WindowsColorModeForm::on_WindowsColorModeComboBox_currentIndexChanged(int)
{
    windowsMode.report();
}

void WindowsColorModeForm::on_AppColorModeComboBox_currentIndexChanged(int)
{
    appMode.report();
}

void WindowsColorModeForm::on_WindowsColorModePushButton_clicked()
{
    windowsMode.setDefault();
}

void WindowsColorModeForm::on_AppColorModePushButton_clicked()
{
    appMode.setDefault();
}
