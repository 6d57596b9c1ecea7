// The shared registry, path and helper-control utilities.
#include "editionnames.h"
#include "krutils.h"
#include "linux/windows/windowtable.h"
#include "testmachine.h"

#include <QtTest>
#include <unistd.h>

namespace {

QStringList debugLines;
void captureDebug(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtDebugMsg)
        debugLines << msg;
}

const QString root = QStringLiteral("Software\\KRTest");

QByteArray stored(const QString &subKey, const QString &name, DWORD *type = nullptr)
{
    BYTE buf[4096];
    DWORD size = sizeof(buf);
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(subKey), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return QByteArray("<no key>");
    const LONG rc = RegQueryValueExW(h, wstr(name), nullptr, type, buf, &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS ? QByteArray(reinterpret_cast<const char *>(buf), int(size)) : QByteArray("<absent>");
}

void storeRaw(const QString &subKey, const QString &name, DWORD type, const QByteArray &data)
{
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, wstr(subKey), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    RegSetValueExW(h, wstr(name), 0, type, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
    RegCloseKey(h);
}

QByteArray utf16(const QString &s, bool terminator = true)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), (s.size() + (terminator ? 1 : 0)) * 2);
}

} // namespace

class TestKRUtils : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        debugLines.clear();
        previous = qInstallMessageHandler(captureDebug);
    }
    void cleanup()
    {
        qInstallMessageHandler(previous);
        m.reset();
    }

    void readDwordFailuresKeepThePreset_data()
    {
        QTest::addColumn<QString>("subKey");
        QTest::addColumn<bool>("storeString");
        QTest::newRow("absent key") << QStringLiteral("Software\\Nowhere") << false;
        QTest::newRow("absent value") << root << false;
        QTest::newRow("string of that name") << root << true;
    }

    void readDwordFailuresKeepThePreset()
    {
        QFETCH(QString, subKey);
        QFETCH(bool, storeString);
        KRUtils u;
        u.createRegKey(HKEY_CURRENT_USER, root);
        if (storeString)
            storeRaw(root, QStringLiteral("Level"), REG_SZ, utf16(QStringLiteral("5")));
        debugLines.clear();
        DWORD value = 77;
        QVERIFY(!u.readRegDWORD(HKEY_CURRENT_USER, subKey, QStringLiteral("Level"), &value));
        QCOMPARE(value, DWORD(77));
        QCOMPARE(debugLines, QStringList{subKey + QStringLiteral(" : Level : Cannot read DWORD from registry.")});
    }

    void dwordRoundTripCreatesThePath()
    {
        KRUtils u;
        QVERIFY(
            u.writeRegDWORD(HKEY_CURRENT_USER, root + QStringLiteral("\\A\\B\\C"), QStringLiteral("n"), 0xdeadbeef));
        QCOMPARE(stored(root + QStringLiteral("\\A\\B\\C"), QStringLiteral("n")), QByteArray("\xef\xbe\xad\xde", 4));
        DWORD v = 0;
        QVERIFY(u.readRegDWORD(HKEY_CURRENT_USER, root + QStringLiteral("\\A\\B\\C"), QStringLiteral("n"), &v));
        QCOMPARE(v, DWORD(0xdeadbeef));
    }

    void stringBytesStored_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::newRow("empty") << QString() << 2;
        QTest::newRow("abc") << QStringLiteral("abc") << 8;
        QTest::newRow("non-latin") << QStringLiteral("Ω\U0001F600") << 8; // a surrogate pair counts two units
    }

    void stringBytesStored()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        KRUtils u;
        QVERIFY(u.writeRegString(HKEY_CURRENT_USER, root, QStringLiteral("s"), text));
        DWORD type = 0;
        const QByteArray data = stored(root, QStringLiteral("s"), &type);
        QCOMPARE(data.size(), bytes);
        QCOMPARE(type, DWORD(REG_SZ));
        QString back = QStringLiteral("stale");
        QVERIFY(u.readRegString(HKEY_CURRENT_USER, root, QStringLiteral("s"), back));
        QCOMPARE(back, text.isNull() ? QString(QLatin1String("")) : text);

        QVERIFY(u.writeRegExpandString(HKEY_CURRENT_USER, root, QStringLiteral("e"), text));
        QCOMPARE(stored(root, QStringLiteral("e"), &type).size(), bytes);
        QCOMPARE(type, DWORD(REG_EXPAND_SZ));
    }

    void readStringCases_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");
        QTest::newRow("terminated") << REG_SZ << utf16(QStringLiteral("abc")) << true << QStringLiteral("abc");
        QTest::newRow("unterminated keeps its last letter")
            << REG_SZ << utf16(QStringLiteral("abc"), false) << true << QStringLiteral("abc");
        QTest::newRow("cut at the first NUL")
            << REG_SZ << utf16(QStringLiteral("ab")) + utf16(QStringLiteral("cd")) << true << QStringLiteral("ab");
        QTest::newRow("empty") << REG_SZ << utf16(QString()) << true << QString();
        QTest::newRow("dword is no string") << REG_DWORD << QByteArray(4, '\1') << false << QString();
    }

    void readStringCases()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        storeRaw(root, QStringLiteral("v"), DWORD(type), data);
        KRUtils u;
        for (bool raw : {false, true}) {
            QString text = QStringLiteral("stale");
            debugLines.clear();
            const bool got = raw ? u.readRegStringRaw(HKEY_CURRENT_USER, root, QStringLiteral("v"), text)
                                 : u.readRegString(HKEY_CURRENT_USER, root, QStringLiteral("v"), text);
            QCOMPARE(got, ok);
            QCOMPARE(text, expected);
            QVERIFY(!text.contains(QChar(0)));
            QCOMPARE(debugLines.contains(QStringLiteral("error")), !ok);
            QCOMPARE(raw, !debugLines.isEmpty() && debugLines.first().startsWith(QStringLiteral("dataSize: ")));
        }
    }

    void readStringExpandsAndFailsQuietly()
    {
        KRUtils u;
        u.writeRegExpandString(HKEY_CURRENT_USER, root, QStringLiteral("x"), QStringLiteral("%TEMP%\\logs"));
        QString text;
        QVERIFY(u.readRegString(HKEY_CURRENT_USER, root, QStringLiteral("x"), text));
        QVERIFY2(!text.contains(QLatin1Char('%')) && text.endsWith(QStringLiteral("\\logs")), qPrintable(text));
        // The machine's temporary folder, named on its own drive.
        QVERIFY2(text.startsWith(QStringLiteral("C:\\")), qPrintable(text));
        QVERIFY2(hostPath(text).startsWith(m->folder() + QLatin1Char('/')), qPrintable(hostPath(text)));
        // The raw read keeps the variable, as stored.
        QVERIFY(u.readRegStringRaw(HKEY_CURRENT_USER, root, QStringLiteral("x"), text));
        QCOMPARE(text, QStringLiteral("%TEMP%\\logs"));

        text = QStringLiteral("stale");
        QVERIFY(!u.readRegString(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"), QStringLiteral("x"), text));
        QCOMPARE(text, QString(QLatin1String("")));
        QVERIFY(!u.readRegString(HKEY_CURRENT_USER, root, QStringLiteral("absent"), text));
        QVERIFY(text.isEmpty());
    }

    void binaryReads_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("ok");
        QTest::newRow("48 bytes") << 48 << true;
        QTest::newRow("1024 bytes") << 1024 << true;
        QTest::newRow("1025 bytes") << 1025 << false;
    }

    void binaryReads()
    {
        QFETCH(int, size);
        QFETCH(bool, ok);
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7);
        KRUtils u;
        int n = size;
        QVERIFY(u.writeRegBinary(HKEY_CURRENT_USER, root, QStringLiteral("b"),
                                 reinterpret_cast<const BYTE *>(data.constData()), &n));
        QByteArray buffer(1024 + 16, '\x55');
        int got = -1;
        QCOMPARE(u.readRegBinary(HKEY_CURRENT_USER, root, QStringLiteral("b"), reinterpret_cast<BYTE *>(buffer.data()),
                                 &got),
                 ok);
        // Nothing is ever written past the 1024 bytes the callers give.
        QCOMPARE(buffer.mid(1024), QByteArray(16, '\x55'));
        if (ok) {
            QCOMPARE(got, size);
            QCOMPARE(buffer.left(size), data);
        } else {
            QCOMPARE(got, -1);
        }
        QVERIFY(!u.readRegBinary(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"), QStringLiteral("b"),
                                 reinterpret_cast<BYTE *>(buffer.data()), &got));
    }

    void writesReportAValueThatWasNotStored()
    {
        KRUtils u;
        // Windows refuses value names longer than 16383 characters: the key opens, the store fails.
        const QString tooLong(17000, QLatin1Char('n'));
        QVERIFY(!u.writeRegString(HKEY_CURRENT_USER, root, tooLong, QStringLiteral("x")));
        QVERIFY(!u.writeRegDWORD(HKEY_CURRENT_USER, root, tooLong, 1));
        QVERIFY(u.regKeyExists(HKEY_CURRENT_USER, root));
        // A key that cannot be opened for writing.
        m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\KRLocked"), false, true);
        QVERIFY(!u.writeRegDWORD(HKEY_CURRENT_USER, QStringLiteral("Software\\KRLocked"), QStringLiteral("x"), 1));
        QVERIFY(!u.createRegKey(HKEY_CURRENT_USER, QStringLiteral("Software\\KRLocked\\Sub")));
        m->setElevated(false);
        QVERIFY(!u.writeRegString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\KRTest"), QStringLiteral("x"),
                                  QStringLiteral("y")));
    }

    void keysAndValuesDeleted()
    {
        KRUtils u;
        for (const char *c : {"One", "Two", "Three"})
            QVERIFY(u.createRegKey(HKEY_CURRENT_USER, root + QStringLiteral("\\Flat\\") + QLatin1String(c)));
        QVERIFY(u.deleteRegSubKeys(HKEY_CURRENT_USER, root + QStringLiteral("\\Flat")));
        QVERIFY(u.regKeyExists(HKEY_CURRENT_USER, root + QStringLiteral("\\Flat")));
        QVERIFY(!u.regKeyExists(HKEY_CURRENT_USER, root + QStringLiteral("\\Flat\\Two")));

        // The first sub-key in enumeration order has a sub-key of its own: nothing goes, and the caller hears it.
        QVERIFY(u.createRegKey(HKEY_CURRENT_USER, root + QStringLiteral("\\Deep\\A\\Inner")));
        QVERIFY(u.createRegKey(HKEY_CURRENT_USER, root + QStringLiteral("\\Deep\\B")));
        QVERIFY(!u.deleteRegKey(HKEY_CURRENT_USER, root + QStringLiteral("\\Deep"), QStringLiteral("A")));
        QVERIFY(!u.deleteRegSubKeys(HKEY_CURRENT_USER, root + QStringLiteral("\\Deep")));
        QVERIFY(u.regKeyExists(HKEY_CURRENT_USER, root + QStringLiteral("\\Deep\\B")));
        QVERIFY(u.deleteRegSubKeys(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere")));

        u.writeRegDWORD(HKEY_CURRENT_USER, root, QStringLiteral("v"), 1);
        QVERIFY(u.deleteRegValue(HKEY_CURRENT_USER, root, QStringLiteral("V")));
        QVERIFY(!u.deleteRegValue(HKEY_CURRENT_USER, root, QStringLiteral("v")));
        QVERIFY(!u.deleteRegValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"), QStringLiteral("v")));
    }

    void unreadableKeyCountsAsAbsent()
    {
        m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\KRHidden"), true, false);
        KRUtils u;
        QVERIFY(!u.regKeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\KRHidden")));
        QVERIFY(u.regKeyExists(HKEY_CURRENT_USER, QStringLiteral("Software")));
    }

    void glasspanNeeded_data()
    {
        QTest::addColumn<QString>("subKey");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("needed");
        QTest::newRow("nothing set") << QString() << QString() << 0 << false;
        QTest::newRow("wallpaper on") << QStringLiteral("\\WallpaperChanger") << QStringLiteral("Enabled") << 1 << true;
        QTest::newRow("tray icon on") << QString() << QStringLiteral("ShowTrayIcon") << 1 << true;
        QTest::newRow("dark mode on") << QStringLiteral("\\AutoDarkMode") << QStringLiteral("Enabled") << 1 << true;
        QTest::newRow("taskbar on") << QStringLiteral("\\Glasspan") << QStringLiteral("Enabled") << 1 << true;
        QTest::newRow("all zero") << QStringLiteral("*") << QString() << 0 << false;
    }

    void glasspanNeeded()
    {
        QFETCH(QString, subKey);
        QFETCH(QString, name);
        QFETCH(int, value);
        QFETCH(bool, needed);
        KRUtils u;
        const QString settings = QStringLiteral(HUSHDECK_SETTINGS_ROOT);
        if (subKey == QLatin1String("*")) {
            for (const char *k : {"\\AutoDarkMode", "\\Glasspan", "\\WallpaperChanger"})
                u.writeRegDWORD(HKEY_CURRENT_USER, settings + QLatin1String(k), QStringLiteral("Enabled"), 0);
            u.writeRegDWORD(HKEY_CURRENT_USER, settings, QStringLiteral("ShowTrayIcon"), 0);
        } else if (!name.isEmpty()) {
            u.writeRegDWORD(HKEY_CURRENT_USER, settings + subKey, name, DWORD(value));
        }
        QCOMPARE(u.isGlasspanNeeded(), needed);
    }

    void closeGlasspanPostsClose()
    {
        KRUtils u;
        u.closeGlasspan(); // no helper running: nothing posted
        QVERIFY(m->logged(QStringLiteral("PostMessage")).isEmpty());
        HWND helper = windowtable::createWindow(DWORD(getpid()), QStringLiteral("GLASSPAN"),
                                                QStringLiteral("Transparent Taskbar"));
        u.closeGlasspan();
        const auto msgs = windowtable::takeMessages(DWORD(getpid()));
        QCOMPARE(msgs.size(), 1);
        QCOMPARE(msgs.first().hwnd, helper);
        QCOMPARE(msgs.first().msg, UINT(WM_CLOSE));
        QCOMPARE(msgs.first().wParam, WPARAM(0));
        QCOMPARE(msgs.first().lParam, LPARAM(0));
    }

    void pathsAndVersion()
    {
        KRUtils u;
        QCOMPARE(u.appPath(), QString(QLatin1String("")));
        u.writeRegString(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("Path"),
                         QStringLiteral("/opt/hushdeck"));
        QCOMPARE(u.appPath(), QStringLiteral("/opt/hushdeck"));

        const QString backup = u.backupFolder();
        QVERIFY2(backup.endsWith(QStringLiteral("\\" TEST_EDITION_NAME "\\Backup")), qPrintable(backup));
        QVERIFY(QDir(hostPath(backup)).exists());

        for (const auto &build : {std::pair<const char *, bool>{"21999", false}, {"22000", true}, {"22631", true}}) {
            m->setElevated(true);
            u.writeRegString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                             QStringLiteral("CurrentBuildNumber"), QLatin1String(build.first));
            QCOMPARE(u.isWindows11(), build.second);
            QCOMPARE(windowsBuildNumber, QString::fromLatin1(build.first).toUInt());
        }
    }

    void browseForFolder()
    {
        KRUtils u;
        m->answerFolderBrowser(QStringLiteral("/data/photos"));
        // A host folder is given back on the drive the host's root has.
        QCOMPARE(u.browseForFolder(QStringLiteral("/start"), QStringLiteral("Pick")),
                 QStringLiteral("Z:\\data\\photos"));
        m->answerFolderBrowser(QString());
        QCOMPARE(u.browseForFolder(QStringLiteral("/start"), QStringLiteral("Pick")), QString());
        // Texts longer than the picker's buffers are cut, never written past.
        m->answerFolderBrowser(QString());
        QCOMPARE(u.browseForFolder(QString(400, QLatin1Char('s')), QString(400, QLatin1Char('t'))), QString());
    }

    void createLinkWritesAFile()
    {
        KRUtils u;
        const QString link = m->folder() + QStringLiteral("/shortcut.lnk");
        QCOMPARE(u.createLink(QStringLiteral("/opt/hushdeck/Hopsteer.exe"), link, QStringLiteral("/opt/hushdeck"),
                              QStringLiteral("-run 1"), QStringLiteral("/opt/hushdeck/icon.ico")),
                 S_OK);
        QFile f(link);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(4) == QByteArray("\x4c\0\0\0", 4));
        QVERIFY(FAILED(u.createLink(QStringLiteral("/x"), m->folder() + QStringLiteral("/missing/dir/a.lnk"), QString(),
                                    QString(), QString())));
    }

private:
    std::unique_ptr<TestMachine> m;
    QtMessageHandler previous = nullptr;
};

QTEST_MAIN(TestKRUtils)
#include "tst_krutils.moc"
