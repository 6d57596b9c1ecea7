// The simulated Windows machine behind the stand-in: a folder ($HUSHDECK_MACHINE, by default
// ~/.local/share/hushdeck/machine) with machine.db and the Windows folders. Both programs and every
// thread share it; the database serialises access within a process and between processes. A program started
// with HUSHDECK_MACHINE_REQUIRED set (every test program) stops rather than fall back to the default.
#pragma once

#include "linux/machine/w32types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace machine {

// The machine folder, created and seeded on first use.
QString folder();
// Whether the machine this process opened has had its folder removed under it. Nothing makes it anew: a
// program whose machine is gone ends (its message loop quits).
bool folderGone();
// Forget the machine this process has open; the next use opens $HUSHDECK_MACHINE anew (tests).
void reset();

// Windows folders of the machine, as host paths. The machine's drive C: is the folder drive_c of the machine
// folder (as in a prefix); what a machine folder of the first layout held beside machine.db (Windows, Users,
// ProgramData, Program Files) is moved there on first start.
QString systemDrive();       // the root of C:
QString windowsFolder();     // C:\Windows
QString programDataFolder(); // C:\ProgramData
QString userName();
QString userProfile();    // C:\Users\<name>
QString roamingAppData(); // %APPDATA%
QString localAppData();   // %LOCALAPPDATA%
QString tempFolder();     // %TEMP%
// Where a path on the machine's C: drive ("C:\\Program Files\\x.exe") is on the host; "" for a path on
// another drive. The one place that knows which host folder the machine's C: is.
QString hostPathOnC(const QString &windowsPath);

// Machine settings (table settings): switches tests flip, such as "elevated" ("1" unless set to "0").
QString setting(const QString &name, const QString &defaultValue = QString());
void setSetting(const QString &name, const QString &value);
bool isElevated();
// Grows with every change of settings or file marks, so that caches of them can tell they are stale
// (one query; changes by the other program count too).
qint64 generation();
void bumpGeneration();

// What the stand-in did that has no effect on the host: programs started, messages posted, boxes shown.
void log(const QString &kind, const QString &text);
QStringList logged(const QString &kind);

// Scripted answers for boxes and dialogs that tests drive; first pushed, first taken.
void pushAnswer(const QString &kind, const QString &value);
std::optional<QString> takeAnswer(const QString &kind);
bool hasAnswers(const QString &kind);

// The machine's environment block as Windows builds it for the signed-in user, sorted by name: what the
// system sets, the machine's and the user's Environment keys (expanded; the user's Path after the
// machine's), the session's variables and the profile's folders. The host's environment is no part of it.
// Built again only when what it is built from has changed (changes by the other program too), so a
// changed registry value shows in the next block.
QList<QPair<QString, QString>> environment();
// A variable of that block (names are case-insensitive); null when it has none.
QString environmentVariable(const QString &name);
// %NAME% expansion with that block; names it lacks stay as they are. Windows expands a text of at most 32K
// characters, the terminator included, into as many: a longer text or answer gives none.
constexpr qsizetype maxExpandedLength = 32768;
std::optional<QString> expandEnvironment(const QString &text);

// Database access for the stand-in's own modules. Hold a Lock around every use of the connection; it is
// null when the machine could not be opened (see openFailure).
sqlite3 *db();
QString databasePath();

// Why the machine could not be opened: 0 when it is open or not tried yet, else the SQLite result. A damaged
// database (one that is not a database, or fails its integrity check) is never used again by this process;
// other failures (a full disk, a lock held beyond the wait) are tried again at the next use.
int openFailure();
bool isDamaged();
// Why the folder HUSHDECK_MACHINE names cannot be the machine, as a sentence ("It is a file, not a folder."):
// a file, a folder that cannot be written, a folder of other files. Empty when the folder is not at fault.
// Like damage, it is never tried again by this process, and nothing in the folder is changed.
QString folderProblem();

// How long a statement waits for the other program's write lock before it fails: 20 s unless tests shorten
// it; a negative wait restores that.
void setBusyWait(int milliseconds);
// Tests: the room left on the machine's disk, in bytes; a write that does not fit fails as on a full disk.
// Negative: no limit (the default).
void setDiskRoom(qint64 bytes);

// Collects the failures of the store on the calling thread while it lives: any statement, transaction or
// opening of the machine that fails notes its SQLite result in every watch alive on that thread. A call
// made of many statements can so tell whether all of them took effect.
class StoreWatch
{
public:
    StoreWatch();
    ~StoreWatch();
    StoreWatch(const StoreWatch &) = delete;
    StoreWatch &operator=(const StoreWatch &) = delete;
    bool failed() const { return first != 0; }
    int code() const { return first; } // the first failure seen

private:
    friend void noteFailure(int code);
    StoreWatch *outer;
    int first = 0;
};
void noteFailure(int code);

// The Windows error code for a failure of the store: ERROR_DISK_FULL, ERROR_LOCK_VIOLATION (the other
// program holds the write lock beyond the wait), ERROR_REGISTRY_CORRUPT, ...
LONG windowsError(int sqliteCode);

class Lock
{
public:
    Lock();
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
};

// BEGIN IMMEDIATE ... COMMIT (or ROLLBACK unless committed); holds the Lock for its lifetime. Nests:
// an inner transaction joins the outer one. All or nothing: commit() fails, and the outer transaction rolls
// back, when the transaction could not begin or any statement failed since it began.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    // True when the transaction could not begin (the caller stops before its first write) or a statement
    // in it failed; its further statements then fail too instead of running on their own.
    bool failed() const { return watch.failed(); }
    int failure() const { return watch.code(); }
    bool commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    StoreWatch watch;
    Lock lock;
    bool counted = false; // joined the machine's transaction depth
    bool outer = false;
    bool done = false;
};

// A prepared statement of the machine's connection (cached per SQL text). Construct under a Lock.
class Query
{
public:
    explicit Query(const char *sql);
    ~Query();
    Query &bind(int index, qint64 value);
    Query &bind(int index, const QString &value);
    Query &bind(int index, const QByteArray &value);
    Query &bindNull(int index);
    // Next row: true while there is one. exec() runs a statement that returns no rows.
    bool next();
    bool exec();
    qint64 integer(int column) const;
    QString text(int column) const;
    QByteArray blob(int column) const;
    bool isNull(int column) const;
    qint64 lastInsertId() const;
    int changes() const;

private:
    void check(int rc);
    sqlite3_stmt *stmt;
};

} // namespace machine
