#include "linux/machine/machine.h"

#include "edition.h"

#include "linux/registry/registrystore.h"
#include "linux/processes/systemprograms.h"
#include "linux/services/servicetable.h"
#include "linux/system/sysinfoseed.h"
#include "linux/machine/traceseed.h"
#include "linux/machine/carryover.h"
#include "linux/machine/ownfolder.h"
#include "linux/windows/windowtable.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace machine {

namespace {

const char *const schema = R"SQL(
CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value TEXT);
CREATE TABLE IF NOT EXISTS log (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, text TEXT NOT NULL,
    pid INTEGER NOT NULL, at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS answers (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS regkeys (id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,
    name TEXT NOT NULL, uname TEXT NOT NULL, upath TEXT NOT NULL, deny INTEGER NOT NULL DEFAULT 0,
    written INTEGER NOT NULL DEFAULT 0, UNIQUE(parent, uname));
CREATE UNIQUE INDEX IF NOT EXISTS regkeys_upath ON regkeys(upath);
CREATE TABLE IF NOT EXISTS regvalues (id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,
    name TEXT NOT NULL, uname TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, uname));
CREATE TABLE IF NOT EXISTS windows (hwnd INTEGER PRIMARY KEY AUTOINCREMENT, pid INTEGER NOT NULL,
    class TEXT NOT NULL, title TEXT NOT NULL, style INTEGER NOT NULL DEFAULT 0, exstyle INTEGER NOT NULL DEFAULT 0,
    alpha INTEGER NOT NULL DEFAULT 255, visible INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS messages (id INTEGER PRIMARY KEY AUTOINCREMENT, hwnd INTEGER NOT NULL,
    msg INTEGER NOT NULL, wparam INTEGER NOT NULL, lparam INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS filefaults (path TEXT PRIMARY KEY, fault TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS fileattrs (path TEXT PRIMARY KEY, attrs INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS volumeextents (path TEXT NOT NULL, seq INTEGER NOT NULL, nextvcn INTEGER NOT NULL,
    lcn INTEGER NOT NULL, PRIMARY KEY(path, seq));
CREATE TABLE IF NOT EXISTS simprocs (pid INTEGER PRIMARY KEY, name TEXT NOT NULL, alive INTEGER NOT NULL DEFAULT 1);
CREATE TABLE IF NOT EXISTS urloverrides (prefix TEXT PRIMARY KEY, target TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS regmessages (id INTEGER PRIMARY KEY AUTOINCREMENT, uname TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS winhooks (id INTEGER PRIMARY KEY AUTOINCREMENT, owner INTEGER NOT NULL,
    process INTEGER NOT NULL, thread INTEGER NOT NULL, eventmin INTEGER NOT NULL, eventmax INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS winevents (id INTEGER PRIMARY KEY AUTOINCREMENT, hook INTEGER NOT NULL,
    owner INTEGER NOT NULL, event INTEGER NOT NULL, hwnd INTEGER NOT NULL, object INTEGER NOT NULL,
    child INTEGER NOT NULL, thread INTEGER NOT NULL, at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS notifyicons (hwnd INTEGER NOT NULL, uid INTEGER NOT NULL, pid INTEGER NOT NULL,
    tip TEXT NOT NULL, callback INTEGER NOT NULL, PRIMARY KEY(hwnd, uid));
CREATE TABLE IF NOT EXISTS services (uname TEXT PRIMARY KEY, state INTEGER NOT NULL, pid INTEGER NOT NULL);
)SQL";

const int defaultBusyWait = 20000;

struct State
{
    std::recursive_mutex mutex;
    sqlite3 *db = nullptr;
    QString folder;
    int openFailure = 0;
    bool damaged = false;
    QString folderProblem; // why the folder itself cannot be the machine; never tried again, as damage
    int busyWait = defaultBusyWait;
    Transaction *transaction = nullptr; // the outermost one open
    QList<QPair<QString, QString>> unstoredLog;
    QSet<qint64> takenAnswers;
    QHash<const char *, sqlite3_stmt *> statements;
    int transactionDepth = 0;
    // The generation as last read, and when: caches of the drive map and file marks ask per folder listing.
    qint64 generation = 0;
    qint64 generationReadAt = 0;
    bool generationKnown = false;
    QElapsedTimer clock;
};

State &state()
{
    static State s;
    return s;
}

QString defaultFolder()
{
    // A test's programs name their machine; one that falls back to the user's own is at fault, and stops
    // where it happens rather than changing that machine (or asking the real web, which it lets through).
    if (qEnvironmentVariableIsSet("HUSHDECK_MACHINE_REQUIRED"))
        qFatal("machine: HUSHDECK_MACHINE is not set, and this program may not use the default machine");
    QString home = QDir::homePath();
    return home + QStringLiteral("/.local/share/hushdeck/machine");
}

int execSql(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        qWarning() << "machine: SQL failed:" << (err ? err : sqlite3_errstr(rc)) << sql;
        sqlite3_free(err);
        noteFailure(rc);
    }
    return rc;
}

// Ends the open transaction, if SQLite has not ended it already (it may after a full disk or an I/O error).
void rollback(sqlite3 *db)
{
    if (db && !sqlite3_get_autocommit(db))
        execSql(db, "ROLLBACK");
}

// ---- the machine's files, through a thin layer over the host's own file layer ----
// It changes nothing but lets tests fill the disk (all of it, or after so many bytes more), so that SQLite
// meets the failure where it meets a real one and handles it as it would.

std::atomic<qint64> diskRoom{-1};

struct MachineFile
{
    sqlite3_file base;
    sqlite3_file *real; // the host layer's file, allocated right behind this one
};

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<MachineFile *>(f)->real;
}

sqlite3_vfs *hostVfs()
{
    static sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    return vfs;
}

int fileClose(sqlite3_file *f)
{
    return real(f)->pMethods->xClose(real(f));
}
int fileRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off)
{
    return real(f)->pMethods->xRead(real(f), buf, n, off);
}
int fileWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    for (qint64 room = diskRoom.load(); room >= 0;) {
        if (room < n)
            return SQLITE_FULL;
        if (diskRoom.compare_exchange_weak(room, room - n))
            break;
    }
    return real(f)->pMethods->xWrite(real(f), buf, n, off);
}
int fileTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int fileSync(sqlite3_file *f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int fileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int fileLock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int fileUnlock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int fileCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int fileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int fileSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int fileDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
// Shared memory and memory mapping exist from versions 2 and 3 of the host's methods on.
bool hasShm(sqlite3_file *f)
{
    return real(f)->pMethods->iVersion >= 2 && real(f)->pMethods->xShmMap;
}
int fileShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **out)
{
    return hasShm(f) ? real(f)->pMethods->xShmMap(real(f), page, size, extend, out) : SQLITE_IOERR_SHMMAP;
}
int fileShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return hasShm(f) ? real(f)->pMethods->xShmLock(real(f), offset, n, flags) : SQLITE_IOERR_SHMLOCK;
}
void fileShmBarrier(sqlite3_file *f)
{
    if (hasShm(f))
        real(f)->pMethods->xShmBarrier(real(f));
}
int fileShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return hasShm(f) ? real(f)->pMethods->xShmUnmap(real(f), deleteFlag) : SQLITE_OK;
}
int fileFetch(sqlite3_file *f, sqlite3_int64 off, int n, void **out)
{
    if (real(f)->pMethods->iVersion < 3 || !real(f)->pMethods->xFetch) {
        *out = nullptr; // no mapping: SQLite reads instead
        return SQLITE_OK;
    }
    return real(f)->pMethods->xFetch(real(f), off, n, out);
}
int fileUnfetch(sqlite3_file *f, sqlite3_int64 off, void *p)
{
    if (real(f)->pMethods->iVersion < 3 || !real(f)->pMethods->xUnfetch)
        return SQLITE_OK;
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

const sqlite3_io_methods fileMethods = {
    3,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

int vfsOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *file = reinterpret_cast<MachineFile *>(f);
    file->real = reinterpret_cast<sqlite3_file *>(file + 1);
    file->base.pMethods = nullptr;
    const int rc = hostVfs()->xOpen(hostVfs(), name, file->real, flags, outFlags);
    // The host layer sets its methods when the file is open, and only then may SQLite close it.
    if (file->real->pMethods)
        file->base.pMethods = &fileMethods;
    return rc;
}

// The machine's layer: the host's, with its own open. Every other entry is the host layer's.
const char *machineVfs()
{
    static const char *name = [] {
        static sqlite3_vfs vfs = *hostVfs();
        vfs.szOsFile = int(sizeof(MachineFile)) + hostVfs()->szOsFile;
        vfs.pNext = nullptr;
        vfs.zName = "hushdeck-machine";
        vfs.pAppData = nullptr;
        vfs.xOpen = vfsOpen;
        const int rc = sqlite3_vfs_register(&vfs, 0);
        if (rc != SQLITE_OK) {
            qWarning() << "machine: cannot register the file layer:" << sqlite3_errstr(rc);
            return static_cast<const char *>(nullptr);
        }
        return vfs.zName;
    }();
    return name;
}

// The machine's drive C: inside the machine folder, as a prefix's drive_c.
QString driveOf(const QString &machineFolder)
{
    return machineFolder + QStringLiteral("/drive_c");
}

void makeFolders(const QString &machineFolder)
{
    const QString user = QStringLiteral("User");
    const QStringList dirs = {
        QStringLiteral("Windows/System32"),
        QStringLiteral("Windows/Temp"),
        QStringLiteral("ProgramData"),
        QStringLiteral("Program Files"),
        QStringLiteral("Program Files (x86)"),
        QStringLiteral("Users/Public"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Roaming/" HUSHDECK_PRODUCT_NAME "/Backup"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Roaming/" HUSHDECK_PRODUCT_NAME "/Wallpaper"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Local/Temp"),
        // A new profile has its user folders, as Windows makes them; where the host user has one, the shell
        // functions later put a link to it in the folder's place.
        QStringLiteral("Users/") + user + QStringLiteral("/Desktop"),
        QStringLiteral("Users/") + user + QStringLiteral("/Documents"),
        QStringLiteral("Users/") + user + QStringLiteral("/Music"),
        QStringLiteral("Users/") + user + QStringLiteral("/Pictures"),
        QStringLiteral("Users/") + user + QStringLiteral("/Videos"),
    };
    // Never through a link: a folder that a link stands in for is not made elsewhere.
    for (const QString &d : dirs) {
        const int fd = ownfolder::open(machineFolder, QStringLiteral("drive_c/") + d, true);
        if (fd < 0)
            qWarning() << "machine: C:/" + d << "is not a folder of the machine's own:" << strerror(errno);
        else
            ::close(fd);
    }
}

// The first result of SQLite's quick integrity check: SQLITE_OK for a sound database; SQLITE_CORRUPT or
// SQLITE_NOTADB for a damaged one; another result when the check itself could not run.
int checkIntegrity(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            const char *verdict = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            rc = verdict && qstrcmp(verdict, "ok") == 0 ? SQLITE_OK : SQLITE_CORRUPT;
            if (rc != SQLITE_OK)
                qWarning() << "machine: integrity check:" << verdict;
        }
    }
    sqlite3_finalize(st);
    return rc;
}

bool isDamage(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

void closeDb(State &s)
{
    for (sqlite3_stmt *st : std::as_const(s.statements))
        sqlite3_finalize(st); // its result repeats the statement's last failure, noted when it happened
    s.statements.clear();
    if (s.db) {
        const int rc = sqlite3_close(s.db);
        if (rc != SQLITE_OK)
            qWarning() << "machine: close failed:" << sqlite3_errstr(rc);
    }
    s.db = nullptr;
    s.transactionDepth = 0;
}

// Creates the schema and, on first use, the seed, under one write lock: two programs may open a new
// machine at the same moment, and whoever comes second finds the work done. All or nothing.
int prepareMachine(State &s)
{
    StoreWatch watch;
    if (execSql(s.db, "BEGIN IMMEDIATE") != SQLITE_OK)
        return watch.code();
    execSql(s.db, schema);
    bool seeded = false;
    if (!watch.failed()) {
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(s.db, "SELECT value FROM settings WHERE name='seeded'", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            seeded = rc == SQLITE_ROW;
            if (rc == SQLITE_ROW || rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_OK)
            noteFailure(rc);
    }
    if (!seeded && !watch.failed()) {
        ++s.transactionDepth; // the seed's writes join this transaction
        registrystore::createRoots();
        registrystore::importSeed();
        windowtable::seed();
        servicetable::seed();
        traceseed::createFiles(driveOf(s.folder));
        systemprograms::seedCaches(driveOf(s.folder));
        sysinfoseed::createFiles(driveOf(s.folder));
        --s.transactionDepth;
        execSql(s.db, "INSERT OR REPLACE INTO settings(name, value) VALUES('seeded', '1')");
        execSql(s.db, "INSERT OR REPLACE INTO settings(name, value) VALUES('storedpaths', 'windows')");
    } else if (!watch.failed() && setting(QStringLiteral("storedpaths")) != QLatin1String("windows")) {
        // A machine an earlier version made: its stored host paths are rewritten once, whichever layout it has.
        ++s.transactionDepth;
        carryover::carryOverStoredPaths(s.folder);
        --s.transactionDepth;
        execSql(s.db, "INSERT OR REPLACE INTO settings(name, value) VALUES('storedpaths', 'windows')");
    }
    if (!watch.failed())
        execSql(s.db, "INSERT OR REPLACE INTO settings(name, value) VALUES('layout', 'drive_c')");
    if (!watch.failed())
        execSql(s.db, "COMMIT");
    if (watch.failed())
        rollback(s.db);
    return watch.code();
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// What HUSHDECK_MACHINE names is taken only when it is a machine (it holds machine.db) or room for a new one: an
// empty or new folder, where machine.db is made at once, so that a program starting beside this one takes the
// folder for a machine too. Anything else is left as it is, and the answer says why: a file, a folder that
// cannot be written, a folder of other files (a copied Windows tree, a home folder).
QString claimFolder(const QString &dir)
{
    const QByteArray path = QFile::encodeName(dir);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOTDIR)
            return QStringLiteral("It is a file, not a folder.");
        if (error != ENOENT)
            return QStringLiteral("It cannot be opened (%1).").arg(errorText(error));
        // Made a moment ago by the caller unless that failed; ask again for the reason.
        return QStringLiteral("It does not exist and cannot be made (%1).")
            .arg(errorText(::mkdir(path.constData(), 0755) == 0 ? ENOENT : errno));
    }
    QString problem;
    struct stat st;
    if (::fstatat(fd, "machine.db", &st, AT_SYMLINK_NOFOLLOW) != 0) {
        bool empty = true;
        if (DIR *list = ::fdopendir(::dup(fd))) {
            while (const dirent *e = ::readdir(list))
                if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0) {
                    empty = false;
                    break;
                }
            ::closedir(list);
        } else {
            empty = false;
        }
        if (!empty) {
            problem = QStringLiteral("It holds files but no machine.db, so it is no machine folder.");
        } else {
            const int made = ::openat(fd, "machine.db", O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (made >= 0)
                ::close(made);
            else if (errno != EEXIST) // EEXIST: another program made it first
                problem = QStringLiteral("It cannot be written (%1).").arg(errorText(errno));
        }
    }
    ::close(fd);
    return problem;
}

// Why an existing machine could not be opened, when the reason is its folder or machine.db being closed to
// this user (a read-only file system, a folder of another user's): nothing else can mend that.
QString unwritable(const QString &dir)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("It cannot be written (%1).").arg(errorText(errno));
    if (::faccessat(AT_FDCWD, (path + "/machine.db").constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("Its machine.db cannot be written (%1).").arg(errorText(errno));
    return QString();
}

// One line for the terminal, naming the setting that chose the folder.
void warnFolder(const QString &dir, const QString &problem)
{
    const char *chosen = qEnvironmentVariableIsEmpty("HUSHDECK_MACHINE")
                             ? "(the default; HUSHDECK_MACHINE names another)"
                             : "(HUSHDECK_MACHINE)";
    qWarning().noquote() << "machine: the machine folder" << dir << chosen << "cannot be used:" << problem
                         << "Nothing in it was changed.";
}

// Opens (and on first use creates and seeds) the machine. Called with the state's mutex held. A failure is
// noted for the calling thread's watches and the connection is not kept.
sqlite3 *open(State &s)
{
    if (s.db)
        return s.db;
    if (s.damaged || !s.folderProblem.isEmpty()) {
        noteFailure(s.openFailure);
        return nullptr;
    }
    QString dir = qEnvironmentVariable("HUSHDECK_MACHINE");
    if (dir.isEmpty())
        dir = defaultFolder();
    dir = QDir(dir).absolutePath();
    QDir().mkpath(dir);
    s.folder = dir;
    s.folderProblem = claimFolder(dir);
    if (!s.folderProblem.isEmpty()) {
        warnFolder(dir, s.folderProblem);
        s.openFailure = SQLITE_CANTOPEN;
        noteFailure(s.openFailure);
        return nullptr;
    }

    const QString path = dir + QStringLiteral("/machine.db");
    // A machine used before is checked before anything writes to it; a new one has nothing to check.
    const bool existing = QFileInfo(path).size() > 0;
    // The store is the machine's own file: a link in its place is refused, never written through. The folder
    // is named as the host resolves it, since the user may reach it through links of their own.
    const QString real = QFileInfo(dir).canonicalFilePath();
    const QByteArray file = QFile::encodeName((real.isEmpty() ? dir : real) + QStringLiteral("/machine.db"));
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(file.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                             machineVfs());
    if (rc == SQLITE_OK)
        rc = sqlite3_busy_timeout(db, s.busyWait);
    if (rc == SQLITE_OK && existing)
        rc = checkIntegrity(db);
    if (rc == SQLITE_OK) {
        // Only a sound machine is rearranged and given its folders; a damaged one stays as it was found.
        carryover::carryOverFolders(dir);
        makeFolders(dir);
        systemprograms::install(driveOf(dir));
        rc = execSql(db, "PRAGMA journal_mode=WAL");
    }
    if (rc == SQLITE_OK)
        rc = execSql(db, "PRAGMA synchronous=NORMAL");
    if (rc == SQLITE_OK) {
        s.db = db;
        rc = prepareMachine(s);
        if (rc == SQLITE_OK) {
            s.openFailure = 0;
            return db;
        }
        closeDb(s);
        db = nullptr;
    }

    s.damaged = isDamage(rc);
    if (!s.damaged)
        s.folderProblem = unwritable(dir);
    if (!s.folderProblem.isEmpty())
        warnFolder(dir, s.folderProblem);
    else
        qWarning() << "machine: cannot open" << path << sqlite3_errstr(rc);
    // A damaged file stays exactly as it was found: closing must not fold a log into it.
    if (db && s.damaged && sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) != SQLITE_OK)
        qWarning() << "machine: cannot keep the damaged database from being written on closing";
    if (db) {
        const int closed = sqlite3_close(db);
        if (closed != SQLITE_OK)
            qWarning() << "machine: close failed:" << sqlite3_errstr(closed);
    }
    s.openFailure = rc;
    noteFailure(rc);
    return nullptr;
}

thread_local StoreWatch *innermostWatch = nullptr;

} // namespace

sqlite3 *db()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return open(s);
}

QString databasePath()
{
    return folder() + QStringLiteral("/machine.db");
}

int openFailure()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return s.openFailure;
}

bool isDamaged()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return s.damaged;
}

QString folderProblem()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return s.folderProblem;
}

void setBusyWait(int milliseconds)
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    s.busyWait = milliseconds < 0 ? defaultBusyWait : milliseconds;
    if (s.db) {
        const int rc = sqlite3_busy_timeout(s.db, s.busyWait);
        if (rc != SQLITE_OK)
            noteFailure(rc);
    }
}

void setDiskRoom(qint64 bytes)
{
    diskRoom = bytes < 0 ? -1 : bytes;
}

StoreWatch::StoreWatch() : outer(innermostWatch)
{
    innermostWatch = this;
}

StoreWatch::~StoreWatch()
{
    innermostWatch = outer;
}

void noteFailure(int code)
{
    if (code == SQLITE_OK)
        code = SQLITE_ERROR;
    for (StoreWatch *w = innermostWatch; w; w = w->outer)
        if (!w->first)
            w->first = code;
}

LONG windowsError(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // The other program holds the database's write lock (a lock on a range of the file) beyond the wait.
        return ERROR_LOCK_VIOLATION;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return ERROR_CANTWRITE;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

QString folder()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    open(s);
    return s.folder;
}

bool folderGone()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return !s.folder.isEmpty() && !QFileInfo::exists(s.folder + QStringLiteral("/machine.db"));
}

void reset()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    // A new machine starts sound: faults a test injected end with the machine they were injected in.
    diskRoom = -1;
    s.busyWait = defaultBusyWait;
    closeDb(s);
    s.folder.clear();
    s.openFailure = 0;
    s.damaged = false;
    s.folderProblem.clear();
    s.unstoredLog.clear();
    s.takenAnswers.clear();
    s.generationKnown = false;
    registrystore::forgetHandles();
}

QString userName()
{
    return QStringLiteral("User");
}

QString systemDrive()
{
    return driveOf(folder());
}

QString windowsFolder()
{
    return systemDrive() + QStringLiteral("/Windows");
}

QString programDataFolder()
{
    return systemDrive() + QStringLiteral("/ProgramData");
}

QString userProfile()
{
    return systemDrive() + QStringLiteral("/Users/") + userName();
}

QString roamingAppData()
{
    return userProfile() + QStringLiteral("/AppData/Roaming");
}

QString localAppData()
{
    return userProfile() + QStringLiteral("/AppData/Local");
}

QString tempFolder()
{
    return localAppData() + QStringLiteral("/Temp");
}

QString hostPathOnC(const QString &windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath.at(0).toUpper() != QLatin1Char('C') ||
        windowsPath.at(1) != QLatin1Char(':'))
        return QString();
    // ".." stops at the drive's root, as on Windows: no path leads out of the machine.
    QStringList parts;
    for (const QString &part :
         windowsPath.mid(2).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (part != QLatin1String(".")) {
            parts << part;
        }
    }
    const QString drive = systemDrive();
    return parts.isEmpty() ? drive : drive + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

QString setting(const QString &name, const QString &defaultValue)
{
    Lock lock;
    Query q("SELECT value FROM settings WHERE name=?");
    q.bind(1, name);
    if (q.next())
        return q.text(0);
    return defaultValue;
}

void setSetting(const QString &name, const QString &value)
{
    Lock lock;
    Query q("INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)");
    q.bind(1, name).bind(2, value).exec();
    bumpGeneration();
}

qint64 generation()
{
    Lock lock;
    State &s = state();
    if (!s.clock.isValid())
        s.clock.start();
    // Changes made by this process are seen at once (they drop the cached value); changes by the other
    // program within a fifth of a second.
    const qint64 now = s.clock.elapsed();
    if (s.generationKnown && now - s.generationReadAt < 200)
        return s.generation;
    Query q("SELECT value FROM settings WHERE name='generation'");
    s.generation = q.next() ? q.text(0).toLongLong() : 0;
    s.generationReadAt = now;
    s.generationKnown = true;
    return s.generation;
}

void bumpGeneration()
{
    Lock lock;
    Query q("INSERT INTO settings(name, value) VALUES('generation', '1') "
            "ON CONFLICT(name) DO UPDATE SET value = CAST(value AS INTEGER) + 1");
    q.exec();
    state().generationKnown = false;
}

bool isElevated()
{
    return setting(QStringLiteral("elevated"), QStringLiteral("1")) != QLatin1String("0");
}

void log(const QString &kind, const QString &text)
{
    StoreWatch watch;
    Lock lock;
    Query q("INSERT INTO log(kind, text, pid, at) VALUES(?, ?, ?, ?)");
    q.bind(1, kind).bind(2, text).bind(3, qint64(getpid())).bind(4, QDateTime::currentMSecsSinceEpoch()).exec();
    // A record the store cannot take (a box saying the disk is full or the machine is damaged) is kept for
    // this process; one that belongs to a change that failed goes with the change.
    State &s = state();
    if (watch.failed() && (!s.db || s.transactionDepth == 0))
        s.unstoredLog.append({kind, text});
}

QStringList logged(const QString &kind)
{
    Lock lock;
    QStringList out;
    Query q("SELECT text FROM log WHERE kind=? ORDER BY id");
    q.bind(1, kind);
    while (q.next())
        out << q.text(0);
    for (const auto &entry : std::as_const(state().unstoredLog))
        if (entry.first == kind)
            out << entry.second;
    return out;
}

void pushAnswer(const QString &kind, const QString &value)
{
    Lock lock;
    Query q("INSERT INTO answers(kind, value) VALUES(?, ?)");
    q.bind(1, kind).bind(2, value).exec();
}

// The first answer of a kind that this process has not taken yet: an answer whose removal the store
// refused (a full disk) is taken all the same.
static std::optional<QPair<qint64, QString>> firstAnswer(const QString &kind)
{
    Query q("SELECT id, value FROM answers WHERE kind=? ORDER BY id");
    q.bind(1, kind);
    while (q.next())
        if (!state().takenAnswers.contains(q.integer(0)))
            return qMakePair(q.integer(0), q.text(1));
    return std::nullopt;
}

std::optional<QString> takeAnswer(const QString &kind)
{
    Transaction tx;
    const auto answer = firstAnswer(kind);
    if (!answer)
        return std::nullopt;
    Query del("DELETE FROM answers WHERE id=?");
    del.bind(1, answer->first).exec();
    if (!tx.commit())
        state().takenAnswers.insert(answer->first);
    return answer->second;
}

bool hasAnswers(const QString &kind)
{
    Lock lock;
    return firstAnswer(kind).has_value();
}

Lock::Lock()
{
    State &s = state();
    s.mutex.lock();
    open(s);
}

Lock::~Lock()
{
    state().mutex.unlock();
}

Transaction::Transaction()
{
    State &s = state();
    if (!s.db)
        return; // the Lock could not open the machine; the watch holds why
    counted = true;
    if (s.transactionDepth++ == 0) {
        outer = true;
        s.transaction = this;
        execSql(s.db, "BEGIN IMMEDIATE");
    }
}

Transaction::~Transaction()
{
    State &s = state();
    if (!counted)
        return;
    --s.transactionDepth;
    if (outer) {
        if (!done)
            rollback(s.db);
        s.transaction = nullptr;
    }
}

bool Transaction::commit()
{
    if (done)
        return !watch.failed();
    done = true;
    State &s = state();
    if (watch.failed()) {
        // Something since the beginning did not take effect: nothing of it may stay.
        if (outer)
            rollback(s.db);
        return false;
    }
    if (!outer)
        return true;
    if (execSql(s.db, "COMMIT") != SQLITE_OK) {
        rollback(s.db);
        return false;
    }
    return true;
}

Query::Query(const char *sql)
{
    State &s = state();
    stmt = nullptr;
    if (!s.db) {
        noteFailure(s.openFailure ? s.openFailure : SQLITE_CANTOPEN);
        return;
    }
    // A transaction that could not begin, or lost a statement, takes no further ones: they would run (and
    // stay) on their own after SQLite ended it.
    if (s.transaction && s.transaction->failed()) {
        noteFailure(s.transaction->failure());
        return;
    }
    stmt = s.statements.value(sql, nullptr);
    if (!stmt) {
        const int rc = sqlite3_prepare_v2(s.db, sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            qWarning() << "machine: cannot prepare" << sql << sqlite3_errmsg(s.db);
            noteFailure(rc);
            sqlite3_finalize(stmt);
            stmt = nullptr;
        } else {
            s.statements.insert(sql, stmt);
        }
    }
}

Query::~Query()
{
    // reset() repeats the last step's failure, which was noted when it happened.
    if (stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
}

void Query::check(int rc)
{
    if (rc != SQLITE_OK) {
        qWarning() << "machine: bind failed:" << sqlite3_errstr(rc) << sqlite3_sql(stmt);
        noteFailure(rc);
    }
}

Query &Query::bind(int index, qint64 value)
{
    if (stmt)
        check(sqlite3_bind_int64(stmt, index, value));
    return *this;
}

Query &Query::bind(int index, const QString &value)
{
    if (stmt)
        check(sqlite3_bind_text16(stmt, index, value.utf16(), int(value.size() * 2), SQLITE_TRANSIENT));
    return *this;
}

Query &Query::bind(int index, const QByteArray &value)
{
    if (stmt)
        check(sqlite3_bind_blob(stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT));
    return *this;
}

Query &Query::bindNull(int index)
{
    if (stmt)
        check(sqlite3_bind_null(stmt, index));
    return *this;
}

bool Query::next()
{
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        qWarning() << "machine: step failed:" << sqlite3_errmsg(state().db) << sqlite3_sql(stmt);
        noteFailure(rc);
    }
    return false;
}

bool Query::exec()
{
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        qWarning() << "machine: exec failed:" << sqlite3_errmsg(state().db) << sqlite3_sql(stmt);
        noteFailure(rc);
        return false;
    }
    return true;
}

qint64 Query::integer(int column) const
{
    return sqlite3_column_int64(stmt, column);
}

QString Query::text(int column) const
{
    const void *p = sqlite3_column_text16(stmt, column);
    const int bytes = sqlite3_column_bytes16(stmt, column);
    if (!p)
        return QString(QLatin1String(""));
    return QString::fromUtf16(static_cast<const char16_t *>(p), bytes / 2);
}

QByteArray Query::blob(int column) const
{
    const void *p = sqlite3_column_blob(stmt, column);
    const int bytes = sqlite3_column_bytes(stmt, column);
    return p ? QByteArray(static_cast<const char *>(p), bytes) : QByteArray();
}

bool Query::isNull(int column) const
{
    return sqlite3_column_type(stmt, column) == SQLITE_NULL;
}

qint64 Query::lastInsertId() const
{
    return sqlite3_last_insert_rowid(state().db);
}

int Query::changes() const
{
    return sqlite3_changes(state().db);
}

} // namespace machine
