#include "iteminfoform.h"
#include "ui_iteminfoform.h"

#include "krutils.h"

#include <QImage>
#include <QPixmap>

ItemInfoForm::ItemInfoForm(QWidget *parent) : QWidget(parent), ui(new Ui::ItemInfoForm)
{
    ui->setupUi(this);
    // Until a picture is found the icon place stays blank rather than showing the designer's text.
    ui->icon->clear();
    // A volume label, a folder's name and a file system's name come from the drive: never read as markup.
    ui->volumeLabel->setTextFormat(Qt::PlainText);
    ui->fsLabel->setTextFormat(Qt::PlainText);
}

ItemInfoForm::~ItemInfoForm()
{
    delete ui;
}

void ItemInfoForm::setName(QString name)
{
    ui->volumeLabel->setText(name);
    ui->volumeLabel->adjustSize();
}

void ItemInfoForm::setDetail(QString detail)
{
    ui->fsLabel->setText(detail);
    ui->fsLabel->adjustSize();
}

void ItemInfoForm::setSizeText(QString text)
{
    ui->sizeLabel->setText(text);
    // A text wider than its place grows to the left, towards the name, rather than being cut.
    QRect place = ui->sizeLabel->geometry();
    const int needed = ui->sizeLabel->sizeHint().width();
    if (needed > place.width()) {
        place.setLeft(place.right() - needed + 1);
        ui->sizeLabel->setGeometry(place);
    }
}

void ItemInfoForm::setUsage(int percent)
{
    ui->progressBar->setValue(percent);
}

void ItemInfoForm::setIconFromPath(QString path)
{
    // The 48 x 48 picture of the real drive or folder; without one the label keeps what it showed.
    const QImage image = KRUtils().fileIconImage(path);
    if (image.isNull())
        return;
    ui->icon->setPixmap(QPixmap::fromImage(image));
    ui->icon->adjustSize();
}

void ItemInfoForm::setStartEnabled(bool enabled)
{
    ui->startButton->setEnabled(enabled);
}

void ItemInfoForm::hideUsage()
{
    ui->progressBar->hide();
    ui->sizeLabel->hide();
    ui->infoButton->hide();
}

void ItemInfoForm::on_infoButton_clicked()
{
    emit showDetails(index);
}

void ItemInfoForm::on_startButton_clicked()
{
    emit startScan(index);
}
