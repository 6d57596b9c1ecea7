#include "securedeleteoptionsdialog.h"
#include "ui_securedeleteoptionsdialog.h"

#include "securedeleteform.h"
#include "securedeletethread.h"

SecureDeleteOptionsDialog::SecureDeleteOptionsDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::SecureDeleteOptionsDialog)
{
    ui->setupUi(this);
}

SecureDeleteOptionsDialog::~SecureDeleteOptionsDialog()
{
    delete ui;
}

void SecureDeleteOptionsDialog::loadOptions()
{
    if (!options)
        return;
    switch (options->DeleteMode) {
    case 1:
        ui->dod7RadioButton->setChecked(true);
        break;
    case 2:
        ui->dod3RadioButton->setChecked(true);
        break;
    case 3:
        ui->randomRadioButton->setChecked(true);
        break;
    default:
        ui->gutmannRadioButton->setChecked(true);
        break;
    }
    // The spin box keeps the count within its own 1 to 99.
    ui->randomSpinBox->setValue(int(qMin<quint32>(options->NumPasses, 99)));
    const bool random = ui->randomRadioButton->isChecked();
    ui->randomLabel->setEnabled(random);
    ui->randomSpinBox->setEnabled(random);
}

void SecureDeleteOptionsDialog::on_closeButton_clicked()
{
    deleteLater();
}

void SecureDeleteOptionsDialog::on_saveButton_clicked()
{
    DWORD mode = 0;
    if (ui->dod7RadioButton->isChecked())
        mode = 1;
    else if (ui->dod3RadioButton->isChecked())
        mode = 2;
    else if (ui->randomRadioButton->isChecked())
        mode = 3;
    const DWORD passes = DWORD(ui->randomSpinBox->value());
    if (options) {
        options->DeleteMode = mode;
        options->NumPasses = passes;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(QStringLiteral(SECURE_DELETE_KEY)), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, WSTR("DeleteMode"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&mode), sizeof(mode));
        RegSetValueExW(key, WSTR("NumPasses"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&passes), sizeof(passes));
        RegCloseKey(key);
    }
    deleteLater();
}

void SecureDeleteOptionsDialog::on_randomRadioButton_toggled(bool checked)
{
    ui->randomLabel->setEnabled(checked);
    ui->randomSpinBox->setEnabled(checked);
}
