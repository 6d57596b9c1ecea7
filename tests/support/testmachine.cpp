#include "testmachine.h"

#include "win32.h"

#include "linux/machine/machine.h"
#include "linux/files/filefaults.h"
#include "linux/registry/registrystore.h"
#include "linux/services/servicetable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <sqlite3.h>
#include <unistd.h>

TestMachine::TestMachine()
{
    hadPrevious = qEnvironmentVariableIsSet("HUSHDECK_MACHINE");
    previous = qgetenv("HUSHDECK_MACHINE");
    machine::reset();
    qputenv("HUSHDECK_MACHINE", QFile::encodeName(dir.path() + QStringLiteral("/machine")));
    // The host trash (the Recycle Bin) and other data places of the test's own, never the host user's.
    previousData = qEnvironmentVariableIsSet("XDG_DATA_HOME") ? qgetenv("XDG_DATA_HOME") : QByteArray();
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/data")));
    machine::folder(); // create and seed it now, so tests start from a ready machine
    // Tests record what would open on the host instead of opening it, and keep to the machine's own Documents,
    // Music, ...: a test that links them to the host user's folders says so.
    machine::setSetting(QStringLiteral("launcher.host"), QStringLiteral("0"));
    machine::setSetting(QStringLiteral("xdg"), QStringLiteral("0"));
    for (const char *scheme : {"http://", "https://"})
        overrideUrl(QLatin1String(scheme), QStringLiteral("http://127.0.0.1:9/"));
}

namespace {

// The other processes whose environment names this machine: the programs a test started on it (the helper,
// the programs the launcher starts), which must not outlive it.
QList<pid_t> processesOf(const QByteArray &machineFolder)
{
    const QByteArray entry = "HUSHDECK_MACHINE=" + machineFolder;
    QList<pid_t> found;
    const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids) {
        bool number = false;
        const pid_t pid = pid_t(id.toLongLong(&number));
        if (!number || pid == ::getpid())
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(id));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(entry))
            found << pid;
    }
    return found;
}

// Asks them to end, then ends what is still there after a few seconds.
void endProcessesOf(const QByteArray &machineFolder)
{
    QList<pid_t> running = processesOf(machineFolder);
    for (pid_t pid : std::as_const(running))
        ::kill(pid, SIGTERM);
    QElapsedTimer waited;
    waited.start();
    while (!running.isEmpty()) {
        running.removeIf([](pid_t pid) {
            // An ended child of this process stays a zombie until it is reaped: it has ended all the same.
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                return true;
            const QByteArray line = stat.readAll();
            const qsizetype close = line.lastIndexOf(')');
            return close < 0 || line.mid(close + 2, 1) == "Z";
        });
        if (waited.elapsed() > 5000) {
            for (pid_t pid : std::as_const(running))
                ::kill(pid, SIGKILL);
            break;
        }
        QThread::msleep(20);
    }
}

} // namespace

TestMachine::~TestMachine()
{
    endProcessesOf(QFile::encodeName(dir.path() + QStringLiteral("/machine")));
    releaseStoreLock();
    if (previousConfig) {
        if (previousConfig->isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", *previousConfig);
    }
    // A newer test machine made before this one ends is the one in use: leave it alone, so nothing falls
    // back to the user's own machine while it runs.
    if (qgetenv("HUSHDECK_MACHINE") != QFile::encodeName(dir.path() + QStringLiteral("/machine")))
        return;
    machine::reset();
    if (previousData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previousData);
    if (hadPrevious)
        qputenv("HUSHDECK_MACHINE", previous);
    else
        qunsetenv("HUSHDECK_MACHINE");
}

bool TestMachine::linkUserFolder(int csidl, const QString &hostFolder)
{
    const struct
    {
        int csidl;
        const char *key;
    } keys[] = {{CSIDL_PERSONAL, "DOCUMENTS"},
                {CSIDL_MYMUSIC, "MUSIC"},
                {CSIDL_MYPICTURES, "PICTURES"},
                {CSIDL_MYVIDEO, "VIDEOS"},
                {CSIDL_DESKTOPDIRECTORY, "DESKTOP"}};
    const char *key = nullptr;
    for (const auto &k : keys)
        if (k.csidl == csidl)
            key = k.key;
    if (!key)
        return false;
    const QString config = dir.path() + QStringLiteral("/config");
    QFile file(config + QStringLiteral("/user-dirs.dirs"));
    if (!QDir().mkpath(config) || !file.open(QIODevice::Append))
        return false;
    file.write(QByteArray("XDG_") + key + "_DIR=\"" + QFile::encodeName(hostFolder) + "\"\n");
    file.close();
    if (!previousConfig)
        previousConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME") ? qgetenv("XDG_CONFIG_HOME") : QByteArray();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    machine::setSetting(QStringLiteral("xdg"), QStringLiteral("1"));
    WCHAR path[MAX_PATH];
    return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK &&
           QFileInfo(hostPath(fromWide(path))).canonicalFilePath() == QFileInfo(hostFolder).canonicalFilePath();
}

QString TestMachine::folder() const
{
    return machine::folder();
}

void TestMachine::setElevated(bool elevated)
{
    machine::setSetting(QStringLiteral("elevated"), elevated ? QStringLiteral("1") : QStringLiteral("0"));
}

void TestMachine::answerMessageBox(const QString &answer)
{
    machine::pushAnswer(QStringLiteral("MessageBox"), answer);
}

void TestMachine::failSystemParameter(const QList<unsigned> &actions)
{
    QStringList numbers;
    for (unsigned a : actions)
        numbers << QString::number(a);
    machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), numbers.join(QLatin1Char(',')));
}

void TestMachine::answerFolderBrowser(const QString &path)
{
    machine::pushAnswer(QStringLiteral("BrowseForFolder"), path);
}

void TestMachine::overrideUrl(const QString &prefix, const QString &target)
{
    machine::Lock lock;
    machine::Query q("INSERT OR REPLACE INTO urloverrides(prefix, target) VALUES(?, ?)");
    q.bind(1, prefix).bind(2, target).exec();
}

void TestMachine::clearUrlOverrides()
{
    machine::Lock lock;
    machine::Query("DELETE FROM urloverrides").exec();
}

QStringList TestMachine::logged(const QString &kind) const
{
    return machine::logged(kind);
}

void TestMachine::denyKey(const QString &fullPath, bool read, bool write)
{
    machine::Lock lock;
    const qint64 node = registrystore::ensureKey(fullPath);
    registrystore::setNodeDeny(node, (read ? registrystore::DenyRead : 0) | (write ? registrystore::DenyWrite : 0));
}

void TestMachine::injectFileFault(const QString &path, const QString &fault)
{
    filefaults::setFault(path, fault);
}

void TestMachine::markFileAttributes(const QString &path, unsigned attributes)
{
    filefaults::setMarks(path, DWORD(attributes));
}

void TestMachine::failStore(const QString &how)
{
    const bool full = how == QLatin1String("full") || how.startsWith(QLatin1String("full:"));
    machine::setDiskRoom(full ? how.section(QLatin1Char(':'), 1).toLongLong() : -1);
    if (how != QLatin1String("locked"))
        releaseStoreLock();
    if (how == QLatin1String("locked") && !storeHolder) {
        // A second connection, as the other program would hold it, in the middle of its write.
        const QByteArray file = QFile::encodeName(machine::databasePath());
        QCOMPARE(sqlite3_open_v2(file.constData(), &storeHolder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(storeHolder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        machine::setBusyWait(200);
    } else if (how.startsWith(QLatin1String("damaged"))) {
        const QString path = machine::databasePath();
        machine::reset(); // the last connection folds its log into the file and closes it
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray header = file.read(100);
        const int pageSize = header.size() == 100 ? (uchar(header.at(16)) << 8 | uchar(header.at(17))) : 0;
        QVERIFY(pageSize >= 512 && file.size() > 2 * pageSize);
        const bool firstPage = how == QLatin1String("damaged-header");
        const qint64 from = firstPage ? 0 : pageSize;
        const qint64 length = firstPage ? pageSize : file.size() - pageSize;
        QByteArray garbage(int(length), Qt::Uninitialized);
        QRandomGenerator random(1015);
        for (char &c : garbage)
            c = char(random.bounded(256));
        QVERIFY(file.seek(from));
        QCOMPARE(file.write(garbage), length);
    } else {
        QVERIFY2(how.isEmpty() || full || how == QLatin1String("locked"), qPrintable(how));
    }
}

void TestMachine::releaseStoreLock()
{
    if (!storeHolder)
        return;
    sqlite3_exec(storeHolder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(storeHolder);
    storeHolder = nullptr;
    machine::setBusyWait(-1);
}

void TestMachine::protectProcess(qint64 pid)
{
    machine::setSetting(QStringLiteral("process.protected.") + QString::number(pid), QStringLiteral("1"));
}

void TestMachine::failServiceCall(const QString &function, unsigned error, int succeedFirst)
{
    QString how;
    if (error)
        how = QString::number(error) + (succeedFirst ? QLatin1Char(':') + QString::number(succeedFirst) : QString());
    machine::setSetting(QStringLiteral("fail.") + function, how);
}

void TestMachine::setServiceState(const QString &name, unsigned state)
{
    QVERIFY(servicetable::setState(name, DWORD(state)));
}

unsigned TestMachine::serviceState(const QString &name, unsigned *pid) const
{
    DWORD process = 0;
    const DWORD state = servicetable::state(name, &process);
    if (pid)
        *pid = process;
    return state;
}

void TestMachine::makeFirstLayout()
{
    const QString root = machine::folder();
    machine::reset();
    for (const char *top : {"Windows", "Users", "ProgramData", "Program Files", "Program Files (x86)"})
        QVERIFY(QDir().rename(root + QStringLiteral("/drive_c/") + QLatin1String(top),
                              root + QLatin1Char('/') + QLatin1String(top)));
    QVERIFY(QDir().rmdir(root + QStringLiteral("/drive_c")));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(root + QStringLiteral("/machine.db")).constData(), &db), SQLITE_OK);
    // Marks on files named the first layout's host paths.
    const QByteArray sql = "DELETE FROM settings WHERE name IN ('layout', 'storedpaths');"
                           "UPDATE fileattrs SET path=replace(path, ?1, ?2);"
                           "UPDATE filefaults SET path=replace(path, ?1, ?2);";
    const QByteArray from = (root + QStringLiteral("/drive_c/")).toUtf8();
    const QByteArray to = (root + QLatin1Char('/')).toUtf8();
    const char *tail = sql.constData();
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK && tail && *tail) {
        sqlite3_stmt *st = nullptr;
        rc = sqlite3_prepare_v2(db, tail, -1, &st, &tail);
        if (rc != SQLITE_OK || !st)
            break;
        if (sqlite3_bind_parameter_count(st) == 2) {
            sqlite3_bind_text(st, 1, from.constData(), int(from.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, to.constData(), int(to.size()), SQLITE_TRANSIENT);
        }
        rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

bool hostMayRaisePriority()
{
    // Tried on a thread of its own (nice values are per thread on Linux), which ends with the answer: the
    // test's own threads keep theirs.
    bool may = false;
    std::thread([&may] {
        const id_t self = id_t(::syscall(SYS_gettid));
        const int before = ::getpriority(PRIO_PROCESS, self);
        may = ::setpriority(PRIO_PROCESS, self, before + 1) == 0 && ::setpriority(PRIO_PROCESS, self, before) == 0;
    }).join();
    return may;
}
