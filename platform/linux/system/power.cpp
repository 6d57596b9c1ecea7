// Power schemes over the machine's registry (the active scheme is the value Windows keeps it in) and the
// suspend/resume notification, whose callbacks run on a thread of their own as on Windows.
#include "linux/system/power.h"

#include "linux/machine/machine.h"
#include "linux/machine/localmemory.h"
#include "linux/registry/registrystore.h"

#include <QList>
#include <QMutex>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

const QString SchemesKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes");

struct Registration
{
    PDEVICE_NOTIFY_CALLBACK_ROUTINE callback;
    PVOID context;
};

struct Registrations
{
    QMutex mutex;
    QList<Registration *> list;
};

Registrations &registrations()
{
    static Registrations r;
    return r;
}

// The scheme's key name: the GUID in lower case without braces, as Windows names it.
QString schemeName(const GUID &guid)
{
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return fromWide(text).mid(1, 36).toLower();
}

} // namespace

namespace power {

void deliverSuspendResume(ULONG type)
{
    QList<Registration> targets;
    {
        Registrations &r = registrations();
        QMutexLocker g(&r.mutex);
        for (const Registration *reg : std::as_const(r.list))
            targets.append(*reg);
    }
    std::thread system([&targets, type] {
        for (const Registration &reg : std::as_const(targets))
            reg.callback(reg.context, type, nullptr);
    });
    system.join();
}

} // namespace power

namespace {

std::atomic<qint64> liveLocalBlocks{0};

} // namespace

qint64 localmemory::liveBlocks()
{
    return liveLocalBlocks.load();
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    void *p = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, uBytes ? uBytes : 1) : std::malloc(uBytes ? uBytes : 1);
    if (!p)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    else
        ++liveLocalBlocks;
    return p;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    if (hMem)
        --liveLocalBlocks;
    std::free(hMem);
    return nullptr;
}

DWORD WINAPI PowerGetActiveScheme(HKEY, GUID **ActivePolicyGuid)
{
    if (!ActivePolicyGuid)
        return ERROR_INVALID_PARAMETER;
    QString active;
    {
        machine::Lock lock;
        const qint64 node = registrystore::findKey(SchemesKey);
        DWORD type = 0;
        QByteArray data;
        if (!node || !registrystore::readValue(node, QStringLiteral("ActivePowerScheme"), &type, &data) ||
            type != REG_SZ)
            return ERROR_FILE_NOT_FOUND;
        active = registrystore::dataString(data);
    }
    GUID guid;
    const QString braced = QLatin1Char('{') + active + QLatin1Char('}');
    if (FAILED(CLSIDFromString(wstr(braced), &guid)))
        return ERROR_INVALID_DATA;
    auto *out = static_cast<GUID *>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (!out)
        return ERROR_NOT_ENOUGH_MEMORY;
    *out = guid;
    *ActivePolicyGuid = out;
    return ERROR_SUCCESS;
}

DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID *SchemeGuid)
{
    if (!SchemeGuid)
        return ERROR_INVALID_PARAMETER;
    const QString name = schemeName(*SchemeGuid);
    {
        // The active scheme belongs to the system; switching it needs no administrator rights.
        machine::Transaction tx;
        const qint64 schemes = registrystore::findKey(SchemesKey);
        if (!schemes || !registrystore::childNode(schemes, name))
            return ERROR_FILE_NOT_FOUND;
        registrystore::writeValue(schemes, QStringLiteral("ActivePowerScheme"), REG_SZ,
                                  registrystore::stringData(name));
        tx.commit();
    }
    machine::log(QStringLiteral("PowerScheme"), name);
    return ERROR_SUCCESS;
}

DWORD WINAPI PowerRegisterSuspendResumeNotification(DWORD Flags, HANDLE Recipient, PHPOWERNOTIFY RegistrationHandle)
{
    if (Flags != DEVICE_NOTIFY_CALLBACK || !Recipient || !RegistrationHandle)
        return ERROR_INVALID_PARAMETER;
    const auto *params = static_cast<const DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS *>(Recipient);
    if (!params->Callback)
        return ERROR_INVALID_PARAMETER;
    auto *reg = new Registration{params->Callback, params->Context};
    Registrations &r = registrations();
    QMutexLocker g(&r.mutex);
    r.list.append(reg);
    *RegistrationHandle = reg;
    return ERROR_SUCCESS;
}

DWORD WINAPI PowerUnregisterSuspendResumeNotification(HPOWERNOTIFY RegistrationHandle)
{
    Registrations &r = registrations();
    QMutexLocker g(&r.mutex);
    auto *reg = static_cast<Registration *>(RegistrationHandle);
    if (!r.list.removeOne(reg))
        return ERROR_INVALID_HANDLE;
    delete reg;
    return ERROR_SUCCESS;
}
