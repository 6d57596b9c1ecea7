// Check Update: fetches the maker's update file while the dialog is shown and tells whether a newer
// version than the installed one exists; if so it offers to open the product page.
#pragma once

#include <QDialog>

class QNetworkAccessManager;
class QNetworkReply;

namespace Ui {
class CheckUpdateDialog;
}

class CheckUpdateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CheckUpdateDialog(QWidget *parent = nullptr);
    ~CheckUpdateDialog() override;

    // The version an update file names; a number that is missing or not a number reads as 0.
    struct RemoteVersion
    {
        qint32 majorVersion = 0;
        qint32 minorVersion = 0;
        // Whether the last value given for each key was a number.
        bool majorRead = false;
        bool minorRead = false;
        // Only a file that names both numbers tells anything about the newest version.
        bool complete() const { return majorRead && minorRead; }
    };

    // The update file is a list of key=value items separated by ";". A "\r\n" inside an item is dropped,
    // nothing else is trimmed, and keys are case-sensitive, as the file has always been read.
    static RemoteVersion parseUpdateFile(const QString &text);
    // Reads one item into the version; an empty item, one without "=" or with an unknown key changes nothing.
    static void parseUpdateItem(const QString &item, RemoteVersion &version);
    static bool isNewer(const RemoteVersion &remote);

    // How long the request may go without a byte from the server before the check counts as failed.
    static int requestTimeout; // milliseconds
    // How long the whole check may take: a server that sends a byte now and then never trips the above.
    static int checkDeadline; // milliseconds
    // The update file is a few dozen bytes; an answer beyond this is none.
    static constexpr qint64 LargestAnswer = 4096;

public slots:
    void fileIsReady(QNetworkReply *reply);

private slots:
    void on_downloadButton_clicked();
    void on_closeButton_clicked();

private:
    void showFailure();

    Ui::CheckUpdateDialog *ui;
    qint32 remoteMajorVersion = 0;
    qint32 remoteMinorVersion = 0;
    QNetworkAccessManager *manager;
};
