#include "findduplicateoptionsdialog.h"
#include "ui_findduplicateoptionsdialog.h"

#include "customfiletypedialog.h"
#include "findduplicatesettings.h"

#include <QDebug>
#include <QPixmap>
#include <QPointer>

FindDuplicateOptionsDialog::FindDuplicateOptionsDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::FindDuplicateOptionsDialog)
{
    ui->setupUi(this);
}

FindDuplicateOptionsDialog::~FindDuplicateOptionsDialog()
{
    delete ui;
}

void FindDuplicateOptionsDialog::fillTree()
{
    ui->treeWidget->clear();
    QList<QTreeWidgetItem *> items;
    for (const FileCategory &c : *categories) {
        auto *item = new QTreeWidgetItem(
            QStringList{c.name + QStringLiteral(" (") + c.extensions.join(QStringLiteral(", ")) + QLatin1Char(')')});
        item->setCheckState(0, c.enabled ? Qt::Checked : Qt::Unchecked);
        const QImage image = categoryImage(c.name);
        if (!image.isNull())
            item->setIcon(0, QIcon(QPixmap::fromImage(image)));
        items << item;
    }
    ui->treeWidget->addTopLevelItems(items);
}

void FindDuplicateOptionsDialog::on_closeButton_clicked()
{
    // Hidden now, which ends the modal run even where the deferred delete waits for an outer loop.
    hide();
    deleteLater();
}

void FindDuplicateOptionsDialog::on_saveButton_clicked()
{
    const int count = ui->treeWidget->topLevelItemCount();
    for (int i = 0; i < count && i < categories->size(); ++i)
        (*categories)[i].enabled = ui->treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(QStringLiteral(FIND_DUPLICATE_KEY)), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        for (int i = 0; i < count; ++i) {
            const DWORD value = ui->treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
            RegSetValueExW(key, wstr(QString::number(i)), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                           sizeof(value));
        }
        RegCloseKey(key);
    }
    emit optionsChanged();
    hide();
    deleteLater();
}

void FindDuplicateOptionsDialog::on_addButton_clicked()
{
    auto *dialog = new CustomFileTypeDialog(this);
    connect(dialog, SIGNAL(optionsChanged()), this, SLOT(OnOptionsChanged()));
    QPointer<CustomFileTypeDialog> guard(dialog);
    dialog->exec();
    // Escape and the title-bar box end the run without a delete of their own.
    if (guard)
        guard->deleteLater();
}

void FindDuplicateOptionsDialog::OnOptionsChanged()
{
    qDebug() << "OnOptionsChanged";
    if (!categories->isEmpty())
        categories->last().extensions = parseCustomFileTypes(readCustomFileTypeList());
    fillTree();
    emit optionsChanged();
}
