#include "checkupdatedialog.h"
#include "ui_checkupdatedialog.h"

#include "picturedialoglayout.h"
#include "productinfo.h"
#include "win32.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QVBoxLayout>

int CheckUpdateDialog::requestTimeout = 20000;
int CheckUpdateDialog::checkDeadline = 30000;

CheckUpdateDialog::CheckUpdateDialog(QWidget *parent) : QDialog(parent), ui(new Ui::CheckUpdateDialog)
{
    ui->setupUi(this);
    remoteMajorVersion = 0;
    remoteMinorVersion = 0;
    ui->downloadButton->hide();
    auto *column = new QVBoxLayout;
    column->addWidget(ui->label);
    column->addSpacing(10);
    column->addWidget(ui->installVersionLabel);
    column->addWidget(ui->messageLabel);
    picturedialog::layOut(this, ui->label_4, column, {ui->downloadButton, ui->closeButton});

    ui->installVersionLabel->setText(QStringLiteral("Installed Version: ") + QString::number(installedMajorVersion) +
                                     QLatin1Char('.') + QString::number(installedMinorVersion));

    // The request runs while the dialog is shown; the manager and any reply still running go with the dialog.
    manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this, &CheckUpdateDialog::fileIsReady);
    QNetworkRequest request(machineUrl(QUrl(QStringLiteral(HUSHDECK_UPDATE_URL))));
    // A server that accepts the connection and never answers must not leave the check hanging.
    request.setTransferTimeout(requestTimeout);
    QNetworkReply *reply = manager->get(request);
    // Whoever answers decides how much comes and how slowly: the answer is cut off beyond its largest size
    // and the check beyond its deadline, and either ends as a failed check.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > LargestAnswer || total > LargestAnswer)
            reply->abort();
    });
    QTimer::singleShot(checkDeadline, reply, [reply] {
        if (reply->isRunning())
            reply->abort();
    });
}

CheckUpdateDialog::~CheckUpdateDialog()
{
    // A request still running is abandoned with the manager, after this part of the dialog is gone.
    manager->disconnect(this);
    delete ui;
}

void CheckUpdateDialog::parseUpdateItem(const QString &item, RemoteVersion &version)
{
    const qsizetype equals = item.indexOf(QLatin1Char('='));
    if (item.isEmpty() || equals < 0)
        return;
    const QString key = item.left(equals);
    const QString value = item.mid(equals + 1);
    qDebug().noquote() << key;
    qDebug().noquote() << value;
    if (key == QLatin1String("majorVersion")) {
        qDebug() << "majorVersion found";
        version.majorVersion = value.toInt(&version.majorRead, 10);
    } else if (key == QLatin1String("minorVersion")) {
        qDebug() << "minorVersion found";
        version.minorVersion = value.toInt(&version.minorRead, 10);
    }
}

CheckUpdateDialog::RemoteVersion CheckUpdateDialog::parseUpdateFile(const QString &text)
{
    RemoteVersion version;
    // Every item, the last one after the final ";" included (it may be empty).
    const QStringList items = text.split(QLatin1Char(';'));
    for (QString item : items)
        parseUpdateItem(item.remove(QStringLiteral("\r\n")), version);
    return version;
}

bool CheckUpdateDialog::isNewer(const RemoteVersion &remote)
{
    return remote.majorVersion > installedMajorVersion ||
           (remote.majorVersion == installedMajorVersion && remote.minorVersion > installedMinorVersion);
}

void CheckUpdateDialog::fileIsReady(QNetworkReply *reply)
{
    reply->deleteLater();

    // Without the file nothing is known about the newest version: an error page or no answer at all is a
    // failed check, never "no update".
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        qDebug() << "Update check failed:" << status << reply->errorString();
        showFailure();
        return;
    }

    if (reply->bytesAvailable() > LargestAnswer) {
        qDebug() << "Update check failed: the answer is too large";
        showFailure();
        return;
    }
    const RemoteVersion remote = parseUpdateFile(QString::fromUtf8(reply->read(LargestAnswer)));
    // An empty answer, a portal's or proxy's HTML page or a file without both numbers names no version:
    // comparing the zeros it leaves would wrongly tell the user there is no update.
    if (!remote.complete()) {
        qDebug() << "Update check failed: the answer names no version";
        showFailure();
        return;
    }
    remoteMajorVersion = remote.majorVersion;
    remoteMinorVersion = remote.minorVersion;
    if (isNewer(remote)) {
        ui->downloadButton->show();
        ui->messageLabel->setText(QStringLiteral("Version ") + QString::number(remoteMajorVersion) + QLatin1Char('.') +
                                  QString::number(remoteMinorVersion) + QStringLiteral(" is available to download."));
    } else {
        ui->messageLabel->setText(QStringLiteral("There are no software updates available at this time."));
    }
}

void CheckUpdateDialog::showFailure()
{
    ui->messageLabel->setText(QStringLiteral("Could not check for updates. Please try again later."));
}

void CheckUpdateDialog::on_downloadButton_clicked()
{
    ShellExecuteW(nullptr, nullptr, wstr(QStringLiteral(HUSHDECK_PRODUCT_PAGE)), nullptr, nullptr, SW_SHOW);
}

// Freeing the dialog also ends its modal run and abandons a request still running.
void CheckUpdateDialog::on_closeButton_clicked()
{
    deleteLater();
}
