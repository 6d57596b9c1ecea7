// Files and folders as the modules rely on Windows to show them.
#include "linux/machine/machine.h"
#include "foldertree.h"
#include "testmachine.h"
#include "win32.h"

#include <QDirIterator>
#include <QtTest>
#include <sys/stat.h>

namespace {

template <typename... T> void row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << QString(values));
}

struct Found
{
    QString name;
    DWORD attributes;
    quint64 size;
    FILETIME written;
    DWORD reserved0;
};

QList<Found> list(const QString &pattern, DWORD *error = nullptr)
{
    QList<Found> out;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(wstr(pattern), &data);
    if (h == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return out;
    }
    do {
        out.append(Found{fromWide(data.cFileName), data.dwFileAttributes,
                         (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime,
                         data.dwReserved0});
    } while (FindNextFileW(h, &data));
    const DWORD last = GetLastError();
    FindClose(h);
    if (error)
        *error = last;
    return out;
}

QStringList names(const QList<Found> &found)
{
    QStringList out;
    for (const Found &f : found)
        out << f.name;
    return out;
}

void write(const QString &path, const QByteArray &data = QByteArray("x"))
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// What a call given a path does, as one text: "read <content>" where it opens (or moves, or links to) a file,
// "ok" where it deletes one, the names a listing gives, the full path, or "error <code>". The current folder is
// C:\\Users, so that a path from the root names C:.
QString act(const QString &call, const QString &path)
{
    const auto error = [] { return QStringLiteral("error %1").arg(GetLastError()); };
    if (call == QLatin1String("open")) {
        HANDLE h = CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return error();
        char buffer[32];
        DWORD n = 0;
        ReadFile(h, buffer, sizeof(buffer), &n, nullptr);
        CloseHandle(h);
        return QStringLiteral("read ") + QString::fromLatin1(buffer, int(n));
    }
    if (call == QLatin1String("delete"))
        return DeleteFileW(wstr(path)) ? QStringLiteral("ok") : error();
    if (call == QLatin1String("move"))
        return MoveFileW(wstr(path), WSTR("C:\\moved.txt"))
                   ? act(QStringLiteral("open"), QStringLiteral("C:\\moved.txt"))
                   : error();
    if (call == QLatin1String("link") || call == QLatin1String("link from Z:"))
        return CreateSymbolicLinkW(WSTR("C:\\Users\\link.txt"), wstr(path), 0)
                   ? act(QStringLiteral("open"), QStringLiteral("C:\\Users\\link.txt"))
                   : error();
    if (call == QLatin1String("list")) {
        DWORD last = 0;
        QStringList found = names(list(path, &last));
        if (found.isEmpty())
            return QStringLiteral("error %1").arg(last);
        // The machine folder holds machine.db and drive_c; C:'s root holds neither.
        found =
            found.filter(QRegularExpression(QStringLiteral("^(\\.|\\.\\.|machine\\.db|drive_c|Users|victim\\.txt)$")));
        return found.join(QLatin1Char(' '));
    }
    if (call == QLatin1String("attributes")) {
        const DWORD a = GetFileAttributesW(wstr(path));
        return a == INVALID_FILE_ATTRIBUTES ? error() : QStringLiteral("0x%1").arg(a, 0, 16);
    }
    WCHAR full[MAX_PATH];
    const DWORD n = GetFullPathNameW(wstr(path), MAX_PATH, full, nullptr);
    return n ? QString::fromUtf16(full, n) : error();
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path();
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    // A link is made only with the privilege, never over an entry, and points where its target names: a full
    // path at that file, a relative one beside the link.
    void symbolicLinks_data()
    {
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<QString>("target"); // "{r}" for the folder's Windows path
        QTest::addColumn<uint>("error");     // 0: made
        QTest::newRow("full path") << true << "{r}\\target.txt" << 0u;
        QTest::newRow("relative") << true << "target.txt" << 0u;
        QTest::newRow("without the privilege") << false << "target.txt" << uint(ERROR_PRIVILEGE_NOT_HELD);
        QTest::newRow("over an entry") << true << "target.txt" << uint(ERROR_ALREADY_EXISTS);
    }
    void symbolicLinks()
    {
        QFETCH(bool, elevated);
        QFETCH(QString, target);
        QFETCH(uint, error);
        m->setElevated(elevated);
        write(root + QStringLiteral("/target.txt"), "target");
        if (error == ERROR_ALREADY_EXISTS)
            write(root + QStringLiteral("/link.txt"), "kept");
        const QString windows = fromHostPath(root);
        target.replace(QLatin1String("{r}"), windows);
        SetLastError(0);
        const BOOLEAN made = CreateSymbolicLinkW(wstr(windows + QStringLiteral("\\link.txt")), wstr(target), 0);
        QCOMPARE(bool(made), error == 0);
        if (error) {
            QCOMPARE(uint(GetLastError()), error);
            QCOMPARE(QFileInfo(root + QStringLiteral("/link.txt")).isSymLink(), false);
            return;
        }
        QVERIFY(QFileInfo(root + QStringLiteral("/link.txt")).isSymLink());
        QCOMPARE(QFileInfo(root + QStringLiteral("/link.txt")).canonicalFilePath(),
                 QFileInfo(root + QStringLiteral("/target.txt")).canonicalFilePath());
        // Deleting the link leaves the target; a link to a folder is no file to delete.
        QVERIFY(QFile::link(root, root + QStringLiteral("/folderlink")));
        QVERIFY(!DeleteFileW(wstr(windows + QStringLiteral("\\folderlink"))));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QVERIFY(DeleteFileW(wstr(windows + QStringLiteral("\\link.txt"))));
        QVERIFY(QFile::exists(root + QStringLiteral("/target.txt")));
    }

    // Paths with ".." at and above a drive's root, from the root and "\\?\" paths, through each call that takes
    // one, with the answer Windows gives: ".." at a root stays there, so nothing outside the drive (the machine
    // folder's own victim.txt, or one beside a mapped drive's folder) is ever reached.
    void pathsStayOnTheirDrive_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("answer");
        const QString inside = QStringLiteral("read inside");
        row("open above C:", "open", "C:\\..\\victim.txt", inside);
        row("open far above C:", "open", "C:\\Users\\..\\..\\..\\victim.txt", inside);
        row("open above D:", "open", "D:\\..\\..\\victim.txt", QStringLiteral("read inside D"));
        row("open from the root", "open", "\\..\\..\\victim.txt", inside);
        row("open relative", "open", "..\\..\\..\\victim.txt", inside);
        row("open C: relative", "open", "C:..\\..\\victim.txt", inside);
        row("open verbatim", "open", "\\\\?\\C:\\victim.txt", inside);
        row("open verbatim with ..", "open", "\\\\?\\C:\\Users\\..\\..\\victim.txt", QStringLiteral("error 123"));
        row("open unmapped drive", "open", "Q:\\victim.txt", QStringLiteral("error 3"));
        row("open through the device namespace", "open", "\\\\.\\C:\\victim.txt", inside);
        row("open through the device namespace, above C:", "open", "\\\\.\\C:\\..\\victim.txt",
            QStringLiteral("error 2"));
        row("C:'s Windows through the device namespace", "attributes", "\\\\.\\C:\\Windows", QStringLiteral("0x10"));
        row("list through the device namespace", "list", "//./C:/*", QStringLiteral("Users victim.txt"));
        row("delete above C:", "delete", "C:\\Users\\..\\..\\victim.txt", QStringLiteral("ok"));
        row("delete verbatim with ..", "delete", "\\\\?\\C:\\..\\victim.txt", QStringLiteral("error 123"));
        row("move from above C:", "move", "C:\\..\\victim.txt", inside);
        row("list above C:", "list", "C:\\..\\*", QStringLiteral("Users victim.txt"));
        row("list from the root", "list", "\\..\\*", QStringLiteral("Users victim.txt"));
        row("list a name above C:", "list", "C:\\..\\victim.txt", QStringLiteral("victim.txt"));
        row("list the root's parent", "list", "C:\\..", QStringLiteral("error 2"));
        row("link climbing above C:", "link", "..\\..\\..\\victim.txt", inside);
        row("link from the root", "link", "\\victim.txt", inside);
        row("link from the root, current folder on Z:", "link from Z:", "\\victim.txt", inside);
        row("full path above C:", "full", "C:\\..\\a\\.\\b\\..\\c", QStringLiteral("C:\\a\\c"));
        row("full path, final dots and blanks", "full", "C:\\a.\\b \\c. .", QStringLiteral("C:\\a\\b \\c"));
        row("full path, three dots", "full", "C:\\...\\x\\...", QStringLiteral("C:\\...\\x"));
        row("full path, separators", "full", "C:/a//b\\", QStringLiteral("C:\\a\\b\\"));
        row("full path from the root", "full", "\\..\\..\\etc\\hostname", QStringLiteral("C:\\etc\\hostname"));
        row("full path relative", "full", "..\\..\\x", QStringLiteral("C:\\x"));
        row("full path C: relative", "full", "C:x", QStringLiteral("C:\\Users\\x"));
        row("full path D: relative", "full", "D:x", QStringLiteral("D:\\x"));
        row("full path verbatim", "full", "\\\\?\\C:\\..\\x.", QStringLiteral("\\\\?\\C:\\x"));
    }
    void pathsStayOnTheirDrive()
    {
        QFETCH(QString, call);
        QFETCH(QString, path);
        QFETCH(QString, answer);
        m->setElevated(true);
        const QString outside = m->folder() + QStringLiteral("/victim.txt");
        const QString besideD = root + QStringLiteral("/victim.txt");
        write(outside, "outside");
        write(besideD, "outside");
        write(machine::systemDrive() + QStringLiteral("/victim.txt"), "inside");
        QVERIFY(QDir(root).mkdir(QStringLiteral("dvol")));
        write(root + QStringLiteral("/dvol/victim.txt"), "inside D");
        machine::setSetting(QStringLiteral("drive.D"), root + QStringLiteral("/dvol"));
        const QString before = QDir::currentPath();
        // A link's target from the root is on the link's own drive, whatever drive the current folder is on.
        QVERIFY(QDir::setCurrent(
            call == QLatin1String("link from Z:") ? root : machine::systemDrive() + QStringLiteral("/Users")));
        const QString got = act(call, path);
        QDir::setCurrent(before);
        QCOMPARE(got, answer);
        for (const QString &file : {outside, besideD}) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("outside"));
        }
        QVERIFY(!QFileInfo::exists(m->folder() + QStringLiteral("/moved.txt")));
    }

    // A name of the device namespace that is no drive, and another machine's share, reach nothing: never the host
    // file that their names spell below the host's root.
    void deviceAndSharePathsReachNoHostFile_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("answer");
        row("delete below a name that is no device", "\\\\.\\", "delete", "error 3");
        row("open below a name that is no device", "\\\\.\\", "open", "error 3");
        row("delete on a share", "\\\\", "delete", "error 53");
        row("open on a share", "\\\\", "open", "error 53");
    }
    void deviceAndSharePathsReachNoHostFile()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, call);
        QFETCH(QString, answer);
        const QString host = root + QStringLiteral("/victim.txt");
        write(host, "outside");
        QCOMPARE(act(call, prefix + nativeSeparators(host.mid(1))), answer);
        QFile f(host);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("outside"));
    }

    // NTFS's archive mark: a file made or written through a handle has it, SetFileAttributesW sets or clears it,
    // and a file left with no attribute reads FILE_ATTRIBUTE_NORMAL; a folder has it only when asked for.
    void archiveMark_data()
    {
        QTest::addColumn<uint>("set");
        QTest::newRow("normal") << uint(FILE_ATTRIBUTE_NORMAL);
        QTest::newRow("archive") << uint(FILE_ATTRIBUTE_ARCHIVE);
        QTest::newRow("not indexed") << uint(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        QTest::newRow("hidden") << uint(FILE_ATTRIBUTE_HIDDEN);
    }
    void archiveMark()
    {
        QFETCH(uint, set);
        const QString path = root + QStringLiteral("/a.log");
        HANDLE h = CreateFileW(wstr(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD(FILE_ATTRIBUTE_ARCHIVE));
        QVERIFY(SetFileAttributesW(wstr(path), set));
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD(set));
        QCOMPARE(list(path).value(0).attributes, DWORD(set));
        BY_HANDLE_FILE_INFORMATION info = {};
        QVERIFY(GetFileInformationByHandle(h, &info));
        QCOMPARE(info.dwFileAttributes, DWORD(set));
        // Written through the handle opened before the mark went: it is back, the other attributes kept.
        DWORD written = 0;
        QVERIFY(WriteFile(h, "x", 1, &written, nullptr));
        CloseHandle(h);
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD((set & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE));
        // A file made anew where one without the mark was has it.
        QVERIFY(SetFileAttributesW(wstr(path), FILE_ATTRIBUTE_NORMAL));
        QVERIFY(DeleteFileW(wstr(path)));
        h = CreateFileW(wstr(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        CloseHandle(h);
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD(FILE_ATTRIBUTE_ARCHIVE));
        QVERIFY(SetFileAttributesW(wstr(root), set));
        QCOMPARE(GetFileAttributesW(wstr(root)), DWORD(FILE_ATTRIBUTE_DIRECTORY | (set & ~FILE_ATTRIBUTE_NORMAL)));
    }

    // A folder holds no data of its own, whatever room the host counts for its entries.
    void folderHandleHasNoSize()
    {
        for (int i = 0; i < 200; ++i)
            write(root + QStringLiteral("/entry with a long name to grow the folder %1").arg(i));
        HANDLE h = CreateFileW(wstr(root), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = -1;
        QVERIFY(GetFileSizeEx(h, &size));
        CloseHandle(h);
        QCOMPARE(size.QuadPart, 0LL);
    }

    void listingOrderAndAttributes()
    {
        for (const char *n : {"b.txt", "A.TXT", "_x", "c"})
            write(root + QLatin1Char('/') + QLatin1String(n), QByteArray(int(strlen(n)) * 100, 'z'));
        QDir(root).mkdir(QStringLiteral("Sub"));
        DWORD error = 0;
        const QList<Found> found = list(root + QStringLiteral("\\*"), &error);
        QCOMPARE(error, DWORD(ERROR_NO_MORE_FILES));
        QCOMPARE(names(found), (QStringList{".", "..", "A.TXT", "b.txt", "c", "Sub", "_x"}));
        QVERIFY(found.at(0).attributes & FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(found.at(2).attributes, DWORD(FILE_ATTRIBUTE_ARCHIVE));
        QCOMPARE(found.at(2).size, quint64(500));
        QCOMPARE(found.at(5).attributes, DWORD(FILE_ATTRIBUTE_DIRECTORY));
        QCOMPARE(found.at(5).size, quint64(0));
        const QDateTime modified = QFileInfo(root + QStringLiteral("/b.txt")).lastModified().toUTC();
        QCOMPARE(fileTimeToDateTime(found.at(3).written).toMSecsSinceEpoch(), modified.toMSecsSinceEpoch());

        QCOMPARE(names(list(root + QStringLiteral("/*.txt"))), (QStringList{"A.TXT", "b.txt"}));
        QCOMPARE(names(list(root + QStringLiteral("/B.TXT"))), QStringList{"b.txt"}); // spelled as on disk
        list(root + QStringLiteral("/none*"), &error);
        QCOMPARE(error, DWORD(ERROR_FILE_NOT_FOUND));
        list(root + QStringLiteral("/missing/*"), &error);
        QCOMPARE(error, DWORD(ERROR_PATH_NOT_FOUND));
    }

    void driveRootHasNoDots()
    {
        machine::setSetting(QStringLiteral("drive.D"), root);
        write(root + QStringLiteral("/f"));
        QCOMPARE(names(list(QStringLiteral("D:\\*"))), QStringList{"f"});
        QDir(root).mkdir(QStringLiteral("s"));
        QCOMPARE(names(list(QStringLiteral("D:\\s\\*"))), (QStringList{".", ".."}));
    }

    // Without long-path support a plain path whose full form has MAX_PATH characters or more is refused (a new
    // folder's at MAX_PATH - 12), and its "\\?\" form is taken at any length.
    void longPaths_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("verbatim");
        QTest::addColumn<QString>("answer");
        QTest::newRow("open below") << "open" << MAX_PATH - 1 << false << "ok";
        QTest::newRow("open at") << "open" << int(MAX_PATH) << false << "error 3";
        QTest::newRow("open verbatim") << "open" << 300 << true << "ok";
        QTest::newRow("delete at") << "delete" << int(MAX_PATH) << false << "error 3";
        QTest::newRow("delete verbatim") << "delete" << 300 << true << "ok";
        QTest::newRow("attributes over") << "attributes" << 300 << false << "error 3";
        QTest::newRow("attributes verbatim") << "attributes" << 300 << true << "ok";
        QTest::newRow("list at") << "list" << int(MAX_PATH) << false << "error 3";
        QTest::newRow("list verbatim") << "list" << 300 << true << "ok";
        QTest::newRow("move over") << "move" << 300 << false << "error 3";
        QTest::newRow("move verbatim") << "move" << 300 << true << "ok";
        QTest::newRow("new folder below") << "mkdir" << MAX_PATH - 13 << false << "ok";
        QTest::newRow("new folder at") << "mkdir" << MAX_PATH - 12 << false << "error 206";
        QTest::newRow("new folder below the limit") << "mkdir" << MAX_PATH - 1 << false << "error 206";
        QTest::newRow("new folder at the limit") << "mkdir" << int(MAX_PATH) << false << "error 3";
        QTest::newRow("new folder verbatim") << "mkdir" << 300 << true << "ok";
        QTest::newRow("remove folder at") << "rmdir" << int(MAX_PATH) << false << "error 3";
        QTest::newRow("remove folder verbatim") << "rmdir" << 300 << true << "ok";
    }
    void longPaths()
    {
        QFETCH(QString, call);
        QFETCH(int, length);
        QFETCH(bool, verbatim);
        QFETCH(QString, answer);
        // Folders of 100 characters, then a last name that brings the Windows path to the length asked.
        QString host = root, windows = fromHostPath(root);
        while (length - windows.size() > 200) {
            const QString name(100, QLatin1Char('d'));
            host += QLatin1Char('/') + name;
            windows += QLatin1Char('\\') + name;
        }
        QVERIFY(QDir().mkpath(host));
        const QString name(length - int(windows.size()) - 1, QLatin1Char('f'));
        host += QLatin1Char('/') + name;
        windows += QLatin1Char('\\') + name;
        QCOMPARE(windows.size(), qsizetype(length));
        const bool folder = call == QLatin1String("rmdir") || call == QLatin1String("list");
        if (folder)
            QVERIFY(QDir().mkdir(host));
        else if (call != QLatin1String("mkdir"))
            write(host);
        const QString path = verbatim ? QStringLiteral("\\\\?\\") + windows : windows;
        BOOL done = FALSE;
        if (call == QLatin1String("open")) {
            HANDLE h = CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            done = h != INVALID_HANDLE_VALUE;
            if (done)
                CloseHandle(h);
        } else if (call == QLatin1String("delete")) {
            done = DeleteFileW(wstr(path));
        } else if (call == QLatin1String("attributes")) {
            done = GetFileAttributesW(wstr(path)) == FILE_ATTRIBUTE_ARCHIVE;
        } else if (call == QLatin1String("list")) {
            WIN32_FIND_DATAW data;
            HANDLE h = FindFirstFileW(wstr(path + QStringLiteral("\\*")), &data);
            done = h != INVALID_HANDLE_VALUE;
            if (done)
                FindClose(h);
        } else if (call == QLatin1String("move")) {
            done = MoveFileExW(wstr(path), wstr(path.left(path.size() - 1) + QLatin1Char('g')), 0);
        } else if (call == QLatin1String("mkdir")) {
            done = CreateDirectoryW(wstr(path), nullptr);
        } else {
            done = RemoveDirectoryW(wstr(path));
        }
        QCOMPARE(done ? QStringLiteral("ok") : QStringLiteral("error %1").arg(GetLastError()), answer);
        // What a refused call was asked to change is as it was.
        const bool changes = call == QLatin1String("delete") || call == QLatin1String("move") ||
                             call == QLatin1String("mkdir") || call == QLatin1String("rmdir");
        if (changes)
            QCOMPARE(QFileInfo::exists(host), call == QLatin1String("mkdir") ? done : !done);
    }

    void linksAreReportedNotFollowed()
    {
        QDir(root).mkdir(QStringLiteral("real"));
        write(root + QStringLiteral("/real/inside"));
        QVERIFY(QFile::link(root + QStringLiteral("/real"), root + QStringLiteral("/dirlink")));
        QVERIFY(QFile::link(root + QStringLiteral("/real/inside"), root + QStringLiteral("/filelink")));
        const QList<Found> found = list(root + QStringLiteral("/*"));
        QCOMPARE(names(found), (QStringList{".", "..", "dirlink", "filelink", "real"}));
        QCOMPARE(found.at(2).attributes, DWORD(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
        QCOMPARE(found.at(2).reserved0, DWORD(IO_REPARSE_TAG_SYMLINK));
        // A link to a file is a file with its archive mark, holding no data, in the listing as through its handle.
        QCOMPARE(found.at(3).attributes, DWORD(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE));
        QCOMPARE(found.at(3).size, quint64(0));
        // Opened itself, a link to a folder is a folder: only with backup semantics, and said to be one.
        const auto openItself = [&](const char *name, DWORD flags) {
            return CreateFileW(wstr(root + QLatin1Char('/') + QLatin1String(name)), DELETE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
        };
        QCOMPARE(openItself("dirlink", 0), INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        for (const char *name : {"dirlink", "filelink"}) {
            HANDLE h = openItself(name, FILE_FLAG_BACKUP_SEMANTICS);
            QVERIFY(h != INVALID_HANDLE_VALUE);
            BY_HANDLE_FILE_INFORMATION info = {};
            QVERIFY(GetFileInformationByHandle(h, &info));
            LARGE_INTEGER size = {};
            QVERIFY(GetFileSizeEx(h, &size));
            CloseHandle(h);
            const Found &listed = found.at(name[0] == 'd' ? 2 : 3);
            QCOMPARE(info.dwFileAttributes, listed.attributes);
            QCOMPARE((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow, quint64(0));
            QCOMPARE(size.QuadPart, 0LL);
        }
        // Removing the link to a folder removes the link, not what it points at.
        QVERIFY(RemoveDirectoryW(wstr(root + QStringLiteral("/dirlink"))));
        QVERIFY(QFile::exists(root + QStringLiteral("/real/inside")));
        QVERIFY(DeleteFileW(wstr(root + QStringLiteral("/filelink"))));
        QVERIFY(QFile::exists(root + QStringLiteral("/real/inside")));
    }

    void readOnlyFiles()
    {
        const QString path = root + QStringLiteral("/ro.txt");
        write(path);
        QVERIFY(SetFileAttributesW(wstr(path), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        QVERIFY(!DeleteFileW(wstr(path)));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QCOMPARE(CreateFileW(wstr(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        HANDLE h = CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        CloseHandle(h);
        QVERIFY(SetFileAttributesW(wstr(path), FILE_ATTRIBUTE_NORMAL));
        QCOMPARE(GetFileAttributesW(wstr(path)), DWORD(FILE_ATTRIBUTE_NORMAL));
        QVERIFY(DeleteFileW(wstr(path)));
        QCOMPARE(GetFileAttributesW(wstr(path)), INVALID_FILE_ATTRIBUTES);
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }

    void injectedFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("locked") << "locked";
        QTest::newRow("unreadable") << "unreadable";
        QTest::newRow("diskfull") << "diskfull";
        QTest::newRow("vanish") << "vanish";
    }

    void injectedFaults()
    {
        QFETCH(QString, fault);
        QDir(root).mkdir(QStringLiteral("folder"));
        const QString file = root + QStringLiteral("/folder/f.bin");
        write(file, QByteArray(10, 'a'));
        m->injectFileFault(fault == QLatin1String("unreadable") ? root + QStringLiteral("/folder") : file, fault);

        DWORD error = 0;
        const QStringList listed = names(list(root + QStringLiteral("/folder/*"), &error));
        if (fault == QLatin1String("unreadable")) {
            QVERIFY(listed.isEmpty());
            QCOMPARE(error, DWORD(ERROR_ACCESS_DENIED));
            return;
        }
        QCOMPARE(listed.contains(QStringLiteral("f.bin")), fault != QLatin1String("vanish"));

        HANDLE h = CreateFileW(wstr(file), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
        if (fault == QLatin1String("diskfull")) {
            QVERIFY(h != INVALID_HANDLE_VALUE);
            DWORD written = 1;
            QVERIFY(!WriteFile(h, "abc", 3, &written, nullptr));
            QCOMPARE(GetLastError(), DWORD(ERROR_DISK_FULL));
            QCOMPARE(written, DWORD(0));
            CloseHandle(h);
            return;
        }
        QCOMPARE(h, INVALID_HANDLE_VALUE);
        const DWORD expected = fault == QLatin1String("locked") ? ERROR_SHARING_VIOLATION : ERROR_FILE_NOT_FOUND;
        QCOMPARE(GetLastError(), expected);
        QVERIFY(!DeleteFileW(wstr(file)));
        QCOMPARE(GetLastError(), expected);
        QVERIFY(!MoveFileW(wstr(file), wstr(root + QStringLiteral("/moved"))));
        QVERIFY(QFile::exists(file));
        m->injectFileFault(file, QString());
        QVERIFY(DeleteFileW(wstr(file)));
    }

    void writeReadSeekAndMove()
    {
        const QString path = root + QStringLiteral("/data.bin");
        HANDLE h = CreateFileW(wstr(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        DWORD n = 0;
        QVERIFY(WriteFile(h, "0123456789", 10, &n, nullptr));
        QCOMPARE(n, DWORD(10));
        LARGE_INTEGER to, at;
        to.QuadPart = 4;
        QVERIFY(SetFilePointerEx(h, to, &at, FILE_BEGIN));
        QCOMPARE(at.QuadPart, 4LL);
        QVERIFY(WriteFile(h, "xy", 2, &n, nullptr));
        to.QuadPart = 0;
        QVERIFY(SetFilePointerEx(h, to, nullptr, FILE_BEGIN));
        char buf[16] = {};
        QVERIFY(ReadFile(h, buf, 16, &n, nullptr));
        QCOMPARE(QByteArray(buf, int(n)), QByteArray("0123xy6789"));
        LARGE_INTEGER size;
        QVERIFY(GetFileSizeEx(h, &size));
        QCOMPARE(size.QuadPart, 10LL);
        QVERIFY(CloseHandle(h));
        QCOMPARE(CreateFileW(wstr(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_EXISTS));

        write(root + QStringLiteral("/other"));
        QVERIFY(!MoveFileW(wstr(path), wstr(root + QStringLiteral("/other"))));
        QCOMPARE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        QVERIFY(MoveFileExW(wstr(path), wstr(root + QStringLiteral("/other")), MOVEFILE_REPLACE_EXISTING));
        QVERIFY(MoveFileW(wstr(root + QStringLiteral("/other")), wstr(root + QStringLiteral("/renamed"))));
        QVERIFY(PathFileExistsW(wstr(root + QStringLiteral("/renamed"))));
        QVERIFY(!PathFileExistsW(wstr(root + QStringLiteral("/other"))));
    }

    void folders()
    {
        const QString sub = root + QStringLiteral("/made");
        QVERIFY(CreateDirectoryW(wstr(sub), nullptr));
        QVERIFY(!CreateDirectoryW(wstr(sub), nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        QVERIFY(!CreateDirectoryW(wstr(root + QStringLiteral("/no/such")), nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
        write(sub + QStringLiteral("/f"));
        QVERIFY(!RemoveDirectoryW(wstr(sub)));
        QCOMPARE(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));
        QVERIFY(!DeleteFileW(wstr(sub)));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QVERIFY(DeleteFileW(wstr(sub + QStringLiteral("/f"))));
        QVERIFY(RemoveDirectoryW(wstr(sub)));
        // A folder opens only with backup semantics.
        QCOMPARE(CreateFileW(wstr(root), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
        HANDLE h =
            CreateFileW(wstr(root), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        CloseHandle(h);
        // Devices are never host devices: C:'s volume opens for the administrator, and no disk is read through it.
        h = CreateFileW(WSTR("\\\\.\\C:"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        char byte = 0;
        DWORD read = 1;
        QVERIFY(ReadFile(h, &byte, 1, &read, nullptr));
        QCOMPARE(read, DWORD(0));
        CloseHandle(h);
    }

    // The empty image behind a host drive's volume is the machine's own file: a link put in its place (naming
    // nothing, or a file outside) is refused, and what it names is neither made nor read.
    void hostVolumeImageLink_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("dangling link") << false;
        QTest::newRow("link to a file") << true;
    }
    void hostVolumeImageLink()
    {
        QFETCH(bool, targetExists);
        m->setElevated(true);
        const QString outside = root + QStringLiteral("/outside.bin");
        if (targetExists)
            write(outside, "secret");
        QVERIFY(QFile::link(outside, m->folder() + QStringLiteral("/hostvolume.img")));
        HANDLE h = CreateFileW(WSTR("\\\\.\\C:"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD error = GetLastError();
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        QCOMPARE(h, INVALID_HANDLE_VALUE);
        QCOMPARE(error, DWORD(ERROR_ACCESS_DENIED));
        QCOMPARE(QFileInfo::exists(outside), targetExists);
        if (targetExists)
            QCOMPARE(folderTree(root), QStringLiteral("outside.bin:secret"));
    }

    // A second open, a deletion and a rename while a first handle is held, as its sharing mode allows them.
    void sharingModes_data()
    {
        QTest::addColumn<uint>("heldAccess");
        QTest::addColumn<uint>("heldShare");
        QTest::addColumn<uint>("access");
        QTest::addColumn<uint>("share");
        QTest::addColumn<bool>("opens");
        const uint all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const uint read = GENERIC_READ, write = GENERIC_WRITE;
        QTest::newRow("exclusive reader, reader") << read << 0u << read << all << false;
        QTest::newRow("exclusive reader, identity query") << read << 0u << 0u << all << true;
        QTest::newRow("shared reader, reader")
            << read << uint(FILE_SHARE_READ) << read << uint(FILE_SHARE_READ) << true;
        QTest::newRow("shared reader, writer") << read << uint(FILE_SHARE_READ) << write << all << false;
        QTest::newRow("writer, reader not sharing writing") << write << all << read << uint(FILE_SHARE_READ) << false;
        QTest::newRow("writer, reader sharing all") << write << all << read << all << true;
        QTest::newRow("identity query, exclusive writer") << 0u << 0u << write << 0u << true;
    }
    void sharingModes()
    {
        QFETCH(uint, heldAccess);
        QFETCH(uint, heldShare);
        QFETCH(uint, access);
        QFETCH(uint, share);
        QFETCH(bool, opens);
        const QString path = root + QStringLiteral("/held.bin");
        write(path);
        HANDLE held = CreateFileW(wstr(path), heldAccess, heldShare, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        HANDLE second = CreateFileW(wstr(path), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        QCOMPARE(second != INVALID_HANDLE_VALUE, opens);
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
        else
            QCOMPARE(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
        // Deleting and renaming ask for delete access, which only a holder sharing it (or asking nothing) lets in.
        const bool deletable = !heldAccess || (heldShare & FILE_SHARE_DELETE);
        const QString moved = root + QStringLiteral("/moved.bin");
        QCOMPARE(bool(MoveFileW(wstr(path), wstr(moved))), deletable);
        QCOMPARE(bool(DeleteFileW(wstr(deletable ? moved : path))), deletable);
        if (!deletable)
            QCOMPARE(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
        CloseHandle(held);
        // Closed, the file no longer holds anyone back.
        QCOMPARE(bool(DeleteFileW(wstr(path))), !deletable);
    }

    // A folder held without FILE_SHARE_DELETE cannot be renamed away on Windows, so every call by name inside
    // it reaches it. Another program here renames it and puts a link to a folder outside in its place (and a
    // link to that folder inside it): each call acts in the held folder, or fails, and nothing outside changes.
    void callsInsideHeldFolder_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("held"); // the held folder afterwards, wherever it went
        const char *before = "f:in g:g-in inner:link sub:dir";
        row("DeleteFileW", "delete f", "ok", "g:g-in inner:link sub:dir");
        row("MoveFileExW", "move g f", "ok", "f:g-in inner:link sub:dir");
        row("SetFileAttributesW", "readonly f", "ok", "f:in ro g:g-in inner:link sub:dir");
        row("CreateDirectoryW", "mkdir new", "ok", "f:in g:g-in inner:link new:dir sub:dir");
        row("CreateDirectoryW through a link", "mkdir inner/new", "error 3", before);
        row("RemoveDirectoryW", "rmdir sub", "ok", "f:in g:g-in inner:link");
        row("CreateHardLinkW", "hardlink h f", "ok", "f:in n2 g:g-in h:in n2 inner:link sub:dir");
        row("CreateSymbolicLinkW", "symlink s f", "ok", "f:in g:g-in inner:link s:link sub:dir");
        row("GetFileAttributesW through a link", "attributes inner/x", "error 3", before);
        row("GetFileAttributesW, the held folder", "attributes .", "10", before);
        row("FindFirstFileW, the held folder", "find .", "10", before);
        row("FindFirstFileW through a link", "list inner", "error 3", before);
    }
    void callsInsideHeldFolder()
    {
        QFETCH(QString, call);
        QFETCH(QString, answer);
        QFETCH(QString, held);
        m->setElevated(true);
        const QString folder = root + QStringLiteral("/held"), outside = root + QStringLiteral("/outside");
        const QString moved = root + QStringLiteral("/moved");
        for (const QString &at :
             {folder + QStringLiteral("/sub"), outside + QStringLiteral("/sub"), outside + QStringLiteral("/inner")})
            QVERIFY(QDir().mkpath(at));
        write(folder + QStringLiteral("/f"), "in");
        write(folder + QStringLiteral("/g"), "g-in");
        write(outside + QStringLiteral("/f"), "out");
        write(outside + QStringLiteral("/g"), "g-out");
        write(outside + QStringLiteral("/sub/x"), "out");
        HANDLE h = CreateFileW(wstr(folder), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        QVERIFY(QFile::rename(folder, moved));
        QVERIFY(QFile::link(outside, folder));
        QVERIFY(QFile::link(outside + QStringLiteral("/sub"), moved + QStringLiteral("/inner")));
        const QString outsideBefore = folderTree(outside);

        const QStringList words = call.split(QLatin1Char(' '));
        const auto in = [&](int i) { return folder + QLatin1Char('\\') + words.at(i); };
        const auto done = [](bool ok) {
            return ok ? QStringLiteral("ok") : QStringLiteral("error %1").arg(GetLastError());
        };
        QString got;
        const QString verb = words.at(0);
        if (verb == QLatin1String("delete"))
            got = done(DeleteFileW(wstr(in(1))));
        else if (verb == QLatin1String("move"))
            got = done(MoveFileExW(wstr(in(1)), wstr(in(2)), MOVEFILE_REPLACE_EXISTING));
        else if (verb == QLatin1String("readonly"))
            got = done(SetFileAttributesW(wstr(in(1)), FILE_ATTRIBUTE_READONLY));
        else if (verb == QLatin1String("mkdir"))
            got = done(CreateDirectoryW(wstr(in(1)), nullptr));
        else if (verb == QLatin1String("rmdir"))
            got = done(RemoveDirectoryW(wstr(in(1))));
        else if (verb == QLatin1String("hardlink"))
            got = done(CreateHardLinkW(wstr(in(1)), wstr(in(2)), nullptr));
        else if (verb == QLatin1String("symlink"))
            got = done(CreateSymbolicLinkW(wstr(in(1)), wstr(in(2)), 0));
        else if (verb == QLatin1String("attributes")) {
            const DWORD a = GetFileAttributesW(wstr(words.at(1) == QLatin1String(".") ? folder : in(1)));
            got = a == INVALID_FILE_ATTRIBUTES ? done(false) : QString::number(a, 16);
        } else if (verb == QLatin1String("find")) {
            const QList<Found> found = list(folder);
            got = found.size() == 1 ? QString::number(found.at(0).attributes, 16) : QStringLiteral("none");
        } else {
            DWORD error = 0;
            const QStringList found =
                names(list(folder + QLatin1Char('\\') + words.at(1) + QStringLiteral("\\*"), &error));
            got = found.isEmpty() ? QStringLiteral("error %1").arg(error) : found.join(QLatin1Char(' '));
        }
        CloseHandle(h);
        QCOMPARE(got, answer);
        QCOMPARE(folderTree(outside), outsideBefore);
        QCOMPARE(folderTree(moved), held);
    }

    void folderFacts()
    {
        QDir(root).mkpath(QStringLiteral("Sub/Inner"));
        HANDLE h = CreateFileW(wstr(root + QStringLiteral("/Sub")), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        BY_HANDLE_FILE_INFORMATION info = {};
        QVERIFY(GetFileInformationByHandle(h, &info));
        QCOMPARE(info.nNumberOfLinks, DWORD(1)); // the host counts 3: its name, "." and Inner's ".."
        CloseHandle(h);
        write(root + QStringLiteral("/f"));
        QVERIFY(!MoveFileExW(wstr(root + QStringLiteral("/f")), wstr(root + QStringLiteral("/Sub")),
                             MOVEFILE_REPLACE_EXISTING));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QVERIFY(QFileInfo(root + QStringLiteral("/Sub/Inner")).isDir());
        QCOMPARE(GetDriveTypeW(WSTR("C:\\")), UINT(DRIVE_FIXED));
        QCOMPARE(GetDriveTypeW(WSTR("C:\\Windows\\")), UINT(DRIVE_NO_ROOT_DIR));
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
