#include "customfiletypedialog.h"
#include "ui_customfiletypedialog.h"

#include "findduplicatesettings.h"
#include "win32.h"

#include <QDebug>

CustomFileTypeDialog::CustomFileTypeDialog(QWidget *parent) : QDialog(parent), ui(new Ui::CustomFileTypeDialog)
{
    ui->setupUi(this);
    ui->lineEdit->setText(readCustomFileTypeList());
}

CustomFileTypeDialog::~CustomFileTypeDialog()
{
    delete ui;
}

void CustomFileTypeDialog::on_saveButton_clicked()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(QStringLiteral(FIND_DUPLICATE_KEY)), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const QString text = ui->lineEdit->text();
        RegSetValueExW(key, WSTR("CustomFileType"), 0, REG_SZ, reinterpret_cast<const BYTE *>(wstr(text)),
                       DWORD(text.size() + 1) * 2);
        qDebug() << text;
        RegCloseKey(key);
    }
    // Hidden now, which ends the modal run even where the deferred delete waits for an outer loop.
    hide();
    deleteLater();
    emit optionsChanged();
}

void CustomFileTypeDialog::on_closeButton_clicked()
{
    hide();
    deleteLater();
}
