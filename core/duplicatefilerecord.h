// One scanned file, held by value in lists: the duplicate scan fills every field, the folder analyzer only
// fullPath, size and lastAccess (its list of the biggest files).
#pragma once

#include "win32.h"

#include <QString>

struct DuplicateFileRecord
{
    QString name;     // file name with its extension
    QString folder;   // containing folder, native separators, no trailing separator
    QString fullPath; // the walked folder path, one separator, the name
    quint64 size = 0;
    FILETIME lastAccess = {0, 0};
    FILETIME creation = {0, 0};
    FILETIME lastWrite = {0, 0};
    QString suffix; // everything after the first dot of the name; empty without a dot
};
