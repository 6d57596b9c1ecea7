#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include "edition.h"
#include "picturedialoglayout.h"
#include "productinfo.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);

    ui->label->setText(QStringLiteral(HUSHDECK_PRODUCT_NAME));

    ui->versionLabel->setText(QStringLiteral("Version: ") + QString::number(installedMajorVersion) + QLatin1Char('.') +
                              QString::number(installedMinorVersion));

    const QString site = QStringLiteral(HUSHDECK_MAKER_SITE);
    ui->webLabel->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(site));
    ui->webLabel->setTextFormat(Qt::RichText);
    ui->webLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
    ui->webLabel->setOpenExternalLinks(true);

    auto *column = new QVBoxLayout;
    column->addWidget(ui->label);
    column->addWidget(ui->label_5);
    column->addSpacing(20);
    column->addWidget(ui->versionLabel);
    column->addSpacing(20);
    auto *web = new QHBoxLayout;
    web->addWidget(ui->label_2);
    web->addWidget(ui->webLabel);
    web->addStretch(1);
    column->addLayout(web);
    column->addSpacing(20);
    column->addWidget(ui->line);
    picturedialog::layOut(this, ui->label_4, column, {ui->closeButton});
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

// Freeing the dialog also ends its modal run.
void AboutDialog::on_closeButton_clicked()
{
    deleteLater();
}
