#include "reviewchangesdialog.h"
#include "ui_reviewchangesdialog.h"

#include "tickedrows.h"
#include "viewcolumns.h"

#include <QHBoxLayout>
#include <QStandardItemModel>
#include <QVBoxLayout>

ReviewChangesDialog::ReviewChangesDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ReviewChangesDialog), checkedCount(0)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    model = new QStandardItemModel(0, 3, this);
    model->setHorizontalHeaderLabels({tr("Task"), tr("Location"), tr("index")});

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui->ApplyPushButton);
    buttons->addWidget(ui->ClosePushButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->ReviewChangesTreeView);
    layout->addLayout(buttons);
    ui->ReviewChangesTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->ReviewChangesTreeView->setRootIsDecorated(false);
}

ReviewChangesDialog::~ReviewChangesDialog()
{
    delete ui;
}

void ReviewChangesDialog::loadChanges()
{
    checkedCount = 0;
    if (settingChangeList) {
        for (const KRGlobal::SettingsData &entry : *settingChangeList) {
            tickedrows::append(model, entry.desc, {entry.location, QString::number(entry.index)});
            ++checkedCount;
        }
    }
    ui->ReviewChangesTreeView->setModel(model);
    ui->ReviewChangesTreeView->setColumnHidden(2, true);
    viewcolumns::setWidths(ui->ReviewChangesTreeView, {{0, 600}});
    ui->ApplyPushButton->setEnabled(checkedCount > 0);
    connect(model, SIGNAL(itemChanged(QStandardItem *)), this, SLOT(onItemChanged(QStandardItem *)));
}

void ReviewChangesDialog::onItemChanged(QStandardItem *)
{
    checkedCount = tickedrows::count(model);
    ui->ApplyPushButton->setEnabled(checkedCount > 0);
}

void ReviewChangesDialog::on_ApplyPushButton_clicked()
{
    settingList.clear();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (!tickedrows::isTicked(model, row))
            continue;
        KRGlobal::SettingsData entry;
        entry.index = model->item(row, 2)->text().toInt();
        entry.desc = model->item(row, 0)->text();
        entry.location = model->item(row, 1)->text();
        settingList.append(entry);
    }
    emit applyChanged(settingList);
    close();
}

void ReviewChangesDialog::on_ClosePushButton_clicked()
{
    close();
}
