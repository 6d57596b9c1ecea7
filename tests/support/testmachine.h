// A fresh simulated machine for one test: a temporary folder that $HUSHDECK_MACHINE points at, seeded on
// first use and removed afterwards, with its own $XDG_DATA_HOME (the host trash) inside it. Create one in init() (or at
// the top of a test function).
#pragma once

#include <QString>
#include <QList>
#include <QStringList>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

struct sqlite3;

// Whether the host lets this account raise a nice value again (root, or CAP_SYS_NICE): Windows lets any user
// raise their own processes' class, the host decides here, and a test expects what it gives.
bool hostMayRaisePriority();

class TestMachine
{
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine &) = delete;
    TestMachine &operator=(const TestMachine &) = delete;

    QString folder() const;
    // Switches the machine flips for tests.
    void setElevated(bool elevated);
    // Scripted answers: message boxes take "IDYES", "IDNO", "IDOK", "IDCANCEL" (or a number); the folder
    // browser takes a path, or "" for Cancel.
    // Marks a key ("HKEY_CURRENT_USER\\Software\\X") unreadable and/or unwritable for this process; the key
    // is created when missing.
    void denyKey(const QString &fullPath, bool read, bool write);
    // Files: a fault ("locked", "unreadable", "diskfull", "vanish"; "" clears it) and attribute marks
    // (FILE_ATTRIBUTE_HIDDEN, SYSTEM, COMPRESSED, ENCRYPTED, SPARSE_FILE) for a host path.
    void injectFileFault(const QString &path, const QString &fault);
    void markFileAttributes(const QString &path, unsigned attributes);
    // Makes the machine's store fail: "full" (every write fails as on a full disk; "full:N" leaves room for
    // N more bytes first), "locked" (another
    // connection holds the write lock, and the stand-in waits only 200 ms for it), "damaged" (garbage over
    // the database's pages after the first) or "damaged-header" (garbage over its first page). Damage closes
    // the machine and is found when it next opens; it stays. "" ends "full" and "locked".
    void failStore(const QString &how);
    // Marks a host process protected: it refuses what Windows refuses for a protected process (full access,
    // its modules), as a process of another user would.
    void protectProcess(qint64 pid);
    // Services: a Service Control Manager function ("OpenSCManagerW", "QueryServiceConfigW", ...) fails with
    // error (0 ends it), after letting succeedFirst more calls through; a service's run state (SERVICE_RUNNING,
    // SERVICE_STOPPED, ...) and the process it runs in (0 when none).
    void failServiceCall(const QString &function, unsigned error, int succeedFirst = 0);
    void setServiceState(const QString &name, unsigned state);
    unsigned serviceState(const QString &name, unsigned *pid = nullptr) const;
    // Makes SystemParametersInfoW fail for these actions (get or set numbers); an empty list ends it.
    void failSystemParameter(const QList<unsigned> &actions);
    void answerMessageBox(const QString &answer);
    void answerFolderBrowser(const QString &path);
    // Web requests whose address starts with prefix go to target + the rest of the address instead
    // ("http://www.example.com" -> "http://127.0.0.1:4711"); the longest matching prefix wins. A new test
    // machine sends every other web address to a closed local port, so no test reaches the internet and a
    // download fails at once, the same everywhere; clearUrlOverrides() removes that too.
    void overrideUrl(const QString &prefix, const QString &target);
    void clearUrlOverrides();
    // What the stand-in recorded: "MessageBox", "PostMessage", "Start", ...
    QStringList logged(const QString &kind) const;
    // Makes hostFolder the host user's Documents, Music, Pictures, Videos or Desktop folder (csidl) and links
    // the profile's entry to it, as on a machine that uses the host's folders; false when the link failed.
    // Ends with the machine.
    bool linkUserFolder(int csidl, const QString &hostFolder);

    // Turns the machine folder back into the layout of the first version: its Windows, Users, ... folders
    // beside machine.db and its stored paths not yet carried over; the next use of the machine carries it
    // over. Write what the old version kept (registry strings, files) before calling it.
    void makeFirstLayout();

private:
    void releaseStoreLock();
    QTemporaryDir dir;
    sqlite3 *storeHolder = nullptr;
    QByteArray previous;
    bool hadPrevious;
    QByteArray previousData;                  // XDG_DATA_HOME before the machine, null when it was not set
    std::optional<QByteArray> previousConfig; // XDG_CONFIG_HOME, when linkUserFolder set it
};
