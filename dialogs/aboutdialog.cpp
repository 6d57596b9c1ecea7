#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include "productinfo.h"

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);

    ui->label->setText(QStringLiteral("Keelrun Hushdeck Plus!"));
    ui->label->adjustSize();

    ui->versionLabel->setText(QStringLiteral("Version: ") + QString::number(installedMajorVersion) + QLatin1Char('.') +
                              QString::number(installedMinorVersion));

    const QString site = QStringLiteral(HUSHDECK_MAKER_SITE);
    ui->webLabel->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(site));
    ui->webLabel->setTextFormat(Qt::RichText);
    ui->webLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
    ui->webLabel->setOpenExternalLinks(true);
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
