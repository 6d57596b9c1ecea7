#include "machine.h"

#include "registrystore.h"
#include "systemprograms.h"
#include "traceseed.h"
#include "windowtable.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <mutex>
#include <sqlite3.h>
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
)SQL";

struct State
{
    std::recursive_mutex mutex;
    sqlite3 *db = nullptr;
    QString folder;
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
    QString home = QDir::homePath();
    return home + QStringLiteral("/.local/share/hushdeck/machine");
}

void execSql(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        qWarning() << "machine: SQL failed:" << (err ? err : "") << sql;
        sqlite3_free(err);
    }
}

void makeFolders(const QString &root)
{
    const QString user = QStringLiteral("User");
    const QStringList dirs = {
        QStringLiteral("Windows/System32"),
        QStringLiteral("Windows/Temp"),
        QStringLiteral("ProgramData"),
        QStringLiteral("Users/Public"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Roaming/Keelrun Hushdeck Plus!/Backup"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Roaming/Keelrun Hushdeck Plus!/Wallpaper"),
        QStringLiteral("Users/") + user + QStringLiteral("/AppData/Local/Temp"),
    };
    for (const QString &d : dirs)
        QDir().mkpath(root + QLatin1Char('/') + d);
}

// Opens (and on first use creates and seeds) the machine. Called with the state's mutex held.
sqlite3 *open(State &s)
{
    if (s.db)
        return s.db;
    QString dir = qEnvironmentVariable("HUSHDECK_MACHINE");
    if (dir.isEmpty())
        dir = defaultFolder();
    dir = QDir(dir).absolutePath();
    QDir().mkpath(dir);
    makeFolders(dir);
    systemprograms::install(dir);
    s.folder = dir;

    const QByteArray file = QFile::encodeName(dir + QStringLiteral("/machine.db"));
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        qWarning() << "machine: cannot open" << file << sqlite3_errmsg(db);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 20000);
    execSql(db, "PRAGMA journal_mode=WAL");
    execSql(db, "PRAGMA synchronous=NORMAL");
    s.db = db;

    // Two programs may open a new machine at the same moment: the schema and the seed go in under one
    // write lock, and whoever comes second finds the work done.
    execSql(db, "BEGIN IMMEDIATE");
    execSql(db, schema);
    bool seeded = false;
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT value FROM settings WHERE name='seeded'", -1, &st, nullptr);
        seeded = st && sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
    }
    if (!seeded) {
        ++s.transactionDepth; // the seed's writes join this transaction
        registrystore::createRoots();
        registrystore::importSeed();
        windowtable::seed();
        traceseed::createFiles(dir);
        systemprograms::seedCaches(dir);
        --s.transactionDepth;
        execSql(db, "INSERT OR REPLACE INTO settings(name, value) VALUES('seeded', '1')");
    }
    execSql(db, "COMMIT");
    return db;
}

} // namespace

sqlite3 *db()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    return open(s);
}

QString folder()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    open(s);
    return s.folder;
}

void reset()
{
    State &s = state();
    std::lock_guard<std::recursive_mutex> g(s.mutex);
    for (sqlite3_stmt *st : std::as_const(s.statements))
        sqlite3_finalize(st);
    s.statements.clear();
    if (s.db)
        sqlite3_close(s.db);
    s.db = nullptr;
    s.folder.clear();
    s.transactionDepth = 0;
    s.generationKnown = false;
    registrystore::forgetHandles();
}

QString userName()
{
    return QStringLiteral("User");
}

QString windowsFolder()
{
    return folder() + QStringLiteral("/Windows");
}

QString programDataFolder()
{
    return folder() + QStringLiteral("/ProgramData");
}

QString userProfile()
{
    return folder() + QStringLiteral("/Users/") + userName();
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
    Lock lock;
    Query q("INSERT INTO log(kind, text, pid, at) VALUES(?, ?, ?, ?)");
    q.bind(1, kind).bind(2, text).bind(3, qint64(getpid())).bind(4, QDateTime::currentMSecsSinceEpoch()).exec();
}

QStringList logged(const QString &kind)
{
    Lock lock;
    QStringList out;
    Query q("SELECT text FROM log WHERE kind=? ORDER BY id");
    q.bind(1, kind);
    while (q.next())
        out << q.text(0);
    return out;
}

void pushAnswer(const QString &kind, const QString &value)
{
    Lock lock;
    Query q("INSERT INTO answers(kind, value) VALUES(?, ?)");
    q.bind(1, kind).bind(2, value).exec();
}

std::optional<QString> takeAnswer(const QString &kind)
{
    Transaction tx;
    Query q("SELECT id, value FROM answers WHERE kind=? ORDER BY id LIMIT 1");
    q.bind(1, kind);
    if (!q.next())
        return std::nullopt;
    const qint64 id = q.integer(0);
    const QString value = q.text(1);
    Query del("DELETE FROM answers WHERE id=?");
    del.bind(1, id).exec();
    tx.commit();
    return value;
}

bool hasAnswers(const QString &kind)
{
    Lock lock;
    Query q("SELECT 1 FROM answers WHERE kind=? LIMIT 1");
    q.bind(1, kind);
    return q.next();
}

QString environmentVariable(const QString &name)
{
    const QString n = name.toUpper();
    auto win = [](const QString &hostPath) { return QDir::toNativeSeparators(hostPath); };
    if (n == QLatin1String("USERPROFILE"))
        return win(userProfile());
    if (n == QLatin1String("APPDATA"))
        return win(roamingAppData());
    if (n == QLatin1String("LOCALAPPDATA"))
        return win(localAppData());
    if (n == QLatin1String("TEMP") || n == QLatin1String("TMP"))
        return win(tempFolder());
    if (n == QLatin1String("SYSTEMROOT") || n == QLatin1String("WINDIR"))
        return win(windowsFolder());
    if (n == QLatin1String("PROGRAMDATA") || n == QLatin1String("ALLUSERSPROFILE"))
        return win(programDataFolder());
    if (n == QLatin1String("PUBLIC"))
        return win(folder() + QStringLiteral("/Users/Public"));
    if (n == QLatin1String("USERNAME"))
        return userName();
    if (n == QLatin1String("SYSTEMDRIVE") || n == QLatin1String("HOMEDRIVE"))
        return QStringLiteral("C:");
    if (n == QLatin1String("COMPUTERNAME"))
        return QStringLiteral("DESKTOP-HUSHDECK");
    return QString();
}

QString expandEnvironment(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%')) {
            const qsizetype end = text.indexOf(QLatin1Char('%'), i + 1);
            if (end > i + 1) {
                const QString name = text.mid(i + 1, end - i - 1);
                const QString value = environmentVariable(name);
                if (!value.isNull()) {
                    out += value;
                    i = end + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
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
    if (s.transactionDepth++ == 0) {
        outer = true;
        execSql(s.db, "BEGIN IMMEDIATE");
    }
}

Transaction::~Transaction()
{
    State &s = state();
    --s.transactionDepth;
    if (outer && !done)
        execSql(s.db, "ROLLBACK");
}

bool Transaction::commit()
{
    if (done)
        return true;
    done = true;
    if (!outer)
        return true;
    State &s = state();
    char *err = nullptr;
    const bool ok = sqlite3_exec(s.db, "COMMIT", nullptr, nullptr, &err) == SQLITE_OK;
    if (!ok) {
        qWarning() << "machine: commit failed:" << (err ? err : "");
        sqlite3_free(err);
        execSql(s.db, "ROLLBACK");
    }
    return ok;
}

Query::Query(const char *sql)
{
    State &s = state();
    stmt = s.statements.value(sql, nullptr);
    if (!stmt) {
        if (sqlite3_prepare_v2(s.db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
            qWarning() << "machine: cannot prepare" << sql << sqlite3_errmsg(s.db);
            stmt = nullptr;
        } else {
            s.statements.insert(sql, stmt);
        }
    }
}

Query::~Query()
{
    if (stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
}

Query &Query::bind(int index, qint64 value)
{
    if (stmt)
        sqlite3_bind_int64(stmt, index, value);
    return *this;
}

Query &Query::bind(int index, const QString &value)
{
    if (stmt)
        sqlite3_bind_text16(stmt, index, value.utf16(), int(value.size() * 2), SQLITE_TRANSIENT);
    return *this;
}

Query &Query::bind(int index, const QByteArray &value)
{
    if (stmt)
        sqlite3_bind_blob(stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Query &Query::bindNull(int index)
{
    if (stmt)
        sqlite3_bind_null(stmt, index);
    return *this;
}

bool Query::next()
{
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        qWarning() << "machine: step failed:" << sqlite3_errmsg(state().db) << sqlite3_sql(stmt);
    return false;
}

bool Query::exec()
{
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        qWarning() << "machine: exec failed:" << sqlite3_errmsg(state().db) << sqlite3_sql(stmt);
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
