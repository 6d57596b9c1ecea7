#include "linux/processes/systemprograms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace systemprograms {

namespace {

const char *const programs[] = {"ipconfig.exe", "wsreset.exe"};

QString installFolder()
{
    const QString dir = qEnvironmentVariable("HUSHDECK_INSTALL");
    if (!dir.isEmpty())
        return dir;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1String("'"), QLatin1String("'\\''")) + QLatin1Char('\'');
}

} // namespace

void install(const QString &systemDrive)
{
    const QString install = installFolder();
    if (install.isEmpty())
        return;
    const QString system = systemDrive + QStringLiteral("/Windows/System32/");
    for (const char *name : programs) {
        // The machine is the one the script lies in, wherever the folder has moved since.
        const QByteArray script = "#!/bin/sh\n"
                                  "HUSHDECK_MACHINE=\"$(cd \"$(dirname \"$0\")/../../..\" && pwd)\" exec " +
                                  QFile::encodeName(quoted(install + QStringLiteral("/hushdeck-system"))) + ' ' + name +
                                  " \"$@\"\n";
        QFile file(system + QLatin1String(name));
        if (file.open(QIODevice::ReadOnly) && file.readAll() == script)
            continue;
        file.close();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            continue;
        file.write(script);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
}

void seedCaches(const QString &systemDrive)
{
    struct Cache
    {
        const char *name;
        qint64 size;
    };
    // Explorer's databases begin with "CMMM"; sizes as a used profile has them.
    const Cache caches[] = {{"iconcache_16.db", 1048576},    {"iconcache_32.db", 2097152},
                            {"iconcache_48.db", 1048576},    {"thumbcache_96.db", 3145728},
                            {"thumbcache_256.db", 10485760}, {"thumbcache_idx.db", 24600}};
    const QString folder = systemDrive + QStringLiteral("/Users/User/AppData/Local/Microsoft/Windows/Explorer/");
    QDir().mkpath(folder);
    for (const Cache &c : caches) {
        QFile file(folder + QLatin1String(c.name));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        file.write("CMMM");
        file.resize(c.size);
    }
}

} // namespace systemprograms
