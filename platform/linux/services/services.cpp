// The Service Control Manager over the machine: configuration in the registry, run states in the machine's
// table (servicetable.h). Handles live in this process only, as Windows' handles do.
#include "win32.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"
#include "linux/services/servicetable.h"
#include "linux/windows/windowtable.h"

#include <QDebug>
#include <QtEndian>
#include <QHash>
#include <QMutex>

#include <cstring>

using machine::Query;

namespace servicetable {

namespace {

const char *const runningAtStart[] = {"DiagTrack", "Spooler", "WSearch"};

} // namespace

void seed()
{
    machine::Lock lock;
    for (const char *name : runningAtStart)
        setState(QLatin1String(name), SERVICE_RUNNING);
}

DWORD state(const QString &name, DWORD *pid)
{
    machine::Lock lock;
    Query q("SELECT state, pid FROM services WHERE uname=?");
    q.bind(1, name.toUpper());
    const bool known = q.next();
    if (pid)
        *pid = known ? DWORD(q.integer(1)) : 0;
    return known ? DWORD(q.integer(0)) : SERVICE_STOPPED;
}

bool setState(const QString &name, DWORD newState)
{
    machine::Transaction tx;
    DWORD pid = 0;
    const DWORD old = state(name, &pid);
    if (newState != SERVICE_RUNNING)
        pid = 0;
    else if (old != SERVICE_RUNNING || !pid)
        pid = windowtable::startSimulatedProcess(QStringLiteral("svchost.exe"));
    Query q("INSERT OR REPLACE INTO services(uname, state, pid) VALUES(?, ?, ?)");
    q.bind(1, name.toUpper()).bind(2, qint64(newState)).bind(3, qint64(pid)).exec();
    return tx.commit();
}

} // namespace servicetable

namespace {

const QString servicesKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\");

struct ScObject
{
    bool manager;
    QString service; // the service's key name
    DWORD access;
};

struct HandleTable
{
    QMutex mutex;
    QHash<quintptr, ScObject> objects;
    quintptr next = 0x5c00;
};

HandleTable &table()
{
    static HandleTable t;
    return t;
}

SC_HANDLE addHandle(const ScObject &object)
{
    HandleTable &t = table();
    QMutexLocker g(&t.mutex);
    t.next += 4;
    t.objects.insert(t.next, object);
    return reinterpret_cast<SC_HANDLE>(t.next);
}

bool findHandle(SC_HANDLE h, ScObject *object)
{
    HandleTable &t = table();
    QMutexLocker g(&t.mutex);
    const auto it = t.objects.constFind(reinterpret_cast<quintptr>(h));
    if (it == t.objects.constEnd())
        return false;
    *object = *it;
    return true;
}

BOOL fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

// The failure tests inject into one function: "fail.<function>" holds a Windows error code, optionally
// followed by ":N" to let N more calls succeed first.
DWORD injectedFailure(const char *function)
{
    const QString name = QStringLiteral("fail.") + QLatin1String(function);
    const QString how = machine::setting(name);
    if (how.isEmpty())
        return 0;
    const DWORD code = how.section(QLatin1Char(':'), 0, 0).toUInt();
    const QString left = how.section(QLatin1Char(':'), 1);
    if (!left.isEmpty() && left.toInt() > 0) {
        machine::setSetting(name, QString::number(code) + QLatin1Char(':') + QString::number(left.toInt() - 1));
        return 0;
    }
    return code;
}

// The service's key: a key under Services with a service type is a service. Held under the machine's lock.
qint64 serviceNode(const QString &name)
{
    const qint64 node = registrystore::findKey(servicesKey + name);
    DWORD type = 0;
    QByteArray data;
    if (!node || !registrystore::readValue(node, QStringLiteral("Type"), &type, &data) || type != REG_DWORD ||
        data.size() != 4)
        return 0;
    return node;
}

DWORD dwordValue(qint64 node, const char *name, DWORD fallback)
{
    DWORD type = 0;
    QByteArray data;
    if (!registrystore::readValue(node, QLatin1String(name), &type, &data) || type != REG_DWORD || data.size() != 4)
        return fallback;
    return qFromLittleEndian<quint32>(data.constData());
}

QByteArray dwordData(DWORD value)
{
    const quint32 le = qToLittleEndian(quint32(value));
    return QByteArray(reinterpret_cast<const char *>(&le), 4);
}

QString stringValue(qint64 node, const char *name)
{
    DWORD type = 0;
    QByteArray data;
    if (!registrystore::readValue(node, QLatin1String(name), &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return QString();
    return registrystore::dataString(data);
}

// The strings of a REG_MULTI_SZ value.
QStringList multiString(qint64 node, const char *name)
{
    DWORD type = 0;
    QByteArray data;
    if (!registrystore::readValue(node, QLatin1String(name), &type, &data) || type != REG_MULTI_SZ)
        return {};
    const QString all = QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData()), data.size() / 2);
    return all.split(QChar(0), Qt::SkipEmptyParts);
}

// A service handle with the right asked for; false (and the error set) otherwise.
bool serviceHandle(SC_HANDLE h, DWORD right, ScObject *object)
{
    if (!findHandle(h, object) || object->manager)
        return fail(ERROR_INVALID_HANDLE);
    if (!(object->access & right))
        return fail(ERROR_ACCESS_DENIED);
    return true;
}

bool isDriver(DWORD serviceType)
{
    return serviceType == SERVICE_KERNEL_DRIVER || serviceType == SERVICE_FILE_SYSTEM_DRIVER;
}

bool knownServiceType(DWORD serviceType)
{
    return isDriver(serviceType) || serviceType == SERVICE_WIN32_OWN_PROCESS ||
           serviceType == SERVICE_WIN32_SHARE_PROCESS;
}

// Copies text with its NUL into the configuration buffer at *cursor.
LPWSTR place(const QString &text, BYTE **cursor)
{
    auto *out = reinterpret_cast<WCHAR *>(*cursor);
    const char16_t *src = reinterpret_cast<const char16_t *>(text.utf16());
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = WCHAR(src[i]);
    out[text.size()] = 0;
    *cursor += (text.size() + 1) * sizeof(WCHAR);
    return out;
}

} // namespace

SC_HANDLE WINAPI OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR lpDatabaseName, DWORD dwDesiredAccess)
{
    if (const DWORD code = injectedFailure("OpenSCManagerW")) {
        SetLastError(code);
        return nullptr;
    }
    // Only this machine's manager is reachable.
    if (lpMachineName && *lpMachineName) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    const QString database = fromWide(lpDatabaseName);
    if (!database.isEmpty() && database.compare(QLatin1String("ServicesActive"), Qt::CaseInsensitive) != 0) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    const DWORD reading = SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS |
                          STANDARD_RIGHTS_READ | GENERIC_READ;
    if ((dwDesiredAccess & ~reading) && !machine::isElevated()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return addHandle({true, QString(), dwDesiredAccess | SC_MANAGER_CONNECT});
}

SC_HANDLE WINAPI OpenServiceW(SC_HANDLE hSCManager, LPCWSTR lpServiceName, DWORD dwDesiredAccess)
{
    if (const DWORD code = injectedFailure("OpenServiceW")) {
        SetLastError(code);
        return nullptr;
    }
    ScObject manager;
    if (!findHandle(hSCManager, &manager) || !manager.manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const QString name = fromWide(lpServiceName);
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/'))) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    QString keyName;
    {
        machine::Lock lock;
        const qint64 node = serviceNode(name);
        if (node)
            keyName = registrystore::nodeName(node);
    }
    if (keyName.isEmpty()) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    const DWORD reading = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                          SERVICE_INTERROGATE | STANDARD_RIGHTS_READ | GENERIC_READ;
    if ((dwDesiredAccess & ~reading) && !machine::isElevated()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return addHandle({false, keyName, dwDesiredAccess});
}

BOOL WINAPI QueryServiceStatusEx(SC_HANDLE hService, SC_STATUS_TYPE InfoLevel, LPBYTE lpBuffer, DWORD cbBufSize,
                                 LPDWORD pcbBytesNeeded)
{
    if (const DWORD code = injectedFailure("QueryServiceStatusEx"))
        return fail(code);
    ScObject service;
    if (!serviceHandle(hService, SERVICE_QUERY_STATUS, &service))
        return FALSE;
    if (InfoLevel != SC_STATUS_PROCESS_INFO)
        return fail(ERROR_INVALID_LEVEL);
    if (!pcbBytesNeeded)
        return fail(ERROR_INVALID_PARAMETER);
    if (!lpBuffer || cbBufSize < sizeof(SERVICE_STATUS_PROCESS)) {
        *pcbBytesNeeded = sizeof(SERVICE_STATUS_PROCESS);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    SERVICE_STATUS_PROCESS status = {};
    {
        machine::Lock lock;
        const qint64 node = serviceNode(service.service);
        if (!node)
            return fail(ERROR_SERVICE_DOES_NOT_EXIST);
        status.dwServiceType = dwordValue(node, "Type", SERVICE_WIN32_OWN_PROCESS);
        status.dwCurrentState = servicetable::state(service.service, &status.dwProcessId);
    }
    if (status.dwCurrentState == SERVICE_RUNNING)
        status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    std::memcpy(lpBuffer, &status, sizeof(status));
    *pcbBytesNeeded = sizeof(status);
    return TRUE;
}

BOOL WINAPI QueryServiceConfigW(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGW lpServiceConfig, DWORD cbBufSize,
                                LPDWORD pcbBytesNeeded)
{
    if (const DWORD code = injectedFailure("QueryServiceConfigW"))
        return fail(code);
    ScObject service;
    if (!serviceHandle(hService, SERVICE_QUERY_CONFIG, &service))
        return FALSE;
    if (!pcbBytesNeeded)
        return fail(ERROR_INVALID_PARAMETER);
    QUERY_SERVICE_CONFIGW config = {};
    QString binary, group, account, display;
    QStringList dependencies;
    {
        machine::Lock lock;
        const qint64 node = serviceNode(service.service);
        if (!node)
            return fail(ERROR_SERVICE_DOES_NOT_EXIST);
        config.dwServiceType = dwordValue(node, "Type", SERVICE_WIN32_OWN_PROCESS);
        config.dwStartType = dwordValue(node, "Start", SERVICE_DEMAND_START);
        config.dwErrorControl = dwordValue(node, "ErrorControl", SERVICE_ERROR_NORMAL);
        config.dwTagId = dwordValue(node, "Tag", 0);
        binary = stringValue(node, "ImagePath");
        group = stringValue(node, "Group");
        account = stringValue(node, "ObjectName");
        display = stringValue(node, "DisplayName");
        dependencies = multiString(node, "DependOnService");
        for (const QString &g : multiString(node, "DependOnGroup"))
            dependencies << QLatin1Char('+') + g; // groups are marked as Windows marks them
    }
    // The strings follow the structure; the dependencies end in an empty string.
    DWORD stringUnits = DWORD(binary.size() + group.size() + account.size() + display.size() + 4 + 1);
    for (const QString &d : std::as_const(dependencies))
        stringUnits += DWORD(d.size() + 1);
    const DWORD needed = DWORD(sizeof(QUERY_SERVICE_CONFIGW)) + stringUnits * DWORD(sizeof(WCHAR));
    if (!lpServiceConfig || cbBufSize < needed) {
        *pcbBytesNeeded = needed;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    BYTE *cursor = reinterpret_cast<BYTE *>(lpServiceConfig) + sizeof(QUERY_SERVICE_CONFIGW);
    config.lpBinaryPathName = place(binary, &cursor);
    config.lpLoadOrderGroup = place(group, &cursor);
    config.lpDependencies = reinterpret_cast<LPWSTR>(cursor);
    for (const QString &d : std::as_const(dependencies))
        place(d, &cursor);
    place(QString(), &cursor);
    config.lpServiceStartName = place(account, &cursor);
    config.lpDisplayName = place(display, &cursor);
    *lpServiceConfig = config;
    *pcbBytesNeeded = needed;
    return TRUE;
}

BOOL WINAPI ChangeServiceConfigW(SC_HANDLE hService, DWORD dwServiceType, DWORD dwStartType, DWORD dwErrorControl,
                                 LPCWSTR lpBinaryPathName, LPCWSTR lpLoadOrderGroup, LPDWORD lpdwTagId,
                                 LPCWSTR lpDependencies, LPCWSTR lpServiceStartName, LPCWSTR lpPassword,
                                 LPCWSTR lpDisplayName)
{
    if (const DWORD code = injectedFailure("ChangeServiceConfigW"))
        return fail(code);
    ScObject service;
    if (!serviceHandle(hService, SERVICE_CHANGE_CONFIG, &service))
        return FALSE;
    if (lpBinaryPathName || lpLoadOrderGroup || lpdwTagId || lpDependencies || lpServiceStartName || lpPassword ||
        lpDisplayName) {
        qWarning() << "ChangeServiceConfigW: the stand-in changes the service type, start type and error control only";
        return fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if ((dwServiceType != SERVICE_NO_CHANGE && !knownServiceType(dwServiceType)) ||
        (dwStartType != SERVICE_NO_CHANGE && dwStartType > SERVICE_DISABLED) ||
        (dwErrorControl != SERVICE_NO_CHANGE && dwErrorControl > SERVICE_ERROR_CRITICAL))
        return fail(ERROR_INVALID_PARAMETER);

    machine::Transaction tx;
    const qint64 node = serviceNode(service.service);
    if (!node)
        return fail(tx.failed() ? DWORD(machine::windowsError(tx.failure())) : ERROR_SERVICE_DOES_NOT_EXIST);
    const DWORD type = dwServiceType != SERVICE_NO_CHANGE ? dwServiceType : dwordValue(node, "Type", 0);
    // Only drivers are started by the boot loader or the kernel.
    if ((dwStartType == SERVICE_BOOT_START || dwStartType == SERVICE_SYSTEM_START) && !isDriver(type))
        return fail(ERROR_INVALID_PARAMETER);
    if (dwServiceType != SERVICE_NO_CHANGE)
        registrystore::writeValue(node, QStringLiteral("Type"), REG_DWORD, dwordData(dwServiceType));
    if (dwStartType != SERVICE_NO_CHANGE)
        registrystore::writeValue(node, QStringLiteral("Start"), REG_DWORD, dwordData(dwStartType));
    if (dwErrorControl != SERVICE_NO_CHANGE)
        registrystore::writeValue(node, QStringLiteral("ErrorControl"), REG_DWORD, dwordData(dwErrorControl));
    if (!tx.commit())
        return fail(tx.failure() ? DWORD(machine::windowsError(tx.failure())) : DWORD(ERROR_REGISTRY_IO_FAILED));
    return TRUE;
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject)
{
    HandleTable &t = table();
    QMutexLocker g(&t.mutex);
    if (!t.objects.remove(reinterpret_cast<quintptr>(hSCObject)))
        return fail(ERROR_INVALID_HANDLE);
    return TRUE;
}
