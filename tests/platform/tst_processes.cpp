// The stand-in's processes as the modules rely on them: access rules, buffer rules of the drive and device
// calls, snapshot entry sizes, and priority classes set through nice values both ways.
#include "linux/machine/machine.h"
#include "testmachine.h"
#include "win32.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/resource.h>

class TestProcesses : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QProcess> child;

    DWORD startSleep()
    {
        child = std::make_unique<QProcess>();
        child->start(QStringLiteral("sleep"), {QStringLiteral("600")});
        if (!child->waitForStarted())
            qFatal("sleep did not start");
        return DWORD(child->processId());
    }

private slots:
    void init() { m = std::make_unique<TestMachine>(); }
    void cleanup()
    {
        if (child) {
            child->kill();
            child->waitForFinished();
            child.reset();
        }
        m.reset();
    }

    void access_data()
    {
        QTest::addColumn<bool>("protect");
        QTest::addColumn<uint>("access");
        QTest::addColumn<bool>("opens");
        QTest::newRow("full") << false << uint(PROCESS_ALL_ACCESS) << true;
        QTest::newRow("protected, full") << true << uint(PROCESS_ALL_ACCESS) << false;
        QTest::newRow("protected, terminate") << true << uint(PROCESS_TERMINATE) << false;
        QTest::newRow("protected, limited query") << true << uint(PROCESS_QUERY_LIMITED_INFORMATION) << true;
    }

    void access()
    {
        QFETCH(bool, protect);
        QFETCH(uint, access);
        QFETCH(bool, opens);
        const DWORD pid = startSleep();
        if (protect)
            m->protectProcess(pid);
        HANDLE h = OpenProcess(access, FALSE, pid);
        QCOMPARE(h != nullptr, opens);
        if (!h)
            QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        else
            CloseHandle(h);
    }

    // A program whose host path holds what a Windows name cannot, and whose file is deleted while it runs, is
    // named as the program gets any such path: mapped, without the host's "(deleted)" mark, back to the same file.
    void imageWithHostOnlyName_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("there") << false;
        QTest::newRow("deleted while it runs") << true;
    }
    void imageWithHostOnlyName()
    {
        QFETCH(bool, deleted);
        QTemporaryDir dir;
        const QString program = dir.path() + QStringLiteral("/odd:name");
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        child = std::make_unique<QProcess>();
        child->start(program, {QStringLiteral("600")});
        QVERIFY(child->waitForStarted());
        const DWORD pid = DWORD(child->processId());
        // The program runs once its image is the copy (the start reports back before the loader is done).
        const QString exeLink = QStringLiteral("/proc/%1/exe").arg(pid);
        QTRY_COMPARE(QFile::symLinkTarget(exeLink), program);
        if (deleted)
            QVERIFY(QFile::remove(program));
        MODULEENTRY32W module = {};
        module.dwSize = sizeof(module);
        const auto firstModule = [&] {
            HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
            const bool got = snap != INVALID_HANDLE_VALUE && Module32FirstW(snap, &module);
            if (snap != INVALID_HANDLE_VALUE)
                CloseHandle(snap);
            return got;
        };
        QTRY_VERIFY(firstModule());
        const QString expected = fromHostPath(program);
        QVERIFY(expected.endsWith(QStringLiteral("\\odd\uF03Aname")));
        QCOMPARE(fromWide(module.szExePath), expected);
        QCOMPARE(fromWide(module.szModule), QStringLiteral("odd\uF03Aname"));
        QCOMPARE(hostPath(fromWide(module.szExePath)), program);
    }

    void goneProcessIsNoProcess()
    {
        const DWORD pid = startSleep();
        child->kill();
        QVERIFY(child->waitForFinished());
        QCOMPARE(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid), nullptr);
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }

    // The creation time is the host's start of the process, as FILETIME; it stays the same for as long as the
    // process runs, and a process that ended has none.
    void creationTimeIsTheStart()
    {
        FILETIME before = {}, after = {};
        GetSystemTimeAsFileTime(&before);
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, startSleep());
        GetSystemTimeAsFileTime(&after);
        QVERIFY(h);
        auto value = [](const FILETIME &t) { return qint64(quint64(t.dwHighDateTime) << 32 | t.dwLowDateTime); };
        FILETIME created = {}, exited = {}, kernel = {}, user = {};
        QVERIFY(GetProcessTimes(h, &created, &exited, &kernel, &user));
        // The host gives the boot time in whole seconds and the start in clock ticks after it.
        const qint64 second = 10000000;
        QVERIFY2(value(created) >= value(before) - second && value(created) <= value(after) + second,
                 qPrintable(
                     QStringLiteral("%1 not within %2..%3").arg(value(created)).arg(value(before)).arg(value(after))));
        FILETIME again = {};
        QVERIFY(GetProcessTimes(h, &again, &exited, &kernel, &user));
        QCOMPARE(value(again), value(created));
        QCOMPARE(value(exited), qint64(0));
        child->kill();
        QVERIFY(child->waitForFinished());
        QVERIFY(!GetProcessTimes(h, &again, &exited, &kernel, &user));
        CloseHandle(h);
    }

    // The machine is an elevated administrator's, who holds the privilege real time takes; without elevation
    // Windows sets the high class instead. The host's nice value is each class's own.
    void priorityRoundTrip_data()
    {
        QTest::addColumn<uint>("priorityClass");
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<uint>("readBack");
        QTest::addColumn<int>("nice");
        QTest::newRow("idle") << uint(IDLE_PRIORITY_CLASS) << true << uint(IDLE_PRIORITY_CLASS) << 19;
        QTest::newRow("below normal") << uint(BELOW_NORMAL_PRIORITY_CLASS) << true << uint(BELOW_NORMAL_PRIORITY_CLASS)
                                      << 10;
        QTest::newRow("normal") << uint(NORMAL_PRIORITY_CLASS) << true << uint(NORMAL_PRIORITY_CLASS) << 0;
        QTest::newRow("above normal") << uint(ABOVE_NORMAL_PRIORITY_CLASS) << true << uint(ABOVE_NORMAL_PRIORITY_CLASS)
                                      << -5;
        QTest::newRow("high") << uint(HIGH_PRIORITY_CLASS) << true << uint(HIGH_PRIORITY_CLASS) << -10;
        // The machine is an elevated administrator's, who holds the privilege real time takes; without
        // elevation Windows sets the high class instead.
        QTest::newRow("real time") << uint(REALTIME_PRIORITY_CLASS) << true << uint(REALTIME_PRIORITY_CLASS) << -20;
        QTest::newRow("real time, not elevated")
            << uint(REALTIME_PRIORITY_CLASS) << false << uint(HIGH_PRIORITY_CLASS) << -10;
    }

    void priorityRoundTrip()
    {
        QFETCH(uint, priorityClass);
        QFETCH(bool, elevated);
        QFETCH(uint, readBack);
        QFETCH(int, nice);
        m->setElevated(elevated);
        const DWORD pid = startSleep();
        HANDLE h = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
        QVERIFY(h);
        // A raise the host refuses (an ordinary account) is refused as Windows refuses, and changes nothing.
        const int before = ::getpriority(PRIO_PROCESS, id_t(pid));
        if (nice < before && !hostMayRaisePriority()) {
            QVERIFY(!SetPriorityClass(h, priorityClass));
            QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
            QCOMPARE(GetPriorityClass(h), DWORD(NORMAL_PRIORITY_CLASS));
            nice = before;
        } else {
            QVERIFY(SetPriorityClass(h, priorityClass));
            QCOMPARE(GetPriorityClass(h), DWORD(readBack));
        }
        QCOMPARE(::getpriority(PRIO_PROCESS, id_t(pid)), nice);
        QVERIFY(!SetPriorityClass(h, 0x1234));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        CloseHandle(h);
    }

    // GetCurrentProcess()'s pseudo-handle has every right: the class reads as through the process's own handle,
    // and the class it has is set. Closing it, or GetCurrentThread()'s, is refused: neither is an open handle.
    void ownPseudoHandle()
    {
        HANDLE own = OpenProcess(PROCESS_ALL_ACCESS, FALSE, DWORD(QCoreApplication::applicationPid()));
        QVERIFY(own);
        const DWORD priorityClass = GetPriorityClass(own);
        CloseHandle(own);
        QVERIFY(priorityClass);
        QCOMPARE(GetPriorityClass(GetCurrentProcess()), priorityClass);
        QVERIFY(SetPriorityClass(GetCurrentProcess(), priorityClass));
        for (const LONG_PTR pseudo : {LONG_PTR(-1), LONG_PTR(-2)}) {
            SetLastError(0);
            QVERIFY(!CloseHandle(reinterpret_cast<HANDLE>(pseudo)));
            QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        }
        QCOMPARE(GetPriorityClass(GetCurrentProcess()), priorityClass);
    }

    void driveStringsBufferRule()
    {
        QTemporaryDir d, e;
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        machine::setSetting(QStringLiteral("drive.D"), d.path());
        machine::setSetting(QStringLiteral("drive.E"), e.path());
        WCHAR buffer[16];
        QCOMPARE(GetLogicalDriveStringsW(8, buffer), DWORD(9)); // too small: the size needed
        QCOMPARE(GetLogicalDriveStringsW(9, buffer), DWORD(8));
        QCOMPARE(QString::fromUtf16(buffer, 9), QString::fromUtf16(u"D:\\\0E:\\\0\0", 9));
        WCHAR device[64];
        const DWORD length = QueryDosDeviceW(WSTR("E:"), device, 64);
        const QString name = fromWide(device);
        QCOMPARE(length, DWORD(name.size() + 2));
        QVERIFY(name.startsWith(QLatin1String("\\Device\\HarddiskVolume")));
        WCHAR other[64];
        QueryDosDeviceW(WSTR("D:"), other, 64);
        QVERIFY(fromWide(other) != name);
        QCOMPARE(QueryDosDeviceW(WSTR("E:"), device, DWORD(name.size() + 1)), DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(QueryDosDeviceW(WSTR("F:"), device, 64), DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }

    void snapshotEntriesNeedTheirSize()
    {
        const DWORD pid = startSleep();
        HANDLE s = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
        QVERIFY(s != INVALID_HANDLE_VALUE);
        PROCESSENTRY32W p = {};
        p.dwSize = sizeof(p) - 4;
        QVERIFY(!Process32FirstW(s, &p));
        QCOMPARE(GetLastError(), DWORD(ERROR_BAD_LENGTH));
        p.dwSize = sizeof(p);
        bool found = false;
        for (BOOL ok = Process32FirstW(s, &p); ok; ok = Process32NextW(s, &p))
            found = found || (p.th32ProcessID == pid && fromWide(p.szExeFile) == QLatin1String("sleep") &&
                              p.cntThreads == 1 && p.pcPriClassBase == 8);
        QVERIFY(found);
        QCOMPARE(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        THREADENTRY32 t = {};
        t.dwSize = sizeof(t);
        int threads = 0;
        for (BOOL ok = Thread32First(s, &t); ok; ok = Thread32Next(s, &t))
            threads += t.th32OwnerProcessID == pid;
        QCOMPARE(threads, 1);
        CloseHandle(s);
    }
};

QTEST_MAIN(TestProcesses)
#include "tst_processes.moc"
