// The machine's drives as a prefix lays them out: C: is the machine's drive_c, Z: the host's root; every path
// the Win32 functions give is a Windows path; a machine folder of the first layout is carried over.
#include "linux/machine/machine.h"
#include "testmachine.h"
#include "win32.h"

#include <QtTest>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

QString folderPath(int csidl)
{
    WCHAR path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK
               ? fromWide(path)
               : QStringLiteral("(failed)");
}

} // namespace

class TestDrives : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void windowsPaths_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("expected");
        QTest::newRow("GetWindowsDirectoryW") << "windows"
                                              << "C:\\Windows";
        QTest::newRow("GetSystemDirectoryW") << "system"
                                             << "C:\\Windows\\System32";
        QTest::newRow("GetTempPathW") << "temp"
                                      << "C:\\Users\\User\\AppData\\Local\\Temp\\";
        QTest::newRow("CSIDL_APPDATA") << "appdata"
                                       << "C:\\Users\\User\\AppData\\Roaming";
        QTest::newRow("CSIDL_PROGRAM_FILES") << "programfiles"
                                             << "C:\\Program Files";
        QTest::newRow("host root") << "fromHost:/usr/bin"
                                   << "Z:\\usr\\bin";
        QTest::newRow("host name Windows cannot hold") << "fromHost:/run/memfd:x"
                                                       << QStringLiteral("Z:\\run\\memfd\uF03Ax");
        QTest::newRow("machine's drive from the host") << "fromHost:{c}/Windows/notepad.exe"
                                                       << "C:\\Windows\\notepad.exe";
        QTest::newRow("expansion") << "expand:%SystemRoot%\\System32"
                                   << "C:\\Windows\\System32";
    }
    void windowsPaths()
    {
        QFETCH(QString, function);
        QFETCH(QString, expected);
        function.replace(QLatin1String("{c}"), machine::systemDrive());
        WCHAR buffer[MAX_PATH] = {};
        QString got;
        if (function == QLatin1String("windows"))
            got = GetWindowsDirectoryW(buffer, MAX_PATH) ? fromWide(buffer) : QString();
        else if (function == QLatin1String("system"))
            got = GetSystemDirectoryW(buffer, MAX_PATH) ? fromWide(buffer) : QString();
        else if (function == QLatin1String("temp"))
            got = GetTempPathW(MAX_PATH, buffer) ? fromWide(buffer) : QString();
        else if (function == QLatin1String("appdata"))
            got = folderPath(CSIDL_APPDATA);
        else if (function == QLatin1String("programfiles"))
            got = folderPath(CSIDL_PROGRAM_FILES);
        else if (function.startsWith(QLatin1String("fromHost:")))
            got = fromHostPath(function.mid(9));
        else if (function.startsWith(QLatin1String("expand:")))
            got = ExpandEnvironmentStringsW(wstr(function.mid(7)), buffer, MAX_PATH) ? fromWide(buffer) : QString();
        QCOMPARE(got, expected);
        // Every Windows path leads back to where it came from on the host, and is there.
        if (!function.startsWith(QLatin1String("expand:")) && !function.startsWith(QLatin1String("fromHost:")))
            QVERIFY2(QFileInfo(hostPath(got)).isDir(), qPrintable(hostPath(got)));
        if (function.startsWith(QLatin1String("fromHost:")))
            QCOMPARE(hostPath(got), function.mid(9));
    }

    // The machine's drive is case-insensitive; Z: reaches the host's own files.
    void drivesReachTheirFiles()
    {
        const QString inside = machine::windowsFolder() + QStringLiteral("/System32/probe.dll");
        QVERIFY(writeFile(inside, "dll"));
        QCOMPARE(hostPath(QStringLiteral("c:\\WINDOWS\\system32\\PROBE.DLL")), inside);
        QTemporaryDir host;
        QVERIFY(writeFile(host.path() + QStringLiteral("/host.txt"), "host"));
        const QString onZ = QStringLiteral("Z:") + QString(host.path()).replace(QLatin1Char('/'), QLatin1Char('\\')) +
                            QStringLiteral("\\host.txt");
        QVERIFY(GetFileAttributesW(wstr(onZ)) != INVALID_FILE_ATTRIBUTES);
        QCOMPARE(fromHostPath(host.path() + QStringLiteral("/host.txt")), onZ);
    }

    // The profile's Documents is the host user's own folder, reached through C:.
    void documentsLeadToTheHostFolder()
    {
        QTemporaryDir scratch;
        const QString docs = scratch.path() + QStringLiteral("/Docs");
        QVERIFY(writeFile(docs + QStringLiteral("/letter.txt"), "dear"));
        QVERIFY(writeFile(scratch.path() + QStringLiteral("/config/user-dirs.dirs"),
                          QStringLiteral("XDG_DOCUMENTS_DIR=\"%1\"\n").arg(docs).toUtf8()));
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("1"));
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
        const QString documents = folderPath(CSIDL_PERSONAL);
        qputenv("XDG_CONFIG_HOME", previous);
        QCOMPARE(documents, QStringLiteral("C:\\Users\\User\\Documents"));
        const QFileInfo entry(machine::userProfile() + QStringLiteral("/Documents"));
        QVERIFY(entry.isSymLink());
        QCOMPARE(QDir::cleanPath(entry.symLinkTarget()), docs);
        QCOMPARE(readFile(hostPath(documents + QStringLiteral("\\letter.txt"))), QByteArray("dear"));
    }

    void oldLayoutIsCarriedOver_data()
    {
        QTest::addColumn<bool>("newFolderToo"); // the machine's drive already holds part of the profile
        QTest::addColumn<bool>("clash");        // ... and a file of the same name as an old one
        QTest::newRow("first layout only") << false << false;
        QTest::newRow("both hold the profile") << true << false;
        QTest::newRow("one name in both") << true << true;
    }
    void oldLayoutIsCarriedOver()
    {
        QFETCH(bool, newFolderToo);
        QFETCH(bool, clash);
        const QString root = machine::folder();
        const QString backup = QStringLiteral("Users/User/AppData/Roaming/Keelrun Hushdeck Plus!/Backup/3.bak");
        const QString oldScreens = root + QStringLiteral("/Users/User/Pictures/Shots");
        {
            // What the registry kept: a folder the program saved, as the first layout spelt it.
            HKEY key;
            QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\CarryOver"), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr),
                     LONG(ERROR_SUCCESS));
            const QString value = oldScreens;
            QCOMPARE(RegSetValueExW(key, WSTR("Folder"), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.utf16()),
                                    DWORD((value.size() + 1) * 2)),
                     LONG(ERROR_SUCCESS));
            RegCloseKey(key);
        }
        machine::reset();
        // Turn the machine folder back into the first layout: its folders beside machine.db.
        for (const char *top : {"Windows", "Users", "ProgramData", "Program Files", "Program Files (x86)"})
            QVERIFY(QDir().rename(root + QStringLiteral("/drive_c/") + QLatin1String(top),
                                  root + QLatin1Char('/') + QLatin1String(top)));
        QVERIFY(QDir().rmdir(root + QStringLiteral("/drive_c")));
        {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(root + QStringLiteral("/machine.db")).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "DELETE FROM settings WHERE name='layout'", nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        }
        QVERIFY(writeFile(root + QLatin1Char('/') + backup, "backup bytes"));
        QVERIFY(writeFile(root + QStringLiteral("/Users/User/Documents/old.txt"), "old"));
        if (newFolderToo)
            QVERIFY(writeFile(root + QStringLiteral("/drive_c/Users/User/Documents/new.txt"), "new"));
        if (clash)
            QVERIFY(writeFile(root + QStringLiteral("/drive_c/Users/User/Documents/old.txt"), "newer"));

        // First start of the new layout.
        QCOMPARE(machine::folder(), root);
        const QString drive = root + QStringLiteral("/drive_c/");
        QCOMPARE(
            readFile(hostPath(QStringLiteral("C:\\") + QString(backup).replace(QLatin1Char('/'), QLatin1Char('\\')))),
            QByteArray("backup bytes"));
        QCOMPARE(readFile(drive + QStringLiteral("Users/User/Documents/old.txt")),
                 clash ? QByteArray("newer") : QByteArray("old"));
        if (newFolderToo)
            QCOMPARE(readFile(drive + QStringLiteral("Users/User/Documents/new.txt")), QByteArray("new"));
        // Nothing is lost: a file both layouts hold stays where it was, the rest of the old folders are gone.
        QCOMPARE(QFileInfo::exists(root + QStringLiteral("/Users/User/Documents/old.txt")), clash);
        QCOMPARE(QFileInfo::exists(root + QStringLiteral("/Windows")), false);
        QCOMPARE(QFileInfo::exists(root + QStringLiteral("/Users")), clash);
        QVERIFY(QFileInfo(machine::windowsFolder() + QStringLiteral("/System32")).isDir());

        WCHAR value[MAX_PATH] = {};
        DWORD size = sizeof(value);
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\CarryOver"), WSTR("Folder"), RRF_RT_REG_SZ, nullptr,
                              value, &size),
                 LONG(ERROR_SUCCESS));
        QCOMPARE(fromWide(value), QStringLiteral("C:\\Users\\User\\Pictures\\Shots"));
    }

    // A host mount's point is named by the bytes the mount table escapes: the drive's files are the mount's
    // own. A point the table cannot name gets no letter.
    void mountPointsKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("name");    // the mount point's name, as host bytes
        QTest::addColumn<QByteArray>("escaped"); // ... as the mount table writes it
        QTest::addColumn<bool>("lettered");
        QTest::newRow("blank") << QByteArray("my disk") << QByteArray("my\\040disk") << true;
        QTest::newRow("tab") << QByteArray("tab\tdisk") << QByteArray("tab\\011disk") << true;
        QTest::newRow("backslash") << QByteArray("back\\slash") << QByteArray("back\\134slash") << true;
        QTest::newRow("not UTF-8") << QByteArray("disk\xff\xfe") << QByteArray("disk\xff\xfe") << true;
        QTest::newRow("stray backslash") << QByteArray("bad\\9zz") << QByteArray("bad\\9zz") << false;
    }
    void mountPointsKeepTheirBytes()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, escaped);
        QFETCH(bool, lettered);
        QTemporaryDir host;
        const QByteArray parent = QFile::encodeName(host.path());
        QCOMPARE(::mkdir((parent + '/' + name).constData(), 0755), 0);
        QCOMPARE(::close(::open((parent + '/' + name + "/probe.txt").constData(), O_CREAT | O_WRONLY, 0644)), 0);
        const QString table = host.path() + QStringLiteral("/mounts");
        QVERIFY(writeFile(table, "/dev/vda / ext4 rw 0 0\n/dev/vdb " + parent + '/' + escaped + " ext4 rw 0 0\n"));
        machine::setSetting(QStringLiteral("drives.mounts"), table);

        QCOMPARE(GetDriveTypeW(WSTR("D:\\")), lettered ? UINT(DRIVE_FIXED) : UINT(DRIVE_NO_ROOT_DIR));
        QCOMPARE(GetFileAttributesW(WSTR("D:\\probe.txt")) != INVALID_FILE_ATTRIBUTES, lettered);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestDrives)
#include "tst_drives.moc"
