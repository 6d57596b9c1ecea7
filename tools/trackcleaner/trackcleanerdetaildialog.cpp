#include "trackcleanerdetaildialog.h"

#include "ui_trackcleanerdetaildialog.h"

TrackCleanerDetailDialog::TrackCleanerDetailDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::TrackCleanerDetailDialog)
{
    ui->setupUi(this);
}

TrackCleanerDetailDialog::~TrackCleanerDetailDialog()
{
    delete ui;
}

void TrackCleanerDetailDialog::setItems()
{
    ui->listWidget->clear();
    if (items)
        ui->listWidget->addItems(*items);
}

void TrackCleanerDetailDialog::on_pushButton_clicked()
{
    // Going away also ends the dialog's modal run.
    deleteLater();
}
