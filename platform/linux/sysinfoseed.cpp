#include "sysinfoseed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sysinfoseed {

namespace {

struct SeedTask
{
    const char *path;    // below Windows/System32/Tasks
    const char *command; // as stored in the Exec action, quotation marks included
    bool enabled;
    bool hidden;
};

const SeedTask seedTasks[] = {
    {"MicrosoftEdgeUpdateTaskMachineCore",
     "\"C:\\Program Files (x86)\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe\"", true, false},
    {"MicrosoftEdgeUpdateTaskMachineUA", "\"C:\\Program Files (x86)\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe\"",
     true, false},
    {"OneDrive Reporting Task-S-1-5-21-1004", "%localappdata%\\Microsoft\\OneDrive\\OneDriveStandaloneUpdater.exe",
     false, false},
    {"User_Feed_Synchronization-{5E3A7C1B}", "C:\\Windows\\system32\\msfeedssync.exe", true, true},
    {"Microsoft/Windows/Defrag/ScheduledDefrag", "%windir%\\system32\\defrag.exe", true, false},
};

QString taskXml(const SeedTask &t)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
                          "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
                          "  <Settings>\r\n    <Enabled>%1</Enabled>\r\n    <Hidden>%2</Hidden>\r\n  </Settings>\r\n"
                          "  <Actions Context=\"Author\">\r\n    <Exec>\r\n      <Command>%3</Command>\r\n"
                          "    </Exec>\r\n  </Actions>\r\n</Task>\r\n")
        .arg(QLatin1String(t.enabled ? "true" : "false"), QLatin1String(t.hidden ? "true" : "false"),
             QString::fromUtf8(t.command).toHtmlEscaped());
}

} // namespace

void createFiles(const QString &root)
{
    for (const SeedTask &t : seedTasks) {
        const QString path = root + QStringLiteral("/Windows/System32/Tasks/") + QLatin1String(t.path);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            continue;
        // UTF-16 with its byte-order mark, as Windows writes task files.
        const QString text = QChar(0xFEFF) + taskXml(t);
        f.write(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
}

} // namespace sysinfoseed
