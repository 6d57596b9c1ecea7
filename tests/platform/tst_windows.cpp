// Windows of other programs are found by class and title, and vanish with their process.
#include "linux/machine/machine.h"
#include "linux/windows/windowtable.h"
#include "linux/windows/winloop.h"
#include "testmachine.h"
#include "win32.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    // A process is woken through its FIFO in the machine folder: a file or a link put in the FIFO's place is
    // never written.
    void wakeNeverWritesAFile_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("a file in its place") << false;
        QTest::newRow("a link in its place") << true;
    }
    void wakeNeverWritesAFile()
    {
        QFETCH(bool, link);
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        f.close();
        const QString run = machine::folder() + QStringLiteral("/run");
        QVERIFY(QDir().mkpath(run));
        const QString fifo = run + QStringLiteral("/999999.wake");
        QVERIFY(link ? QFile::link(victim, fifo) : QFile::copy(victim, fifo));
        winloop::wake(999999);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
        QFile placed(fifo);
        QVERIFY(placed.open(QIODevice::ReadOnly));
        QCOMPARE(placed.readAll(), QByteArray("keep"));
    }

    // The run folder is the machine's own: with a link to a folder outside in its place, neither a waiting
    // process's FIFO is made there nor one found there written to.
    void runFolderNeverALink()
    {
        QTemporaryDir outside;
        const QByteArray fifo = QFile::encodeName(outside.filePath(QStringLiteral("999999.wake")));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        QVERIFY(QFile::link(outside.path(), machine::folder() + QStringLiteral("/run")));
        winloop::wake(999999);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = WSTR("RunFolderTest");
        RegisterClassExW(&wc);
        // A window of its own makes the process's FIFO, where posters wake it.
        HWND own =
            CreateWindowExW(0, WSTR("RunFolderTest"), WSTR("own"), 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        QVERIFY(own);
        char byte = 0;
        const ssize_t got = ::read(reader, &byte, 1);
        ::close(reader);
        DestroyWindow(own);
        QVERIFY(got != 1); // nothing was written (no writer gives 0, a writer that wrote nothing -1)
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("999999.wake")});
    }

    void taskbarBelongsToTheSimulatedExplorer()
    {
        HWND tray = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        QVERIFY(tray);
        DWORD pid = 0;
        GetWindowThreadProcessId(tray, &pid);
        QVERIFY(pid >= windowtable::firstSimulatedPid);
        QCOMPARE(windowtable::simulatedProcessName(pid), QStringLiteral("explorer.exe"));
        windowtable::endSimulatedProcess(pid);
        QVERIFY(!IsWindow(tray));
    }

    void findPostAndProcessEnd()
    {
        // A window of this process: found by class and title, messages queue for it in order.
        HWND mine = windowtable::createWindow(DWORD(getpid()), QStringLiteral("GLASSPAN"),
                                              QStringLiteral("Transparent Taskbar"));
        QCOMPARE(FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar")), mine);
        // Title and class match in any case; a miss leaves the last error as it was.
        QCOMPARE(FindWindowW(WSTR("glasspan"), WSTR("TRANSPARENT taskbar")), mine);
        SetLastError(1234);
        QVERIFY(!FindWindowW(WSTR("GLASSPAN"), WSTR("Other Title")));
        QCOMPARE(GetLastError(), DWORD(1234));
        WCHAR cls[16];
        QCOMPARE(GetClassNameW(mine, cls, 4), 3); // cut to the buffer, NUL-terminated
        QCOMPARE(fromWide(cls), QStringLiteral("GLA"));
        QVERIFY(PostMessageW(mine, WM_USER + 109, 200, 0));
        QVERIFY(PostMessageW(mine, WM_CLOSE, 0, 0));
        const auto msgs = windowtable::takeMessages(DWORD(getpid()));
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs.at(0).msg, UINT(WM_USER + 109));
        QCOMPARE(msgs.at(0).wParam, WPARAM(200));
        QCOMPARE(msgs.at(1).msg, UINT(WM_CLOSE));
        QVERIFY(windowtable::takeMessages(DWORD(getpid())).isEmpty());
        QCOMPARE(m->logged(QStringLiteral("PostMessage")).size(), 2);

        // A window whose process has ended is gone.
        HWND stale = windowtable::createWindow(DWORD(999999), QStringLiteral("GLASSPAN"), QStringLiteral("Stale"));
        QVERIFY(!FindWindowW(WSTR("GLASSPAN"), WSTR("Stale")));
        QVERIFY(!PostMessageW(stale, WM_CLOSE, 0, 0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestWindows)
#include "tst_windows.moc"
