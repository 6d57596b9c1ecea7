#include "loadwallpaperthread.h"

#include "boundedtransfer.h"
#include "imageaddress.h"
#include "picturecheck.h"
#include "krutils.h"
#include "win32.h"

#include <QDebug>
#include <QImage>

QString downloadedImagePath;
std::atomic<bool> downloadAbortRequested{false};

namespace {

// Image addresses in the archive's answer are relative to this origin.
const char ImageOrigin[] = "https://bing.com";
// Only the start of the answer is examined: the elements needed come early in it.
const int AnswerBytes = 1024;
const int ShortestAnswer = 200;

// The text between open and close in data; empty when either is missing.
QByteArray element(const QByteArray &data, const char *open, const char *close)
{
    std::string text;
    if (!imageaddress::elementText(data.constData(), size_t(data.size()), open, close, &text))
        return QByteArray();
    return QByteArray::fromStdString(text);
}

// Only a whole picture counts as a downloaded image: an error page, a portal's page, an empty answer or a
// picture cut short does not. Its structure first, then a decode of all of it, which also finds damage
// inside the picture; a preview that cannot be shown must not take the place of one that can.
bool isPicture(HANDLE file)
{
    // One read of the file through its handle, for the structure and the decode both.
    std::vector<unsigned char> bytes;
    return readPicture(file, &bytes) && !QImage::fromData(bytes.data(), int(bytes.size())).isNull();
}

// The preview's file, and the folder it is reached from without a link (base).
QString targetFile(QString *base)
{
    WCHAR folder[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        *base = fromWide(folder);
        return *base + QStringLiteral("\\" HUSHDECK_PRODUCT_NAME "\\Wallpaper\\image2.jpg");
    }
    *base = installPath;
    return installPath + QStringLiteral("\\image2.jpg");
}

} // namespace

LoadWallpaperThread::LoadWallpaperThread(QObject *parent) : QThread(parent) {}

void LoadWallpaperThread::run()
{
    fetchImageInfo();
    emit processFinish();
}

void LoadWallpaperThread::fetchImageInfo()
{
    if (stopRequested)
        return;
    QByteArray answer(AnswerBytes, '\0');
    ULONG total = 0;
    if (FAILED(readUrlStartWithin(wstr(url), answer.data(), ULONG(AnswerBytes), &total, answerLimitMs,
                                  &downloadAbortRequested))) {
        qDebug() << "URLOpenBlockingStreamA Failed.";
        // A refused, aborted or timed-out request is a failed download too: the page offers Reload again.
        emit downloadFail();
        return;
    }
    answer.truncate(int(total));
    qDebug() << "bytesRead: " << total;
    if (int(total) < ShortestAnswer) {
        emit downloadFail();
        return;
    }
    qDebug() << "buff: " << answer;

    const QByteArray copyright = element(answer, "<copyright>", "</copyright>");
    if (!copyright.isEmpty()) {
        qDebug() << "length: " << copyright.size();
        qDebug() << "copyrightStr: " << copyright;
        emit showDesc(QString::fromUtf8(copyright));
    }
    const QByteArray path = element(answer, "<url>", "</url>");
    if (path.isEmpty()) {
        // Without an image address there is nothing to download; the bare host is no image.
        emit downloadFail();
        return;
    }
    // The address stands in XML ("&amp;" is a plain "&" in it), and it may lead to the image host only.
    const std::string address = imageaddress::build(ImageOrigin, path.toStdString());
    if (address.empty()) {
        qDebug() << "Image address refused: " << path;
        emit downloadFail();
        return;
    }
    downloadImage(QByteArray::fromStdString(address));
}

void LoadWallpaperThread::downloadImage(const QByteArray &address)
{
    if (stopRequested)
        return;
    QString base;
    const QString target = targetFile(&base);
    downloadedImagePath = target;
    // The file is replaced only by a picture: the one on view stays settable when the answer is none. Its
    // folder is reached from the application-data folder without a link.
    const HRESULT hr = downloadToFileWithin(wstr(QString::fromUtf8(address)), wstr(target), imageLimitMs,
                                            imageByteLimit, &downloadAbortRequested, isPicture, wstr(base));
    if (hr == S_OK) {
        qDebug() << "The file is saved to " << target;
        emit downloadComplete();
    } else {
        qDebug() << "Unable to Download the file.";
        emit downloadFail();
    }
}
