// The read-only half of the Track Cleaner: counts and collects the traces of the selected kinds into the
// page's lists and reports each kind by its own signal. One object serves one analysis.
#pragma once

#include "tracefolders.h"

#include <QStringList>
#include <QThread>

#include <atomic>

class TrackCleanerThread : public QThread
{
    Q_OBJECT

public:
    explicit TrackCleanerThread(QObject *parent);

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

    // The page's lists; only those of the selected kinds are written.
    QStringList *fileExplorerRecentFilesList = nullptr;
    QStringList *fileExplorerTypedPathsList = nullptr;
    QStringList *fileExplorerSearchHistoryList = nullptr;
    QStringList *windowsRunDialogList = nullptr;
    QStringList *windowsLogFilesList = nullptr;
    QStringList *windowsErrorReportingList = nullptr;
    QStringList *windowsTempFilesList = nullptr;
    QStringList *windowsNetworkDataList = nullptr;
    // The page's record of the listed files of kinds 5 to 8, kept for the clearing; emptied at the start.
    ListedTraces *listedTraces = nullptr;

signals:
    void fileExplorerRecentFilesFinish(int itemCount);
    void fileExplorerTypedPathsFinish(int itemCount);
    void fileExplorerSearchHistoryFinish(int itemCount);
    void windowsRunDialogFinish(int itemCount);
    void windowsLogFilesFinish(int itemCount, int finalSize);
    void windowsErrorReportingFinish(int itemCount, int finalSize);
    void windowsNetworkDataFinish(int itemCount, int finalSize);
    void windowsTempFilesFinish(int itemCount, int finalSize);
    void processFinish();

protected:
    void run() override;

private:
    void scanRecentFiles();
    void scanTypedPaths();
    void scanSearchHistory();
    void scanRunHistory();
    void scanLogFiles();
    // Every value of an Explorer key but the one named skipped, read as text (searchTextData: as a stored
    // search string); the count of listed values.
    int scanRegistryValues(const char *key, const QString &skipped, bool searchTextData, QStringList &list);
    // Every file below folder (kinds 6 to 8) and every plain "*.log" file below it (kind 5); each returns how
    // many it appended.
    int collectFiles(QString folder, quint64 &totalSize, QStringList &list);
    int collectLogFiles(QString folder, quint64 &totalSize, QStringList &list);
    // Gives folder its trailing separator; false when stopped or the folder is not there.
    bool enterFolder(QString &folder);
    // One file kind: the files below base + sub-folder, or none when base is not a usable folder.
    int collectKind(const QString &base, const char *subFolder, quint64 &totalSize, QStringList &list);
    // Appends one found file to the list and records it with the folder being collected from.
    void listFile(const QString &folder, const FolderListing &entry, quint64 &totalSize, QStringList &list);

    QString collectBase; // the folder the running collection started from
};
