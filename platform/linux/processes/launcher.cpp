#include "linux/processes/launcher.h"

#include "win32.h"
#include "linux/machine/machine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace launcher {

bool isOwnProgram(const QString &program, QString *hostPath)
{
    const QString name = QFileInfo(QString(program).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    QString base;
    if (name.compare(QLatin1String("Hushdeck.exe"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Hushdeck"), Qt::CaseInsensitive) == 0)
        base = QStringLiteral("Hushdeck");
    else if (name.compare(QLatin1String("Glasspan.exe"), Qt::CaseInsensitive) == 0 ||
             name.compare(QLatin1String("Glasspan"), Qt::CaseInsensitive) == 0)
        base = QStringLiteral("Glasspan");
    if (base.isEmpty())
        return false;
    if (hostPath) {
        // Both programs sit in one folder; tests name it through HUSHDECK_INSTALL.
        QString dir = qEnvironmentVariable("HUSHDECK_INSTALL");
        if (dir.isEmpty())
            dir = QCoreApplication::applicationDirPath();
        *hostPath = dir + QLatin1Char('/') + base;
    }
    return true;
}

bool missingProgram(const QString &program)
{
    if (!program.contains(QLatin1Char('\\')) && !program.contains(QLatin1Char('/')))
        return false;
    const QFileInfo info(hostPath(program));
    if (info.isFile())
        return false;
    // Our own programs carry no ".exe" on this host.
    const QFileInfo bare(info.absolutePath() + QLatin1Char('/') + info.completeBaseName());
    return !(isOwnProgram(program) && bare.isFile() && bare.isExecutable());
}

bool mapProgram(const QString &program, const QStringList &arguments, QString *hostProgram, QStringList *hostArguments)
{
    QString own;
    if (isOwnProgram(program, &own)) {
        *hostProgram = own;
        *hostArguments = arguments;
        return true;
    }
    if (machine::setting(QStringLiteral("launcher.host"), QStringLiteral("1")) == QLatin1String("0"))
        return false;
    const QString name = QFileInfo(QString(program).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName().toLower();
    if (name == QLatin1String("explorer.exe") || name == QLatin1String("explorer")) {
        // "/select,PATH" opens the containing folder; a folder alone opens that folder.
        QString target;
        for (int i = 0; i < arguments.size(); ++i) {
            const QString &a = arguments.at(i);
            if (a.startsWith(QLatin1String("/select,"), Qt::CaseInsensitive)) {
                QString rest = a.mid(8);
                if (rest.isEmpty() && i + 1 < arguments.size())
                    rest = arguments.at(i + 1);
                target = QFileInfo(hostPath(rest)).absolutePath();
                break;
            }
            // A Windows page named by its scheme ("ms-settings:about") has no host equivalent: logged only.
            // A drive letter is one character before the colon, a scheme more.
            if (a.indexOf(QLatin1Char(':')) > 1)
                return false;
            target = hostPath(a);
        }
        if (target.isEmpty())
            return false;
        *hostProgram = QStringLiteral("xdg-open");
        *hostArguments = QStringList{target};
        return true;
    }
    return false;
}

QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HUSHDECK_MACHINE"), machine::folder());
    return env;
}

} // namespace launcher

void startProgram(QProcess *process, const QString &program, const QStringList &arguments)
{
    machine::log(QStringLiteral("Start"), QStringList(QStringList{program} + arguments).join(QLatin1Char('|')));
    QString hostProgram;
    QStringList hostArguments;
    if (!launcher::mapProgram(program, arguments, &hostProgram, &hostArguments))
        return;
    // An environment the caller gave is kept; the machine is named in it all the same.
    QProcessEnvironment env = process->processEnvironment();
    if (env.isEmpty())
        env = launcher::environment();
    else
        env.insert(QStringLiteral("HUSHDECK_MACHINE"), machine::folder());
    process->setProcessEnvironment(env);
    process->start(hostProgram, hostArguments, QIODevice::ReadWrite);
}
