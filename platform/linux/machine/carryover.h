// Carrying a machine folder of an earlier version over: the first layout kept Windows, Users, ProgramData,
// Program Files beside machine.db, and stored host paths where Windows stores Windows paths (registry strings,
// marks on files, backup records). Folders move into drive_c on first start; stored paths become the Windows
// paths that now name the same place, so nothing of the machine keeps pointing at a folder that is gone.
#pragma once

#include <QString>

namespace carryover {

// Once the machine's database is open and sound (any number of programs may start at once, and a start may be
// killed at any moment), and only for a folder holding machine.db: drive_c is made the machine's own folder (a link or file of that name is set aside under another
// name), the first layout's folders are moved into it without overwriting anything, and relative links that
// point out of the moved folders are rewritten so they still reach what they reached.
void carryOverFolders(const QString &machineFolder);

// In the transaction that opens the machine: host paths in registry strings (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ, a path alone or in double quotes), in the session's wallpaper and in the marks on files are
// rewritten for today's layout. Each registry value keeps the spelling of its writer.
void carryOverStoredPaths(const QString &machineFolder);

// A text an earlier version stored: each host path in it (the whole text, or one in double quotes) as the
// Windows path that names that place now, with the names Windows cannot hold mapped. A path into the first
// layout's folders becomes a C:\ path; any other host path that names a place of the host a Z:\ path (or
// the letter of the drive holding it). Other text stays as it is.
QString windowsText(const QString &machineFolder, const QString &text);

} // namespace carryover
