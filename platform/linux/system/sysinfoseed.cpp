#include "linux/system/sysinfoseed.h"

#include "linux/machine/machine.h"
#include "linux/machine/ownfolder.h"
#include "linux/system/peimage.h"

#include <QDebug>
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

// The files the seeded registry, links and tasks name, with the version resources a Windows 11 23H2 machine
// has for them: codec drivers, programs started at sign-in, link targets and task programs.
struct SeedImage
{
    const char *path; // on the machine's C: drive
    const char *company, *description, *fileVersion, *product, *productVersion;
    bool dll;
};

#define WINDOWS_FILE(file, description, version)                                                                       \
    {                                                                                                                  \
        "C:\\Windows\\System32\\" file, "Microsoft Corporation", description, version " (WinBuild.160101.0800)",       \
            "Microsoft\u00AE Windows\u00AE Operating System", version, true                                            \
    }

const SeedImage seedImages[] = {
    WINDOWS_FILE("iyuv_32.dll", "Intel Indeo(R) Video YUV Codec", "10.0.22621.1"),
    WINDOWS_FILE("msrle32.dll", "Microsoft RLE Compressor", "10.0.22621.1"),
    WINDOWS_FILE("msvidc32.dll", "Microsoft Video 1 Compressor", "10.0.22621.1"),
    WINDOWS_FILE("imaadp32.acm", "Microsoft IMA ADPCM CODEC", "10.0.22621.1"),
    WINDOWS_FILE("msadp32.acm", "Microsoft ADPCM CODEC", "10.0.22621.1"),
    WINDOWS_FILE("msgsm32.acm", "Microsoft GSM 6.10 Audio CODEC", "10.0.22621.1"),
    {"C:\\Windows\\System32\\l3codeca.acm", "Fraunhofer Institut Integrierte Schaltungen IIS",
     "Fraunhofer IIS MPEG Audio Layer-3 Codec (advanced)", "1.9.0.401", "Fraunhofer IIS MPEG Audio Layer-3 Codec",
     "1.9.0.401", true},
    WINDOWS_FILE("quartz.dll", "DirectShow Runtime.", "10.0.22621.2506"),
    WINDOWS_FILE("resampledmo.dll", "Windows Media Resampler", "10.0.22621.1"),
    WINDOWS_FILE("wmadmod.dll", "Windows Media Audio Decoder", "10.0.22621.2506"),
    WINDOWS_FILE("wmvdecod.dll", "Windows Media Video Decoder", "10.0.22621.2506"),
    {"C:\\Windows\\System32\\SecurityHealthSystray.exe", "Microsoft Corporation", "Windows Security notification icon",
     "10.0.22621.1 (WinBuild.160101.0800)", "Microsoft\u00AE Windows\u00AE Operating System", "10.0.22621.1", false},
    {"C:\\Windows\\System32\\defrag.exe", "Microsoft Corporation", "Disk Defragmenter Module",
     "10.0.22621.1 (WinBuild.160101.0800)", "Microsoft\u00AE Windows\u00AE Operating System", "10.0.22621.1", false},
    {"C:\\Windows\\System32\\msfeedssync.exe", "Microsoft Corporation", "Microsoft Feeds Synchronization",
     "11.0.22621.1 (WinBuild.160101.0800)", "Internet Explorer", "11.0.22621.1", false},
    {"C:\\Program Files (x86)\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe", "Microsoft Corporation",
     "Microsoft Edge Update", "1.3.185.17", "Microsoft Edge Update", "1.3.185.17", false},
    {"C:\\Users\\User\\AppData\\Local\\Microsoft\\OneDrive\\OneDriveStandaloneUpdater.exe", "Microsoft Corporation",
     "Standalone Updater", "23.246.1127.0002", "Microsoft OneDrive", "23.246.1127.0002", false},
    {"C:\\Users\\User\\AppData\\Local\\CloudSync\\CloudSync.exe", "CloudSync Ltd.", "CloudSync", "24.5.1.0",
     "CloudSync", "24.5.1.0", false},
    {"C:\\Program Files\\Notes\\notes.exe", "Notes Software", "Notes", "3.2.0.0", "Notes", "3.2.0.0", false},
    {"C:\\Program Files\\Notes\\sendto.exe", "Notes Software", "Send to Notes", "3.2.0.0", "Notes", "3.2.0.0", false},
    {"C:\\Program Files\\Printer\\monitor.exe", "Printer Tools", "Printer Monitor", "2.1.4.0", "Printer Tools",
     "2.1.4.0", false},
};

#undef WINDOWS_FILE

// The icon file a seeded link names: one 16 x 16 image, 32 bits per pixel.
QByteArray iconFile()
{
    QByteArray out;
    const int side = 16;
    put(out, 0, 2);
    put(out, 1, 2); // an icon
    put(out, 1, 2); // one image
    const quint32 pixels = side * side * 4, mask = side * 4;
    out.append(char(side));
    out.append(char(side));
    out.append(2, '\0');
    put(out, 1, 2);  // planes
    put(out, 32, 2); // bits per pixel
    put(out, 40 + pixels + mask, 4);
    put(out, 22, 4); // where the image starts
    put(out, 40, 4);
    put(out, side, 4);
    put(out, side * 2, 4); // the colours and the mask, one above the other
    put(out, 1, 2);
    put(out, 32, 2);
    out.append(24, '\0');
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool edge = x == 0 || y == 0 || x == side - 1 || y == side - 1;
            put(out, edge ? 0xFF2B579Au : 0xFFF3F6FBu, 4); // blue frame, pale page (BGRA)
        }
    out.append(int(mask), '\0');
    return out;
}

// A path on C: ("C:\\Program Files\\...") as the seed names it below the drive's folder.
QString onC(const char *path)
{
    return QString::fromUtf8(path + 3).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

void createFiles(const QString &root)
{
    for (const SeedLink &l : seedLinks) {
        const QString path = QLatin1String(l.path);
        ownfolder::seedFile(root, path, linkBytes(l));
        ownfolder::seedFile(
            root, path.left(path.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/desktop.ini"),
            "\r\n[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21787\r\n");
    }
    for (const SeedTask &t : seedTasks) {
        // UTF-16 with its byte-order mark, as Windows writes task files.
        const QString text = QChar(0xFEFF) + taskXml(t);
        ownfolder::seedFile(root, QStringLiteral("Windows/System32/Tasks/") + QLatin1String(t.path),
                            QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    }
    for (const SeedImage &i : seedImages) {
        peimage::Version v;
        v.companyName = QString::fromUtf8(i.company);
        v.fileDescription = QString::fromUtf8(i.description);
        v.fileVersion = QString::fromUtf8(i.fileVersion);
        v.productName = QString::fromUtf8(i.product);
        v.productVersion = QString::fromUtf8(i.productVersion);
        v.dll = i.dll;
        ownfolder::seedFile(root, onC(i.path), peimage::build(v));
    }
    ownfolder::seedFile(root, onC("C:\\Program Files\\Notes\\sendto.ico"), iconFile());
}

} // namespace sysinfoseed
