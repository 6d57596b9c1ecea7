// "hushdeck-system": what the machine's ipconfig.exe and wsreset.exe do on a host without Windows.
//   ipconfig /flushdns  empties the host's resolver cache where the host keeps one (systemd-resolved, nscd)
//                       and prints what Windows prints;
//   wsreset             is recorded in the machine ("Run"); the host has no Store to reset or open.
// A machine with "launcher.host" = "0" (tests) leaves the host's resolver alone.
#include "linux/machine/machine.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace {

// Runs a host program quietly: its own output is not ours.
int run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    return p.exitCode();
}

// True when the host's cache was emptied or the host keeps none; false when emptying it failed.
bool flushHostResolverCache()
{
    if (machine::setting(QStringLiteral("launcher.host"), QStringLiteral("1")) == QLatin1String("0"))
        return true;
    const QString resolvectl = QStandardPaths::findExecutable(QStringLiteral("resolvectl"));
    if (!resolvectl.isEmpty() && run(resolvectl, {QStringLiteral("status")}) == 0)
        return run(resolvectl, {QStringLiteral("flush-caches")}) == 0;
    const QString nscd = QStandardPaths::findExecutable(QStringLiteral("nscd"));
    if (!nscd.isEmpty() && QFile::exists(QStringLiteral("/var/run/nscd/socket")))
        return run(nscd, {QStringLiteral("-i"), QStringLiteral("hosts")}) == 0;
    return true;
}

int ipconfig(const QStringList &arguments)
{
    std::fputs("\r\nWindows IP Configuration\r\n\r\n", stdout);
    if (arguments.size() != 1 || arguments.first().compare(QLatin1String("/flushdns"), Qt::CaseInsensitive) != 0) {
        std::fputs("Error: unrecognized or incomplete command line.\r\n", stdout);
        return 1;
    }
    machine::log(QStringLiteral("Run"), QStringLiteral("ipconfig.exe|/flushdns"));
    if (!flushHostResolverCache()) {
        std::fputs("Could not flush the DNS Resolver Cache: Function failed during execution.\r\n", stdout);
        return 1;
    }
    std::fputs("Successfully flushed the DNS Resolver Cache.\r\n", stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const QString program = arguments.isEmpty() ? QString() : arguments.takeFirst().toLower();
    if (program == QLatin1String("ipconfig.exe"))
        return ipconfig(arguments);
    if (program == QLatin1String("wsreset.exe")) {
        machine::log(QStringLiteral("Run"), QStringLiteral("wsreset.exe"));
        return 0;
    }
    std::fprintf(stderr, "hushdeck-system: unknown program\n");
    return 2;
}
