// The stand-in's calls that applying settings makes: system parameters kept in the registry, process
// handles for simulated and host processes (ending the simulated Explorer brings the shell back), and
// shell notifications in the machine's log.
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"
#include "linux/windows/windowtable.h"
#include "testmachine.h"
#include "win32.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString metrics = QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics");

QString borderText()
{
    machine::Lock lock;
    DWORD type = 0;
    QByteArray data;
    const qint64 node = registrystore::findKey(metrics);
    if (!node || !registrystore::readValue(node, QStringLiteral("BorderWidth"), &type, &data))
        return QStringLiteral("<absent>");
    return registrystore::dataString(data);
}

void setBorderText(const QString &text)
{
    machine::Lock lock;
    registrystore::writeValue(registrystore::ensureKey(metrics), QStringLiteral("BorderWidth"), REG_SZ,
                              registrystore::stringData(text));
}

int border()
{
    int value = -99;
    if (!SystemParametersInfoW(SPI_GETBORDER, 0, &value, 0))
        return -1;
    return value;
}

QPair<HWND, DWORD> taskbar()
{
    HWND h = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    DWORD pid = 0;
    if (h)
        GetWindowThreadProcessId(h, &pid);
    return {h, pid};
}

} // namespace

class TestApplyStandIn : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void borderFromTheRegistry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("seed default") << "-15" << 1;
        QTest::newRow("twips") << "-45" << 3;
        QTest::newRow("rounded") << "-52" << 3;
        QTest::newRow("pixels") << "4" << 4;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("above the slider") << "-900" << 60;
        QTest::newRow("most negative int") << "-2147483648" << 143165577;
        QTest::newRow("absent") << "<absent>" << 1;
    }
    void borderFromTheRegistry()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        if (text == QLatin1String("<absent>")) {
            machine::Lock lock;
            registrystore::deleteValue(registrystore::findKey(metrics), QStringLiteral("BorderWidth"));
        } else {
            setBorderText(text);
        }
        QCOMPARE(border(), size);
    }

    void settingTheBorder()
    {
        QCOMPARE(borderText(), QStringLiteral("-15"));
        QVERIFY(SystemParametersInfoW(SPI_SETBORDER, 7, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
        QCOMPARE(borderText(), QStringLiteral("-105"));
        QCOMPARE(border(), 7);
        QCOMPARE(m->logged(QStringLiteral("SettingChange")), QStringList{QString::number(SPI_SETBORDER)});

        // Without SPIF_UPDATEINIFILE the change lasts for the session only.
        QVERIFY(SystemParametersInfoW(SPI_SETBORDER, 3, nullptr, 0));
        QCOMPARE(border(), 3);
        QCOMPARE(borderText(), QStringLiteral("-105"));
        QCOMPARE(m->logged(QStringLiteral("SettingChange")).size(), 1);
        QVERIFY(SystemParametersInfoW(SPI_SETBORDER, 2, nullptr, SPIF_UPDATEINIFILE));
        QCOMPARE(borderText(), QStringLiteral("-30"));
        QCOMPARE(border(), 2);
    }

    void delaysAndTimeouts_data()
    {
        QTest::addColumn<uint>("get");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("absent");
        const QString desktop = QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop");
        QTest::newRow("menu delay") << uint(SPI_GETMENUSHOWDELAY) << desktop << "MenuShowDelay" << 400;
        QTest::newRow("hung app") << uint(SPI_GETHUNGAPPTIMEOUT) << desktop << "HungAppTimeout" << 5000;
        QTest::newRow("wait to kill") << uint(SPI_GETWAITTOKILLTIMEOUT) << desktop << "WaitToKillAppTimeout" << 5000;
        QTest::newRow("service") << uint(SPI_GETWAITTOKILLSERVICETIMEOUT)
                                 << "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control"
                                 << "WaitToKillServiceTimeout" << 5000;
    }
    void delaysAndTimeouts()
    {
        QFETCH(uint, get);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, absent);
        const uint set = get + 1;
        auto text = [&] {
            machine::Lock lock;
            DWORD type = 0;
            QByteArray data;
            const qint64 node = registrystore::findKey(key);
            if (!node || !registrystore::readValue(node, value, &type, &data))
                return QStringLiteral("<absent>");
            return registrystore::dataString(data);
        };
        auto read = [&] {
            int v = -99;
            return SystemParametersInfoW(get, 0, &v, 0) ? v : -1;
        };
        // Kept where Windows keeps it, as decimal text; absent, the system's own default.
        QVERIFY(SystemParametersInfoW(set, 1234, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
        QCOMPARE(text(), QStringLiteral("1234"));
        QCOMPARE(read(), 1234);
        QCOMPARE(m->logged(QStringLiteral("SettingChange")), QStringList{QString::number(set)});
        {
            machine::Lock lock;
            registrystore::deleteValue(registrystore::findKey(key), value);
        }
        QCOMPARE(read(), absent);
        // Failures are injected per action: reading fails, setting still works, and the other way round.
        m->failSystemParameter({get});
        QCOMPARE(read(), -1);
        QVERIFY(SystemParametersInfoW(set, 20000, nullptr, SPIF_UPDATEINIFILE));
        QCOMPARE(text(), QStringLiteral("20000"));
        m->failSystemParameter({set});
        QCOMPARE(read(), 20000);
        QVERIFY(!SystemParametersInfoW(set, 10, nullptr, SPIF_UPDATEINIFILE));
        QCOMPARE(text(), QStringLiteral("20000"));
        m->failSystemParameter({});
        QVERIFY(SystemParametersInfoW(set, 10, nullptr, SPIF_UPDATEINIFILE));
    }

    void failures()
    {
        QVERIFY(!SystemParametersInfoW(SPI_GETBORDER, 0, nullptr, 0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not keep action")));
        QVERIFY(!SystemParametersInfoW(0x7777, 0, nullptr, 0));

        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(SPI_GETBORDER));
        int value = 42;
        QVERIFY(!SystemParametersInfoW(SPI_GETBORDER, 0, &value, 0));
        QCOMPARE(value, 42);
        QVERIFY(SystemParametersInfoW(SPI_SETBORDER, 5, nullptr, SPIF_UPDATEINIFILE)); // only reading fails
        QCOMPARE(borderText(), QStringLiteral("-75"));
    }

    void endingExplorerBringsTheShellBack()
    {
        const auto [oldTaskbar, explorer] = taskbar();
        QVERIFY(oldTaskbar);
        QVERIFY(explorer >= windowtable::firstSimulatedPid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, explorer);
        QVERIFY(process);
        QVERIFY(TerminateProcess(process, 2));
        QVERIFY(CloseHandle(process));
        QVERIFY(!windowtable::processAlive(explorer));
        QVERIFY(!IsWindow(oldTaskbar));
        const auto [newTaskbar, newExplorer] = taskbar();
        QVERIFY(newTaskbar && newTaskbar != oldTaskbar);
        QVERIFY(newExplorer != explorer && windowtable::processAlive(newExplorer));
        QCOMPARE(windowtable::simulatedProcessName(newExplorer), QStringLiteral("explorer.exe"));
        QCOMPARE(m->logged(QStringLiteral("TerminateProcess")),
                 QStringList{QStringLiteral("explorer.exe|%1|2").arg(explorer)});

        // The ended process cannot be opened again.
        QVERIFY(!OpenProcess(PROCESS_TERMINATE, FALSE, explorer));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }

    void endingAnotherSimulatedProcessLeavesTheShell()
    {
        const DWORD other = windowtable::startSimulatedProcess(QStringLiteral("notepad.exe"));
        const auto before = taskbar();
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, other);
        QVERIFY(TerminateProcess(process, 1));
        // Ending it twice: it has ended already.
        QVERIFY(!TerminateProcess(process, 1));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        CloseHandle(process);
        QCOMPARE(taskbar(), before);
        QVERIFY(m->logged(QStringLiteral("ShellRestart")).isEmpty());
    }

    void handleRules()
    {
        const DWORD explorer = taskbar().second;
        HANDLE query = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, explorer);
        QVERIFY(query);
        QVERIFY(!TerminateProcess(query, 2));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QVERIFY(windowtable::processAlive(explorer));
        QVERIFY(CloseHandle(query));
        QVERIFY(!TerminateProcess(query, 2));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        QVERIFY(!OpenProcess(PROCESS_TERMINATE, FALSE, 0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }

    void aHostProcessIsReal()
    {
        QProcess child;
        child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(child.waitForStarted());
        const DWORD pid = DWORD(child.processId());
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        QVERIFY(process);
        QVERIFY(TerminateProcess(process, 1));
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        CloseHandle(process);
        QVERIFY(m->logged(QStringLiteral("TerminateProcess")).isEmpty());
    }

    void shellNotifications()
    {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, WSTR("C:\\Users"), nullptr);
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")),
                 (QStringList{QStringLiteral("0x08000000|0x3000||"), QStringLiteral("0x00001000|0x0005|C:\\Users|")}));
    }
};

QTEST_MAIN(TestApplyStandIn)
#include "tst_applystandin.moc"
