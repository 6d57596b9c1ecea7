// A registry call whose store fails says so with Windows' error code and changes nothing; a damaged
// machine is reported at start-up and never used.
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"
#include "testmachine.h"
#include "win32.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString Base = QStringLiteral("Software\\Faults");

// Every key and value below a key of HKEY_CURRENT_USER, read through the Win32 calls.
QStringList snapshot(const QString &path)
{
    QStringList out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    out << path;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD len = 256, type = 0;
        BYTE data[256];
        DWORD size = sizeof(data);
        if (RegEnumValueW(key, i, name, &len, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        out << path + QLatin1Char('|') + fromWide(name, len) + QLatin1Char('|') + QString::number(type) +
                   QLatin1Char('|') +
                   QString::fromLatin1(QByteArray(reinterpret_cast<char *>(data), int(size)).toHex());
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out << snapshot(path + QLatin1Char('\\') + fromWide(name, len));
    }
    RegCloseKey(key);
    return out;
}

LONG setDword(HKEY key, const QString &name, DWORD v)
{
    return RegSetValueExW(key, wstr(name), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), 4);
}

// One change to the registry, as a module would make it; its result.
LONG change(const QString &what)
{
    HKEY base = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(Base), 0, KEY_ALL_ACCESS, &base) != ERROR_SUCCESS)
        return -1;
    LONG rc = -1;
    if (what == QLatin1String("set new value")) {
        rc = setDword(base, QStringLiteral("New"), 7);
    } else if (what == QLatin1String("overwrite value")) {
        rc = setDword(base, QStringLiteral("Kept"), 2);
    } else if (what == QLatin1String("create key chain")) {
        HKEY k = nullptr;
        rc = RegCreateKeyExW(base, WSTR("A\\B\\C"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (rc == ERROR_SUCCESS)
            RegCloseKey(k);
        else if (k)
            rc = -2; // a handle given out with a failure
    } else if (what == QLatin1String("delete value")) {
        rc = RegDeleteValueW(base, WSTR("Kept"));
    } else if (what == QLatin1String("delete key with values")) {
        rc = RegDeleteKeyW(base, WSTR("Child"));
    } else if (what == QLatin1String("system parameter")) {
        rc = SystemParametersInfoW(SPI_SETBORDER, 9, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
                 ? ERROR_SUCCESS
                 : LONG(GetLastError());
    } else if (what == QLatin1String("import")) {
        machine::Lock lock;
        QString error;
        const bool ok = registrystore::importRegText(
            QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Faults\\Imported\\Deep]\n\"a\"=dword:00000001\n"
                           "[HKEY_CURRENT_USER\\Software\\Faults]\n\"Kept\"=-\n\"b\"=\"text\"\n"),
            &error);
        // The importer names the store's error code in its message.
        const QRegularExpressionMatch code =
            QRegularExpression(QStringLiteral("store failed \\(error (\\d+)\\)")).match(error);
        rc = ok ? ERROR_SUCCESS : code.hasMatch() ? LONG(code.captured(1).toInt()) : -3;
    }
    RegCloseKey(base);
    return rc;
}

// What the changes below can touch.
QStringList registryState()
{
    return snapshot(Base) + snapshot(QStringLiteral("Control Panel\\Desktop\\WindowMetrics"));
}

} // namespace

class TestRegistryFaults : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        HKEY base = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, wstr(Base + QStringLiteral("\\Child")), 0, nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, &base, nullptr),
                 ERROR_SUCCESS);
        QCOMPARE(setDword(base, QStringLiteral("x"), 1), ERROR_SUCCESS);
        RegCloseKey(base);
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, wstr(Base), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr),
                 ERROR_SUCCESS);
        QCOMPARE(setDword(base, QStringLiteral("Kept"), 1), ERROR_SUCCESS);
        RegCloseKey(base);
    }
    void cleanup() { m.reset(); }

    void lockedStoreChangesNothing_data() { addChanges(); }

    void lockedStoreChangesNothing()
    {
        QFETCH(QString, what);
        const QStringList before = registryState();
        QVERIFY(before.size() >= 4);
        m->failStore(QStringLiteral("locked"));
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(change(what), ERROR_LOCK_VIOLATION);
        QVERIFY2(waited.elapsed() >= 150, "the call must wait for the lock before it gives up");
        m->failStore(QString());
        QCOMPARE(registryState(), before);
        // Once the lock is gone, the same change goes through.
        QCOMPARE(change(what), ERROR_SUCCESS);
        QVERIFY(registryState() != before);
    }

    void changeIsWholeOrNothingAsTheDiskFills_data() { addChanges(); }

    void changeIsWholeOrNothingAsTheDiskFills()
    {
        // The disk fills up at every point of the change in turn (first: no room at all): until there is room
        // for all of it, the change fails with the disk's error and leaves nothing behind.
        QFETCH(QString, what);
        const QStringList before = registryState();
        int failures = 0;
        for (qint64 room = 0;; room += 1024) {
            QVERIFY(room < 1024 * 1024);
            m->failStore(room ? QStringLiteral("full:%1").arg(room) : QStringLiteral("full"));
            const LONG rc = change(what);
            m->failStore(QString());
            if (rc == ERROR_SUCCESS)
                break;
            ++failures;
            QCOMPARE(rc, ERROR_DISK_FULL);
            QCOMPARE(registryState(), before);
        }
        QVERIFY(failures > 0);
        QVERIFY(registryState() != before);
    }

    void fullStoreStillReads()
    {
        m->failStore(QStringLiteral("full"));
        DWORD v = 0, size = 4;
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, wstr(Base), WSTR("Kept"), RRF_RT_REG_DWORD, nullptr, &v, &size),
                 ERROR_SUCCESS);
        QCOMPARE(v, DWORD(1));
    }

    void boxesStillWorkOnAFullDisk()
    {
        // The stand-in's own records outlast the disk: scripted answers are taken once, boxes are recorded.
        m->answerMessageBox(QStringLiteral("IDYES"));
        m->answerMessageBox(QStringLiteral("IDNO"));
        m->failStore(QStringLiteral("full"));
        QCOMPARE(MessageBoxW(nullptr, WSTR("first"), WSTR("Error"), MB_YESNO), IDYES);
        QCOMPARE(MessageBoxW(nullptr, WSTR("second"), WSTR("Error"), MB_YESNO), IDNO);
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 (QStringList{QStringLiteral("Error|first"), QStringLiteral("Error|second")}));
    }

    void damagedStoreFailsEveryCall_data()
    {
        QTest::addColumn<QString>("call");
        for (const char *call :
             {"RegOpenKeyExW", "RegCreateKeyExW", "RegQueryValueExW", "RegGetValueW", "RegSetValueExW",
              "RegDeleteValueW", "RegDeleteKeyW", "RegEnumKeyExW", "RegEnumValueW", "RegQueryInfoKeyW"})
            QTest::newRow(call) << QString::fromLatin1(call);
    }

    void damagedStoreFailsEveryCall()
    {
        QFETCH(QString, call);
        m->failStore(QStringLiteral("damaged"));
        HKEY h = nullptr;
        BYTE data[64];
        DWORD size = sizeof(data);
        WCHAR name[64];
        DWORD len = 64;
        DWORD count = 0;
        LONG rc = -1;
        if (call == QLatin1String("RegOpenKeyExW"))
            rc = RegOpenKeyExW(HKEY_CURRENT_USER, wstr(Base), 0, KEY_READ, &h);
        else if (call == QLatin1String("RegCreateKeyExW"))
            rc = RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\New"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                                 nullptr);
        else if (call == QLatin1String("RegQueryValueExW"))
            rc = RegQueryValueExW(HKEY_CURRENT_USER, WSTR("x"), nullptr, nullptr, data, &size);
        else if (call == QLatin1String("RegGetValueW"))
            rc = RegGetValueW(HKEY_CURRENT_USER, wstr(Base), WSTR("Kept"), RRF_RT_ANY, nullptr, data, &size);
        else if (call == QLatin1String("RegSetValueExW"))
            rc = setDword(HKEY_CURRENT_USER, QStringLiteral("x"), 1);
        else if (call == QLatin1String("RegDeleteValueW"))
            rc = RegDeleteValueW(HKEY_CURRENT_USER, WSTR("x"));
        else if (call == QLatin1String("RegDeleteKeyW"))
            rc = RegDeleteKeyW(HKEY_CURRENT_USER, WSTR("Software\\Faults\\Child"));
        else if (call == QLatin1String("RegEnumKeyExW"))
            rc = RegEnumKeyExW(HKEY_CURRENT_USER, 0, name, &len, nullptr, nullptr, nullptr, nullptr);
        else if (call == QLatin1String("RegEnumValueW"))
            rc = RegEnumValueW(HKEY_CURRENT_USER, 0, name, &len, nullptr, nullptr, nullptr, nullptr);
        else if (call == QLatin1String("RegQueryInfoKeyW"))
            rc = RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
        QCOMPARE(rc, ERROR_REGISTRY_CORRUPT);
        QVERIFY(!h);
    }

    void damagedMachineIsReportedAndKept_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("pages") << QStringLiteral("damaged");
        QTest::newRow("header") << QStringLiteral("damaged-header");
    }

    void damagedMachineIsReportedAndKept()
    {
        QFETCH(QString, damage);
        const QString path = machine::databasePath();
        m->failStore(damage);
        const QByteArray damaged = bytesOf(path);

        QVERIFY(!machineUsable());
        const QStringList boxes = m->logged(QStringLiteral("MessageBox"));
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QStringLiteral("Error|")), qPrintable(boxes.first()));
        QVERIFY2(boxes.first().contains(path) && boxes.first().contains(QStringLiteral("HUSHDECK_MACHINE")),
                 qPrintable(boxes.first()));
        // It is still there, as it was: nothing was written to it, nothing replaced it.
        QCOMPARE(bytesOf(path), damaged);

        // The helper ends at once on it, without a window, and leaves it as it was.
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(display));
        env.insert(QStringLiteral("HUSHDECK_MACHINE"), QFileInfo(path).path());
        helper.setProcessEnvironment(env);
        helper.start(qEnvironmentVariable("HUSHDECK_INSTALL") + QStringLiteral("/Glasspan"), QStringList());
        QVERIFY(helper.waitForFinished(30000));
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), 1);
        QCOMPARE(bytesOf(path), damaged);
    }

    void newMachineOnAFullDiskIsNotHalfSeeded()
    {
        // A machine's first start fails on a full disk; the next start seeds it whole.
        const QByteArray tested = qgetenv("HUSHDECK_MACHINE");
        QTemporaryDir fresh;
        qputenv("HUSHDECK_MACHINE", QFile::encodeName(fresh.path()));
        machine::reset();
        machine::setDiskRoom(0);
        QVERIFY(!machineUsable());
        QVERIFY(m->logged(QStringLiteral("MessageBox")).value(0).contains(QStringLiteral("cannot be opened")));
        machine::reset();
        QVERIFY(machineUsable());
        WCHAR build[32];
        DWORD size = sizeof(build);
        QCOMPARE(RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                              WSTR("CurrentBuildNumber"), RRF_RT_REG_SZ, nullptr, build, &size),
                 ERROR_SUCCESS);
        machine::reset();
        qputenv("HUSHDECK_MACHINE", tested);
    }

private:
    static void addChanges()
    {
        QTest::addColumn<QString>("what");
        for (const char *what : {"set new value", "overwrite value", "create key chain", "delete value",
                                 "delete key with values", "system parameter", "import"})
            QTest::newRow(what) << QString::fromLatin1(what);
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestRegistryFaults)
#include "tst_registryfaults.moc"
