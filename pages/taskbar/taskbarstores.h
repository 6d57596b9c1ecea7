// Where the Taskbar tab's settings are kept: DWORDs under Explorer's Advanced key, and single bytes of the
// taskbar's own state blob, which the pages patch in place.
#pragma once

#include "krutils.h"
#include "settingstore.h"

#include <functional>

namespace taskbarstore {

inline const QString advancedKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced");

inline IntStore advancedDword(const QString &name)
{
    return registryDword(HKEY_CURRENT_USER, advancedKey, name);
}

// One byte of "Settings" under StuckRects3. decode turns the byte into the shown value, encode the other
// way. A read fails when the value is absent, not binary (patching a text would turn it into a blob), longer
// than the read buffer or too short to hold the byte.
// Each write reads the value afresh just before it patches its byte, so two pages applied one after the
// other keep each other's change; when that read fails nothing is written.
inline IntStore stuckRectsByte(int offset, std::function<int(int)> decode, std::function<int(int)> encode)
{
    static const QString key = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StuckRects3");
    static const QString name = QStringLiteral("Settings");
    auto readBlob = [offset](QByteArray *blob) {
        blob->fill('\0', 1024);
        int size = 0;
        DWORD type = REG_NONE;
        if (!KRUtils().readRegBinary(HKEY_CURRENT_USER, key, name, reinterpret_cast<BYTE *>(blob->data()), &size,
                                     &type) ||
            type != REG_BINARY || size <= offset)
            return false;
        blob->truncate(size);
        return true;
    };
    IntStore store;
    // A blob that cannot be read shows the preset but is not reported absent: a restore must never delete
    // the taskbar's whole state, and with nothing read there is nothing to patch anyway.
    store.read = [readBlob, offset, decode](int *value) {
        QByteArray blob;
        if (readBlob(&blob))
            *value = decode(quint8(blob.at(offset)));
        return true;
    };
    store.write = [readBlob, offset, encode](int value) {
        QByteArray blob;
        if (!readBlob(&blob))
            return false;
        blob[offset] = char(encode(value) & 0xff);
        int size = int(blob.size());
        return KRUtils().writeRegBinary(HKEY_CURRENT_USER, key, name, reinterpret_cast<const BYTE *>(blob.constData()),
                                        &size);
    };
    // The blob is never deleted: a page that restores writes its byte instead.
    store.remove = [] { return false; };
    return store;
}

} // namespace taskbarstore
