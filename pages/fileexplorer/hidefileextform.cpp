#include "hidefileextform.h"
#include "ui_hidefileextform.h"

#include "krutils.h"
#include "pagelayout.h"

namespace {

const QString advancedKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced");
const QString hideFileExt = QStringLiteral("HideFileExt");

// The page keeps the choice, not the registry value: any nonzero value hides the extensions (choice 0),
// 0 shows them (choice 1), and choice 0 is written back as 1.
IntStore hideFileExtChoice()
{
    IntStore store = registryDword(HKEY_CURRENT_USER, advancedKey, hideFileExt);
    IntStore choice;
    choice.read = [read = store.read](int *value) {
        int raw = 0;
        if (!read(&raw))
            return false;
        *value = raw != 0 ? 0 : 1;
        return true;
    };
    choice.write = [write = store.write](int value) { return write(value == 0 ? 1 : 0); };
    choice.remove = store.remove;
    return choice;
}

} // namespace

HideFileExtForm::HideFileExtForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("file extensions File Explorer"), parent),
      ui(new Ui::HideFileExtForm),
      hideFileExt(
          this, 600, hideFileExtChoice(), 1,
          {{QStringLiteral("Hide (default)"), QStringLiteral("Hide file extensions in File Explorer (default).")},
           {QStringLiteral("Show"), QStringLiteral("Show file extensions in File Explorer.")}},
          0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->HideFileExtGroupBox, {ui->HideFileExtDescLabel, ui->HideFileExtDescLabel2},
                         {{ui->HideFileExtComboBox, ui->HideFileExtPushButton}});
    hideFileExt.bind(ui->HideFileExtComboBox);
    loadSetting();
}

HideFileExtForm::~HideFileExtForm()
{
    delete ui;
}

bool HideFileExtForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(600, fromStored, removeValue, storedValue);
}

void HideFileExtForm::on_HideFileExtComboBox_currentIndexChanged(int)
{
    hideFileExt.report();
}

void HideFileExtForm::on_HideFileExtPushButton_clicked()
{
    hideFileExt.setDefault();
}
