#include "gamemodeform.h"
#include "ui_gamemodeform.h"

#include "pagelayout.h"

GameModeForm::GameModeForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("Game Mode performance"), parent), ui(new Ui::GameModeForm),
      gameMode(this, 103,
               registryDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\GameBar"),
                             QStringLiteral("AutoGameModeEnabled")),
               1,
               {{QStringLiteral("Disable"), QStringLiteral("Disable Game Mode feature.")},
                {QStringLiteral("Enable (Default)"), QStringLiteral("Enable Game Mode feature (default).")}},
               1)
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->GameModeGroupBox, {ui->GameModeDescLabel},
                         {{ui->GameModeComboBox, ui->GameModePushButton}});
    gameMode.bind(ui->GameModeComboBox);
    loadSetting();
}

GameModeForm::~GameModeForm()
{
    delete ui;
}

bool GameModeForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(103, fromStored, removeValue, storedValue);
}

void GameModeForm::on_GameModeComboBox_currentIndexChanged(int)
{
    gameMode.report();
}

void GameModeForm::on_GameModePushButton_clicked()
{
    gameMode.setDefault();
}
