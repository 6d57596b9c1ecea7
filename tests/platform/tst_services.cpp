// The Service Control Manager of the simulated machine behaves as the modules rely on Windows to behave:
// rights, names, buffer sizes, what a change writes, injected failures.
#include "testmachine.h"
#include "win32.h"

#include <QtTest>

#include <memory>

namespace {

struct CloseService
{
    void operator()(SC_HANDLE h) const { CloseServiceHandle(h); }
};
using Handle = std::unique_ptr<SC_HANDLE__, CloseService>;

Handle manager(DWORD access = SC_MANAGER_ALL_ACCESS)
{
    return Handle(OpenSCManagerW(nullptr, nullptr, access));
}

Handle service(SC_HANDLE scm, const char *name, DWORD access = SERVICE_ALL_ACCESS)
{
    return Handle(OpenServiceW(scm, wstr(QString::fromLatin1(name)), access));
}

// The configuration in a buffer of exactly the size asked for, with guard bytes behind it.
bool config(SC_HANDLE h, QByteArray *buffer, QUERY_SERVICE_CONFIGW **out)
{
    DWORD needed = 0;
    if (QueryServiceConfigW(h, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    DWORD again = 0;
    QByteArray small(int(needed - 1), '\0');
    if (QueryServiceConfigW(h, reinterpret_cast<LPQUERY_SERVICE_CONFIGW>(small.data()), needed - 1, &again) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || again != needed)
        return false;
    *buffer = QByteArray(int(needed) + 16, '\x5a');
    *out = reinterpret_cast<QUERY_SERVICE_CONFIGW *>(buffer->data());
    return QueryServiceConfigW(h, *out, needed, &needed) && buffer->endsWith(QByteArray(16, '\x5a'));
}

} // namespace

class TestServices : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void theSeededServices_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<unsigned>("state");
        QTest::addColumn<unsigned>("startType");
        QTest::newRow("telemetry, any case") << "diagtrack" << 4u << 2u;
        QTest::newRow("spooler") << "Spooler" << 4u << 2u;
        QTest::newRow("update") << "wuauserv" << 1u << 3u;
        QTest::newRow("remote registry") << "RemoteRegistry" << 1u << 4u;
    }
    void theSeededServices()
    {
        QFETCH(QString, name);
        QFETCH(unsigned, state);
        QFETCH(unsigned, startType);
        Handle scm = manager();
        Handle h = service(scm.get(), name.toLatin1().constData());
        QVERIFY(h);
        SERVICE_STATUS_PROCESS status;
        DWORD needed = 0;
        QVERIFY(QueryServiceStatusEx(h.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof(status),
                                     &needed));
        QCOMPARE(unsigned(status.dwCurrentState), state);
        QCOMPARE(status.dwProcessId != 0, state == SERVICE_RUNNING); // a running service has its process
        QByteArray buffer;
        QUERY_SERVICE_CONFIGW *c = nullptr;
        QVERIFY(config(h.get(), &buffer, &c));
        QCOMPARE(unsigned(c->dwStartType), startType);
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<unsigned>("managerAccess");
        QTest::addColumn<QString>("name");
        QTest::addColumn<unsigned>("serviceAccess");
        QTest::addColumn<unsigned>("error"); // of the first call that fails; 0 when both open
        QTest::newRow("user, every right") << false << 0xF003Fu << "DiagTrack" << 0xF01FFu << 5u;
        QTest::newRow("user, connect") << false << 1u << "DiagTrack" << 5u << 0u;
        QTest::newRow("user, change config") << false << 1u << "DiagTrack" << 2u << 5u;
        QTest::newRow("no such service") << true << 0xF003Fu << "NoSuchService" << 0xF01FFu << 1060u;
        QTest::newRow("name with a path") << true << 0xF003Fu << "Services\\DiagTrack" << 0xF01FFu << 123u;
        QTest::newRow("no name") << true << 0xF003Fu << "" << 0xF01FFu << 123u;
    }
    void refusals()
    {
        QFETCH(bool, elevated);
        QFETCH(unsigned, managerAccess);
        QFETCH(QString, name);
        QFETCH(unsigned, serviceAccess);
        QFETCH(unsigned, error);
        m->setElevated(elevated);
        Handle scm = manager(managerAccess);
        if (!scm) {
            QCOMPARE(unsigned(GetLastError()), error);
            return;
        }
        Handle h(OpenServiceW(scm.get(), wstr(name), serviceAccess));
        QCOMPARE(h ? 0u : unsigned(GetLastError()), error);
    }

    void aChangeWritesTheStartTypeOnly()
    {
        Handle scm = manager();
        Handle h = service(scm.get(), "DiagTrack", SERVICE_QUERY_STATUS);
        QVERIFY(!ChangeServiceConfigW(h.get(), SERVICE_NO_CHANGE, 3, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

        h = service(scm.get(), "DiagTrack");
        // Boot and system start are for drivers; 5 is no start type.
        for (DWORD bad : {DWORD(SERVICE_BOOT_START), DWORD(SERVICE_SYSTEM_START), DWORD(5)}) {
            QVERIFY(!ChangeServiceConfigW(h.get(), SERVICE_NO_CHANGE, bad, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr));
            QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        }
        QVERIFY(ChangeServiceConfigW(h.get(), SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr));
        QByteArray buffer;
        QUERY_SERVICE_CONFIGW *c = nullptr;
        QVERIFY(config(h.get(), &buffer, &c));
        QCOMPARE(unsigned(c->dwStartType), 4u);
        QCOMPARE(unsigned(c->dwErrorControl), 1u);
        QCOMPARE(unsigned(c->dwServiceType), unsigned(SERVICE_WIN32_OWN_PROCESS));
        QCOMPARE(m->serviceState(QStringLiteral("DiagTrack")), unsigned(SERVICE_RUNNING));
    }

    void buffersAndHandles()
    {
        Handle scm = manager();
        Handle h = service(scm.get(), "DiagTrack");
        BYTE small[sizeof(SERVICE_STATUS_PROCESS) - 1];
        DWORD needed = 0;
        QVERIFY(!QueryServiceStatusEx(h.get(), SC_STATUS_PROCESS_INFO, small, sizeof(small), &needed));
        QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(needed, DWORD(36));
        QVERIFY(!QueryServiceStatusEx(scm.get(), SC_STATUS_PROCESS_INFO, small, sizeof(small), &needed));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE)); // a manager is no service

        SC_HANDLE raw = h.release();
        QVERIFY(CloseServiceHandle(raw));
        QVERIFY(!CloseServiceHandle(raw));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        QVERIFY(!OpenSCManagerW(WSTR("OTHERPC"), nullptr, SC_MANAGER_CONNECT));
        QVERIFY(!OpenSCManagerW(nullptr, WSTR("ServicesFailed"), SC_MANAGER_CONNECT));
    }

    void injectedFailuresLetCallsThroughFirst()
    {
        m->failServiceCall(QStringLiteral("OpenServiceW"), ERROR_SERVICE_DOES_NOT_EXIST, 2);
        Handle scm = manager();
        QVERIFY(service(scm.get(), "DiagTrack"));
        QVERIFY(service(scm.get(), "DiagTrack"));
        QVERIFY(!service(scm.get(), "DiagTrack"));
        QCOMPARE(GetLastError(), DWORD(ERROR_SERVICE_DOES_NOT_EXIST));
        QVERIFY(!service(scm.get(), "DiagTrack"));
        m->failServiceCall(QStringLiteral("OpenServiceW"), 0);
        QVERIFY(service(scm.get(), "DiagTrack"));
    }
};

QTEST_MAIN(TestServices)
#include "tst_services.moc"
