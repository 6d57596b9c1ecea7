// ShellExecuteExW over ShellExecuteW's launcher rules. What it adds: the working folder must exist, an
// elevation request can be declined, and a failure is told through the last error as well.
#include "win32.h"
#include "linux/processes/launcher.h"
#include "linux/machine/machine.h"

#include <QFileInfo>

namespace {

BOOL fail(SHELLEXECUTEINFOW *info, DWORD error, INT_PTR code)
{
    info->hInstApp = reinterpret_cast<HINSTANCE>(code);
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL ShellExecuteExW(SHELLEXECUTEINFOW *pExecInfo)
{
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pExecInfo->hProcess = nullptr;
    const QString verb = fromWide(pExecInfo->lpVerb);
    const QString file = fromWide(pExecInfo->lpFile);
    const QString folder = fromWide(pExecInfo->lpDirectory);
    machine::log(QStringLiteral("ShellExecuteEx"),
                 QStringList{verb, file, fromWide(pExecInfo->lpParameters), folder}.join(QLatin1Char('|')));
    if (file.isEmpty() || launcher::missingProgram(file))
        return fail(pExecInfo, ERROR_FILE_NOT_FOUND, SE_ERR_FNF);
    if (!folder.isEmpty() && !QFileInfo(hostPath(folder)).isDir())
        return fail(pExecInfo, ERROR_DIRECTORY, SE_ERR_FNF);
    if (verb.compare(QLatin1String("runas"), Qt::CaseInsensitive) == 0) {
        const std::optional<QString> answer = machine::takeAnswer(QStringLiteral("Elevation"));
        if (answer && (answer->compare(QLatin1String("IDNO"), Qt::CaseInsensitive) == 0 ||
                       answer->compare(QLatin1String("IDCANCEL"), Qt::CaseInsensitive) == 0))
            return fail(pExecInfo, ERROR_CANCELLED, SE_ERR_ACCESSDENIED);
    }
    HINSTANCE started = ShellExecuteW(pExecInfo->hwnd, pExecInfo->lpVerb, pExecInfo->lpFile, pExecInfo->lpParameters,
                                      pExecInfo->lpDirectory, pExecInfo->nShow);
    pExecInfo->hInstApp = started;
    const INT_PTR code = reinterpret_cast<INT_PTR>(started);
    if (code <= 32) {
        SetLastError(code == SE_ERR_FNF ? ERROR_FILE_NOT_FOUND : ERROR_NO_ASSOCIATION);
        return FALSE;
    }
    return TRUE;
}
