// Shell folders, shell links, the folder browser, message boxes, COM and the system calls of the stand-in
// behave as the modules rely on Windows to behave.
#include "folderbrowserdriver.h"
#include "testmachine.h"
#include "whenmodal.h"
#include "win32.h"
#include "linux/machine/machine.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <cstring>
#include <memory>

namespace {

struct Link
{
    QString target, args, dir, icon;
    int iconIndex = 0;
    int show = 0;
};

IShellLinkW *newLink()
{
    IShellLinkW *link = nullptr;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void **>(&link));
    return link;
}

// Saves or loads the link through its IPersistFile, as the modules do.
HRESULT persist(IShellLinkW *link, const QString &file, bool save)
{
    IPersistFile *persist = nullptr;
    HRESULT hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(hr)) {
        hr = save ? persist->Save(wstr(file), TRUE) : persist->Load(wstr(file), STGM_READ);
        persist->Release();
    }
    return hr;
}

HRESULT writeLink(const QString &file, const Link &l)
{
    IShellLinkW *link = newLink();
    link->SetPath(wstr(l.target));
    link->SetIconLocation(wstr(l.icon), l.iconIndex);
    link->SetWorkingDirectory(wstr(l.dir));
    link->SetArguments(wstr(l.args));
    const HRESULT hr = persist(link, file, true);
    link->Release();
    return hr;
}

HRESULT readLink(const QString &file, Link *l)
{
    IShellLinkW *link = newLink();
    const HRESULT hr = persist(link, file, false);
    WCHAR buf[1024];
    link->GetPath(buf, 1024, nullptr, 0);
    l->target = fromWide(buf);
    link->GetArguments(buf, 1024);
    l->args = fromWide(buf);
    link->GetWorkingDirectory(buf, 1024);
    l->dir = fromWide(buf);
    link->GetIconLocation(buf, 1024, &l->iconIndex);
    l->icon = fromWide(buf);
    link->GetShowCmd(&l->show);
    link->Release();
    return hr;
}

DWORD le32(const QByteArray &b, qsizetype at)
{
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0xFFFFFFFF;
}

QString wideAt(const QByteArray &b, qsizetype at)
{
    QString s;
    for (; at + 2 <= b.size(); at += 2) {
        const quint16 c = qFromLittleEndian<quint16>(b.constData() + at);
        if (!c)
            break;
        s += QChar(c);
    }
    return s;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What a folder-browser callback saw; the callback selects `start` as a product callback does.
struct BrowseProbe
{
    QString start;
    QList<UINT> messages;
    bool windowAlive = false;
    HWND dialog = nullptr;
    WPARAM press = 0; // a button the callback presses after selecting, or 0
};

int CALLBACK browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    auto *probe = reinterpret_cast<BrowseProbe *>(data);
    probe->messages << msg;
    probe->dialog = hwnd;
    probe->windowAlive = IsWindow(hwnd);
    if (msg == BFFM_INITIALIZED)
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wstr(probe->start)));
    if (msg == BFFM_INITIALIZED && probe->press)
        SendMessageW(hwnd, WM_COMMAND, probe->press, 0);
    return 0;
}

// A folder browser asked for as the product asks, opened at start.
struct BrowseAt
{
    explicit BrowseAt(const QString &start)
    {
        probe.start = start;
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        bi.lpfn = browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(&probe);
    }
    BrowseAt(const BrowseAt &) = delete;
    BrowseAt &operator=(const BrowseAt &) = delete;
    BrowseProbe probe;
    BROWSEINFOW bi = {};
};

// The process's resident memory, in bytes.
#ifdef __SANITIZE_ADDRESS__
// The sanitizer runtime's count of bytes allocated and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// The memory the process holds. Under the address sanitizer, whose red zones, shadow and quarantine of freed
// blocks make the resident size say nothing of the program's own use, the bytes allocated and not freed.
qint64 residentBytes()
{
#ifdef __SANITIZE_ADDRESS__
    return qint64(__sanitizer_get_current_allocated_bytes());
#endif
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

// Calls settled with the next folder browser once it has nothing left to list or look up; one that never
// settles is cancelled after a while, so that the test fails instead of waiting for ever.
void whenBrowserSettles(std::function<void(QDialog *)> settled)
{
    auto *timer = new QTimer;
    timer->setInterval(1);
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, settled, waited] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d && !waited->hasExpired(20000))
            return;
        const bool busy = d && d->property("busy").toBool();
        if (busy && !waited->hasExpired(20000))
            return;
        timer->stop();
        timer->deleteLater();
        if (d && !busy)
            settled(d);
        else if (d)
            d->reject();
    });
    timer->start();
}

// The path a folder-browser answer names ("" for none), the answer freed.
QString answeredPath(PIDLIST_ABSOLUTE pidl)
{
    if (!pidl)
        return QString();
    WCHAR path[MAX_PATH];
    const bool named = SHGetPathFromIDListW(pidl, path);
    CoTaskMemFree(pidl);
    return named ? fromWide(path) : QStringLiteral("<no path>");
}

// One row of a data table.
template <typename... T> void row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}

RtlGetVersionPtr rtlGetVersion()
{
    const FARPROC proc = GetProcAddress(GetModuleHandleW(WSTR("ntdll")), "RtlGetVersion");
    return reinterpret_cast<RtlGetVersionPtr>(reinterpret_cast<void (*)()>(proc));
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> scratch;

    // "{m}" in a row is the machine's drive C:, "{t}" a scratch folder, "{tw}" the scratch folder as Windows
    // calls it (on Z:, the host's root).
    QString expand(QString s) const
    {
        const QString t = scratch->path();
        return s.replace(QLatin1String("{m}"), machine::systemDrive())
            .replace(QLatin1String("{cwd}"), QDir::currentPath())
            .replace(QLatin1String("{tw}"),
                     QStringLiteral("Z:") + QString(t).replace(QLatin1Char('/'), QLatin1Char('\\')))
            .replace(QLatin1String("{t}"), t);
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        scratch.reset(new QTemporaryDir);
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("0"));
    }
    void cleanup()
    {
        scratch.reset();
        m.reset();
    }

    void linkRoundTripAndLayout_data()
    {
        QTest::addColumn<QStringList>("link");    // target, arguments, working folder, icon
        QTest::addColumn<QString>("driveD");      // the folder drive D: stands for, if any
        QTest::addColumn<QString>("make");        // "file", "folder" or "" (the target does not exist)
        QTest::addColumn<QStringList>("windows"); // target, working folder and icon as the file names them
        QTest::addColumn<DWORD>("attributes");

        const QString system = QStringLiteral("{m}/Windows/System32");
        QTest::newRow("machine program") << QStringList{system + "/notepad.exe", "", system, system + "/notepad.exe"}
                                         << ""
                                         << "file"
                                         << QStringList{"C:\\Windows\\System32\\notepad.exe", "C:\\Windows\\System32",
                                                        "C:\\Windows\\System32\\notepad.exe"}
                                         << DWORD(0x20);
        QTest::newRow("host program, arguments only")
            << QStringList{"{t}/bin/tool", "--hidden \"two words\" 100%", "", ""} << ""
            << "" << QStringList{"{tw}\\bin\\tool", "", ""} << DWORD(0);
        QTest::newRow("folder target") << QStringList{"{t}/folder", "", "{t}", system + "/shell32.dll"} << ""
                                       << "folder"
                                       << QStringList{"{tw}\\folder", "{tw}", "C:\\Windows\\System32\\shell32.dll"}
                                       << DWORD(0x10);
        const QString odd = QString::fromUtf8("Ünïcødé 日本");
        QTest::newRow("non-Latin names") << QStringList{"{t}/" + odd + "/app.exe", QString::fromUtf8("é ü"),
                                                        "{t}/" + odd, ""}
                                         << ""
                                         << "file" << QStringList{"{tw}\\" + odd + "\\app.exe", "{tw}\\" + odd, ""}
                                         << DWORD(0x20);
        QTest::newRow("mapped drive") << QStringList{"{t}/dvol/app/run.exe", "/s", "{t}/dvol/app", ""} << "{t}/dvol/"
                                      << "" << QStringList{"D:\\app\\run.exe", "D:\\app", ""} << DWORD(0);
    }

    void linkRoundTripAndLayout()
    {
        QFETCH(QStringList, link);
        QFETCH(QString, driveD);
        QFETCH(QString, make);
        QFETCH(QStringList, windows);
        QFETCH(DWORD, attributes);
        if (!driveD.isEmpty())
            machine::setSetting(QStringLiteral("drive.D"), expand(driveD));
        const QString args = link[1], dir = link[2], icon = link[3];
        const QString winTarget = windows[0], winDir = windows[1], winIcon = windows[2];
        const Link written{expand(link[0]), args, expand(dir), expand(icon), icon.isEmpty() ? 0 : 2};
        if (make == QLatin1String("file"))
            QVERIFY(writeFile(written.target, "MZ"));
        else if (make == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(written.target));

        const QString file = scratch->path() + QStringLiteral("/out/My Link.lnk");
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QCOMPARE(writeLink(file, written), S_OK);

        Link read;
        QCOMPARE(readLink(file, &read), S_OK);
        // Read back as Windows paths, leading to what was written.
        auto onWindows = [](const QString &path) { return path.isEmpty() ? path : fromHostPath(path); };
        QCOMPARE(read.target, onWindows(written.target));
        QCOMPARE(read.args, written.args);
        QCOMPARE(read.dir, onWindows(written.dir));
        QCOMPARE(read.icon, onWindows(written.icon));
        QCOMPARE(read.iconIndex, written.iconIndex);

        // The bytes as Windows reads them: header, LinkInfo with the Windows path, counted Unicode strings.
        const QByteArray b = fileBytes(file);
        QCOMPARE(le32(b, 0), DWORD(0x4C));
        QCOMPARE(b.mid(4, 16).toHex(), QByteArray("0114020000000000c000000000000046"));
        DWORD flags = 0x02 | 0x80; // HasLinkInfo, IsUnicode
        if (!dir.isEmpty())
            flags |= 0x10;
        if (!args.isEmpty())
            flags |= 0x20;
        if (!icon.isEmpty())
            flags |= 0x40;
        QCOMPARE(le32(b, 0x14), flags);
        QCOMPARE(le32(b, 0x18), attributes);
        QCOMPARE(le32(b, 0x38), DWORD(written.iconIndex));
        QCOMPARE(le32(b, 0x3C), DWORD(1)); // SW_SHOWNORMAL

        const qsizetype info = 0x4C;
        const DWORD infoSize = le32(b, info);
        QCOMPARE(le32(b, info + 4), DWORD(0x24));
        QCOMPARE(le32(b, info + 8), DWORD(1)); // VolumeIDAndLocalBasePath
        const qsizetype volume = info + le32(b, info + 12);
        QVERIFY(le32(b, volume) > 0x10);
        QCOMPARE(le32(b, volume + 4), DWORD(3)); // DRIVE_FIXED
        // Windows joins base path and suffix, in both forms.
        auto ansiAt = [&b](qsizetype at) { return b.mid(at).split('\0').first(); };
        QCOMPARE(wideAt(b, info + le32(b, info + 0x1C)) + wideAt(b, info + le32(b, info + 0x20)), expand(winTarget));
        QCOMPARE(ansiAt(info + le32(b, info + 0x10)) + ansiAt(info + le32(b, info + 0x18)),
                 expand(winTarget).toLatin1()); // the system code page, '?' where it has no character
        QVERIFY(le32(b, info + 0x20) < infoSize);

        qsizetype at = info + infoSize;
        for (const QString &expected : {expand(winDir), args, expand(winIcon)}) {
            if (expected.isEmpty())
                continue;
            const int count = qFromLittleEndian<quint16>(b.constData() + at);
            QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData() + at + 2), count), expected);
            at += 2 + 2 * count;
        }
        QCOMPARE(at + 4, b.size());
        QCOMPARE(le32(b, at), DWORD(0)); // terminal block
    }

    void linkReplacesExistingFile()
    {
        const QString file = scratch->path() + QStringLiteral("/x.lnk");
        QVERIFY(writeFile(file, QByteArray(8192, 'x')));
        QCOMPARE(writeLink(file, Link{QStringLiteral("/bin/first"), QStringLiteral("one"), {}, {}, 0}), S_OK);
        QCOMPARE(writeLink(file, Link{QStringLiteral("/bin/second"), QStringLiteral("two"), {}, {}, 0}), S_OK);
        Link read;
        QCOMPARE(readLink(file, &read), S_OK);
        QCOMPARE(read.target, QStringLiteral("Z:\\bin\\second"));
        QCOMPARE(read.args, QStringLiteral("two"));
        QVERIFY(QFileInfo(file).size() < 8192);
        QCOMPARE(QDir(scratch->path()).entryList(QDir::Files), QStringList{QStringLiteral("x.lnk")});
        // A link at the name the save writes first is never written through.
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, "keep"));
        QVERIFY(QFile::link(victim, file + QStringLiteral(".~lnk")));
        QCOMPARE(writeLink(file, Link{QStringLiteral("/bin/third"), {}, {}, {}, 0}), S_OK);
        QCOMPARE(fileBytes(victim), QByteArray("keep"));
    }

    // A machine folder that is missing is made only through the machine's own folders: with the profile's
    // AppData a link to an outside folder, asking for the roaming folder makes nothing there.
    void folderPathsNeverMadeThroughALink()
    {
        QTemporaryDir outside;
        const QString appData = machine::userProfile() + QStringLiteral("/AppData");
        QVERIFY(QDir(appData).removeRecursively());
        QVERIFY(QFile::link(outside.path(), appData));
        WCHAR path[MAX_PATH];
        QCOMPARE(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
                 E_FAIL);
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void linkSaveFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<HRESULT>("expected");
        QTest::newRow("missing folder") << "{t}/missing/x.lnk" << HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        QTest::newRow("folder under a file") << "{t}/afile/x.lnk" << HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        QTest::newRow("name of a folder") << "{t}/adir" << E_ACCESSDENIED;
    }

    void linkSaveFailures()
    {
        QFETCH(QString, path);
        QFETCH(HRESULT, expected);
        QVERIFY(writeFile(expand(QStringLiteral("{t}/afile")), "data"));
        QVERIFY(QDir().mkpath(expand(QStringLiteral("{t}/adir"))));
        QCOMPARE(writeLink(expand(path), Link{QStringLiteral("/bin/tool"), {}, {}, {}, 0}), expected);
        QCOMPARE(QDir(scratch->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("adir"), QStringLiteral("afile")}));
        QCOMPARE(fileBytes(expand(QStringLiteral("{t}/afile"))), QByteArray("data"));
    }

    void linkLoadRejectsDamagedFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<HRESULT>("expected");
        QTest::newRow("missing file") << "missing" << HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        QTest::newRow("short header") << "truncate40" << E_FAIL;
        QTest::newRow("other class id") << "clsid" << E_FAIL;
        QTest::newRow("string past the end") << "truncateTail" << E_FAIL;
        QTest::newRow("link info size past the end") << "infoSize" << E_FAIL;
    }

    void linkLoadRejectsDamagedFiles()
    {
        QFETCH(QString, damage);
        QFETCH(HRESULT, expected);
        const QString file = scratch->path() + QStringLiteral("/d.lnk");
        QCOMPARE(writeLink(file, Link{QStringLiteral("/bin/tool"), QStringLiteral("-a"), QStringLiteral("/bin"),
                                      QStringLiteral("/bin/tool.ico"), 2}),
                 S_OK);
        QByteArray b = fileBytes(file);
        if (damage == QLatin1String("missing"))
            QVERIFY(QFile::remove(file));
        else if (damage == QLatin1String("truncate40"))
            b.truncate(40);
        else if (damage == QLatin1String("clsid"))
            b[4] = char(0x02);
        else if (damage == QLatin1String("truncateTail"))
            b.chop(10);
        else if (damage == QLatin1String("infoSize"))
            qToLittleEndian<quint32>(0x7FFFFFF0, b.data() + 0x4C);
        if (damage != QLatin1String("missing"))
            QVERIFY(writeFile(file, b));
        Link read;
        QCOMPARE(readLink(file, &read), expected);
    }

    // A link as the Windows shell writes them: an item list, LinkInfo with the ANSI path only (header size
    // 0x1C), a relative path and a working folder.
    void linkLoadsWindowsLayout()
    {
        auto u32 = [](QByteArray &o, quint32 v) {
            char c[4];
            qToLittleEndian(v, c);
            o.append(c, 4);
        };
        auto counted = [](QByteArray &o, const QString &s) {
            o.append(char(s.size())).append('\0');
            for (QChar c : s)
                o.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        };
        QByteArray b;
        u32(b, 0x4C);
        b += QByteArray::fromHex("0114020000000000c000000000000046");
        u32(b, 0x01 | 0x02 | 0x08 | 0x10 | 0x80);
        u32(b, 0x20);
        b += QByteArray(24, '\0'); // times
        u32(b, 0);                 // size
        u32(b, 3);                 // icon index
        u32(b, 7);                 // SW_SHOWMINNOACTIVE
        b += QByteArray(12, '\0');
        b.append(char(0x06)).append('\0').append("\x04\x00\x1F\x50", 4).append("\0\0", 2); // item list
        const QByteArray path = "C:\\test\\a.txt";
        QByteArray info;
        u32(info, 0x1C + 0x11 + quint32(path.size()) + 2);
        u32(info, 0x1C);
        u32(info, 1);
        u32(info, 0x1C);
        u32(info, 0x1C + 0x11);
        u32(info, 0);
        u32(info, 0x1C + 0x11 + quint32(path.size()) + 1);
        u32(info, 0x11);
        u32(info, 3);
        u32(info, 0x1234);
        u32(info, 0x10);
        info.append('\0').append(path).append('\0').append('\0');
        b += info;
        counted(b, QStringLiteral(".\\a.txt"));
        counted(b, QStringLiteral("C:\\test"));
        u32(b, 0);
        const QString file = scratch->path() + QStringLiteral("/win.lnk");
        QVERIFY(writeFile(file, b));

        Link read;
        QCOMPARE(readLink(file, &read), S_OK);
        QCOMPARE(read.target, QStringLiteral("C:\\test\\a.txt"));
        QCOMPARE(read.dir, QStringLiteral("C:\\test"));
        QCOMPARE(read.args, QString());
        QCOMPARE(read.icon, QString());
        QCOMPARE(read.iconIndex, 3);
        QCOMPARE(read.show, 7);
    }

    void comObjects()
    {
        void *p = reinterpret_cast<void *>(1);
        const CLSID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
        QCOMPARE(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &p), REGDB_E_CLASSNOTREG);
        QCOMPARE(p, nullptr);

        IShellLinkW *link = newLink();
        QVERIFY(link);
        IPersistFile *persist = nullptr;
        QCOMPARE(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist)), S_OK);
        IUnknown *a = nullptr;
        IUnknown *b = nullptr;
        QCOMPARE(link->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&a)), S_OK);
        QCOMPARE(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&b)), S_OK);
        QCOMPARE(a, b); // one object behind both interfaces
        QCOMPARE(link->QueryInterface(other, &p), E_NOINTERFACE);
        QCOMPARE(p, nullptr);
        QCOMPARE(a->Release(), ULONG(3));
        QCOMPARE(b->Release(), ULONG(2));
        QCOMPARE(persist->Release(), ULONG(1));
        QCOMPARE(link->Release(), ULONG(0));
    }

    void comNeedsInitialisingOffTheGuiThread()
    {
        // The GUI thread is initialised (single-threaded) already, as Qt does on Windows.
        QCOMPARE(CoInitialize(nullptr), S_FALSE);
        QCOMPARE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();

        QList<HRESULT> results;
        std::unique_ptr<QThread> worker(QThread::create([&results] {
            void *p = nullptr;
            results << CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &p);
            results << CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            results << CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            results << CoInitialize(nullptr);
            results << CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &p);
            if (p)
                static_cast<IShellLinkW *>(p)->Release();
            CoUninitialize();
            CoUninitialize();
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QCOMPARE(results, (QList<HRESULT>{CO_E_NOTINITIALIZED, S_OK, S_FALSE, RPC_E_CHANGED_MODE, S_OK}));
    }

    void folderPaths_data()
    {
        QTest::addColumn<int>("csidl");
        QTest::addColumn<int>("documented");
        QTest::addColumn<QString>("expected");
        const QString roaming = QStringLiteral("{m}/Users/User/AppData/Roaming");
        const QString local = QStringLiteral("{m}/Users/User/AppData/Local");
        QTest::newRow("profile") << CSIDL_PROFILE << 40 << "{m}/Users/User";
        QTest::newRow("appdata") << CSIDL_APPDATA << 26 << roaming;
        QTest::newRow("appdata, create") << (CSIDL_APPDATA | CSIDL_FLAG_CREATE) << (26 | 0x8000) << roaming;
        QTest::newRow("local appdata") << CSIDL_LOCAL_APPDATA << 28 << local;
        QTest::newRow("common appdata") << CSIDL_COMMON_APPDATA << 35 << "{m}/ProgramData";
        QTest::newRow("windows") << CSIDL_WINDOWS << 36 << "{m}/Windows";
        QTest::newRow("system") << CSIDL_SYSTEM << 37 << "{m}/Windows/System32";
        QTest::newRow("programs") << CSIDL_PROGRAMS << 2 << roaming + "/Microsoft/Windows/Start Menu/Programs";
        QTest::newRow("startup") << CSIDL_STARTUP << 7 << roaming + "/Microsoft/Windows/Start Menu/Programs/Startup";
        QTest::newRow("recent") << CSIDL_RECENT << 8 << roaming + "/Microsoft/Windows/Recent";
        QTest::newRow("common programs") << CSIDL_COMMON_PROGRAMS << 23
                                         << "{m}/ProgramData/Microsoft/Windows/Start Menu/Programs";
        QTest::newRow("common startup") << CSIDL_COMMON_STARTUP << 24
                                        << "{m}/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp";
        QTest::newRow("internet cache") << CSIDL_INTERNET_CACHE << 32 << local + "/Microsoft/Windows/INetCache";
        QTest::newRow("cookies") << CSIDL_COOKIES << 33 << local + "/Microsoft/Windows/INetCookies";
        QTest::newRow("history") << CSIDL_HISTORY << 34 << local + "/Microsoft/Windows/History";
        QTest::newRow("documents") << CSIDL_PERSONAL << 5 << "{m}/Users/User/Documents";
        QTest::newRow("music") << CSIDL_MYMUSIC << 13 << "{m}/Users/User/Music";
        QTest::newRow("pictures") << CSIDL_MYPICTURES << 39 << "{m}/Users/User/Pictures";
        QTest::newRow("videos") << CSIDL_MYVIDEO << 14 << "{m}/Users/User/Videos";
        QTest::newRow("desktop") << CSIDL_DESKTOPDIRECTORY << 16 << "{m}/Users/User/Desktop";
    }

    void folderPaths()
    {
        QFETCH(int, csidl);
        QFETCH(int, documented);
        QFETCH(QString, expected);
        QCOMPARE(csidl, documented);
        WCHAR path[MAX_PATH];
        QCOMPARE(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
        // A Windows path on C:, which leads to the folder on the machine's drive.
        QCOMPARE(hostPath(fromWide(path)), expand(expected));
        QCOMPARE(fromWide(path), fromHostPath(expand(expected)));
        QVERIFY(fromWide(path).startsWith(QLatin1String("C:\\")));
        QVERIFY(QFileInfo(hostPath(fromWide(path))).isDir());
    }

    void folderPathFailures_data()
    {
        QTest::addColumn<int>("csidl");
        QTest::addColumn<bool>("failSwitch");
        QTest::addColumn<HRESULT>("expected");
        QTest::newRow("unknown id") << 3 << false << E_INVALIDARG;
        QTest::newRow("failure switched on") << CSIDL_APPDATA << true << E_FAIL;
    }

    void folderPathFailures()
    {
        QFETCH(int, csidl);
        QFETCH(bool, failSwitch);
        QFETCH(HRESULT, expected);
        if (failSwitch)
            machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        WCHAR path[MAX_PATH];
        path[0] = u'X';
        QCOMPARE(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), expected);
        QCOMPARE(fromWide(path), QString());
    }

    // Where the host has no Documents, Music, Pictures or Videos folder, or its user-dirs.dirs says it has none
    // (the home folder itself), the machine's own folder in its user profile stands in, made on first use.
    void userFoldersWithoutHostOnes_data()
    {
        QTest::addColumn<QString>("host"); // what the host's home has
        QTest::addColumn<bool>("hostOwn"); // whether the host's folders are the answer
        QTest::newRow("no folders, no user-dirs") << "" << false;
        QTest::newRow("default names") << "folders" << true;
        QTest::newRow("user-dirs says none") << "none" << false;
        QTest::newRow("user-dirs says none, folders there") << "none+folders" << false;
    }
    void userFoldersWithoutHostOnes()
    {
        QFETCH(QString, host);
        QFETCH(bool, hostOwn);
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("1"));
        const QString home = scratch->path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(home + QStringLiteral("/.config")));
        const char *names[] = {"Documents", "Music", "Pictures", "Videos"};
        const char *keys[] = {"DOCUMENTS", "MUSIC", "PICTURES", "VIDEOS"};
        const int csidls[] = {CSIDL_PERSONAL, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO};
        QByteArray userDirs;
        for (int i = 0; i < 4; ++i) {
            if (host.contains(QLatin1String("folders")))
                QVERIFY(QDir().mkpath(home + QLatin1Char('/') + QLatin1String(names[i])));
            userDirs += QByteArray("XDG_") + keys[i] + "_DIR=\"$HOME/\"\n";
        }
        if (host.startsWith(QLatin1String("none")))
            QVERIFY(writeFile(home + QStringLiteral("/.config/user-dirs.dirs"), userDirs));
        const QByteArray previousHome = qgetenv("HOME");
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home));
        qunsetenv("XDG_CONFIG_HOME");
        QStringList got;
        QList<HRESULT> results;
        for (int csidl : csidls) {
            WCHAR path[MAX_PATH];
            results << SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
            got << fromWide(path);
        }
        qputenv("HOME", previousHome);
        if (previousConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", previousConfig);

        for (int i = 0; i < 4; ++i) {
            // Always the profile's folder; where the host has its own, the profile's entry leads there.
            const QString entry = machine::userProfile() + QLatin1Char('/') + names[i];
            QCOMPARE(results.at(i), S_OK);
            QCOMPARE(got.at(i), QStringLiteral("C:\\Users\\User\\") + QLatin1String(names[i]));
            // A host folder is reached through the entry's link as if it stood there.
            QCOMPARE(QFileInfo(hostPath(got.at(i))).canonicalFilePath(), QFileInfo(entry).canonicalFilePath());
            QVERIFY(QFileInfo(entry).isDir());
            QCOMPARE(QFileInfo(entry).isSymLink(), hostOwn);
            if (hostOwn)
                QCOMPARE(QFileInfo(entry).symLinkTarget(), home + QLatin1Char('/') + names[i]);
        }
        // The machine's folders were made inside the machine, none in the host's home.
        QCOMPARE(QDir(home).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), host.contains("folders") ? 4 : 0);
    }

    // A new machine's profile holds its user folders, plain folders, before anything asks for them.
    void newProfileHasUserFolders()
    {
        QStringList folders;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(WSTR("C:\\Users\\User\\*"), &data);
        QVERIFY(find != INVALID_HANDLE_VALUE);
        do {
            if (data.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY)
                folders << fromWide(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        for (const char *name : {"Desktop", "Documents", "Music", "Pictures", "Videos"})
            QVERIFY2(folders.contains(QLatin1String(name)), name);
    }

    // The user's own folders are the host's (XDG), created only when the caller asks.
    void hostUserFolders()
    {
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("1"));
        const QString docs = scratch->path() + QStringLiteral("/Docs");
        const QString music = scratch->path() + QStringLiteral("/Tunes");
        QVERIFY(QDir().mkpath(docs));
        QVERIFY(
            writeFile(scratch->path() + QStringLiteral("/config/user-dirs.dirs"),
                      QStringLiteral("XDG_DOCUMENTS_DIR=\"%1\"\nXDG_MUSIC_DIR=\"%2\"\n").arg(docs, music).toUtf8()));
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch->path() + QStringLiteral("/config")));
        WCHAR path[MAX_PATH];
        const HRESULT documents = SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
        const QString documentsPath = fromWide(path);
        const HRESULT musicMissing = SHGetFolderPathW(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, path);
        const bool createdEarly = QFileInfo::exists(music);
        const HRESULT musicCreated =
            SHGetFolderPathW(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
        const QString musicPath = fromWide(path);
        qputenv("XDG_CONFIG_HOME", previous);
        QCOMPARE(documents, S_OK);
        QCOMPARE(documentsPath, QStringLiteral("C:\\Users\\User\\Documents"));
        QCOMPARE(QFileInfo(hostPath(documentsPath)).canonicalFilePath(), QFileInfo(docs).canonicalFilePath());
        // A plain folder to the file functions, as on Windows, whatever link the profile holds; its files are the
        // host user's.
        QVERIFY(QFileInfo(machine::userProfile() + QStringLiteral("/Documents")).isSymLink());
        QVERIFY(writeFile(docs + QStringLiteral("/mine.txt"), "mine"));
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(WSTR("C:\\Users\\User\\*"), &data);
        QVERIFY(find != INVALID_HANDLE_VALUE);
        DWORD listed = INVALID_FILE_ATTRIBUTES;
        do {
            if (fromWide(data.cFileName) == QLatin1String("Documents"))
                listed = data.dwFileAttributes;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        QCOMPARE(listed, DWORD(FILE_ATTRIBUTE_DIRECTORY));
        QCOMPARE(GetFileAttributesW(wstr(documentsPath)), DWORD(FILE_ATTRIBUTE_DIRECTORY));
        HANDLE folder = CreateFileW(wstr(documentsPath), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        QVERIFY(folder != INVALID_HANDLE_VALUE);
        BY_HANDLE_FILE_INFORMATION info = {};
        QVERIFY(GetFileInformationByHandle(folder, &info));
        CloseHandle(folder);
        QCOMPARE(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, DWORD(0));
        find = FindFirstFileW(wstr(documentsPath + QStringLiteral("\\mine.txt")), &data);
        QVERIFY(find != INVALID_HANDLE_VALUE);
        FindClose(find);
        QCOMPARE(musicMissing, E_FAIL);
        QVERIFY(!createdEarly);
        QCOMPARE(musicCreated, S_OK);
        QCOMPARE(musicPath, QStringLiteral("C:\\Users\\User\\Music"));
        QVERIFY(QFileInfo(music).isDir());
        QCOMPARE(QFileInfo(hostPath(musicPath)).canonicalFilePath(), QFileInfo(music).canonicalFilePath());
    }

    void bufferRules_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("spare"); // buffer size minus the text's length with NUL; -2: no buffer
        QTest::addColumn<QString>("expected");
        const QString temp = QStringLiteral("C:\\Users\\User\\AppData\\Local\\Temp\\");
        for (const char *f : {"GetTempPathW", "GetLongPathNameW"}) {
            QTest::addRow("%s exact fit", f) << f << 0 << temp;
            QTest::addRow("%s one short", f) << f << -1 << temp;
            QTest::addRow("%s no buffer", f) << f << -2 << temp;
        }
        QTest::newRow("GetWindowsDirectoryW exact fit") << "GetWindowsDirectoryW" << 0 << "C:\\Windows";
        QTest::newRow("GetWindowsDirectoryW one short") << "GetWindowsDirectoryW" << -1 << "C:\\Windows";
    }

    void bufferRules()
    {
        QFETCH(QString, function);
        QFETCH(int, spare);
        QFETCH(QString, expected);
        expected = expand(expected);
        const DWORD size = spare == -2 ? 0 : DWORD(expected.size() + 1 + spare);
        QList<WCHAR> buf(qMax<qsizetype>(size, 1) + 4, u'#');
        WCHAR *out = spare == -2 ? nullptr : buf.data();
        DWORD r = 0;
        if (function == QLatin1String("GetTempPathW"))
            r = GetTempPathW(size, out);
        else if (function == QLatin1String("GetLongPathNameW"))
            r = GetLongPathNameW(wstr(expected), out, size);
        else
            r = GetWindowsDirectoryW(out, size);
        if (spare == 0) {
            QCOMPARE(r, DWORD(expected.size()));
            QCOMPARE(fromWide(out), expected);
        } else {
            QCOMPARE(r, DWORD(expected.size() + 1));
            QCOMPARE(buf.first(), u'#'); // nothing written
        }
        QCOMPARE(buf.last(), u'#');
    }

    void longPathInPlaceAndMissing()
    {
        WCHAR buf[MAX_PATH];
        const DWORD n = GetTempPathW(MAX_PATH, buf);
        QVERIFY(n > 0 && n < MAX_PATH);
        QCOMPARE(GetLongPathNameW(buf, buf, MAX_PATH), n);
        QCOMPARE(fromWide(buf), QStringLiteral("C:\\Users\\User\\AppData\\Local\\Temp\\"));
        SetLastError(0);
        QCOMPARE(GetLongPathNameW(WSTR("/no/such/folder"), buf, MAX_PATH), DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }

    void versionFromRegistry_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<DWORD>("expected");
        QTest::newRow("Windows 11") << "22631" << DWORD(22631);
        QTest::newRow("Windows 10") << "19045" << DWORD(19045);
        QTest::newRow("missing value") << QString() << DWORD(0);
    }

    void versionFromRegistry()
    {
        QFETCH(QString, build);
        QFETCH(DWORD, expected);
        HKEY key = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"), 0,
                                 nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        if (build.isNull()) {
            RegDeleteValueW(key, WSTR("CurrentBuildNumber"));
        } else {
            QCOMPARE(RegSetValueExW(key, WSTR("CurrentBuildNumber"), 0, REG_SZ,
                                    reinterpret_cast<const BYTE *>(wstr(build)), DWORD(build.size() + 1) * 2),
                     ERROR_SUCCESS);
        }
        RegCloseKey(key);

        const RtlGetVersionPtr getVersion = rtlGetVersion();
        QVERIFY(getVersion);
        RTL_OSVERSIONINFOEXW v;
        std::memset(&v, 0xAB, sizeof(v));
        v.dwOSVersionInfoSize = sizeof(RTL_OSVERSIONINFOW);
        QCOMPARE(getVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&v)), STATUS_SUCCESS);
        QCOMPARE(v.dwMajorVersion, DWORD(10));
        QCOMPARE(v.dwMinorVersion, DWORD(0));
        QCOMPARE(v.dwBuildNumber, expected);
        QCOMPARE(v.dwPlatformId, DWORD(2));
        QCOMPARE(v.szCSDVersion[0], WCHAR(0));
        QCOMPARE(v.wServicePackMajor, WORD(0xABAB)); // the short record ends before these

        v.dwOSVersionInfoSize = sizeof(RTL_OSVERSIONINFOEXW);
        QCOMPARE(getVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&v)), STATUS_SUCCESS);
        QCOMPARE(v.dwBuildNumber, expected);
        QCOMPARE(v.wServicePackMajor, WORD(0));
        QCOMPARE(v.wProductType, BYTE(VER_NT_WORKSTATION));
    }

    void moduleLookup_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<DWORD>("error"); // 0: found
        QTest::newRow("ntdll") << "ntdll" << QByteArray("RtlGetVersion") << DWORD(0);
        QTest::newRow("file name, other case") << "NTDLL.DLL" << QByteArray("RtlGetVersion") << DWORD(0);
        QTest::newRow("full path") << "C:\\Windows\\System32\\ntdll.dll" << QByteArray("RtlGetVersion") << DWORD(0);
        QTest::newRow("unknown function") << "ntdll" << QByteArray("RtlGetNothing") << DWORD(ERROR_PROC_NOT_FOUND);
        QTest::newRow("unknown module") << "nosuch.dll" << QByteArray("RtlGetVersion") << DWORD(ERROR_MOD_NOT_FOUND);
    }

    void moduleLookup()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, function);
        QFETCH(DWORD, error);
        SetLastError(0);
        const HMODULE h = GetModuleHandleW(wstr(module));
        const FARPROC proc = h ? GetProcAddress(h, function.constData()) : nullptr;
        if (error == 0) {
            // The function handed out answers as RtlGetVersion does.
            QVERIFY(proc);
            using GetVersion = NTSTATUS(WINAPI *)(PRTL_OSVERSIONINFOW);
            RTL_OSVERSIONINFOW got = {}, direct = {};
            got.dwOSVersionInfoSize = direct.dwOSVersionInfoSize = sizeof(RTL_OSVERSIONINFOW);
            QCOMPARE(reinterpret_cast<GetVersion>(reinterpret_cast<void (*)()>(proc))(&got), RtlGetVersion(&direct));
            QCOMPARE(got.dwMajorVersion, direct.dwMajorVersion);
            QCOMPARE(got.dwBuildNumber, direct.dwBuildNumber);
        } else {
            QVERIFY(!proc);
            QCOMPARE(GetLastError(), error);
        }
    }

    void privileges_data()
    {
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<QString>("name");
        QTest::addColumn<DWORD>("access");
        QTest::addColumn<DWORD>("luid"); // 0: the name is unknown
        QTest::addColumn<BOOL>("adjusted");
        QTest::addColumn<DWORD>("error");
        const DWORD adjust = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, query = TOKEN_QUERY;
        const DWORD ok = ERROR_SUCCESS, notAll = ERROR_NOT_ALL_ASSIGNED;
        row("elevated, debug", true, "SeDebugPrivilege", adjust, DWORD(20), TRUE, ok);
        row("not elevated, debug", false, "SeDebugPrivilege", adjust, DWORD(20), TRUE, notAll);
        row("not elevated, backup", false, "SeBackupPrivilege", adjust, DWORD(17), TRUE, notAll);
        row("not elevated, shutdown (every user has it)", false, "seshutdownprivilege", adjust, DWORD(19), TRUE, ok);
        row("token without adjust right", true, "SeDebugPrivilege", query, DWORD(20), FALSE,
            DWORD(ERROR_ACCESS_DENIED));
        row("unknown name", true, "SeNoSuchPrivilege", adjust, DWORD(0), FALSE, DWORD(ERROR_NO_SUCH_PRIVILEGE));
    }

    void privileges()
    {
        QFETCH(bool, elevated);
        QFETCH(QString, name);
        QFETCH(DWORD, access);
        QFETCH(DWORD, luid);
        QFETCH(BOOL, adjusted);
        QFETCH(DWORD, error);
        m->setElevated(elevated);
        HANDLE token = nullptr;
        QVERIFY(OpenProcessToken(GetCurrentProcess(), access, &token));
        TOKEN_PRIVILEGES tp = {};
        SetLastError(0);
        const BOOL found = LookupPrivilegeValueW(nullptr, wstr(name), &tp.Privileges[0].Luid);
        if (!luid) {
            QCOMPARE(found, FALSE);
            QCOMPARE(GetLastError(), error);
            CloseHandle(token);
            return;
        }
        QCOMPARE(found, TRUE);
        QCOMPARE(tp.Privileges[0].Luid.LowPart, luid);
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        SetLastError(12345);
        QCOMPARE(AdjustTokenPrivileges(token, FALSE, &tp, sizeof(tp), nullptr, nullptr), adjusted);
        QCOMPARE(GetLastError(), error);
        QVERIFY(CloseHandle(token));
    }

    void hostPaths_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("driveD");
        QTest::addColumn<QString>("expected");
        row("system folder", "C:\\Windows\\System32", "", "{m}/Windows/System32");
        row("other case", "c:\\WINDOWS\\system32\\drivers", "", "{m}/Windows/System32/drivers");
        row("profile", "C:\\Users\\User\\AppData\\Roaming", "", "{m}/Users/User/AppData/Roaming");
        row("program data", "C:\\ProgramData", "", "{m}/ProgramData");
        row("name that only begins alike", "C:\\WindowsApps\\x", "", "{m}/WindowsApps/x");
        row("host path stays", "/already/host", "", "/already/host");
        row("host path joined with backslashes", "/host/Roaming\\App\\Backup", "", "/host/Roaming/App/Backup");
        row("root of C:", "C:\\", "", "{m}");
        row("C: alone", "C:", "", "{m}");
        row("elsewhere on C:", "C:\\usr\\share", "", "{m}/usr/share");
        row("root of Z:", "Z:\\", "", "/");
        row("host on Z:", "Z:\\usr\\share", "", "/usr/share");
        row("unmapped drive", "E:\\data", "", ""); // names nothing: never a file of the current folder
        row("mapped drive", "D:\\data\\x", "{t}/dvol", "{t}/dvol/data/x");
        row("mapped drive root", "d:\\", "{t}/dvol", "{t}/dvol");
        row("relative", "sub\\file.txt", "", "{cwd}/sub/file.txt");
    }

    void hostPaths()
    {
        QFETCH(QString, windowsPath);
        QFETCH(QString, driveD);
        QFETCH(QString, expected);
        if (!driveD.isEmpty())
            machine::setSetting(QStringLiteral("drive.D"), expand(driveD));
        QCOMPARE(hostPath(windowsPath), expand(expected));
    }

    void browseScripted_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("start");    // "": no callback
        QTest::addColumn<QString>("expected"); // "": cancelled
        QTest::addColumn<QString>("name");
        row("chosen", "{t}/Chosen", "{m}/Users/User", "{t}/Chosen", "Chosen");
        row("cancel", "", "{m}/Users/User", "", "");
        row("Windows form", "C:\\Users\\User\\AppData", "C:\\Users\\User", "{m}/Users/User/AppData", "AppData");
        row("no callback", "{t}/Plain", "", "{t}/Plain", "Plain");
    }

    void browseScripted()
    {
        QFETCH(QString, answer);
        QFETCH(QString, start);
        QFETCH(QString, expected);
        QFETCH(QString, name);
        m->answerFolderBrowser(expand(answer));
        BrowseProbe probe;
        probe.start = expand(start);
        WCHAR display[MAX_PATH + 4];
        std::fill(std::begin(display), std::end(display), u'#');
        BROWSEINFOW bi = {};
        bi.pszDisplayName = display;
        bi.lpszTitle = WSTR("Pick a folder");
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        bi.lpfn = start.isEmpty() ? nullptr : browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(&probe);

        PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
        QCOMPARE(m->logged(QStringLiteral("BrowseForFolder")),
                 start.isEmpty() ? QStringList() : QStringList{probe.start});
        if (!start.isEmpty()) {
            QCOMPARE(probe.messages, QList<UINT>{BFFM_INITIALIZED});
            QVERIFY(probe.windowAlive);
            QVERIFY(!IsWindow(probe.dialog)); // gone with the dialog
        }
        QCOMPARE(display[MAX_PATH], u'#');
        if (expected.isEmpty()) {
            QCOMPARE(pidl, nullptr);
            return;
        }
        QVERIFY(pidl);
        QCOMPARE(fromWide(display), name);
        WCHAR path[MAX_PATH + 4];
        std::fill(std::begin(path), std::end(path), u'#');
        QVERIFY(SHGetPathFromIDListW(pidl, path));
        QCOMPARE(fromWide(path), fromHostPath(expand(expected))); // the Windows path of the chosen folder
        QCOMPARE(path[MAX_PATH], u'#');
        CoTaskMemFree(pidl);
    }

    // OK pressed by the callback takes the selection when it is a folder; Cancel ends the dialog unanswered.
    void browsePressedByCallback_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("press");
        QTest::addColumn<QString>("answer"); // the user's answer, where the dialog stays open
        QTest::addColumn<QString>("expected");
        row("ok", "{t}/Start", int(IDOK), "{t}/Other", "{t}/Start");
        row("ok on no folder", "{t}/Missing", int(IDOK), "{t}/Other", "{t}/Other");
        row("cancel", "{t}/Start", int(IDCANCEL), "{t}/Other", "");
    }

    void browsePressedByCallback()
    {
        QFETCH(QString, start);
        QFETCH(int, press);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QDir().mkpath(expand(QStringLiteral("{t}/Start")));
        QDir().mkpath(expand(QStringLiteral("{t}/Other")));
        m->answerFolderBrowser(expand(answer));
        BrowseProbe probe;
        probe.start = expand(start);
        probe.press = WPARAM(press);
        BROWSEINFOW bi = {};
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        bi.lpfn = browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(&probe);
        // The Windows path of the chosen folder.
        QCOMPARE(answeredPath(SHBrowseForFolderW(&bi)),
                 expected.isEmpty() ? QString() : fromHostPath(expand(expected)));
    }

    void browseLongPathNeverOverflows()
    {
        const QString longName(300, QLatin1Char('n'));
        m->answerFolderBrowser(scratch->path() + QLatin1Char('/') + longName);
        WCHAR display[MAX_PATH + 4];
        std::fill(std::begin(display), std::end(display), u'#');
        BROWSEINFOW bi = {};
        bi.pszDisplayName = display;
        PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
        QVERIFY(pidl);
        QCOMPARE(fromWide(display), longName.left(MAX_PATH - 1));
        QCOMPARE(display[MAX_PATH], u'#');
        WCHAR path[MAX_PATH + 4];
        std::fill(std::begin(path), std::end(path), u'#');
        QCOMPARE(SHGetPathFromIDListW(pidl, path), FALSE);
        QCOMPARE(path[0], WCHAR(0));
        QCOMPARE(path[MAX_PATH], u'#');
        CoTaskMemFree(pidl);
    }

    // The dialog itself, answered as a user answers it: it opens at the start folder, in Windows names, and
    // answers the Windows path of the folder chosen or typed; a path that is no folder keeps it open.
    void browseDialog_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("steps"); // see driveFolderBrowser
        QTest::addColumn<QString>("expected");  // "": cancelled
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QStringList>("messages");
        const QStringList toWindows{"Desktop", "This PC", "Windows (C:)", "Windows"};
        const QString missing = "Browse For Folder|The folder \"%1\" does not exist.";
        row("typed C: path, in any spelling", "C:\\Windows", QStringList{" c:/users/USER/ "}, "C:\\Users\\User",
            toWindows, QStringList());
        row("typed Z: path", "C:\\Windows", QStringList{"{tw}\\Sub"}, "{tw}\\Sub", toWindows, QStringList());
        row("drive root", "C:\\Windows", QStringList{"d:"}, "D:\\", toWindows, QStringList());
        row("name below the selection", "C:\\Windows", QStringList{"System32\\..\\Fonts"}, "C:\\Windows\\Fonts",
            toWindows, QStringList());
        row("OK takes the start", "{tw}\\Sub", QStringList{""}, "{tw}\\Sub", QStringList(), QStringList());
        row("missing, then cancel", "C:\\Windows", QStringList{"Z:\\no such folder", QString()}, "", toWindows,
            QStringList{missing.arg("Z:\\no such folder")});
        row("a file, then a folder", "C:\\Windows", QStringList{"{tw}\\file.txt", "{tw}"}, "{tw}", toWindows,
            QStringList{missing.arg("{tw}\\file.txt")});
        row("no start: the Desktop", "", QStringList{""}, "C:\\Users\\User\\Desktop", QStringList{"Desktop"},
            QStringList());
        row("missing start: the Desktop", "C:\\Nowhere", QStringList{QString()}, "", QStringList{"Desktop"},
            QStringList());
        row("new folder in the selection", "{tw}\\Sub", QStringList{"<new>", ""}, "{tw}\\Sub\\New folder",
            QStringList(), QStringList());
    }

    void browseDialog()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        QFETCH(QStringList, selection);
        QFETCH(QStringList, messages);
        QVERIFY(QDir().mkpath(expand("{t}/Sub/Inner")));
        QVERIFY(writeFile(expand("{t}/file.txt"), "f"));
        QVERIFY(QDir().mkpath(machine::systemDrive() + "/Windows/System32"));
        QVERIFY(QDir().mkpath(machine::systemDrive() + "/Windows/Fonts"));
        QVERIFY(QDir().mkpath(expand("{t}/dvol")));
        machine::setSetting(QStringLiteral("drive.D"), expand("{t}/dvol"));
        machine::setSetting(QStringLiteral("drive.D.label"), QStringLiteral("Data"));
        for (QString &step : steps)
            step = step.isNull() ? step : expand(step);
        for (QString &message : messages)
            message = expand(message);
        if (!messages.isEmpty())
            m->answerMessageBox(QStringLiteral("IDOK"));
        BrowseProbe probe;
        probe.start = expand(start);
        WCHAR display[MAX_PATH];
        BROWSEINFOW bi = {};
        bi.pszDisplayName = display;
        bi.lpszTitle = WSTR("Select folder to scan...");
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE; // as the product asks
        bi.lpfn = start.isEmpty() ? nullptr : browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(&probe);
        FolderBrowserSeen seen;
        driveFolderBrowser(steps, &seen);
        const QString answered = answeredPath(SHBrowseForFolderW(&bi));

        QCOMPARE(seen.caption, QStringLiteral("Browse For Folder"));
        QCOMPARE(seen.title, QStringLiteral("Select folder to scan..."));
        QVERIFY(seen.makeNewFolder);
        QVERIFY2(seen.drives.contains("Windows (C:)") && seen.drives.contains("Data (D:)") &&
                     seen.drives.contains("Local Disk (Z:)"),
                 qPrintable(seen.drives.join(", ")));
        if (start.startsWith("{tw}")) // the scratch folder, reached through Z:
            selection = QStringList{"Desktop", "This PC", "Local Disk (Z:)"} +
                        expand(start).mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        QCOMPARE(seen.selection, selection);
        QCOMPARE(seen.edit, selection.last());
        QCOMPARE(m->logged(QStringLiteral("MessageBox")), messages);
        QCOMPARE(answered, expand(expected));
        if (expected.isEmpty())
            return;
        QCOMPARE(fromWide(display), expected.endsWith(":\\") ? "Data (D:)" : answered.section('\\', -1));
        QVERIFY(QFileInfo(hostPath(answered)).isDir());
    }

    // The tree lists folders only, and the hidden ones as Explorer's settings say.
    void browseDialogListsFoldersAsExplorer_data()
    {
        QTest::addColumn<DWORD>("hidden");      // Explorer's "Hidden": 1 shows hidden items, 2 does not
        QTest::addColumn<DWORD>("superHidden"); // "ShowSuperHidden": 1 shows the protected ones too
        QTest::addColumn<QStringList>("siblings");
        row("Explorer's default", DWORD(2), DWORD(0), QStringList{"a", "Sub", "Z"});
        row("hidden shown", DWORD(1), DWORD(0), QStringList{"a", "hidden", "Sub", "Z"});
        row("protected shown", DWORD(1), DWORD(1), QStringList{"a", "hidden", "protected", "Sub", "Z"});
    }

    void browseDialogListsFoldersAsExplorer()
    {
        QFETCH(DWORD, hidden);
        QFETCH(DWORD, superHidden);
        QFETCH(QStringList, siblings);
        for (const char *name : {"Z", "a", "Sub", "hidden", "protected"})
            QVERIFY(QDir().mkpath(expand("{t}/") + QLatin1String(name)));
        QVERIFY(writeFile(expand("{t}/b.txt"), "f"));
        m->markFileAttributes(expand("{t}/hidden"), FILE_ATTRIBUTE_HIDDEN);
        m->markFileAttributes(expand("{t}/protected"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        HKEY key = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER,
                                 WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"), 0, nullptr,
                                 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                 LONG(ERROR_SUCCESS));
        RegSetValueExW(key, WSTR("Hidden"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&hidden), sizeof(DWORD));
        RegSetValueExW(key, WSTR("ShowSuperHidden"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&superHidden),
                       sizeof(DWORD));
        RegCloseKey(key);
        BrowseAt browse(expand("{tw}\\Sub"));
        BROWSEINFOW &bi = browse.bi;
        FolderBrowserSeen seen;
        driveFolderBrowser(QStringList{QString()}, &seen);
        QCOMPARE(SHBrowseForFolderW(&bi), nullptr);
        QCOMPARE(seen.siblings, siblings);
    }

    // Beside a folder of ten thousand folders the dialog settles at once, costs little memory per folder and
    // gives it back when it goes, and Cancel pressed while it still lists acts at once.
    void browseDialogBesideABigFolder()
    {
        const int count = 10000;
        const QByteArray big = QFile::encodeName(expand("{t}/big"));
        QCOMPARE(::mkdir(big.constData(), 0755), 0);
        for (int i = 0; i < count; ++i)
            QCOMPARE(::mkdir((big + "/folder " + QByteArray::number(10000 + i)).constData(), 0755), 0);
        BrowseAt browse(expand("{tw}\\big\\folder 15000"));
        BROWSEINFOW &bi = browse.bi;
        // Once first, so that what is made once per process is not counted.
        whenBrowserSettles([](QDialog *d) { d->reject(); });
        QCOMPARE(SHBrowseForFolderW(&bi), nullptr);
        malloc_trim(0);
        const qint64 before = residentBytes();

        // Left to settle: timed, and the memory it holds counted.
        qint64 settled = -1, grown = 0;
        int shown = 0;
        QElapsedTimer clock;
        whenBrowserSettles([&](QDialog *d) {
            settled = clock.elapsed();
            grown = residentBytes() - before;
            QTreeWidget *tree = d->findChild<QTreeWidget *>(QStringLiteral("folderTree"));
            shown =
                tree->currentItem() && tree->currentItem()->parent() ? tree->currentItem()->parent()->childCount() : 0;
            d->reject();
        });
        clock.start();
        QCOMPARE(SHBrowseForFolderW(&bi), nullptr);
        malloc_trim(0);
        const qint64 kept = residentBytes() - before;

        // Cancel pressed a moment after the dialog shows, while the big folder is being listed: the press is
        // counted from when it was due, so a GUI thread held meanwhile counts too.
        const qint64 pressAfter = 200;
        qint64 pressed = -1;
        auto *cancel = new QTimer;
        cancel->setInterval(1);
        QObject::connect(cancel, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                cancel->stop();
                pressed = clock.elapsed() + pressAfter;
                QTimer::singleShot(pressAfter, d, [d] {
                    d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
                });
            }
        });
        cancel->start();
        clock.restart();
        QCOMPARE(SHBrowseForFolderW(&bi), nullptr);
        const qint64 answered = clock.elapsed();
        delete cancel;
        qInfo("settled in %lld ms, %lld bytes a folder shown, %lld kept after; Cancel acted in %lld ms", settled,
              grown / count, kept / count, answered - pressed);
        QCOMPARE(shown, count);
        QVERIFY(settled >= 0 && settled < 1000);
        QVERIFY(grown < qint64(count) * 1024);
        QVERIFY(kept < qint64(count) * 512);
        QVERIFY(pressed >= 0 && answered - pressed < 300);
    }

    // A named pipe where a file is read is no file: the call answers at once instead of waiting for a writer.
    void pipeIsNoFile_data()
    {
        QTest::addColumn<QString>("read");
        row("shell link", QStringLiteral("link"));
        row("version resource", QStringLiteral("version"));
        row("mount table", QStringLiteral("mounts"));
    }

    void pipeIsNoFile()
    {
        QFETCH(QString, read);
        const QByteArray pipe = QFile::encodeName(scratch->path() + QStringLiteral("/pipe"));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        const QString windowsPath = fromHostPath(QFile::decodeName(pipe));
        // A reader still waiting after a while is let go by a writer that comes and goes, so that the test
        // fails on the time taken instead of hanging.
        std::atomic<bool> answered{false};
        std::thread writer([&] {
            QElapsedTimer waited;
            waited.start();
            while (!answered) {
                if (waited.hasExpired(3000)) {
                    const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0)
                        ::close(fd);
                }
                QThread::msleep(10);
            }
        });
        QElapsedTimer clock;
        clock.start();
        bool refused = false;
        if (read == QLatin1String("link")) {
            IShellLinkW *link = newLink();
            refused = persist(link, windowsPath, false) == E_ACCESSDENIED;
            link->Release();
        } else if (read == QLatin1String("version")) {
            DWORD handle = 0;
            refused = GetFileVersionInfoSizeW(wstr(windowsPath), &handle) == 0 && GetLastError() == ERROR_ACCESS_DENIED;
        } else {
            machine::setSetting(QStringLiteral("drives.mounts"), QFile::decodeName(pipe));
            refused = GetDriveTypeW(WSTR("D:\\")) == DRIVE_NO_ROOT_DIR;
        }
        const qint64 took = clock.elapsed();
        answered = true;
        writer.join();
        QVERIFY2(took < 1000, qPrintable(QString::number(took) + " ms"));
        QVERIFY(refused);
    }

    void messageBoxScripted_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<UINT>("type");
        QTest::addColumn<QString>("caption"); // null: no caption given
        QTest::addColumn<int>("expected");
        const UINT yesNo = MB_ICONWARNING | MB_YESNO;
        QTest::newRow("yes") << "IDYES" << yesNo << "Confirm Save Changes" << 6;
        QTest::newRow("no") << "IDNO" << yesNo << "Confirm Save Changes" << 7;
        QTest::newRow("cancel") << "IDCANCEL" << UINT(MB_YESNOCANCEL) << "Question" << 2;
        QTest::newRow("number") << "2" << UINT(MB_OKCANCEL) << "Question" << 2;
        QTest::newRow("ok, no caption") << "IDOK" << UINT(MB_OK | MB_ICONERROR) << QString() << 1;
    }

    void messageBoxScripted()
    {
        QFETCH(QString, answer);
        QFETCH(UINT, type);
        QFETCH(QString, caption);
        QFETCH(int, expected);
        const QString text = QStringLiteral("There are unsaved changes.\nDo you want to save all changes now?");
        m->answerMessageBox(answer);
        QCOMPARE(MessageBoxW(nullptr, wstr(text), caption.isNull() ? nullptr : wstr(caption), type), expected);
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 QStringList{(caption.isNull() ? QStringLiteral("Error") : caption) + QLatin1Char('|') + text});
        QVERIFY(!machine::hasAnswers(QStringLiteral("MessageBox")));
    }

    void messageBoxAnswersInOrder()
    {
        m->answerMessageBox(QStringLiteral("IDYES"));
        m->answerMessageBox(QStringLiteral("IDNO"));
        QCOMPARE(MessageBoxW(nullptr, WSTR("first"), WSTR("A"), MB_YESNO), IDYES);
        QCOMPARE(MessageBoxW(nullptr, WSTR("second"), WSTR("B"), MB_YESNO), IDNO);
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 (QStringList{QStringLiteral("A|first"), QStringLiteral("B|second")}));
    }

    void messageBoxShowsQtBox_data()
    {
        QTest::addColumn<UINT>("type");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("defaultButton");
        QTest::newRow("yes/no, warning, no")
            << UINT(MB_YESNO | MB_ICONWARNING) << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::Warning)
            << int(QMessageBox::No) << IDNO << int(QMessageBox::Yes);
        QTest::newRow("yes/no, second button the default")
            << UINT(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) << int(QMessageBox::Yes | QMessageBox::No)
            << int(QMessageBox::Warning) << int(QMessageBox::Yes) << IDYES << int(QMessageBox::No);
        QTest::newRow("ok/cancel, error, cancel")
            << UINT(MB_OKCANCEL | MB_ICONERROR | MB_TOPMOST) << int(QMessageBox::Ok | QMessageBox::Cancel)
            << int(QMessageBox::Critical) << int(QMessageBox::Cancel) << IDCANCEL << int(QMessageBox::Ok);
        QTest::newRow("yes/no/cancel, question, yes, third the default")
            << UINT(MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3)
            << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) << int(QMessageBox::Question)
            << int(QMessageBox::Yes) << IDYES << int(QMessageBox::Cancel);
        QTest::newRow("ok, information") << UINT(MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND) << int(QMessageBox::Ok)
                                         << int(QMessageBox::Information) << int(QMessageBox::Ok) << IDOK
                                         << int(QMessageBox::Ok);
    }

    void messageBoxShowsQtBox()
    {
        QFETCH(UINT, type);
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, click);
        QFETCH(int, expected);
        QFETCH(int, defaultButton);
        int shownButtons = 0, shownIcon = -1, shownDefault = 0;
        QString shownTitle, shownText;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            shownButtons = int(box->standardButtons());
            shownIcon = int(box->icon());
            shownTitle = box->windowTitle();
            shownText = box->text();
            shownDefault = box->defaultButton() ? int(box->standardButton(box->defaultButton())) : 0;
            box->button(QMessageBox::StandardButton(click))->click();
        });
        QCOMPARE(MessageBoxW(nullptr, WSTR("Line one\n<b>two</b>"), WSTR("Caption"), type), expected);
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(shownIcon, icon);
        QCOMPARE(shownDefault, defaultButton);
        QCOMPARE(shownTitle, QStringLiteral("Caption"));
        QCOMPARE(shownText, QStringLiteral("Line one\n<b>two</b>"));
        QCOMPARE(m->logged(QStringLiteral("MessageBox")), QStringList{QStringLiteral("Caption|Line one\n<b>two</b>")});
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
