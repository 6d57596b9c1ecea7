// The registry of the simulated machine: keys and values in machine.db, reached by node ids. The Win32
// registry functions (registry.cpp) and the .reg importer work on top of it. Callers hold machine::Lock.
#pragma once

#include "linux/machine/w32types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace registrystore {

enum Deny { DenyRead = 1, DenyWrite = 2 };

// Top-level nodes: "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS".
void createRoots();
qint64 rootNode(const QString &name);
// Imports platform/linux/machine/machine-seed.reg, which the program carries as a resource.
void importSeed();
// Forgets the open key handles (a new machine is opened).
void forgetHandles();
void forgetRoots();

// Imports registry-file text ("Windows Registry Editor Version 5.00" or "REGEDIT4"), all or nothing: on a
// line it cannot read (error gives the line number) or a failure of the store it returns false and leaves
// the registry as it was.
bool importRegText(const QString &text, QString *error = nullptr);

// Node operations, no access checks.
qint64 childNode(qint64 parent, const QString &name);   // 0 when absent
qint64 ensureChild(qint64 parent, const QString &name); // creates when absent
qint64 findPath(qint64 from, const QString &path);      // 0 when absent; "" gives from
// The key with a full upper-case path ("HKEY_CURRENT_USER\\SOFTWARE\\X"), links already resolved; one query.
qint64 nodeByUpperPath(const QString &upath, int *deny = nullptr);
QString nodeUpperPath(qint64 node);
// The upper-case path of a child below a parent's upper-case path, following the CurrentControlSet link.
QString childUpperPath(const QString &parentUpath, const QString &childName);
qint64 ensurePath(qint64 from, const QString &path);
bool nodeExists(qint64 node);
int nodeDeny(qint64 node);
void setNodeDeny(qint64 node, int deny);
QString nodeName(qint64 node);
QStringList childNames(qint64 node); // sorted as Windows enumerates
bool hasChildren(qint64 node);
void deleteTree(qint64 node);
bool readValue(qint64 node, const QString &name, DWORD *type, QByteArray *data);
void writeValue(qint64 node, const QString &name, DWORD type, const QByteArray &data);
bool deleteValue(qint64 node, const QString &name);
struct ValueEntry
{
    QString name;
    DWORD type;
    QByteArray data;
};
QList<ValueEntry> values(qint64 node); // in creation order

// Full path of a Windows key ("HKEY_CURRENT_USER\\Software\\X" or "HKCU\\Software\\X") to its node.
qint64 findKey(const QString &fullPath);
qint64 ensureKey(const QString &fullPath);

// A system parameter kept as REG_SZ text in the user profile (inProfile), or for the session only in the
// machine's setting sessionName (sessionText; a change to the profile ends the session's). All in one
// transaction; false when the store failed, with nothing changed.
bool storeParameter(const QString &fullKey, const QString &valueName, const QString &text, const QString &sessionName,
                    const QString &sessionText, bool inProfile);

// UTF-16LE bytes of text with one terminating NUL: how REG_SZ data is stored.
QByteArray stringData(const QString &text);
// Text of REG_SZ data up to its first NUL.
QString dataString(const QByteArray &data);

} // namespace registrystore
