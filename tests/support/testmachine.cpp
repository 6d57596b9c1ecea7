#include "testmachine.h"

#include "linux/machine.h"
#include "linux/filefaults.h"
#include "linux/registrystore.h"

TestMachine::TestMachine()
{
    hadPrevious = qEnvironmentVariableIsSet("HUSHDECK_MACHINE");
    previous = qgetenv("HUSHDECK_MACHINE");
    machine::reset();
    qputenv("HUSHDECK_MACHINE", QFile::encodeName(dir.path() + QStringLiteral("/machine")));
    machine::folder(); // create and seed it now, so tests start from a ready machine
    // Tests record what would open on the host instead of opening it.
    machine::setSetting(QStringLiteral("launcher.host"), QStringLiteral("0"));
}

TestMachine::~TestMachine()
{
    // A newer test machine made before this one ends is the one in use: leave it alone, so nothing falls
    // back to the user's own machine while it runs.
    if (qgetenv("HUSHDECK_MACHINE") != QFile::encodeName(dir.path() + QStringLiteral("/machine")))
        return;
    machine::reset();
    if (hadPrevious)
        qputenv("HUSHDECK_MACHINE", previous);
    else
        qunsetenv("HUSHDECK_MACHINE");
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

void TestMachine::protectProcess(qint64 pid)
{
    machine::setSetting(QStringLiteral("process.protected.") + QString::number(pid), QStringLiteral("1"));
}
