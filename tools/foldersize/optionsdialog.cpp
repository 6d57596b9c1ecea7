#include "optionsdialog.h"
#include "ui_optionsdialog.h"

#include "categoryicons.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(QWidget *parent) : QDialog(parent), ui(new Ui::OptionsDialog)
{
    ui->setupUi(this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui->saveButton);
    buttons->addWidget(ui->closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->treeWidget);
    layout->addLayout(buttons);
    ui->treeWidget->setHeaderLabels({QStringLiteral("File Extension")});
}

OptionsDialog::~OptionsDialog()
{
    delete ui;
}

void OptionsDialog::fillTree()
{
    if (!categories)
        return;
    QList<QTreeWidgetItem *> items;
    for (const FileCategory &category : *categories) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, category.name + QStringLiteral(" (") + category.extensions.join(QStringLiteral(", ")) +
                             QLatin1Char(')'));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, category.enabled ? Qt::Checked : Qt::Unchecked);
        const QString icon = categoryIconByName(category.name);
        if (!icon.isEmpty())
            item->setIcon(0, QIcon(icon));
        items.append(item);
    }
    ui->treeWidget->addTopLevelItems(items);
}

void OptionsDialog::on_closeButton_clicked()
{
    deleteLater();
}

void OptionsDialog::on_saveButton_clicked()
{
    const int count = ui->treeWidget->topLevelItemCount();
    for (int i = 0; i < count && categories && i < categories->size(); ++i)
        (*categories)[i].enabled = ui->treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked;

    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Keelrun\\Folder Size Analyzer\\Disk Usage Analyzer"), 0,
                        nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        for (int i = 0; i < count; ++i) {
            const DWORD value = ui->treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
            RegSetValueExW(key, wstr(QString::number(i)), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                           sizeof(value));
        }
        RegCloseKey(key);
    }
    deleteLater();
}
