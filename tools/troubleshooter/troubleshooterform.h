// The Troubleshooter module page: four repairs of Windows caches (DNS resolver, icon cache, thumbnail cache,
// Microsoft Store), one button each. The DNS repair waits for ipconfig through its signals; the others
// finish within the click.
#pragma once

#include <QProcess>
#include <QString>
#include <QWidget>

namespace Ui {
class TroubleshooterForm;
}

class TroubleshooterForm : public QWidget
{
    Q_OBJECT

public:
    explicit TroubleshooterForm(QWidget *parent = nullptr);
    ~TroubleshooterForm() override;

    // What a cache repair did: files deleted, and files that stayed (in use, a link, or not reached from the
    // profile without a link).
    struct ClearResult
    {
        int deleted = 0;
        int failed = 0;
    };
    // Deletes the files of folder matching pattern ("iconcache_*.db"), a folder below the user's profile;
    // nothing when the folder is missing.
    static ClearResult clearCacheFiles(const QString &folder, const QString &pattern);
    // The Explorer cache folder of the user's profile; "" when the profile is unknown.
    static QString explorerCacheFolder();

private slots:
    void on_DNSCachePushButton_clicked();
    void myReadyReadStandardOutput();
    void processFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void processStarted();
    void processErrorOccurred(QProcess::ProcessError error);
    void on_IconCachePushButton_clicked();
    void on_ThumbnailCachePushButton_clicked();
    void on_MicrosoftStoreCachePushButton_clicked();

private:
    QProcess *newProcess();
    void clearCache(const QString &pattern, const QString &kind);

    Ui::TroubleshooterForm *ui;
    QProcess *process = nullptr;
    QString processOutput;
};
