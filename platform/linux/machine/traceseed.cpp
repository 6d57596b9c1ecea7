#include "linux/machine/traceseed.h"

#include "linux/machine/ownfolder.h"

#include <QDebug>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/Quarterly report.lnk", "L\1\2\0", 1482},
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/notes.lnk", "L\1\2\0", 1129},
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/Projects.lnk", "L\1\2\0", 874},
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/AutomaticDestinations/"
     "5f7b5f1e01b83767.automaticDestinations-ms",
     "\xd0\xcf\x11\xe0", 12800},
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/AutomaticDestinations/"
     "f01b4d95cf55d32a.automaticDestinations-ms",
     "\xd0\xcf\x11\xe0", 8704},
    {"Users/User/AppData/Roaming/Microsoft/Windows/recent/CustomDestinations/5d696d521de238c3.customDestinations-ms",
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

} // namespace

void createFiles(const QString &root)
{
    // Windows finds a folder under any mix of letter cases. Programs name the recent folder in lower case, the
    // shell's folder table in capitals: the folder itself goes by the programs' spelling and the other one is a
    // link to it, since tools that delete there refuse to go through a link. Both are settled in the machine's
    // own folder, reached without a link, before the recent items are written into it.
    const QFileInfo drive(root);
    const int windows = ownfolder::open(
        drive.path(), drive.fileName() + QStringLiteral("/Users/User/AppData/Roaming/Microsoft/Windows"), true);
    struct stat st;
    const auto entry = [&](const char *name) { return ::fstatat(windows, name, &st, AT_SYMLINK_NOFOLLOW) == 0; };
    if (windows >= 0) {
        if (entry("recent") && S_ISLNK(st.st_mode))
            ::unlinkat(windows, "recent", 0);
        if (!entry("recent") && entry("Recent") && S_ISDIR(st.st_mode))
            ::renameat(windows, "Recent", windows, "recent");
    }
    for (const SeedFile &f : seedFiles)
        ownfolder::seedFile(root, QString::fromUtf8(f.path), QByteArray(f.text), f.size);
    if (windows < 0) {
        qDebug() << "machine: the profile's Windows folder is a link or cannot be made; no recent folder link";
        return;
    }
    if (!entry("Recent"))
        ::symlinkat("recent", windows, "Recent");
    ::close(windows);
}

} // namespace traceseed
