#include "linux/system/sysinfoseed.h"

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

struct SeedLink
{
    const char *path; // below the machine's drive C:
    const char *target, *arguments, *icon;
};

const SeedLink seedLinks[] = {
    {"Users/User/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/Notes Reminder.lnk",
     "C:\\Program Files\\Notes\\notes.exe", "/tray", ""},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/Send to Notes.lnk",
     "C:\\Program Files\\Notes\\sendto.exe", "", "C:\\Program Files\\Notes\\sendto.ico"},
    {"ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp/Printer Monitor.lnk",
     "C:\\Program Files\\Printer\\monitor.exe", "-hidden", ""},
};

void put(QByteArray &out, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// A shell link with only the texts (relative path, arguments, icon): what the shell's link object reads.
QByteArray linkBytes(const SeedLink &l)
{
    QByteArray out;
    put(out, 0x4C, 4);
    put(out, 0x00021401, 4); // CLSID_ShellLink
    put(out, 0, 2);
    put(out, 0, 2);
    out.append("\xC0\0\0\0\0\0\0\x46", 8);
    quint32 flags = 0x08 | 0x80; // relative path, Unicode
    if (*l.arguments)
        flags |= 0x20;
    if (*l.icon)
        flags |= 0x40;
    put(out, flags, 4);
    out.append(QByteArray(0x4C - out.size(), 0));
    out[0x3C] = 1; // shown normally
    for (const char *text : {l.target, l.arguments, l.icon}) {
        if (!*text)
            continue;
        const QString t = QString::fromUtf8(text);
        put(out, quint32(t.size()), 2);
        out.append(reinterpret_cast<const char *>(t.utf16()), t.size() * 2);
    }
    return out;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace

void createFiles(const QString &root)
{
    for (const SeedLink &l : seedLinks) {
        const QString path = root + QLatin1Char('/') + QLatin1String(l.path);
        writeFile(path, linkBytes(l));
        writeFile(QFileInfo(path).path() + QStringLiteral("/desktop.ini"),
                  "\r\n[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21787\r\n");
    }
    for (const SeedTask &t : seedTasks) {
        // UTF-16 with its byte-order mark, as Windows writes task files.
        const QString text = QChar(0xFEFF) + taskXml(t);
        writeFile(root + QStringLiteral("/Windows/System32/Tasks/") + QLatin1String(t.path),
                  QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    }
}

} // namespace sysinfoseed
