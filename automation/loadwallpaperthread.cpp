#include "loadwallpaperthread.h"

#include "boundedtransfer.h"
#include "imageaddress.h"
#include "krutils.h"
#include "win32.h"

#include <QDebug>
#include <QImageReader>

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

// Only a picture counts as a downloaded image: an error page, a portal's page or an empty answer does not.
bool isPicture(LPCWSTR file)
{
    return QImageReader(hostPath(fromWide(file))).canRead();
}

QString targetFile()
{
    WCHAR folder[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return fromWide(folder) + QStringLiteral("\\" HUSHDECK_PRODUCT_NAME "\\Wallpaper\\image2.jpg");
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
    const QString target = targetFile();
    downloadedImagePath = target;
    // The file is replaced only by a picture: the one on view stays settable when the answer is none.
    const HRESULT hr = downloadToFileWithin(wstr(QString::fromUtf8(address)), wstr(target), imageLimitMs,
                                            imageByteLimit, &downloadAbortRequested, isPicture);
    if (hr == S_OK) {
        qDebug() << "The file is saved to " << target;
        emit downloadComplete();
    } else {
        qDebug() << "Unable to Download the file.";
        emit downloadFail();
    }
}
