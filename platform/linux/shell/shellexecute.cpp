// ShellExecuteW: the shell's "open this" for programs, documents and web addresses, on the launcher's rules.
// Every call that would start something is logged as "Start" (the file, then the parameters split as a
// command line, joined by "|"); our own programs start for real from the install folder; web addresses and
// documents go to the host's opener, and known programs to their host equivalent, unless the machine keeps
// the host untouched (tests); anything else is only logged, as if Windows had run it. A program or document
// named with a folder it is not in is not found (SE_ERR_FNF), except Windows' own programs, which the
// machine does not hold as files.
#include "win32.h"
#include "linux/processes/launcher.h"
#include "linux/machine/machine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

HINSTANCE result(INT_PTR code)
{
    return reinterpret_cast<HINSTANCE>(code);
}

// Success values are any number above 32.
constexpr INT_PTR started = 42;

bool isWebAddress(const QString &file)
{
    for (const char *scheme : {"http://", "https://", "mailto:"})
        if (file.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    return false;
}

bool inWindowsFolder(const QString &file)
{
    const QString windows = QDir(machine::windowsFolder()).absolutePath() + QLatin1Char('/');
    return QFileInfo(hostPath(file)).absoluteFilePath().startsWith(windows, Qt::CaseInsensitive);
}

} // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory, INT)
{
    const QString file = fromWide(lpFile);
    if (file.isEmpty())
        return result(SE_ERR_FNF);
    // The default verb is "open"; "runas" opens elevated, which the stand-in's process already counts as.
    const QString verb = fromWide(lpOperation);
    if (!verb.isEmpty() && verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0 &&
        verb.compare(QLatin1String("runas"), Qt::CaseInsensitive) != 0)
        return result(SE_ERR_NOASSOC);

    // A program or document named with its folder must be there. Our own programs are the launcher's: it
    // starts them from the installation folder; Windows' own are not files of the machine, and are logged.
    if (!isWebAddress(file) && !launcher::isOwnProgram(file) && !inWindowsFolder(file) &&
        launcher::missingProgram(file))
        return result(SE_ERR_FNF);

    const QStringList arguments = QProcess::splitCommand(fromWide(lpParameters));
    machine::log(QStringLiteral("Start"), QStringList(QStringList{file} + arguments).join(QLatin1Char('|')));

    const bool hostAllowed =
        machine::setting(QStringLiteral("launcher.host"), QStringLiteral("1")) != QLatin1String("0");
    const bool own = launcher::isOwnProgram(file);
    QString program;
    QStringList programArguments;
    if (isWebAddress(file)) {
        if (hostAllowed) {
            program = QStringLiteral("xdg-open");
            programArguments = QStringList{file};
        }
    } else if (!launcher::mapProgram(file, arguments, &program, &programArguments) && hostAllowed) {
        const QFileInfo document(hostPath(file));
        if (document.exists() && !document.isExecutable()) {
            program = QStringLiteral("xdg-open");
            programArguments = QStringList{document.absoluteFilePath()};
        }
    }
    if (program.isEmpty())
        return result(started);

    const QString folder = lpDirectory && *lpDirectory ? hostPath(fromWide(lpDirectory)) : QString();
    QProcess process;
    process.setProgram(program);
    process.setArguments(programArguments);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(launcher::environment());
    if (!process.startDetached())
        return result(own ? SE_ERR_FNF : SE_ERR_NOASSOC);
    return result(started);
}
