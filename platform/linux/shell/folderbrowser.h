// The Browse For Folder dialog of SHBrowseForFolderW: the machine's namespace (Desktop, This PC, the lettered
// drives and their folders) by Windows names, read through the stand-in's own file calls off the GUI thread.
#pragma once

#include "win32.h"

#include <QString>

namespace folderbrowser {

struct Answer
{
    QString path;        // the chosen folder's Windows path; "" for Cancel
    QString displayName; // its name as the tree shows it
};

// Shows the dialog (on the GUI thread, which must have widgets) and waits for it. owner is the dialog's window
// in the window table, the owner of its message boxes; title is shown above the tree; start (a Windows path, or
// "" for the Desktop) is selected; flags are BROWSEINFOW's.
Answer run(HWND owner, const QString &title, const QString &start, UINT flags);

// The name Windows shows for a folder: "Windows (C:)" for a drive's root, else its last name.
QString displayName(const QString &windowsPath);

} // namespace folderbrowser
