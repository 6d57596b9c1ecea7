// The Win32 registry functions over the machine's registry store. What the modules rely on of Windows:
// names are case-insensitive and keep their spelling; sub-keys enumerate sorted, values in creation order;
// the unnamed default value; ERROR_MORE_DATA with the size needed; RegDeleteKeyW refuses a key with
// sub-keys; RegGetValueW's type filters and REG_EXPAND_SZ expansion; the 32-bit view of HKLM\SOFTWARE;
// HKEY_CLASSES_ROOT as the merged view of the user's and the machine's classes; keys the machine marks
// unreadable or unwritable, and HKLM writable only while the process counts as elevated. A call whose store
// fails (a full disk, the other program's lock held beyond the wait, a damaged database) returns the Windows
// error for it and changes nothing: changes of many steps go in one transaction.
#include "win32.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"

#include <QHash>
#include <QMutex>
#include <cstring>

using namespace registrystore;

namespace {

enum class Hive { Machine, User, Users, Classes };

// An open key. A key of HKEY_CLASSES_ROOT may stand in both the user's and the machine's classes.
struct KeyRef
{
    Hive hive = Hive::Machine;
    qint64 node = 0;     // the key itself (for Classes: the machine's part, 0 if absent)
    qint64 userNode = 0; // Classes only: the user's part, 0 if absent
    REGSAM access = 0;
    bool view32 = false;
    bool atSoftwareRoot = false; // HKLM\SOFTWARE itself, so that a 32-bit child lookup goes to WOW6432Node
    QString upath;               // upper-case full path (not for Classes); empty when not known yet
    int deny = -1;               // the machine's marks as read when the key was opened; -1 unknown
    bool predefined = false;
};

struct HandleTable
{
    QMutex mutex;
    QHash<quintptr, KeyRef> keys;
    quintptr next = 0x1000;
};

HandleTable &handles()
{
    static HandleTable t;
    return t;
}

const REGSAM readRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
const REGSAM writeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE;

bool isPredefined(HKEY h, Hive *hive)
{
    const quintptr v = reinterpret_cast<quintptr>(h);
    switch (v) {
    case 0x80000000:
        *hive = Hive::Classes;
        return true;
    case 0x80000001:
        *hive = Hive::User;
        return true;
    case 0x80000002:
        *hive = Hive::Machine;
        return true;
    case 0x80000003:
        *hive = Hive::Users;
        return true;
    default:
        return false;
    }
}

// The key a handle stands for, with full access for predefined roots.
bool resolveHandle(HKEY h, KeyRef *out)
{
    Hive hive;
    if (isPredefined(h, &hive)) {
        KeyRef r;
        r.hive = hive;
        r.access = KEY_ALL_ACCESS;
        r.predefined = true;
        r.deny = 0;
        switch (hive) {
        case Hive::Machine:
            r.upath = QStringLiteral("HKEY_LOCAL_MACHINE");
            r.node = rootNode(r.upath);
            break;
        case Hive::User:
            r.upath = QStringLiteral("HKEY_CURRENT_USER");
            r.node = rootNode(r.upath);
            break;
        case Hive::Users:
            r.upath = QStringLiteral("HKEY_USERS");
            r.node = rootNode(r.upath);
            break;
        case Hive::Classes:
            r.node = findPath(rootNode(QStringLiteral("HKEY_LOCAL_MACHINE")), QStringLiteral("SOFTWARE\\Classes"));
            r.userNode = findPath(rootNode(QStringLiteral("HKEY_CURRENT_USER")), QStringLiteral("Software\\Classes"));
            break;
        }
        *out = r;
        return true;
    }
    HandleTable &t = handles();
    QMutexLocker g(&t.mutex);
    auto it = t.keys.constFind(reinterpret_cast<quintptr>(h));
    if (it == t.keys.constEnd())
        return false;
    *out = *it;
    return true;
}

HKEY newHandle(const KeyRef &ref)
{
    HandleTable &t = handles();
    QMutexLocker g(&t.mutex);
    const quintptr v = t.next;
    t.next += 4;
    t.keys.insert(v, ref);
    return reinterpret_cast<HKEY>(v);
}

bool stillThere(const KeyRef &r)
{
    if (r.predefined && r.hive != Hive::Classes)
        return true;
    if (r.hive == Hive::Classes)
        return (r.node && nodeExists(r.node)) || (r.userNode && nodeExists(r.userNode));
    return nodeExists(r.node);
}

bool denied(const KeyRef &r, REGSAM wanted)
{
    // The machine's marks on the key itself.
    int deny = 0;
    if (r.deny >= 0)
        deny = r.deny;
    else if (r.node)
        deny |= nodeDeny(r.node);
    if (r.userNode)
        deny |= nodeDeny(r.userNode);
    if ((deny & DenyRead) && (wanted & readRights))
        return true;
    if ((deny & DenyWrite) && (wanted & writeRights))
        return true;
    // The machine hive is writable only by an elevated process.
    const bool machineKey = r.hive == Hive::Machine || (r.hive == Hive::Classes && !r.userNode);
    if (machineKey && (wanted & writeRights) && !machine::isElevated())
        return true;
    return false;
}

QString subKeyText(LPCWSTR sub)
{
    return sub ? fromWide(sub) : QString();
}

// Follows path below a key; for the 32-bit view, HKLM\SOFTWARE's children live under WOW6432Node.
// create: make missing keys. Returns false when absent (and not created).
bool walk(const KeyRef &from, const QString &path, bool create, KeyRef *out, bool *created)
{
    KeyRef r = from;
    if (created)
        *created = false;
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!create && r.hive != Hive::Classes) {
        // Looking up: the whole path in one query on the keys' full upper-case paths.
        QString up = r.upath.isEmpty() ? nodeUpperPath(r.node) : r.upath;
        bool atSoftware = r.atSoftwareRoot;
        const QString wow = QStringLiteral("WOW6432NODE");
        for (const QString &partName : parts) {
            if (r.view32 && atSoftware && partName.compare(wow, Qt::CaseInsensitive) != 0)
                up += QLatin1Char('\\') + wow;
            up = childUpperPath(up, partName);
            atSoftware = up == QLatin1String("HKEY_LOCAL_MACHINE\\SOFTWARE");
        }
        if (r.view32 && atSoftware)
            up += QLatin1Char('\\') + wow;
        int deny = 0;
        const qint64 node = parts.isEmpty() && !(r.view32 && atSoftware) ? r.node : nodeByUpperPath(up, &deny);
        if (!node)
            return false;
        if (node != r.node || r.deny < 0)
            r.deny = node == r.node && r.deny >= 0 ? r.deny : (parts.isEmpty() ? nodeDeny(node) : deny);
        r.node = node;
        r.upath = up;
        r.atSoftwareRoot = false;
        r.predefined = false;
        *out = r;
        return true;
    }
    r.deny = -1;
    r.upath.clear();
    r.predefined = false;
    const qint64 hklm = rootNode(QStringLiteral("HKEY_LOCAL_MACHINE"));
    for (const QString &partName : parts) {
        if (r.hive == Hive::Classes) {
            const qint64 m = r.node ? childNode(r.node, partName) : 0;
            const qint64 u = r.userNode ? childNode(r.userNode, partName) : 0;
            if (!m && !u) {
                if (!create)
                    return false;
                // New classes keys go to the machine's classes unless only the user's part exists.
                if (r.node)
                    r.node = ensureChild(r.node, partName), r.userNode = 0;
                else
                    r.userNode = ensureChild(r.userNode, partName), r.node = 0;
                if (created)
                    *created = true;
            } else {
                r.node = m;
                r.userNode = u;
            }
            continue;
        }
        qint64 parent = r.node;
        if (r.view32 && r.atSoftwareRoot && partName.compare(QLatin1String("WOW6432Node"), Qt::CaseInsensitive) != 0) {
            if (const qint64 wow = childNode(r.node, QStringLiteral("WOW6432Node")))
                parent = wow;
        }
        qint64 child = childNode(parent, partName);
        if (!child) {
            if (!create)
                return false;
            child = ensureChild(parent, partName);
            if (created)
                *created = true;
        }
        r.atSoftwareRoot = r.hive == Hive::Machine && r.node == hklm &&
                           partName.compare(QLatin1String("SOFTWARE"), Qt::CaseInsensitive) == 0;
        r.node = child;
    }
    // HKLM\SOFTWARE itself, seen through the 32-bit view, is WOW6432Node.
    if (r.view32 && r.atSoftwareRoot) {
        if (const qint64 wow = childNode(r.node, QStringLiteral("WOW6432Node")))
            r.node = wow;
        r.atSoftwareRoot = false;
    }
    *out = r;
    return true;
}

KeyRef withView(KeyRef r, REGSAM sam)
{
    if (sam & KEY_WOW64_32KEY)
        r.view32 = true;
    return r;
}

LONG openKey(HKEY hKey, LPCWSTR lpSubKey, REGSAM sam, bool create, KeyRef *out, DWORD *disposition)
{
    KeyRef base;
    if (!resolveHandle(hKey, &base))
        return ERROR_INVALID_HANDLE;
    if (!stillThere(base))
        return ERROR_KEY_DELETED;
    const QString sub = subKeyText(lpSubKey);
    if (sub.startsWith(QLatin1Char('\\')))
        return 161; // ERROR_BAD_PATHNAME
    base = withView(base, sam);
    bool created = false;
    KeyRef target;
    if (!walk(base, sub, false, &target, nullptr)) {
        if (!create)
            return ERROR_FILE_NOT_FOUND;
        // Creating needs the right to add sub-keys to the deepest key that exists.
        KeyRef deepest = base;
        const QStringList parts = sub.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        QString soFar;
        for (const QString &p : parts) {
            KeyRef next;
            const QString tryPath = soFar.isEmpty() ? p : soFar + QLatin1Char('\\') + p;
            if (!walk(base, tryPath, false, &next, nullptr))
                break;
            deepest = next;
            soFar = tryPath;
        }
        if (denied(deepest, KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        // The key and its missing parents appear together or not at all.
        machine::Transaction tx;
        if (tx.failed() || !walk(base, sub, true, &target, &created) || !tx.commit())
            return ERROR_CANTWRITE;
    }
    if (denied(target, sam & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY)))
        return ERROR_ACCESS_DENIED;
    target.access = sam & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *out = target;
    return ERROR_SUCCESS;
}

// The key a handle stands for, checked for the rights an operation needs.
LONG useKey(HKEY hKey, REGSAM needed, KeyRef *out)
{
    if (!resolveHandle(hKey, out))
        return ERROR_INVALID_HANDLE;
    if (!stillThere(*out))
        return ERROR_KEY_DELETED;
    if ((out->access & needed) != needed)
        return ERROR_ACCESS_DENIED;
    Hive hive;
    if (isPredefined(hKey, &hive) && denied(*out, needed))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// The key a handle stands for, checked for setting and deleting its values.
LONG useKeyForValues(HKEY hKey, KeyRef *out)
{
    const LONG rc = useKey(hKey, KEY_SET_VALUE, out);
    if (rc != ERROR_SUCCESS)
        return rc;
    return denied(*out, KEY_SET_VALUE) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

bool readMerged(const KeyRef &r, const QString &name, DWORD *type, QByteArray *data)
{
    if (r.userNode && readValue(r.userNode, name, type, data))
        return true;
    return r.node && readValue(r.node, name, type, data);
}

bool isStringType(DWORD t)
{
    return t == REG_SZ || t == REG_EXPAND_SZ || t == REG_MULTI_SZ;
}

QStringList mergedChildren(const KeyRef &r)
{
    if (r.hive != Hive::Classes)
        return childNames(r.node);
    QStringList names = r.node ? childNames(r.node) : QStringList();
    if (r.userNode) {
        for (const QString &n : childNames(r.userNode)) {
            bool seen = false;
            for (const QString &m : std::as_const(names))
                if (m.compare(n, Qt::CaseInsensitive) == 0)
                    seen = true;
            if (!seen)
                names << n;
        }
        std::sort(names.begin(), names.end(),
                  [](const QString &a, const QString &b) { return a.toUpper() < b.toUpper(); });
    }
    return names;
}

QList<ValueEntry> mergedValues(const KeyRef &r)
{
    QList<ValueEntry> out = r.userNode ? values(r.userNode) : QList<ValueEntry>();
    if (r.node) {
        for (const ValueEntry &v : values(r.node)) {
            bool seen = false;
            for (const ValueEntry &u : std::as_const(out))
                if (u.name.compare(v.name, Qt::CaseInsensitive) == 0)
                    seen = true;
            if (!seen)
                out << v;
        }
    }
    return out;
}

// The node that receives a write: for classes the user's part where it exists, else the machine's.
qint64 writeNode(const KeyRef &r)
{
    if (r.hive == Hive::Classes)
        return r.userNode ? r.userNode : r.node;
    return r.node;
}

// Runs one registry call on the store. A failure of the store overrides what the call made of it (a read
// that failed looks like an absent value to it), so that nothing is reported done that did not happen.
template <typename Body> LONG storeCall(Body body)
{
    machine::StoreWatch watch;
    machine::Lock lock;
    const LONG rc = body();
    return watch.failed() ? LONG(machine::windowsError(watch.code())) : rc;
}

} // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    KeyRef r;
    const LONG rc = storeCall([&] { return openKey(hKey, lpSubKey, samDesired, false, &r, nullptr); });
    if (rc == ERROR_SUCCESS)
        *phkResult = newHandle(r);
    return rc;
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired, const LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult || !lpSubKey)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    KeyRef r;
    DWORD disposition = 0;
    const LONG rc = storeCall([&] { return openKey(hKey, lpSubKey, samDesired, true, &r, &disposition); });
    if (rc == ERROR_SUCCESS) {
        *phkResult = newHandle(r);
        if (lpdwDisposition)
            *lpdwDisposition = disposition;
    }
    return rc;
}

LONG RegCloseKey(HKEY hKey)
{
    Hive hive;
    if (isPredefined(hKey, &hive))
        return ERROR_SUCCESS;
    HandleTable &t = handles();
    QMutexLocker g(&t.mutex);
    return t.keys.remove(reinterpret_cast<quintptr>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType, PVOID pvData,
                  LPDWORD pcbData)
{
    const DWORD typeMask = dwFlags & RRF_RT_ANY;
    if (!typeMask || (pvData && !pcbData))
        return ERROR_INVALID_PARAMETER;
    // Asking for expandable strings while letting them expand is refused, as on Windows.
    if ((typeMask & RRF_RT_REG_EXPAND_SZ) && !(dwFlags & RRF_NOEXPAND) && typeMask != RRF_RT_ANY)
        return ERROR_INVALID_PARAMETER;
    const DWORD capacity = pcbData ? *pcbData : 0;
    const LONG result = storeCall([&]() -> LONG {
        KeyRef r;
        LONG rc;
        if (lpSubKey && *lpSubKey) {
            rc = openKey(hkey, lpSubKey, KEY_QUERY_VALUE | ((dwFlags & RRF_SUBKEY_WOW6432KEY) ? KEY_WOW64_32KEY : 0),
                         false, &r, nullptr);
        } else {
            rc = useKey(hkey, KEY_QUERY_VALUE, &r);
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        DWORD type = 0;
        QByteArray data;
        if (!readMerged(r, lpValue ? fromWide(lpValue) : QString(), &type, &data))
            return ERROR_FILE_NOT_FOUND;

        bool allowed = false;
        bool expand = false;
        // The 32- and 64-bit filters take binary data only of their size: other binary data is a mismatch, not
        // a type the filter refuses. Numbers pass their type's filter whatever their stored size.
        const bool sized32 = (typeMask & RRF_RT_DWORD) == RRF_RT_DWORD && typeMask != RRF_RT_ANY;
        const bool sized64 = (typeMask & RRF_RT_QWORD) == RRF_RT_QWORD && typeMask != RRF_RT_ANY;
        bool wrongSize = false;
        switch (type) {
        case REG_NONE:
            allowed = typeMask & RRF_RT_REG_NONE;
            break;
        case REG_SZ:
            allowed = typeMask & RRF_RT_REG_SZ;
            break;
        case REG_EXPAND_SZ:
            if (dwFlags & RRF_NOEXPAND) {
                allowed = typeMask & RRF_RT_REG_EXPAND_SZ;
            } else {
                allowed = typeMask & RRF_RT_REG_SZ;
                expand = true;
            }
            break;
        case REG_BINARY:
            allowed = typeMask & RRF_RT_REG_BINARY;
            wrongSize = (sized32 && !sized64 && data.size() != 4) || (sized64 && !sized32 && data.size() != 8);
            break;
        case REG_DWORD:
            allowed = typeMask & RRF_RT_REG_DWORD;
            break;
        case REG_MULTI_SZ:
            allowed = typeMask & RRF_RT_REG_MULTI_SZ;
            break;
        case REG_QWORD:
            allowed = typeMask & RRF_RT_REG_QWORD;
            break;
        default:
            allowed = typeMask == RRF_RT_ANY;
            break;
        }
        if (!allowed)
            return ERROR_UNSUPPORTED_TYPE;
        if (wrongSize)
            return ERROR_DATATYPE_MISMATCH;

        DWORD reportedType = type;
        if (expand) {
            // An answer past what Windows expands into is refused, never handed back cut or unexpanded.
            const std::optional<QString> expanded = machine::expandEnvironment(dataString(data));
            if (!expanded)
                return ERROR_INSUFFICIENT_BUFFER;
            data = stringData(*expanded);
            reportedType = REG_SZ;
        }
        if (pdwType)
            *pdwType = reportedType;

        // Strings come back NUL-terminated (an odd trailing byte is completed first), and every size reported
        // counts the terminator added to data stored without one.
        if (isStringType(reportedType)) {
            if (data.size() % 2)
                data.append('\0');
            const bool terminated = data.size() >= 2 && data.at(data.size() - 1) == 0 && data.at(data.size() - 2) == 0;
            if (!terminated)
                data.append(2, '\0');
        }
        const DWORD needed = DWORD(data.size());
        if (!pvData) {
            if (pcbData)
                *pcbData = needed;
            return ERROR_SUCCESS;
        }
        if (capacity < needed) {
            *pcbData = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(pvData, data.constData(), needed);
        *pcbData = needed;
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS && (dwFlags & RRF_ZEROONFAILURE) && pvData && capacity)
        std::memset(pvData, 0, capacity);
    return result;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    return storeCall([&]() -> LONG {
        KeyRef r;
        LONG rc = useKey(hKey, KEY_QUERY_VALUE, &r);
        if (rc != ERROR_SUCCESS)
            return rc;
        DWORD type = 0;
        QByteArray data;
        if (!readMerged(r, lpValueName ? fromWide(lpValueName) : QString(), &type, &data))
            return ERROR_FILE_NOT_FOUND;
        if (lpType)
            *lpType = type;
        const DWORD needed = DWORD(data.size());
        if (!lpcbData)
            return ERROR_SUCCESS;
        if (!lpData) {
            *lpcbData = needed;
            return ERROR_SUCCESS;
        }
        if (*lpcbData < needed) {
            *lpcbData = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(lpData, data.constData(), needed);
        *lpcbData = needed;
        return ERROR_SUCCESS;
    });
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    return storeCall([&]() -> LONG {
        KeyRef r;
        if (const LONG rc = useKeyForValues(hKey, &r))
            return rc;
        const QString name = lpValueName ? fromWide(lpValueName) : QString();
        if (name.size() > 16383)
            return ERROR_INVALID_PARAMETER;
        // A string counted without its terminator, while the terminator follows in memory, is stored with it
        // (as Windows does): a caller that counted the characters only still stores a terminated string.
        DWORD size = cbData;
        if ((dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ) && size >= sizeof(WCHAR)) {
            const WCHAR *text = reinterpret_cast<const WCHAR *>(lpData);
            const DWORD units = size / DWORD(sizeof(WCHAR));
            if (text[units - 1] != 0 && text[units] == 0)
                size += DWORD(sizeof(WCHAR));
        }
        writeValue(writeNode(r), name, dwType, QByteArray(reinterpret_cast<const char *>(lpData), int(size)));
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    return storeCall([&]() -> LONG {
        KeyRef r;
        if (const LONG rc = useKeyForValues(hKey, &r))
            return rc;
        const QString name = lpValueName ? fromWide(lpValueName) : QString();
        if (r.userNode && deleteValue(r.userNode, name))
            return ERROR_SUCCESS;
        return (r.node && deleteValue(r.node, name)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return storeCall([&]() -> LONG {
        KeyRef target;
        LONG rc = openKey(hKey, lpSubKey, 0, false, &target, nullptr);
        if (rc != ERROR_SUCCESS)
            return rc;
        if (fromWide(lpSubKey).split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty())
            return ERROR_ACCESS_DENIED; // a key cannot delete itself through an empty path
        if (denied(target, DELETE))
            return ERROR_ACCESS_DENIED;
        const qint64 node = writeNode(target);
        // Windows refuses to delete a key that still has sub-keys.
        if ((target.node && hasChildren(target.node)) || (target.userNode && hasChildren(target.userNode)))
            return ERROR_ACCESS_DENIED;
        // The key goes with its values, or nothing goes.
        machine::Transaction tx;
        if (tx.failed())
            return ERROR_CANTWRITE;
        deleteTree(node);
        return tx.commit() ? ERROR_SUCCESS : ERROR_CANTWRITE;
    });
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    return storeCall([&]() -> LONG {
        KeyRef r;
        LONG rc = useKey(hKey, KEY_ENUMERATE_SUB_KEYS, &r);
        if (rc != ERROR_SUCCESS)
            return rc;
        const QStringList names = mergedChildren(r);
        if (dwIndex >= DWORD(names.size()))
            return ERROR_NO_MORE_ITEMS;
        const QString &name = names.at(int(dwIndex));
        if (DWORD(name.size()) + 1 > *lpcchName)
            return ERROR_MORE_DATA;
        copyToWide(name, lpName, *lpcchName);
        *lpcchName = DWORD(name.size());
        if (lpClass && lpcchClass && *lpcchClass) {
            lpClass[0] = 0;
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime)
            *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                   LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    return storeCall([&]() -> LONG {
        KeyRef r;
        LONG rc = useKey(hKey, KEY_QUERY_VALUE, &r);
        if (rc != ERROR_SUCCESS)
            return rc;
        const QList<ValueEntry> vals = mergedValues(r);
        if (dwIndex >= DWORD(vals.size()))
            return ERROR_NO_MORE_ITEMS;
        const ValueEntry &v = vals.at(int(dwIndex));
        if (DWORD(v.name.size()) + 1 > *lpcchValueName)
            return ERROR_MORE_DATA;
        copyToWide(v.name, lpValueName, *lpcchValueName);
        *lpcchValueName = DWORD(v.name.size());
        if (lpType)
            *lpType = v.type;
        if (lpcbData) {
            const DWORD needed = DWORD(v.data.size());
            if (lpData) {
                if (*lpcbData < needed) {
                    *lpcbData = needed;
                    return ERROR_MORE_DATA;
                }
                std::memcpy(lpData, v.data.constData(), needed);
            }
            *lpcbData = needed;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                      LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    return storeCall([&]() -> LONG {
        KeyRef r;
        LONG rc = useKey(hKey, 0, &r);
        if (rc != ERROR_SUCCESS)
            return rc;
        const QStringList names = mergedChildren(r);
        const QList<ValueEntry> vals = mergedValues(r);
        DWORD maxKey = 0, maxName = 0, maxData = 0;
        for (const QString &n : names)
            maxKey = qMax(maxKey, DWORD(n.size()));
        for (const ValueEntry &v : vals) {
            maxName = qMax(maxName, DWORD(v.name.size()));
            maxData = qMax(maxData, DWORD(v.data.size()));
        }
        if (lpClass && lpcchClass && *lpcchClass)
            lpClass[0] = 0;
        if (lpcchClass)
            *lpcchClass = 0;
        if (lpcSubKeys)
            *lpcSubKeys = DWORD(names.size());
        if (lpcbMaxSubKeyLen)
            *lpcbMaxSubKeyLen = maxKey;
        if (lpcbMaxClassLen)
            *lpcbMaxClassLen = 0;
        if (lpcValues)
            *lpcValues = DWORD(vals.size());
        if (lpcbMaxValueNameLen)
            *lpcbMaxValueNameLen = maxName;
        if (lpcbMaxValueLen)
            *lpcbMaxValueLen = maxData;
        if (lpcbSecurityDescriptor)
            *lpcbSecurityDescriptor = 0;
        if (lpftLastWriteTime)
            *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize)
{
    if (!lpSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Read no further than the longest text that expands: one that reaches the limit gives no answer.
    const std::optional<QString> out = machine::expandEnvironment(fromWide(lpSrc, machine::maxExpandedLength));
    if (!out) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const DWORD needed = DWORD(out->size()) + 1;
    if (lpDst && nSize >= needed)
        copyToWide(*out, lpDst, nSize);
    return needed;
}

void registrystore::forgetHandles()
{
    {
        HandleTable &t = handles();
        QMutexLocker g(&t.mutex);
        t.keys.clear();
    }
    forgetRoots();
}
