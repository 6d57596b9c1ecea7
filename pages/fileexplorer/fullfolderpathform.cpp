#include "fullfolderpathform.h"
#include "ui_fullfolderpathform.h"

#include "krutils.h"
#include "pagelayout.h"

FullFolderPathForm::FullFolderPathForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("folder name full path File Explorer title bar"),
                  parent),
      ui(new Ui::FullFolderPathForm),
      fullFolderPath(
          this, 603,
          registryDword(HKEY_CURRENT_USER,
                        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState"),
                        QStringLiteral("FullPath")),
          0,
          {{QStringLiteral("Show Folder Name (Default)"),
            QStringLiteral("Show folder name only on the File Explorer title bar (default).")},
           {QStringLiteral("Show Full Folder Path"),
            QStringLiteral("Show full folder path on the File Explorer title bar.")}},
          0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->FullFolderPathGroupBox, {ui->FullFolderPathDescLabel},
                         {{ui->FullFolderPathComboBox, ui->FullFolderPathPushButton}});
    fullFolderPath.bind(ui->FullFolderPathComboBox);
    loadSetting();
}

FullFolderPathForm::~FullFolderPathForm()
{
    delete ui;
}

bool FullFolderPathForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(603, fromStored, removeValue, storedValue);
}

void FullFolderPathForm::on_FullFolderPathComboBox_currentIndexChanged(int)
{
    fullFolderPath.report();
}

void FullFolderPathForm::on_FullFolderPathPushButton_clicked()
{
    fullFolderPath.setDefault();
}
