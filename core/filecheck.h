// The checks a tool that deletes makes at the moment it deletes: a list made earlier is never trusted, since a
// folder may have been swapped for a link, or a file for another one, since it was listed.
#pragma once

#include "win32.h"

#include <QMetaType>
#include <QString>

#include <vector>

namespace filecheck {

// What tells one file from another on Windows: the volume's serial number and the file's index on it.
struct FileIdentity
{
    bool known = false;
    DWORD volume = 0;
    quint64 index = 0;
    DWORD links = 0; // names the file has on its volume (hard links)

    bool sameFile(const FileIdentity &other) const
    {
        return known && other.known && volume == other.volume && index == other.index;
    }
};

// The identity of path itself (a link is not followed); known is false when it cannot be opened.
FileIdentity identify(const QString &path);

// What the user chose, as it was when they chose it: the file or folder itself, and the way to it. The way is
// the deepest folder on the path that was a link or junction then (the user's own way there, taken as named), or
// the path's root, and what that folder was; every folder below it was a plain folder and must still be one.
struct Choice
{
    FileIdentity identity;
    QString base;
    FileIdentity baseIdentity;
};

// The choice of path (a full path); nothing known when it cannot be opened or has no root.
Choice choose(const QString &path);

// True when a full path is a root: a drive's ("C:\\", "C:"), a share's, or the host's "/".
bool isRoot(const QString &path);

// True when path lies below base and no folder between them is a link or junction (or has gone). The last
// name of path itself may be a link: deleting it removes the link, not what it points at.
bool linkFreeBelow(const QString &base, const QString &path);

// Both checks: path is still reached from base without a link, and is still the file that was listed.
bool stillListed(const QString &base, const QString &path, const FileIdentity &listed);

// The folders from base down to a folder below it, held open while a tool acts in them. Windows lets no one
// rename, remove or replace a folder that is held with read access and without sharing deletion, so a path
// through held folders leads to what was checked until they are let go. base is taken as it is named (the user
// may reach it through a link of their own); every folder below it is opened without following a link and
// checked on its handle.
class HeldFolders
{
public:
    HeldFolders() = default;
    ~HeldFolders() { release(); }
    HeldFolders(const HeldFolders &) = delete;
    HeldFolders &operator=(const HeldFolders &) = delete;

    // Holds base and each folder below it down to folder (base itself when folder is base); false, holding
    // nothing, when folder does not lie below base or one on the way is a link, is no folder or has gone, or
    // when base, where baseListed is known, is no longer that folder. A drive's root is its root ("C:" or "C:\"
    // both hold "C:\"), never the drive's current folder.
    bool hold(const QString &base, const QString &folder, const FileIdentity &baseListed = FileIdentity());
    // Holds one folder more, below the deepest held one (or the first, when none is held), opened with the
    // extra access asked (DELETE: removable through the handle) and checked as the others, and, when listed is
    // known, still the folder listed. Its handle, owned here, or INVALID_HANDLE_VALUE.
    HANDLE push(const QString &folder, DWORD access = 0, const FileIdentity &listed = FileIdentity());
    // Lets the deepest go: a folder marked for deletion through its handle goes now.
    void pop();
    void release();
    bool isEmpty() const { return handles.empty(); }

private:
    std::vector<HANDLE> handles;
};

// What a file must still be at the moment a tool acts on it, besides the file listed (when that is known).
enum Requirement { AnyEntry = 0, NotALink = 1, OneName = 2, ALink = 4 };

// Opens path itself, never what a link at its end points at, and checks the open file: no folder, and not a
// link or other reparse point (NotALink), not a file that has another name (OneName), a link or other reparse
// point, to a file or a folder (ALink), the listed file when listed is known. The handle, or INVALID_HANDLE_VALUE (the
// reason in the debug output).
HANDLE openChecked(const QString &path, DWORD access, int requirements, const FileIdentity &listed = FileIdentity(),
                   DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);

// Through a handle opened with DELETE access: a new name for the file in its own folder (a plain name); and the
// mark that deletes the file when the handle is closed. Both act on the open file, wherever its path leads now.
bool renameTo(HANDLE file, const QString &plainName);
bool markForDeletion(HANDLE file);

// Deletes the file at path through a checked handle (openChecked); true when it has gone.
bool deleteChecked(const QString &path, int requirements, const FileIdentity &listed = FileIdentity());

// The folder part of a path, without its last separator ("" for a path without one).
QString folderOf(const QString &path);

} // namespace filecheck

Q_DECLARE_METATYPE(filecheck::Choice)
