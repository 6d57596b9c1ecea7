// What the Find Duplicate page and its option dialogs share: the module's registry key, the custom extension
// list and the pictures of the file categories.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Under HKEY_CURRENT_USER: the values "0" to "12" (category enabled) and "CustomFileType".
#define FIND_DUPLICATE_KEY "Software\\Keelrun\\Folder Size Analyzer\\Find Duplicate"

// The stored custom extension list, whole whatever its length; empty when absent or unreadable.
QString readCustomFileTypeList();

// Splits the list at every comma; pieces are taken as typed (no trimming, no dot added, empty ones kept).
QStringList parseCustomFileTypes(const QString &text);

// The 16-pixel picture of a category (name in any letter case); null for categories without one.
QImage categoryImage(const QString &name);
