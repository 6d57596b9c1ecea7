#include "scaninfoform.h"
#include "ui_scaninfoform.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

ScanInfoForm::ScanInfoForm(QWidget *parent) : QWidget(parent), ui(new Ui::ScanInfoForm)
{
    ui->setupUi(this);
    auto *row = new QHBoxLayout;
    row->addWidget(ui->progressBar);
    row->addWidget(ui->pushButton);
    auto *layout = new QVBoxLayout;
    layout->setAlignment(Qt::AlignVCenter);
    layout->addWidget(ui->label);
    layout->addWidget(ui->label_2);
    layout->addLayout(row);
    setLayout(layout);
}

ScanInfoForm::~ScanInfoForm()
{
    delete ui;
}

void ScanInfoForm::setMessageText(QString text)
{
    ui->label->setText(text);
}

void ScanInfoForm::setDetailText(QString text)
{
    ui->label_2->setText(text);
}

void ScanInfoForm::setMaximum(int maximum)
{
    ui->progressBar->setMaximum(maximum);
}

void ScanInfoForm::stepProgress()
{
    // The bar refuses values above its maximum, so it stays full.
    ui->progressBar->setValue(ui->progressBar->value() + 1);
}

void ScanInfoForm::disableCancelButton()
{
    ui->pushButton->setEnabled(false);
}

void ScanInfoForm::on_pushButton_clicked()
{
    emit scanCancel();
}
