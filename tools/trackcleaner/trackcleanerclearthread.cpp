#include "trackcleanerclearthread.h"

#include "krutils.h"
#include "shellhelpers.h"
#include "trackcleanerkinds.h"
#include "tracefolders.h"

#include <QDebug>

TrackCleanerClearThread::TrackCleanerClearThread(QObject *parent) : QThread(parent) {}

void TrackCleanerClearThread::run()
{
    if (fileExplorerRecentFiles)
        clearRecentFiles();
    if (fileExplorerTypedPaths && !cancel) {
        recreateExplorerKey("TypedPaths", tracekeys::typedPaths);
        emit fileExplorerTypedPathsFinish(0);
    }
    if (fileExplorerSearchHistory && !cancel) {
        recreateExplorerKey("WordWheelQuery", tracekeys::wordWheelQuery);
        emit fileExplorerSearchHistoryFinish(0);
    }
    if (windowsRunDialog && !cancel) {
        recreateExplorerKey("RunMRU", tracekeys::runMru);
        emit windowsRunDialogFinish(0);
    }
    if (windowsLogFiles && !cancel) {
        deleteListed(windowsLogFilesList);
        emit windowsLogFilesFinish(0, 0);
    }
    if (windowsErrorReporting && !cancel) {
        deleteListed(windowsErrorReportingList);
        emit windowsErrorReportingFinish(0, 0);
    }
    if (windowsNetworkData && !cancel) {
        deleteListed(windowsNetworkDataList);
        emit windowsNetworkDataFinish(0, 0);
    }
    if (windowsTempFiles && !cancel) {
        deleteListed(windowsTempFilesList);
        emit windowsTempFilesFinish(0, 0);
    }
    emit processFinish(cannotDeleteCount);
}

void TrackCleanerClearThread::clearRecentFiles()
{
    if (cancel)
        return;
    KRUtils utils;
    // The registry's word on these is not looked at: whatever is left stays, the files go all the same.
    utils.deleteRegSubKeys(HKEY_CURRENT_USER, QLatin1String(tracekeys::recentDocs));
    utils.deleteRegKey(HKEY_CURRENT_USER, QLatin1String(tracekeys::explorer), QStringLiteral("RecentDocs"));
    utils.createRegKey(HKEY_CURRENT_USER, QLatin1String(tracekeys::recentDocs));
    const QString profile = userProfilePath();
    // Without a profile the folders below would hang off the root: nothing there is a recent item.
    if (tracefolders::isUsableBase(profile)) {
        deleteFilesIn(profile + QLatin1String(tracepaths::automaticDestinations));
        deleteFilesIn(profile + QLatin1String(tracepaths::customDestinations));
        deleteFilesIn(profile + QLatin1String(tracepaths::recent));
    }
    emit fileExplorerRecentFilesFinish(0);
}

int TrackCleanerClearThread::deleteFilesIn(QString folder)
{
    if (cancel || !tracefolders::isFolder(folder))
        return 0;
    qDebug() << folder;
    int tried = 0;
    for (FolderListing entry(tracefolders::join(folder, QStringLiteral("*.*"))); !cancel && entry.next();) {
        if (entry.isDirectory())
            continue;
        const QString path = tracefolders::join(folder, entry.name());
        if (!DeleteFileW(wstr(path)))
            ++cannotDeleteCount;
        qDebug() << path;
        ++tried;
    }
    return tried;
}

void TrackCleanerClearThread::recreateExplorerKey(const char *child, const char *fullPath)
{
    KRUtils utils;
    utils.deleteRegKey(HKEY_CURRENT_USER, QLatin1String(tracekeys::explorer), QLatin1String(child));
    utils.createRegKey(HKEY_CURRENT_USER, QLatin1String(fullPath));
}

void TrackCleanerClearThread::deleteListed(const QStringList *list)
{
    if (!list)
        return;
    for (const QString &path : *list) {
        if (cancel)
            break;
        // A file that is in use, read-only or already gone counts as not deleted.
        if (!DeleteFileW(wstr(path)))
            ++cannotDeleteCount;
    }
}
