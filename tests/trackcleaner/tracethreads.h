// Driving either Track Cleaner thread from a test: choosing kinds, handing it lists, and recording its signals
// on the worker as they are emitted ("name(arguments)", in order).
#pragma once

#include "trackcleanerkinds.h"
#include "tracefolders.h"

#include <QList>
#include <QObject>
#include <QStringList>

namespace tracethreads {

struct Lists
{
    QStringList of[TrackCleanerKindCount];
    ListedTraces traces;
};

inline const QList<TrackCleanerKind> allKinds = {
    FileExplorerRecentFiles, FileExplorerTypedPaths, FileExplorerSearchHistory, WindowsRunDialog,
    WindowsLogFiles,         WindowsErrorReporting,  WindowsNetworkData,        WindowsTempFiles};

template <typename Thread> void select(Thread *t, const QList<TrackCleanerKind> &kinds, Lists &lists)
{
    t->fileExplorerRecentFiles = kinds.contains(FileExplorerRecentFiles);
    t->fileExplorerTypedPaths = kinds.contains(FileExplorerTypedPaths);
    t->fileExplorerSearchHistory = kinds.contains(FileExplorerSearchHistory);
    t->windowsRunDialog = kinds.contains(WindowsRunDialog);
    t->windowsLogFiles = kinds.contains(WindowsLogFiles);
    t->windowsErrorReporting = kinds.contains(WindowsErrorReporting);
    t->windowsNetworkData = kinds.contains(WindowsNetworkData);
    t->windowsTempFiles = kinds.contains(WindowsTempFiles);
    t->fileExplorerRecentFilesList = &lists.of[FileExplorerRecentFiles];
    t->fileExplorerTypedPathsList = &lists.of[FileExplorerTypedPaths];
    t->fileExplorerSearchHistoryList = &lists.of[FileExplorerSearchHistory];
    t->windowsRunDialogList = &lists.of[WindowsRunDialog];
    t->windowsLogFilesList = &lists.of[WindowsLogFiles];
    t->windowsErrorReportingList = &lists.of[WindowsErrorReporting];
    t->windowsTempFilesList = &lists.of[WindowsTempFiles];
    t->windowsNetworkDataList = &lists.of[WindowsNetworkData];
    t->listedTraces = &lists.traces;
}

// The eight kind signals, shared by both threads; each thread's own finish signal is recorded by its test.
template <typename Thread> void recordKindSignals(Thread *t, QStringList &events)
{
    auto one = [&events](const char *name) {
        return [&events, name](int n) { events << QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(n); };
    };
    auto two = [&events](const char *name) {
        return [&events, name](int n, int mb) {
            events << QStringLiteral("%1(%2,%3)").arg(QLatin1String(name)).arg(n).arg(mb);
        };
    };
    const auto direct = Qt::DirectConnection;
    QObject::connect(t, &Thread::fileExplorerRecentFilesFinish, t, one("recent"), direct);
    QObject::connect(t, &Thread::fileExplorerTypedPathsFinish, t, one("typed"), direct);
    QObject::connect(t, &Thread::fileExplorerSearchHistoryFinish, t, one("search"), direct);
    QObject::connect(t, &Thread::windowsRunDialogFinish, t, one("run"), direct);
    QObject::connect(t, &Thread::windowsLogFilesFinish, t, two("logs"), direct);
    QObject::connect(t, &Thread::windowsErrorReportingFinish, t, two("errors"), direct);
    QObject::connect(t, &Thread::windowsNetworkDataFinish, t, two("network"), direct);
    QObject::connect(t, &Thread::windowsTempFilesFinish, t, two("temp"), direct);
}

} // namespace tracethreads
