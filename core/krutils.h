// Stateless utilities shared by every module: registry access, paths, the Windows version test, a folder
// picker, shell links and control of the helper program. Make one on the stack where it is needed.
#pragma once

#include "win32.h"

#include <QString>

// The installation folder, set once at start-up.
extern QString installPath;
// The Windows build number, written by KRUtils::isWindows11.
extern quint32 windowsBuildNumber;

// One-shot requests that setting pages raise and the catalogue carries out after applying changes.
extern bool restartExplorerPending;
extern bool themeRefreshPending;
extern bool shellRefreshPending;

// The program's own settings root under HKEY_CURRENT_USER.
#define HUSHDECK_SETTINGS_ROOT "Software\\Keelrun Hushdeck Plus!"

class KRUtils
{
public:
    KRUtils();

    // Registry: each call opens or creates its key and closes it before it returns.
    bool createRegKey(HKEY root, QString subKey);
    bool deleteRegKey(HKEY root, QString subKey, QString childName);
    bool deleteRegSubKeys(HKEY root, QString subKey);
    bool deleteRegValue(HKEY root, QString subKey, QString name);
    bool readRegBinary(HKEY root, QString subKey, QString name, BYTE *buffer, int *size);
    bool readRegDWORD(HKEY root, QString subKey, QString name, DWORD *value);
    bool readRegString(HKEY root, QString subKey, QString name, QString &text);
    bool readRegStringRaw(HKEY root, QString subKey, QString name, QString &text);
    bool regKeyExists(HKEY root, QString subKey);
    bool writeRegBinary(HKEY root, QString subKey, QString name, const BYTE *data, int *size);
    bool writeRegDWORD(HKEY root, QString subKey, QString name, DWORD value);
    bool writeRegExpandString(HKEY root, QString subKey, QString name, QString text);
    bool writeRegString(HKEY root, QString subKey, QString name, QString text);

    // Paths, version and helper control.
    QString appPath();
    QString backupFolder();
    bool isWindows11();
    QString browseForFolder(QString startFolder, QString title);
    HRESULT createLink(QString target, QString linkFile, QString workingFolder, QString arguments, QString iconFile);
    bool isGlasspanNeeded();
    void closeGlasspan();

private:
    bool readString(HKEY root, const QString &subKey, const QString &name, QString &text, bool raw);
    bool writeValue(HKEY root, const QString &subKey, const QString &name, DWORD type, const BYTE *data, DWORD size);
};
