#include "linux/machine/traceseed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace traceseed {

namespace {

struct SeedFile
{
    const char *path; // below the machine's drive C:
    const char *text; // the file's first bytes
    qint64 size;      // grown (sparsely) to this size when larger than the text
};

// Lines as the programs that leave these files behind write them.
const SeedFile seedFiles[] = {
    // Recent items: links to what was opened, and the jump lists of the taskbar.
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/Quarterly report.lnk", "L\1\2\0", 1482},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/notes.lnk", "L\1\2\0", 1129},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/Projects.lnk", "L\1\2\0", 874},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/AutomaticDestinations/"
     "5f7b5f1e01b83767.automaticDestinations-ms",
     "\xd0\xcf\x11\xe0", 12800},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/AutomaticDestinations/"
     "f01b4d95cf55d32a.automaticDestinations-ms",
     "\xd0\xcf\x11\xe0", 8704},
    {"Users/User/AppData/Roaming/Microsoft/Windows/Recent/CustomDestinations/5d696d521de238c3.customDestinations-ms",
     "\xab\xfb\xbf\xba", 3395},

    // Log files of Windows and of the user's Microsoft programs.
    {"Windows/Logs/CBS/CBS.log",
     "2024-03-11 09:14:02, Info                  CBS    TI: --- Initializing Trusted Installer ---\r\n"
     "2024-03-11 09:14:02, Info                  CBS    Starting TrustedInstaller initialization.\r\n",
     1572864},
    {"Windows/Logs/DISM/dism.log",
     "2024-03-11 09:20:41, Info                  DISM   PID=4812 TID=5120 Scratch directory set to "
     "'C:\\Windows\\TEMP\\'.\r\n",
     48213},
    {"Windows/Panther/setupact.log",
     "2023-11-15 10:02:11, Info                  SP     Setup phase: SETUP_PHASE_OOBE\r\n", 213547},
    {"Windows/DtcInstall.log", "03-11-2024 09:12:55:114 : Install DTC\r\n", 1024},
    {"Users/User/AppData/Local/Microsoft/Windows/WebCache/V01.log", "", 524288},
    {"Users/User/AppData/Local/Microsoft/OneDrive/logs/Personal/SyncDiagnostics.log",
     "Sync Diagnostics - Client Version: 24.040.0225.0001\r\nSyncProgressState: 0\r\n", 7431},

    // Windows Error Reporting: two archived problem reports.
    {"ProgramData/Microsoft/Windows/WER/ReportArchive/AppCrash_notepad.exe_7c1d8e6b4f2a9c3e_0b3d7f1e_4f9a2c61/"
     "Report.wer",
     "Version=1\r\nEventType=APPCRASH\r\nEventTime=133547820612345678\r\nAppName=Notepad\r\n", 6210},
    {"ProgramData/Microsoft/Windows/WER/ReportArchive/AppHang_explorer.exe_2ab9f4c3d1e57a08_9e4c1b2a_1c7d3e55/"
     "Report.wer",
     "Version=1\r\nEventType=AppHangB1\r\nEventTime=133551234567890123\r\nAppName=Windows Explorer\r\n", 11874},
    {"ProgramData/Microsoft/Windows/WER/ReportArchive/AppHang_explorer.exe_2ab9f4c3d1e57a08_9e4c1b2a_1c7d3e55/"
     "memory.hdmp",
     "MDMP", 3407872},
    {"ProgramData/Microsoft/Windows/WER/ReportArchive/AppHang_explorer.exe_2ab9f4c3d1e57a08_9e4c1b2a_1c7d3e55/"
     "WERInternalMetadata.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<WERReportMetadata>\r\n", 4096},

    // Network and energy usage that the System Resource Usage Monitor records.
    {"Windows/System32/sru/SRUDB.dat", "\xef\xcd\xab\x89", 4194304},
    {"Windows/System32/sru/SRU.chk", "", 8192},
    {"Windows/System32/sru/SRUDB.jfm", "", 16384},
    {"Windows/System32/sru/SRUres00001.jrs", "", 65536},
    {"Windows/System32/sru/SRUres00002.jrs", "", 65536},

    // What installers and programs left in the user's temporary folder.
    {"Users/User/AppData/Local/Temp/~DF3A1B7C2E9F04D61.TMP", "", 16384},
    {"Users/User/AppData/Local/Temp/wct7E21.tmp", "", 0},
    {"Users/User/AppData/Local/Temp/MpCmdRun.log",
     "-------------------------------------------------------------------------------------\r\n"
     "MpCmdRun: Command Line: \"C:\\Program Files\\Windows Defender\\MpCmdRun.exe\" -wdenable\r\n",
     18944},
    {"Users/User/AppData/Local/Temp/setup_2024-03-11.txt", "Setup started.\r\nExtracting files...\r\nDone.\r\n", 0},
    {"Users/User/AppData/Local/Temp/7zS4A2C/setup.exe", "MZ\x90\0", 2359296},
    {"Users/User/AppData/Local/Temp/7zS4A2C/setup.ini", "[Setup]\r\nVersion=3.2.1\r\n", 0},
};

void writeFile(const QString &path, const char *text, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text);
    // The rest stays a hole: the size is real, the disk space is not spent.
    if (size > file.size())
        file.resize(size);
}

} // namespace

void createFiles(const QString &root)
{
    for (const SeedFile &f : seedFiles)
        writeFile(root + QLatin1Char('/') + QString::fromUtf8(f.path), f.text, f.size);
    // Windows finds a folder under any mix of letter cases. Programs name the recent folder in lower case, the
    // shell's folder table in capitals: the folder itself goes by the programs' spelling and the other one is a
    // link to it, since tools that delete there refuse to go through a link.
    const QString windowsFolder = root + QStringLiteral("/Users/User/AppData/Roaming/Microsoft/Windows");
    const QString lower = windowsFolder + QStringLiteral("/recent");
    const QString upper = windowsFolder + QStringLiteral("/Recent");
    if (QFileInfo(lower).isSymLink())
        QFile::remove(lower);
    if (!QFileInfo::exists(lower) && QFileInfo(upper).isDir() && !QFileInfo(upper).isSymLink())
        QDir().rename(upper, lower);
    if (!QFileInfo::exists(upper) && !QFileInfo(upper).isSymLink())
        QFile::link(QStringLiteral("recent"), upper);
}

} // namespace traceseed
