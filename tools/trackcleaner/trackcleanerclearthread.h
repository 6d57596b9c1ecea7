// The deleting half of the Track Cleaner: empties the registry kinds and the recent-items folders, deletes the
// files the last analysis listed, and reports how many files could not be deleted. One object serves one run.
#pragma once

#include "tracefolders.h"

#include <QStringList>
#include <QThread>

#include <atomic>

class TrackCleanerClearThread : public QThread
{
    Q_OBJECT

public:
    explicit TrackCleanerClearThread(QObject *parent);

    // Set by the page to stop; polled between entries.
    std::atomic<bool> cancel{false};

    bool fileExplorerRecentFiles = false;
    bool fileExplorerTypedPaths = false;
    bool fileExplorerSearchHistory = false;
    bool windowsRunDialog = false;
    bool windowsLogFiles = false;
    bool windowsErrorReporting = false;
    bool windowsNetworkData = false;
    bool windowsTempFiles = false;

    // Files whose deletion failed during this run, or that were left alone because they were no longer what
    // the analysis listed.
    int cannotDeleteCount = 0;
    // Files this run set out to delete (the listed ones and those in the recent-item folders), and how many of
    // them went. Final once processFinish is emitted.
    int filesToClear = 0;
    int filesCleared = 0;

    // The page's lists; only those of the four file kinds are read.
    QStringList *fileExplorerRecentFilesList = nullptr;
    QStringList *fileExplorerTypedPathsList = nullptr;
    QStringList *fileExplorerSearchHistoryList = nullptr;
    QStringList *windowsRunDialogList = nullptr;
    QStringList *windowsLogFilesList = nullptr;
    QStringList *windowsErrorReportingList = nullptr;
    QStringList *windowsTempFilesList = nullptr;
    QStringList *windowsNetworkDataList = nullptr;
    // What the analysis recorded of the listed files; a listed path without a record is not deleted.
    const ListedTraces *listedTraces = nullptr;

signals:
    void fileExplorerRecentFilesFinish(int itemCount);
    void fileExplorerTypedPathsFinish(int itemCount);
    void fileExplorerSearchHistoryFinish(int itemCount);
    void windowsRunDialogFinish(int itemCount);
    void windowsLogFilesFinish(int itemCount, int finalSize);
    void windowsErrorReportingFinish(int itemCount, int finalSize);
    void windowsNetworkDataFinish(int itemCount, int finalSize);
    void windowsTempFilesFinish(int itemCount, int finalSize);
    void processFinish(int cannotDelete);

protected:
    void run() override;

private:
    void clearRecentFiles();
    // Deletes the files directly in folder (sub-folders stay); the number of files tried.
    int deleteFilesIn(QString folder);
    // Drops an Explorer sub-key with its values and creates it again, empty.
    void recreateExplorerKey(const char *child, const char *fullPath);
    // Deletes each listed path; failures are counted.
    void deleteListed(const QStringList *list);
    // The files directly in the recent-item folders, and the folders themselves, below the profile.
    QStringList recentFolders() const;
    int countFilesIn(const QString &folder) const;
};
