// The machine's drives as a prefix lays them out: C: is the machine's drive_c, Z: the host's root; every path
// the Win32 functions give is a Windows path; a machine folder of the first layout is carried over.
#include "linux/machine/machine.h"
#include "rawnames.h"
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

bool setValue(const QString &key, const QString &name, DWORD type, const QString &text)
{
    HKEY h;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(key), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const QString data = text + QChar(0);
    const LONG rc =
        RegSetValueExW(h, wstr(name), 0, type, reinterpret_cast<const BYTE *>(data.utf16()), DWORD(data.size() * 2));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

QByteArray linkText(const QString &path)
{
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof(target));
    return n < 0 ? QByteArray("(no link)") : QByteArray(target, int(n));
}

// The value's text as stored, terminators and all.
QString storedValue(const QString &key, const QString &name)
{
    QByteArray data(8192, '\0');
    DWORD size = DWORD(data.size());
    if (RegGetValueW(HKEY_CURRENT_USER, wstr(key), wstr(name), RRF_RT_ANY | RRF_NOEXPAND, nullptr, data.data(),
                     &size) != ERROR_SUCCESS)
        return QStringLiteral("(missing)");
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData()), size / 2);
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
        QTest::newRow("host name Windows cannot hold")
            << "fromHost:/run/memfd:x" << QStringLiteral("Z:\\run\\memfd\uF03Ax");
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
        m->makeFirstLayout();
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

    // Host paths an earlier version stored, in every spelling that named the place, become the Windows path
    // naming it now, each in its writer's spelling; a text that only begins with a slash stays.
    void storedPathsAreCarriedOver_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored");   // {m}: the machine folder, {l}: a link to it, {o}: a host folder
        QTest::addColumn<QString>("expected"); // {O}: that folder as Windows names it
        const QString key = QStringLiteral("Software\\CarryOver");
        QTest::newRow("double slash") << key << "A" << int(REG_SZ) << "{m}//Users/User/Pictures/Shots"
                                      << "C:\\Users\\User\\Pictures\\Shots";
        QTest::newRow("dot") << key << "A" << int(REG_SZ) << "{m}/./Users/User/Pictures"
                             << "C:\\Users\\User\\Pictures";
        QTest::newRow("other case") << key << "A" << int(REG_SZ) << "{m}/users/User/Pictures"
                                    << "C:\\Users\\User\\Pictures";
        QTest::newRow("through a link") << key << "A" << int(REG_EXPAND_SZ) << "{l}/Windows/Web"
                                        << "C:\\Windows\\Web";
        QTest::newRow("quoted command") << key << "A" << int(REG_SZ)
                                        << "\"{m}/Program Files/Tool/tool.exe\" /quiet \"{o}/x y\""
                                        << "\"C:\\Program Files\\Tool\\tool.exe\" /quiet \"{O}\\x y\"";
        QTest::newRow("multi string") << key << "A" << int(REG_MULTI_SZ)
                                      << QStringLiteral("{m}/Windows/a%1{o}/b%1").arg(QChar(0))
                                      << QStringLiteral("C:\\Windows\\a%1{O}\\b%1").arg(QChar(0));
        QTest::newRow("name holding a backslash") << key << "A" << int(REG_SZ) << "{m}/Users/User/Documents/a\\b.txt"
                                                  << QStringLiteral("C:\\Users\\User\\Documents\\a\uF05Cb.txt");
        QTest::newRow("joined with a backslash") << key << "A" << int(REG_SZ) << "{m}/Users/User\\Documents"
                                                 << "C:\\Users\\User\\Documents";
        QTest::newRow("screenshot folder outside")
            << "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
            << "{B7BEDE81-DF94-4682-A7D8-57A52620B86F}" << int(REG_EXPAND_SZ) << "{o}/shots"
            << "{O}\\shots";
        QTest::newRow("install folder") << "Software\\Keelrun Hushdeck Plus!"
                                        << "Path" << int(REG_SZ) << "{o}"
                                        << "{O/}";
        QTest::newRow("helper's Run value") << "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
                                            << "TransparentTaskbar" << int(REG_SZ) << "\"{o}\\Glasspan.exe\""
                                            << "\"{O/}\\Glasspan.exe\"";
        QTest::newRow("wallpaper") << "Control Panel\\Desktop"
                                   << "WallPaper" << int(REG_SZ) << "{o}\\image2.jpg"
                                   << "{O}\\image2.jpg";
        QTest::newRow("a text, no path") << key << "A" << int(REG_SZ) << "/dev team"
                                         << "/dev team";
    }
    void storedPathsAreCarriedOver()
    {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const QString root = machine::folder();
        const QString outside = QFileInfo(root).path() + QStringLiteral("/install");
        const QString link = QFileInfo(root).path() + QStringLiteral("/link");
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QFile::link(root, link));
        const QString windowsOutside = fromHostPath(outside);
        stored.replace(QLatin1String("{m}"), root)
            .replace(QLatin1String("{l}"), link)
            .replace(QLatin1String("{o}"), outside);
        expected.replace(QLatin1String("{O/}"), QString(windowsOutside).replace(QLatin1Char('\\'), QLatin1Char('/')))
            .replace(QLatin1String("{O}"), windowsOutside);
        QVERIFY(setValue(key, name, DWORD(type), stored));
        m->makeFirstLayout();
        QVERIFY(writeFile(root + QStringLiteral("/Users/User/Documents/a\\b.txt"), "name"));

        QCOMPARE(machine::folder(), root);
        QCOMPARE(storedValue(key, name), expected + QChar(0));
    }

    // What the carry-over moves keeps its marks and links, in a machine folder whose name holds a character
    // beyond 16 bits; what lies outside the machine is never touched.
    void carriedOverFilesKeepMarksAndLinks()
    {
        const QString top = QFileInfo(machine::folder()).path();
        const QString root = top + QStringLiteral("/\U0001D11E machine");
        const QByteArray tested = qgetenv("HUSHDECK_MACHINE");
        struct Restore
        {
            QByteArray env;
            ~Restore()
            {
                machine::reset();
                qputenv("HUSHDECK_MACHINE", env);
            }
        } restore{tested};
        machine::reset();
        qputenv("HUSHDECK_MACHINE", QFile::encodeName(root));
        const QString song = machine::userProfile() + QStringLiteral("/Music/a.mp3");
        QVERIFY(writeFile(song, "a"));
        m->markFileAttributes(song, FILE_ATTRIBUTE_HIDDEN);
        QVERIFY(writeFile(top + QStringLiteral("/outside.txt"), "outside"));
        m->makeFirstLayout();
        QVERIFY(QFile::link(QStringLiteral("../../../../outside.txt"), root + QStringLiteral("/Users/User/Music/up")));
        QVERIFY(QFile::link(QStringLiteral("a.mp3"), root + QStringLiteral("/Users/User/Music/beside")));
        QVERIFY(QFile::link(root + QStringLiteral("/Users/User/Music/a.mp3"),
                            root + QStringLiteral("/Users/User/Music/full")));
        // A drive_c that links elsewhere is no folder to make the machine's folders in.
        QVERIFY(QDir().mkpath(top + QStringLiteral("/elsewhere")));
        QVERIFY(QFile::link(top + QStringLiteral("/elsewhere"), root + QStringLiteral("/drive_c")));

        QCOMPARE(machine::folder(), root);
        QCOMPARE(QDir(top + QStringLiteral("/elsewhere")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(QFileInfo(root + QStringLiteral("/drive_c.set-aside")).isSymLink());
        QCOMPARE(GetFileAttributesW(wstr(fromHostPath(song))) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
        // Still relative, one level deeper where they reach out of the moved folders.
        const QString music = machine::userProfile() + QStringLiteral("/Music");
        QCOMPARE(readFile(music + QStringLiteral("/up")), QByteArray("outside"));
        QCOMPARE(linkText(music + QStringLiteral("/up")), QByteArray("../../../../../outside.txt"));
        QCOMPARE(linkText(music + QStringLiteral("/beside")), QByteArray("a.mp3"));
        // A full link into the moved folders names the place's new name.
        QCOMPARE(linkText(music + QStringLiteral("/full")), QFile::encodeName(song));
        QCOMPARE(readFile(top + QStringLiteral("/outside.txt")), QByteArray("outside"));
    }

    // A link the carry-over points anew is reached through no link: with the folder it is to lie in after the
    // move taken by a link to a folder outside, what that folder holds under the link's name stays as it was.
    void carryOverThroughSwappedFolder()
    {
        const QString root = machine::folder();
        const QString top = QFileInfo(root).path();
        const QString outside = top + QStringLiteral("/outside"), target = top + QStringLiteral("/outside.txt");
        QVERIFY(writeFile(target, "outside"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QFile::link(target, outside + QStringLiteral("/up"))); // as the pinned link reads in full
        m->makeFirstLayout();
        QVERIFY(QDir().mkpath(root + QStringLiteral("/Users/User/Music")));
        QVERIFY(QFile::link(QStringLiteral("../../../../outside.txt"), root + QStringLiteral("/Users/User/Music/up")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/drive_c/Users/User")));
        QVERIFY(QFile::link(outside, root + QStringLiteral("/drive_c/Users/User/Music")));

        QCOMPARE(machine::folder(), root);
        QCOMPARE(linkText(outside + QStringLiteral("/up")), QFile::encodeName(target));
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("up")});
        QCOMPARE(readFile(target), QByteArray("outside"));
        QVERIFY(QFile::remove(root + QStringLiteral("/drive_c/Users/User/Music")));
        QVERIFY(QDir(outside).removeRecursively() && QFile::remove(target));
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
        rawnames::Scratch host; // removes the name that is not UTF-8 too
        const QByteArray parent = host.root;
        QCOMPARE(::mkdir((parent + '/' + name).constData(), 0755), 0);
        QCOMPARE(::close(::open((parent + '/' + name + "/probe.txt").constData(), O_CREAT | O_WRONLY, 0644)), 0);
        const QString table = host.dir.path() + QStringLiteral("/mounts");
        QVERIFY(writeFile(table, "/dev/vda / ext4 rw 0 0\n/dev/vdb " + parent + '/' + escaped + " ext4 rw 0 0\n"));
        machine::setSetting(QStringLiteral("drives.mounts"), table);

        QCOMPARE(GetDriveTypeW(WSTR("D:\\")), lettered ? UINT(DRIVE_FIXED) : UINT(DRIVE_NO_ROOT_DIR));
        QCOMPARE(GetFileAttributesW(WSTR("D:\\probe.txt")) != INVALID_FILE_ATTRIBUTES, lettered);
        ULARGE_INTEGER available, total, free;
        QCOMPARE(bool(GetDiskFreeSpaceExW(WSTR("D:\\"), &available, &total, &free)), lettered);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestDrives)
#include "tst_drives.moc"
