// What both Track Cleaner threads need of the file system: the rule for usable base folders, path joins and a
// folder listing that hides "." and "..". Safe on worker threads.
#pragma once

#include "filecheck.h"
#include "win32.h"

#include <QHash>
#include <QString>

namespace tracefolders {

// A base folder the traces of a kind may live in. An empty or relative path (a shell call that failed) or a
// drive root is never one: scanning it would put the working folder or a whole drive on a list to delete.
bool isUsableBase(const QString &folder);

// True when path names a folder. Asked of the file system the listings come from: a folder name that Qt
// cannot spell (not UTF-8) is still one.
bool isFolder(const QString &path);

// folder and name joined by one separator; "" for a name that would lead out of folder.
QString join(const QString &folder, const QString &name);

// folder with a trailing separator.
QString withSeparator(const QString &folder);

} // namespace tracefolders

// What the analysis saw of one listed file: the folder its kind was collected from, and the file's identity.
// Clearing deletes the file only while it is still that file, reached from that folder without a link.
struct ListedTrace
{
    QString base;
    filecheck::FileIdentity identity;
};
// By full path, as the lists hold it.
using ListedTraces = QHash<QString, ListedTrace>;

// The entries of one FindFirstFileW search, without "." and "..". Closes the search when it goes.
class FolderListing
{
public:
    explicit FolderListing(const QString &pattern);
    ~FolderListing();
    FolderListing(const FolderListing &) = delete;
    FolderListing &operator=(const FolderListing &) = delete;

    // Moves to the next entry; false when there is none left.
    bool next();

    QString name() const;
    bool isDirectory() const;
    // A symbolic link or junction (or another reparse point): never entered as a folder.
    bool isReparsePoint() const;
    DWORD attributes() const;
    quint64 size() const;

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data;
    bool pending = false; // data holds an entry that next() has not handed out yet
};
