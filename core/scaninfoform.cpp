#include "scaninfoform.h"
#include "ui_scaninfoform.h"

#include <QEvent>
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
    // A long path must not widen the page, and so the window: it loses its middle within the label's width.
    ui->label_2->setSizePolicy(QSizePolicy::Ignored, ui->label_2->sizePolicy().verticalPolicy());
    ui->label_2->installEventFilter(this);
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
    detailText = text;
    showDetailText();
}

void ScanInfoForm::showDetailText()
{
    // Before the label has its width there is nothing to fit the text to.
    QLabel *label = ui->label_2;
    const QString shown =
        label->isVisible() ? label->fontMetrics().elidedText(detailText, Qt::ElideMiddle, label->contentsRect().width())
                           : detailText;
    label->setText(shown);
    label->setToolTip(shown == detailText ? QString() : detailText);
}

bool ScanInfoForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->label_2 && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        showDetailText();
    return QWidget::eventFilter(watched, event);
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
