#include "settingstore.h"
#include "krutils.h"

namespace {

// Looks a value up without reading its data: ERROR_FILE_NOT_FOUND when it or its key is absent.
LONG queryValue(HKEY root, const QString &key, const QString &name, DWORD *type)
{
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExW(root, wstr(key), 0, KEY_QUERY_VALUE, &handle);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegQueryValueExW(handle, wstr(name), nullptr, type, nullptr, nullptr);
    RegCloseKey(handle);
    return rc;
}

bool valueAbsent(HKEY root, const QString &key, const QString &name)
{
    return queryValue(root, key, name, nullptr) == ERROR_FILE_NOT_FOUND;
}

} // namespace

bool removeRegistryValue(HKEY root, const QString &key, const QString &name)
{
    KRUtils utils;
    // A value that was never there is as restored as one that was deleted.
    return utils.deleteRegValue(root, key, name) || valueAbsent(root, key, name);
}

IntStore registryDword(HKEY root, const QString &key, const QString &name, const QStringList &alsoKeptIn)
{
    IntStore store;
    store.read = [root, key, name](int *value) {
        KRUtils utils;
        DWORD data = DWORD(*value);
        if (!utils.readRegDWORD(root, key, name, &data))
            return false;
        *value = int(data);
        return true;
    };
    store.write = [root, key, name, alsoKeptIn](int value) {
        KRUtils utils;
        // The copies follow the value: none is written when the value itself was refused.
        if (!utils.writeRegDWORD(root, key, name, DWORD(value)))
            return false;
        bool ok = true;
        for (const QString &other : alsoKeptIn)
            ok = utils.writeRegDWORD(root, other, name, DWORD(value)) && ok;
        return ok;
    };
    store.remove = [root, key, name, alsoKeptIn]() {
        bool ok = removeRegistryValue(root, key, name);
        for (const QString &other : alsoKeptIn)
            ok = removeRegistryValue(root, other, name) && ok;
        return ok;
    };
    return store;
}

IntStore systemParameter(UINT getAction, UINT setAction, int restoreValue)
{
    IntStore store;
    store.read = [getAction](int *value) {
        int number = *value;
        if (!SystemParametersInfoW(getAction, 0, &number, 0))
            return false;
        *value = number;
        return true;
    };
    store.write = [setAction](int value) {
        return SystemParametersInfoW(setAction, UINT(value), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
    };
    store.remove = [write = store.write, restoreValue]() { return write(restoreValue); };
    return store;
}

TextStore registryString(HKEY root, const QString &key, const QString &name)
{
    TextStore store;
    // The text as stored, variables unexpanded: what the page shows and records is what a restore writes back.
    store.read = [root, key, name](QString *text) {
        KRUtils utils;
        return utils.readRegStringRaw(root, key, name, *text);
    };
    // An expandable string stays one, so its variables keep working; a new value is a plain string.
    store.write = [root, key, name](const QString &text) {
        KRUtils utils;
        DWORD type = REG_NONE;
        if (queryValue(root, key, name, &type) == ERROR_SUCCESS && type == REG_EXPAND_SZ)
            return utils.writeRegExpandString(root, key, name, text);
        return utils.writeRegString(root, key, name, text);
    };
    store.remove = [root, key, name]() { return removeRegistryValue(root, key, name); };
    return store;
}

IntStore registryKey(HKEY root, const QString &parent, const QString &child, int presentValue,
                     const QString &defaultText, bool absentIsMissing)
{
    const QString path = parent + QLatin1Char('\\') + child;
    auto exists = [root, path] { return KRUtils().regKeyExists(root, path); };
    // Deleting fails on a key that still has sub-keys; the setting is then still on.
    auto remove = [root, parent, child, exists] {
        KRUtils().deleteRegKey(root, parent, child);
        return !exists();
    };
    IntStore store;
    store.read = [exists, presentValue, absentIsMissing](int *value) {
        const bool present = exists();
        if (!present && absentIsMissing)
            return false;
        *value = present ? presentValue : 1 - presentValue;
        return true;
    };
    store.write = [root, path, presentValue, defaultText, remove](int value) {
        if ((value != 0) != (presentValue != 0))
            return remove();
        KRUtils utils;
        if (defaultText.isNull())
            return utils.createRegKey(root, path);
        return utils.writeRegString(root, path, QString(), defaultText);
    };
    store.remove = remove;
    return store;
}

IntStore classServerSwitch(const QString &clsid)
{
    const QString classesKey = QStringLiteral("Software\\Classes\\CLSID");
    const QString serverKey = classesKey + QLatin1Char('\\') + clsid + QStringLiteral("\\InprocServer32");
    IntStore store;
    store.read = [serverKey](int *value) {
        QString text;
        *value = KRUtils().readRegString(HKEY_CURRENT_USER, serverKey, QString(), text) ? 1 : 0;
        return true;
    };
    auto off = [classesKey, clsid, serverKey] {
        KRUtils utils;
        // A key with sub-keys cannot be deleted: the server key first, then its class.
        utils.deleteRegKey(HKEY_CURRENT_USER, classesKey + QLatin1Char('\\') + clsid, QStringLiteral("InprocServer32"));
        utils.deleteRegKey(HKEY_CURRENT_USER, classesKey, clsid);
        return !utils.regKeyExists(HKEY_CURRENT_USER, serverKey);
    };
    store.write = [off, serverKey](int value) {
        if (value != 1)
            return off();
        KRUtils utils;
        return utils.createRegKey(HKEY_CURRENT_USER, serverKey) &&
               utils.writeRegString(HKEY_CURRENT_USER, serverKey, QString(), QString());
    };
    store.remove = off;
    return store;
}
