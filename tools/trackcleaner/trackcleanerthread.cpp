#include "trackcleanerthread.h"

#include "krutils.h"
#include "shellhelpers.h"
#include "trackcleanerkinds.h"
#include "tracefolders.h"

#include <QDebug>
#include <QDir>

namespace {

// The Windows folder, or "" when the system cannot say.
QString windowsFolder()
{
    WCHAR buffer[MAX_PATH] = {0};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return fromWide(buffer, length);
}

// Whole MiB, rounded down.
int mebibytes(quint64 bytes)
{
    return int(bytes >> 20);
}

// A stored search string: UTF-16 up to its terminator, taken only from the bytes the read delivered. A value
// larger than the buffer delivers nothing usable.
QString searchText(const WCHAR *buffer, int bufferBytes, int size)
{
    if (size <= 0 || size > bufferBytes)
        return QString();
    return fromWide(buffer, size / 2);
}

} // namespace

TrackCleanerThread::TrackCleanerThread(QObject *parent) : QThread(parent) {}

void TrackCleanerThread::listFile(const QString &folder, const FolderListing &entry, quint64 &totalSize,
                                  QStringList &list)
{
    const QString path = nativeSeparators(folder + entry.name());
    list.append(path);
    totalSize += entry.size();
    if (listedTraces)
        listedTraces->insert(path, ListedTrace{collectBase, filecheck::identify(path)});
}

void TrackCleanerThread::run()
{
    if (listedTraces)
        listedTraces->clear();
    if (fileExplorerRecentFiles)
        scanRecentFiles();
    if (fileExplorerTypedPaths)
        scanTypedPaths();
    if (fileExplorerSearchHistory)
        scanSearchHistory();
    if (windowsRunDialog)
        scanRunHistory();
    if (windowsLogFiles)
        scanLogFiles();

    if (windowsErrorReporting && !cancel && windowsErrorReportingList) {
        const QString base = commonAppDataPath();
        qDebug() << base;
        windowsErrorReportingList->clear();
        quint64 total = 0;
        const int count = collectKind(base, tracepaths::errorReports, total, *windowsErrorReportingList);
        emit windowsErrorReportingFinish(count, mebibytes(total));
    }
    if (windowsNetworkData && !cancel && windowsNetworkDataList) {
        windowsNetworkDataList->clear();
        quint64 total = 0;
        const int count = collectKind(windowsFolder(), tracepaths::networkData, total, *windowsNetworkDataList);
        emit windowsNetworkDataFinish(count, mebibytes(total));
    }
    if (windowsTempFiles && !cancel && windowsTempFilesList) {
        windowsTempFilesList->clear();
        quint64 total = 0;
        const int count = collectKind(tempPath(), "", total, *windowsTempFilesList);
        emit windowsTempFilesFinish(count, mebibytes(total));
    }
    emit processFinish();
}

void TrackCleanerThread::scanRecentFiles()
{
    if (cancel || !fileExplorerRecentFilesList)
        return;
    QStringList &list = *fileExplorerRecentFilesList;
    list.clear();
    const QString profile = userProfilePath();
    const QString folder = profile + QLatin1String(tracepaths::recent);
    qDebug() << folder;
    // Without a profile there is no recent folder to look at (the path would hang off the root).
    if (!tracefolders::isUsableBase(profile) || !tracefolders::isFolder(folder))
        return;
    int count = 0;
    for (FolderListing entry(tracefolders::join(folder, QStringLiteral("*.*"))); !cancel && entry.next();) {
        if (entry.isDirectory())
            continue;
        list.append(entry.name());
        ++count;
    }
    emit fileExplorerRecentFilesFinish(count);
}

void TrackCleanerThread::scanTypedPaths()
{
    if (cancel || !fileExplorerTypedPathsList)
        return;
    const int count = scanRegistryValues(tracekeys::typedPaths, QString(), false, *fileExplorerTypedPathsList);
    emit fileExplorerTypedPathsFinish(count);
}

void TrackCleanerThread::scanSearchHistory()
{
    if (cancel || !fileExplorerSearchHistoryList)
        return;
    const int count = scanRegistryValues(tracekeys::wordWheelQuery, QStringLiteral("MRUListEx"), true,
                                         *fileExplorerSearchHistoryList);
    emit fileExplorerSearchHistoryFinish(count);
}

void TrackCleanerThread::scanRunHistory()
{
    if (cancel || !windowsRunDialogList)
        return;
    const int count = scanRegistryValues(tracekeys::runMru, QStringLiteral("MRUList"), false, *windowsRunDialogList);
    emit windowsRunDialogFinish(count);
}

int TrackCleanerThread::scanRegistryValues(const char *keyPath, const QString &skipped, bool searchTextData,
                                           QStringList &list)
{
    list.clear();
    const QString path = QLatin1String(keyPath);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    KRUtils utils;
    int count = 0;
    for (DWORD index = 0; !cancel; ++index) {
        WCHAR name[MAX_PATH];
        DWORD length = MAX_PATH;
        if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const QString valueName = fromWide(name, length);
        if (!skipped.isEmpty() && valueName.compare(skipped, Qt::CaseInsensitive) == 0)
            continue;
        QString text;
        if (searchTextData) {
            WCHAR data[512] = {0};
            int size = 0;
            if (utils.readRegBinary(HKEY_CURRENT_USER, path, valueName, reinterpret_cast<BYTE *>(data), &size))
                text = searchText(data, int(sizeof(data)), size);
        } else {
            utils.readRegString(HKEY_CURRENT_USER, path, valueName, text);
        }
        qDebug() << text;
        // A value that cannot be read still counts, as an empty entry.
        list.append(text);
        ++count;
    }
    RegCloseKey(key);
    return count;
}

void TrackCleanerThread::scanLogFiles()
{
    if (cancel || !windowsLogFilesList)
        return;
    QStringList &list = *windowsLogFilesList;
    list.clear();
    quint64 total = 0;
    int count = 0;
    const QString windows = windowsFolder();
    if (tracefolders::isUsableBase(windows)) {
        collectBase = windows;
        count += collectLogFiles(tracefolders::withSeparator(windows), total, list);
    }
    const QString profile = userProfilePath();
    if (tracefolders::isUsableBase(profile)) {
        // Spelled as the listed paths are, so that the clearing finds each of them below it.
        collectBase = nativeSeparators(profile + QLatin1String(tracepaths::localMicrosoft));
        count += collectLogFiles(collectBase, total, list);
    }
    emit windowsLogFilesFinish(count, mebibytes(total));
}

int TrackCleanerThread::collectKind(const QString &base, const char *subFolder, quint64 &totalSize, QStringList &list)
{
    if (!tracefolders::isUsableBase(base))
        return 0;
    collectBase = nativeSeparators(base + QLatin1String(subFolder));
    return collectFiles(collectBase, totalSize, list);
}

bool TrackCleanerThread::enterFolder(QString &folder)
{
    if (cancel)
        return false;
    folder = tracefolders::withSeparator(folder);
    return tracefolders::isFolder(folder);
}

int TrackCleanerThread::collectFiles(QString folder, quint64 &totalSize, QStringList &list)
{
    if (!enterFolder(folder))
        return 0;
    int count = 0;
    for (FolderListing entry(folder + QStringLiteral("*.*")); !cancel && entry.next();) {
        if (entry.isDirectory()) {
            // A linked folder may lead anywhere: it is not a folder of this kind, so it is neither entered nor
            // listed for deletion.
            if (!entry.isReparsePoint())
                count += collectFiles(folder + entry.name() + QLatin1Char('/'), totalSize, list);
            continue;
        }
        listFile(folder, entry, totalSize, list);
        ++count;
    }
    return count;
}

int TrackCleanerThread::collectLogFiles(QString folder, quint64 &totalSize, QStringList &list)
{
    if (!enterFolder(folder))
        return 0;
    int count = 0;
    // Only plain log files: one that is also read-only, hidden, system, compressed and so on is left alone. The
    // archive mark may be gone (a backup took it: FILE_ATTRIBUTE_NORMAL), and a file left out of the index is
    // still plain.
    const DWORD plain = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    for (FolderListing entry(folder + QStringLiteral("*.log")); !cancel && entry.next();) {
        if (entry.attributes() & ~plain)
            continue;
        listFile(folder, entry, totalSize, list);
        ++count;
    }
    for (FolderListing entry(folder + QStringLiteral("*.*")); !cancel && entry.next();) {
        if (entry.isDirectory() && !entry.isReparsePoint())
            count += collectLogFiles(folder + entry.name() + QLatin1Char('/'), totalSize, list);
    }
    return count;
}
