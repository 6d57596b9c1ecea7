// Known folders, the temporary folder, token privileges and showing a file in Explorer. Each call stands
// alone; the folder functions may be called from worker threads.
#pragma once

#include "win32.h"

#include <QString>

class QObject;

// Each gives the folder's path without a trailing backslash, or "" when the shell cannot give it.
QString commonAppDataPath();
QString commonProgramsPath();
QString commonStartupPath();
QString desktopPath();
QString documentsPath();
QString musicPath();
QString picturesPath();
QString videosPath();
QString userProfilePath();
QString startupPath();

// The user's temporary folder in its long form, without its trailing backslash; "" when there is none.
QString tempPath();

// Enables or disables one privilege on a token the caller opened; false also when the token lacks it.
bool setPrivilege(HANDLE token, LPCWSTR privilegeName, bool enable);

// Opens Explorer on the folder of path with the item selected.
void showInExplorer(const QString &path, QObject *parent);
