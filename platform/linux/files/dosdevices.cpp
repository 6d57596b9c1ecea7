// Drive strings and the volume devices behind drive letters, from the machine's drive map.
#include "win32.h"
#include "linux/files/drivemap.h"

DWORD WINAPI GetLogicalDriveStringsW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    // "C:\<NUL>D:\<NUL><NUL>": the length without the last NUL when it fits, else the size needed.
    QString text;
    for (char l = 'A'; l <= 'Z'; ++l)
        if (drivemap::drive(QLatin1Char(l), nullptr))
            text += QLatin1Char(l) + QStringLiteral(":\\") + QChar(0);
    const DWORD needed = DWORD(text.size()) + 1;
    if (!lpBuffer || nBufferLength < needed)
        return needed;
    for (qsizetype i = 0; i < text.size(); ++i)
        lpBuffer[i] = WCHAR(text.at(i).unicode());
    lpBuffer[text.size()] = 0;
    return DWORD(text.size());
}

DWORD WINAPI QueryDosDeviceW(LPCWSTR lpDeviceName, LPWSTR lpTargetPath, DWORD ucchMax)
{
    // Only drive names ("X:") are known; the list of every name (a null name) is not kept.
    const QString name = fromWide(lpDeviceName);
    if (name.size() != 2 || name.at(1) != QLatin1Char(':') || !name.at(0).isLetter()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const QString device = drivemap::deviceOfLetter(name.at(0));
    if (device.isEmpty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // The answer is a list of names ending in two NULs; the count includes both.
    const DWORD needed = DWORD(device.size()) + 2;
    if (!lpTargetPath || ucchMax < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    copyToWide(device, lpTargetPath, ucchMax);
    lpTargetPath[device.size() + 1] = 0;
    return needed;
}
