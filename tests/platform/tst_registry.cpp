// The registry of the simulated machine behaves as the modules rely on Windows to behave.
#include "testmachine.h"
#include "win32.h"

#include <QProcess>
#include <QThread>
#include <QtTest>

namespace {

HKEY create(HKEY root, const QString &path, REGSAM sam = KEY_ALL_ACCESS, LONG *rc = nullptr)
{
    HKEY h = nullptr;
    const LONG r = RegCreateKeyExW(root, wstr(path), 0, nullptr, 0, sam, nullptr, &h, nullptr);
    if (rc)
        *rc = r;
    return r == ERROR_SUCCESS ? h : nullptr;
}

LONG setString(HKEY key, const QString &name, const QString &text, DWORD type = REG_SZ)
{
    return RegSetValueExW(key, name.isNull() ? nullptr : wstr(name), 0, type,
                          reinterpret_cast<const BYTE *>(wstr(text)), DWORD(text.size() + 1) * 2);
}

LONG setDword(HKEY key, const QString &name, DWORD v)
{
    return RegSetValueExW(key, wstr(name), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), 4);
}

QStringList subKeys(HKEY key)
{
    QStringList out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out << fromWide(name, len);
    }
    return out;
}

QStringList valueNames(HKEY key)
{
    QStringList out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD len = 256;
        if (RegEnumValueW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out << fromWide(name, len);
    }
    return out;
}

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void namesAreCaseInsensitiveAndKeepTheirSpelling()
    {
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Test\\MixedCase"));
        QVERIFY(k);
        QCOMPARE(setString(k, QStringLiteral("ValueName"), QStringLiteral("x")), ERROR_SUCCESS);
        RegCloseKey(k);

        HKEY again = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("SOFTWARE\\test\\mixedcase"), 0, KEY_READ, &again),
                 ERROR_SUCCESS);
        DWORD type = 0, size = 0;
        QCOMPARE(RegQueryValueExW(again, WSTR("VALUENAME"), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(type, DWORD(REG_SZ));
        QCOMPARE(valueNames(again), QStringList{QStringLiteral("ValueName")});
        RegCloseKey(again);

        HKEY parent = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("software\\TEST"), 0, KEY_READ, &parent), ERROR_SUCCESS);
        QCOMPARE(subKeys(parent), QStringList{QStringLiteral("MixedCase")});
        RegCloseKey(parent);
    }

    void subKeysEnumerateSortedValuesInCreationOrder()
    {
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Order"));
        for (const char *n : {"b", "_x", "A", "c"})
            RegCloseKey(create(k, QString::fromLatin1(n)));
        // Windows compares upper-case names: '_' sorts after the letters.
        QCOMPARE(subKeys(k), (QStringList{"A", "b", "c", "_x"}));

        for (const char *n : {"zeta", "alpha", "mid"})
            QCOMPARE(setDword(k, QString::fromLatin1(n), 1), ERROR_SUCCESS);
        QCOMPARE(setDword(k, QStringLiteral("ALPHA"), 2), ERROR_SUCCESS); // rewriting keeps the place
        QCOMPARE(valueNames(k), (QStringList{"zeta", "alpha", "mid"}));
        RegCloseKey(k);
    }

    void defaultValue()
    {
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Default"));
        QCOMPARE(setString(k, QString(), QStringLiteral("unnamed")), ERROR_SUCCESS);
        WCHAR buf[64];
        DWORD size = sizeof(buf);
        QCOMPARE(RegQueryValueExW(k, WSTR(""), nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size), ERROR_SUCCESS);
        QCOMPARE(fromWide(buf), QStringLiteral("unnamed"));
        size = sizeof(buf);
        QCOMPARE(
            RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Default"), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size),
            ERROR_SUCCESS);
        QCOMPARE(fromWide(buf), QStringLiteral("unnamed"));
        QCOMPARE(valueNames(k), QStringList{QString()});
        RegCloseKey(k);
    }

    void moreDataReportsTheSizeNeeded()
    {
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Sizes"));
        QCOMPARE(setString(k, QStringLiteral("s"), QStringLiteral("abcdef")), ERROR_SUCCESS); // 14 bytes stored
        BYTE small[4];
        DWORD size = sizeof(small);
        QCOMPARE(RegQueryValueExW(k, WSTR("s"), nullptr, nullptr, small, &size), ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(14));
        size = 0;
        QCOMPARE(RegQueryValueExW(k, WSTR("s"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(14));

        // A terminated string needs no more room than it takes.
        size = 0;
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("s"), RRF_RT_REG_SZ, nullptr, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(14));
        WCHAR buf[16];
        size = 10;
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("s"), RRF_RT_REG_SZ, nullptr, buf, &size), ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(14));
        size = sizeof(buf);
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("s"), RRF_RT_REG_SZ, nullptr, buf, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(14));
        QCOMPARE(fromWide(buf), QStringLiteral("abcdef"));

        RegCloseKey(create(k, QStringLiteral("LongerName")));
        WCHAR name[4];
        DWORD len = 4;
        QCOMPARE(RegEnumKeyExW(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
        len = 4;
        QCOMPARE(RegEnumValueW(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS); // "s" fits
        RegCloseKey(k);
    }

    void stringWithoutTerminatorGetsOne()
    {
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\NoNul"));
        const QString text = QStringLiteral("abc");
        QCOMPARE(RegSetValueExW(k, WSTR("raw"), 0, REG_SZ, reinterpret_cast<const BYTE *>(wstr(text)), 6),
                 ERROR_SUCCESS);
        WCHAR buf[8];
        DWORD size = 6; // exactly the stored bytes: no room for the terminator
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("raw"), RRF_RT_REG_SZ, nullptr, buf, &size), ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(8));
        size = 0;
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("raw"), RRF_RT_REG_SZ, nullptr, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(8));
        // An odd byte count is completed and still terminated.
        QCOMPARE(RegSetValueExW(k, WSTR("odd"), 0, REG_SZ, reinterpret_cast<const BYTE *>(wstr(text)), 5),
                 ERROR_SUCCESS);
        size = sizeof(buf);
        std::fill(std::begin(buf), std::end(buf), WCHAR(0xCCCC));
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("odd"), RRF_RT_REG_SZ, nullptr, buf, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(8));
        QCOMPARE(buf[3], WCHAR(0));
        size = sizeof(buf);
        QCOMPARE(RegGetValueW(k, nullptr, WSTR("raw"), RRF_RT_REG_SZ, nullptr, buf, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(8));
        QCOMPARE(fromWide(buf), text);
        RegCloseKey(k);
    }

    void typeFilters_data()
    {
        QTest::addColumn<int>("storedType");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("typeOut");

        const QString expandText = QStringLiteral("%USERPROFILE%\\x");
        const QByteArray expand(reinterpret_cast<const char *>(expandText.utf16()), (expandText.size() + 1) * 2);
        const QByteArray dword("\x05\x00\x00\x00", 4);
        QTest::newRow("dword as dword") << REG_DWORD << dword << RRF_RT_REG_DWORD << int(ERROR_SUCCESS) << REG_DWORD;
        QTest::newRow("string as dword") << REG_SZ << expand << RRF_RT_REG_DWORD << int(ERROR_UNSUPPORTED_TYPE) << 0;
        QTest::newRow("dword as string") << REG_DWORD << dword << RRF_RT_REG_SZ << int(ERROR_UNSUPPORTED_TYPE) << 0;
        QTest::newRow("expand as string") << REG_EXPAND_SZ << expand << RRF_RT_REG_SZ << int(ERROR_SUCCESS) << REG_SZ;
        QTest::newRow("expand kept") << REG_EXPAND_SZ << expand << int(RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND)
                                     << int(ERROR_SUCCESS) << REG_EXPAND_SZ;
        QTest::newRow("expand filter alone")
            << REG_EXPAND_SZ << expand << RRF_RT_REG_EXPAND_SZ << int(ERROR_INVALID_PARAMETER) << 0;
        QTest::newRow("binary of 4 as DWORD")
            << REG_BINARY << dword << RRF_RT_DWORD << int(ERROR_SUCCESS) << REG_BINARY;
        QTest::newRow("binary of 3 as DWORD")
            << REG_BINARY << QByteArray("abc") << RRF_RT_DWORD << int(ERROR_DATATYPE_MISMATCH) << 0;
        QTest::newRow("binary of 4 as QWORD")
            << REG_BINARY << dword << RRF_RT_QWORD << int(ERROR_DATATYPE_MISMATCH) << 0;
        QTest::newRow("binary as DWORD type")
            << REG_BINARY << dword << RRF_RT_REG_DWORD << int(ERROR_UNSUPPORTED_TYPE) << 0;
        QTest::newRow("short dword") << REG_DWORD << QByteArray("ab") << RRF_RT_REG_DWORD << int(ERROR_SUCCESS)
                                     << REG_DWORD;
        QTest::newRow("no filter") << REG_DWORD << dword << 0 << int(ERROR_INVALID_PARAMETER) << 0;
    }

    void typeFilters()
    {
        QFETCH(int, storedType);
        QFETCH(QByteArray, data);
        QFETCH(int, flags);
        QFETCH(int, result);
        QFETCH(int, typeOut);
        HKEY k = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Types"));
        QCOMPARE(RegSetValueExW(k, WSTR("v"), 0, DWORD(storedType), reinterpret_cast<const BYTE *>(data.constData()),
                                DWORD(data.size())),
                 ERROR_SUCCESS);
        BYTE buf[512];
        DWORD size = sizeof(buf);
        DWORD type = 0;
        QCOMPARE(
            int(RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Types"), WSTR("v"), DWORD(flags), &type, buf, &size)),
            result);
        if (result == ERROR_SUCCESS)
            QCOMPARE(int(type), typeOut);
        if (result == ERROR_SUCCESS && typeOut == REG_SZ && storedType == REG_EXPAND_SZ) {
            const QString text = fromWide(reinterpret_cast<const WCHAR *>(buf));
            // The profile, named on the machine's own drive.
            QCOMPARE(text, QStringLiteral("C:\\Users\\User\\x"));
        }
        RegCloseKey(k);
    }

    void deletingAKeyWithSubKeysFails()
    {
        HKEY parent = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Del"));
        HKEY child = create(parent, QStringLiteral("Child\\Grand"));
        RegCloseKey(child);
        QCOMPARE(RegDeleteKeyW(parent, WSTR("Child")), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteKeyW(parent, WSTR("Child\\Grand")), ERROR_SUCCESS);
        HKEY c = create(parent, QStringLiteral("Child"));
        QCOMPARE(setDword(c, QStringLiteral("x"), 1), ERROR_SUCCESS);
        QCOMPARE(RegDeleteKeyW(parent, WSTR("Child")), ERROR_SUCCESS);
        // The handle still open on the deleted key no longer works.
        DWORD v = 0;
        DWORD size = 4;
        QCOMPARE(RegQueryValueExW(c, WSTR("x"), nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size),
                 ERROR_KEY_DELETED);
        RegCloseKey(c);
        QCOMPARE(RegDeleteKeyW(parent, WSTR("Child")), ERROR_FILE_NOT_FOUND);
        QVERIFY(subKeys(parent).isEmpty());
        // Re-created, it starts empty.
        c = create(parent, QStringLiteral("Child"));
        QVERIFY(valueNames(c).isEmpty());
        RegCloseKey(c);
        RegCloseKey(parent);
    }

    void markedKeys()
    {
        m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Locked"), true, false);
        m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\ReadOnly"), false, true);
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Locked"), 0, KEY_READ, &h), ERROR_ACCESS_DENIED);
        DWORD v = 0, size = 4;
        QCOMPARE(
            RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Locked"), WSTR("x"), RRF_RT_REG_DWORD, nullptr, &v, &size),
            ERROR_ACCESS_DENIED);
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\ReadOnly"), 0, KEY_READ, &h), ERROR_SUCCESS);
        // A handle opened for reading cannot write, and the key refuses write access.
        QCOMPARE(setDword(h, QStringLiteral("x"), 1), ERROR_ACCESS_DENIED);
        RegCloseKey(h);
        LONG rc = 0;
        QVERIFY(!create(HKEY_CURRENT_USER, QStringLiteral("Software\\ReadOnly"), KEY_WRITE, &rc));
        QCOMPARE(rc, ERROR_ACCESS_DENIED);
        QVERIFY(!create(HKEY_CURRENT_USER, QStringLiteral("Software\\ReadOnly\\Sub"), KEY_WRITE, &rc));
        QCOMPARE(rc, ERROR_ACCESS_DENIED);
    }

    void machineHiveNeedsElevation()
    {
        m->setElevated(false);
        LONG rc = 0;
        QVERIFY(!create(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Hushdeck Test"), KEY_WRITE, &rc));
        QCOMPARE(rc, ERROR_ACCESS_DENIED);
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE"), 0, KEY_READ, &h), ERROR_SUCCESS);
        RegCloseKey(h);
        // The user's hive stays writable.
        HKEY u = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Fine"), KEY_WRITE, &rc);
        QVERIFY(u);
        RegCloseKey(u);

        m->setElevated(true);
        h = create(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Hushdeck Test"), KEY_WRITE, &rc);
        QVERIFY(h);
        QCOMPARE(setDword(h, QStringLiteral("x"), 7), ERROR_SUCCESS);
        RegCloseKey(h);
    }

    void view32OfMachineSoftware()
    {
        HKEY h = create(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Bitness"), KEY_ALL_ACCESS | KEY_WOW64_32KEY);
        QVERIFY(h);
        QCOMPARE(setDword(h, QStringLiteral("x"), 32), ERROR_SUCCESS);
        RegCloseKey(h);
        DWORD v = 0, size = 4;
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\WOW6432Node\\Bitness"), WSTR("x"), RRF_RT_REG_DWORD,
                              nullptr, &v, &size),
                 ERROR_SUCCESS);
        QCOMPARE(v, DWORD(32));
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Bitness"), WSTR("x"), RRF_RT_REG_DWORD, nullptr, &v,
                              &size),
                 ERROR_FILE_NOT_FOUND);
        size = 4;
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Bitness"), WSTR("x"),
                              RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6432KEY, nullptr, &v, &size),
                 ERROR_SUCCESS);
        // The 64-bit view of SOFTWARE itself is unchanged; opening SOFTWARE in the 32-bit view lands below it.
        HKEY sw = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE"), 0, KEY_READ | KEY_WOW64_32KEY, &sw),
                 ERROR_SUCCESS);
        QVERIFY(subKeys(sw).contains(QStringLiteral("Bitness")));
        RegCloseKey(sw);
    }

    void classesRootMergesUserAndMachine()
    {
        HKEY mk = create(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Classes\\.hdk"));
        QCOMPARE(setString(mk, QString(), QStringLiteral("machine")), ERROR_SUCCESS);
        QCOMPARE(setString(mk, QStringLiteral("Only"), QStringLiteral("m")), ERROR_SUCCESS);
        RegCloseKey(mk);
        RegCloseKey(create(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Classes\\.hdk\\MachineSub")));
        HKEY uk = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Classes\\.hdk"));
        QCOMPARE(setString(uk, QString(), QStringLiteral("user")), ERROR_SUCCESS);
        RegCloseKey(uk);
        RegCloseKey(create(HKEY_CURRENT_USER, QStringLiteral("Software\\Classes\\.hdk\\UserSub")));

        WCHAR buf[32];
        DWORD size = sizeof(buf);
        QCOMPARE(RegGetValueW(HKEY_CLASSES_ROOT, WSTR(".hdk"), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size),
                 ERROR_SUCCESS);
        QCOMPARE(fromWide(buf), QStringLiteral("user"));
        size = sizeof(buf);
        QCOMPARE(RegGetValueW(HKEY_CLASSES_ROOT, WSTR(".hdk"), WSTR("Only"), RRF_RT_REG_SZ, nullptr, buf, &size),
                 ERROR_SUCCESS);
        QCOMPARE(fromWide(buf), QStringLiteral("m"));
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CLASSES_ROOT, WSTR(".hdk"), 0, KEY_READ, &h), ERROR_SUCCESS);
        QCOMPARE(subKeys(h), (QStringList{"MachineSub", "UserSub"}));
        RegCloseKey(h);
    }

    void currentControlSetIsTheControlSetInUse()
    {
        HKEY h = create(HKEY_LOCAL_MACHINE, QStringLiteral("SYSTEM\\CurrentControlSet\\Control\\HushdeckTest"));
        QVERIFY(h);
        QCOMPARE(setDword(h, QStringLiteral("x"), 5), ERROR_SUCCESS);
        RegCloseKey(h);
        DWORD v = 0, size = 4;
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SYSTEM\\ControlSet001\\Control\\HushdeckTest"), WSTR("x"),
                              RRF_RT_REG_DWORD, nullptr, &v, &size),
                 ERROR_SUCCESS);
        QCOMPARE(v, DWORD(5));
        // The seed's services, written through the link, are there under both names.
        HKEY s = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SYSTEM\\ControlSet001\\Services\\DiagTrack"), 0, KEY_READ, &s),
                 ERROR_SUCCESS);
        RegCloseKey(s);
        HKEY system = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SYSTEM"), 0, KEY_READ, &system), ERROR_SUCCESS);
        QCOMPARE(RegOpenKeyExW(system, WSTR("currentcontrolset\\Services"), 0, KEY_READ, &s), ERROR_SUCCESS);
        RegCloseKey(s);
        RegCloseKey(system);
    }

    void threadsWriteWithoutLoss()
    {
        const int threads = 6, each = 50;
        QList<QThread *> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([t]() {
                for (int i = 0; i < each; ++i) {
                    HKEY h = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Threads"));
                    setDword(h, QStringLiteral("t%1-%2").arg(t).arg(i), DWORD(t * 1000 + i));
                    RegCloseKey(h);
                }
            });
            workers.last()->start();
        }
        for (QThread *w : workers) {
            QVERIFY(w->wait(60000));
            delete w;
        }
        HKEY h = create(HKEY_CURRENT_USER, QStringLiteral("Software\\Threads"));
        QCOMPARE(valueNames(h).size(), threads * each);
        RegCloseKey(h);
    }

    void twoProcessesWriteTheSameKey()
    {
        const int count = 150;
        QProcess a, b;
        const QStringList common = {QStringLiteral("Software\\Shared"), QStringLiteral("Text")};
        a.start(QStringLiteral(REGWRITER), common + QStringList{QStringLiteral("A"), QString::number(count)});
        b.start(QStringLiteral(REGWRITER), common + QStringList{QStringLiteral("B"), QString::number(count)});
        QVERIFY(a.waitForFinished(120000));
        QVERIFY(b.waitForFinished(120000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);

        // No update lost: each writer's own counter reached its last value.
        for (const char *tag : {"A", "B"}) {
            DWORD n = 0, size = 4;
            QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Shared"),
                                  wstr(QStringLiteral("count-") + QLatin1String(tag)), RRF_RT_REG_DWORD, nullptr, &n,
                                  &size),
                     ERROR_SUCCESS);
            QCOMPARE(n, DWORD(count));
        }
        // No torn value: the shared text is wholly one writer's last text.
        WCHAR buf[512];
        DWORD size = sizeof(buf);
        QCOMPARE(
            RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Shared"), WSTR("Text"), RRF_RT_REG_SZ, nullptr, buf, &size),
            ERROR_SUCCESS);
        const QString text = fromWide(buf);
        const QString last = QString::number(count - 1);
        QVERIFY2(text == QStringLiteral("A").repeated(200) + last || text == QStringLiteral("B").repeated(200) + last,
                 qPrintable(text.left(40)));
    }

    // A test's program that names no machine stops at once instead of making the user's own in the home; a
    // program started without the tests' flag opens that default machine.
    void defaultMachineRefusedToTests_data()
    {
        QTest::addColumn<bool>("inTest");
        QTest::newRow("a test's program") << true;
        QTest::newRow("the user's program") << false;
    }
    void defaultMachineRefusedToTests()
    {
        QFETCH(bool, inTest);
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("HUSHDECK_MACHINE"));
        env.remove(QStringLiteral("HUSHDECK_MACHINE_REQUIRED"));
        if (inTest)
            env.insert(QStringLiteral("HUSHDECK_MACHINE_REQUIRED"), QStringLiteral("1"));
        env.insert(QStringLiteral("HOME"), home.path());
        QProcess writer;
        writer.setProcessEnvironment(env);
        writer.setWorkingDirectory(home.path());
        writer.start(QStringLiteral(REGWRITER), {QStringLiteral("Software\\Default"), QStringLiteral("Text"),
                                                 QStringLiteral("A"), QStringLiteral("1")});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0, !inTest);
        QCOMPARE(QFileInfo::exists(home.path() + QStringLiteral("/.local/share/hushdeck/machine/machine.db")), !inTest);
    }

    void seedGivesAWindowsProfile()
    {
        WCHAR buf[64];
        DWORD size = sizeof(buf);
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                              WSTR("CurrentBuildNumber"), RRF_RT_REG_SZ, nullptr, buf, &size),
                 ERROR_SUCCESS);
        QVERIFY(fromWide(buf).toInt() >= 22000);
        // The program's own settings are not there until it records them.
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Keelrun Hushdeck Plus!"), 0, KEY_READ, &h),
                 ERROR_FILE_NOT_FOUND);
        const QString roaming = m->folder() + QStringLiteral("/drive_c/Users/User/AppData/Roaming");
        QVERIFY(QDir(roaming + QStringLiteral("/Keelrun Hushdeck Plus!/Backup")).exists());
        QVERIFY(QDir(roaming + QStringLiteral("/Keelrun Hushdeck Plus!/Wallpaper")).exists());
        QCOMPARE(hostPath(QStringLiteral("C:\\Users\\User\\AppData\\Roaming")), roaming);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
