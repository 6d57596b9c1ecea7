#include "trackcleanerclearthread.h"

#include "krutils.h"
#include "shellhelpers.h"
#include "trackcleanerkinds.h"
#include "tracefolders.h"

#include <QDebug>

TrackCleanerClearThread::TrackCleanerClearThread(QObject *parent) : QThread(parent) {}

void TrackCleanerClearThread::run()
{
    // What this run sets out to delete, so that a stopped run can tell how far it came.
    if (fileExplorerRecentFiles)
        for (const QString &folder : recentFolders())
            filesToClear += countFilesIn(folder);
    const std::pair<bool, const QStringList *> listed[] = {{windowsLogFiles, windowsLogFilesList},
                                                           {windowsErrorReporting, windowsErrorReportingList},
                                                           {windowsNetworkData, windowsNetworkDataList},
                                                           {windowsTempFiles, windowsTempFilesList}};
    for (const auto &kind : listed)
        if (kind.first && kind.second)
            filesToClear += int(kind.second->size());

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
    for (const QString &folder : recentFolders())
        deleteFilesIn(folder);
    emit fileExplorerRecentFilesFinish(0);
}

QStringList TrackCleanerClearThread::recentFolders() const
{
    const QString profile = userProfilePath();
    // Without a profile the folders below would hang off the root: nothing there is a recent item.
    if (!tracefolders::isUsableBase(profile))
        return {};
    return {profile + QLatin1String(tracepaths::automaticDestinations),
            profile + QLatin1String(tracepaths::customDestinations), profile + QLatin1String(tracepaths::recent)};
}

int TrackCleanerClearThread::countFilesIn(const QString &folder) const
{
    int files = 0;
    for (FolderListing entry(tracefolders::join(folder, QStringLiteral("*.*"))); entry.next();)
        files += entry.isDirectory() ? 0 : 1;
    return files;
}

int TrackCleanerClearThread::deleteFilesIn(QString folder)
{
    if (cancel || !tracefolders::isFolder(folder))
        return 0;
    qDebug() << folder;
    // Held from the profile down while its files go: a recent-item folder that is a link, or becomes one, leads
    // elsewhere, and nothing there goes.
    filecheck::HeldFolders held;
    const bool reached = held.hold(userProfilePath(), folder);
    int tried = 0;
    for (FolderListing entry(tracefolders::join(folder, QStringLiteral("*.*"))); !cancel && entry.next();) {
        if (entry.isDirectory())
            continue;
        const QString path = tracefolders::join(folder, entry.name());
        if (reached && filecheck::deleteChecked(path, filecheck::AnyEntry))
            ++filesCleared;
        else
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
        // Only the file the analysis listed, reached as it was then: its folders are held from the kind's base
        // down and the file is checked on its handle, so a folder swapped for a link or a file replaced since is
        // left alone. A file that is in use, read-only or already gone counts as not deleted.
        const auto record = listedTraces ? listedTraces->constFind(path) : ListedTraces::const_iterator();
        filecheck::HeldFolders held;
        const bool reached = listedTraces && record != listedTraces->constEnd() && record->identity.known &&
                             held.hold(record->base, filecheck::folderOf(path));
        if (reached && filecheck::deleteChecked(path, filecheck::AnyEntry, record->identity))
            ++filesCleared;
        else
            ++cannotDeleteCount;
    }
}
