// One preview download of the image archive: the answer for a request address, the image's copyright text,
// and the image itself into the main program's own wallpaper file. One thread object serves one download.
#pragma once

#include <QString>
#include <QThread>

#include <atomic>

// The file the last download wrote to; read by the pages after downloadComplete().
extern QString downloadedImagePath;
// Cuts a running download short; cleared when a page starts the next one.
extern std::atomic<bool> downloadAbortRequested;

class LoadWallpaperThread : public QThread
{
    Q_OBJECT

public:
    explicit LoadWallpaperThread(QObject *parent = nullptr);

    QString url;
    std::atomic<bool> stopRequested{false};
    // Time limits of the two transfers.
    unsigned answerLimitMs = 30000;
    unsigned imageLimitMs = 120000;
    // Largest image taken: far more than any wallpaper the archive serves.
    unsigned imageByteLimit = 32 * 1024 * 1024;

signals:
    void downloadComplete();
    void processFinish();
    void downloadFail();
    void showDesc(QString copyright);

protected:
    void run() override;

private:
    void fetchImageInfo();
    void downloadImage(const QByteArray &address);
};
