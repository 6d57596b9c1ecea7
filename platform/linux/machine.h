// The simulated Windows machine behind the stand-in: a folder ($HUSHDECK_MACHINE, by default
// ~/.local/share/hushdeck/machine) with machine.db and the Windows folders. Both programs and every
// thread share it; the database serialises access within a process and between processes.
#pragma once

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
// Forget the machine this process has open; the next use opens $HUSHDECK_MACHINE anew (tests).
void reset();

// Windows folders of the machine, as host paths.
QString windowsFolder();     // C:\Windows
QString programDataFolder(); // C:\ProgramData
QString userName();
QString userProfile();    // C:\Users\<name>
QString roamingAppData(); // %APPDATA%
QString localAppData();   // %LOCALAPPDATA%
QString tempFolder();     // %TEMP%

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

// %NAME% expansion with the machine's environment (profile, application data, temp and Windows
// folders point into the machine folder); unknown names stay as they are.
QString expandEnvironment(const QString &text);
QString environmentVariable(const QString &name);

// Database access for the stand-in's own modules. Hold a Lock around every use of the connection.
sqlite3 *db();

class Lock
{
public:
    Lock();
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
};

// BEGIN IMMEDIATE ... COMMIT (or ROLLBACK unless committed); holds the Lock for its lifetime. Nests:
// an inner transaction joins the outer one.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    bool commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Lock lock;
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
    sqlite3_stmt *stmt;
};

} // namespace machine
