#include "hiddenfilesform.h"
#include "ui_hiddenfilesform.h"

#include "krutils.h"
#include "pagelayout.h"

HiddenFilesForm::HiddenFilesForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("hidden files folders drives File Explorer"), parent),
      ui(new Ui::HiddenFilesForm),
      hiddenFiles(this, 601,
                  registryDword(HKEY_CURRENT_USER,
                                QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"),
                                QStringLiteral("Hidden")),
                  0,
                  {{QStringLiteral("Show hidden files, folders and drives"),
                    QStringLiteral("Show hidden files, folders and drives in File Explorer.")},
                   {QStringLiteral("Don't show hidden files, folders or drives (default)"),
                    QStringLiteral("Don't show hidden files, folders and drives in File Explorer (default).")}},
                  1)
{
    // 1 shows hidden items and 2 hides them; any other value (absent included) hides them as well.
    hiddenFiles.setValues({1, 2});
    hiddenFiles.setUnlistedIndex(1);
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->HiddenFilesGroupBox, {ui->HiddenFilesDescLabel},
                         {{ui->HiddenFilesComboBox, ui->HiddenFilesPushButton}});
    hiddenFiles.bind(ui->HiddenFilesComboBox);
    loadSetting();
}

HiddenFilesForm::~HiddenFilesForm()
{
    delete ui;
}

bool HiddenFilesForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(601, fromStored, removeValue, storedValue);
}

void HiddenFilesForm::on_HiddenFilesComboBox_currentIndexChanged(int)
{
    hiddenFiles.report();
}

void HiddenFilesForm::on_HiddenFilesPushButton_clicked()
{
    hiddenFiles.setDefault();
}
