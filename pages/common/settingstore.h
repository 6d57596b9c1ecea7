// Where a setting's value is kept, as three operations, so one kind of control serves a DWORD in the
// registry, a text in the registry or a system parameter alike.
#pragma once

#include "win32.h"

#include <QString>
#include <QStringList>

#include <functional>

// An integer setting. read leaves *value untouched when it fails (the caller's preset stays); write and
// remove are true when the system holds the result afterwards.
struct IntStore
{
    std::function<bool(int *value)> read;
    std::function<bool(int value)> write;
    std::function<bool()> remove;
    // For a number kept as text: the text as last read, which a change reports as the old value.
    std::function<QString()> readText;
};

// A text setting. read gives the empty text when it fails.
struct TextStore
{
    std::function<bool(QString *text)> read;
    std::function<bool(const QString &text)> write;
    std::function<bool()> remove;
};

// A REG_DWORD value. The same value is also written to, and deleted from, every key of alsoKeptIn (read
// only from key).
IntStore registryDword(HKEY root, const QString &key, const QString &name, const QStringList &alsoKeptIn = {});
// A REG_SZ value, or a REG_EXPAND_SZ one: read as stored, written back with the type it has.
TextStore registryString(HKEY root, const QString &key, const QString &name);
// A system parameter (SystemParametersInfoW get and set actions). A parameter cannot be deleted: removing
// it writes restoreValue, the system's own default.
IntStore systemParameter(UINT getAction, UINT setAction, int restoreValue);
// Deletes a value; true when it is absent afterwards, also when it was absent before.
bool removeRegistryValue(HKEY root, const QString &key, const QString &name);

// A setting kept as the presence of the key parent\child: the value is presentValue while the key exists
// and 1 - presentValue while it does not. Writing presentValue creates the key (with defaultText as its
// default value unless that is null), any other value deletes it, as does remove. The read fails on an
// absent key only when absentIsMissing.
IntStore registryKey(HKEY root, const QString &parent, const QString &child, int presentValue,
                     const QString &defaultText, bool absentIsMissing);
// A COM class's in-process server switched on and off per user: on (1) while HKCU
// "Software\Classes\CLSID\<clsid>\InprocServer32" holds a default string (empty or not; the key alone does not
// count), off (0) otherwise. Never missing. On writes an empty default string; off deletes the server key and then
// the class key, which stays when it holds other sub-keys: off all the same.
IntStore classServerSwitch(const QString &clsid);
