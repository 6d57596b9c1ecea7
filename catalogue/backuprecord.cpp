#include "backuprecord.h"

#include "childpaths.h"
#include "win32.h"

#include <QDateTime>
#include <QtEndian>

#include <cstring>

namespace {

void putText(char *field, const QString &text)
{
    const QString fitted = BackupRecord::fitText(text);
    const char16_t *units = reinterpret_cast<const char16_t *>(fitted.utf16());
    for (qsizetype i = 0; i < fitted.size(); ++i)
        qToLittleEndian<quint16>(quint16(units[i]), field + 2 * i);
    // The rest of the field, the terminator included, stays zero.
}

QString takeText(const char *field)
{
    QString text;
    for (int i = 0; i < BackupRecord::textUnits; ++i) {
        const quint16 unit = qFromLittleEndian<quint16>(field + 2 * i);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

bool terminatedInside(const char *field)
{
    for (int i = 0; i < BackupRecord::textUnits; ++i)
        if (qFromLittleEndian<quint16>(field + 2 * i) == 0)
            return true;
    return false;
}

bool wellFormed(const char *p, const QSet<int> &knownIds)
{
    if (!knownIds.contains(qFromLittleEndian<qint32>(p + BackupRecord::indexOffset)))
        return false;
    for (int offset : {BackupRecord::descOffset, BackupRecord::locationOffset, BackupRecord::oldValueOffset,
                       BackupRecord::oldDescOffset})
        if (!terminatedInside(p + offset))
            return false;
    return BackupRecord::markFits(p);
}

} // namespace

QString BackupRecord::fitText(const QString &text)
{
    const qsizetype room = textUnits - 1;
    if (text.size() <= room)
        return text;
    qsizetype cut = room;
    // Keep a surrogate pair whole: cut before its first half rather than between the halves.
    if (text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut);
}

QByteArray BackupRecord::encode(const KRGlobal::SettingsData &entry)
{
    QByteArray bytes(size, '\0');
    char *p = bytes.data();
    qToLittleEndian<qint32>(entry.index, p + indexOffset);
    putText(p + descOffset, entry.desc);
    // Only a value that fills its field is marked, cut or whole: a reader that knows no marks takes such a value
    // for a cut one either way, and every shorter value reads as it did.
    if (fillsField(fitText(entry.oldValue)))
        p[reservedOffset] = entry.reserved || !holdsWhole(entry.oldValue) ? cutMark : wholeMark;
    putText(p + locationOffset, entry.location);
    putText(p + oldValueOffset, entry.oldValue);
    p[isDefaultOffset] = entry.isDefault ? 1 : 0;
    putText(p + oldDescOffset, entry.oldDesc);
    return bytes;
}

KRGlobal::SettingsData BackupRecord::decode(const char *p)
{
    KRGlobal::SettingsData entry;
    entry.index = qFromLittleEndian<qint32>(p + indexOffset);
    entry.desc = takeText(p + descOffset);
    entry.location = takeText(p + locationOffset);
    entry.oldValue = takeText(p + oldValueOffset);
    // Files of the older layout hold no mark: there a value that fills its field may have been cut.
    entry.reserved = p[reservedOffset] == cutMark || (p[reservedOffset] == unmarked && fillsField(entry.oldValue));
    entry.isDefault = p[isDefaultOffset] != 0;
    entry.oldDesc = takeText(p + oldDescOffset);
    return entry;
}

QString BackupRecord::fileName(quint32 number)
{
    return QStringLiteral("backup%1.bak").arg(number, 4, 10, QLatin1Char('0'));
}

bool BackupRecord::markFits(const char *p)
{
    const char mark = p[reservedOffset];
    if (mark == unmarked)
        return true;
    return (mark == cutMark || mark == wholeMark) && fillsField(takeText(p + oldValueOffset));
}

bool BackupRecord::writeFile(const QString &path, const QList<KRGlobal::SettingsData> &entries)
{
    // Always a new file, and written only through the handle that made it.
    HANDLE file = CreateFileW(wstr(childpaths::callable(path)), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    DWORD error = ERROR_DISK_FULL; // a write that took less than it was given
    for (const KRGlobal::SettingsData &entry : entries) {
        const QByteArray bytes = encode(entry);
        DWORD written = 0;
        const bool wrote = WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
        if (!wrote || written != DWORD(size)) {
            error = wrote ? error : GetLastError();
            ok = false;
            break;
        }
    }
    // A partial backup holds less than the changes it would be taken for: the file this call made goes, and
    // nothing else, whatever its name leads to now.
    if (!ok)
        filecheck::markForDeletion(file);
    if (!CloseHandle(file) && ok) {
        error = GetLastError();
        ok = false;
    }
    if (!ok)
        SetLastError(error);
    return ok;
}

BackupRecord::FileState BackupRecord::readFile(const QString &path, const QSet<int> &knownIds,
                                               QList<KRGlobal::SettingsData> *entries,
                                               filecheck::FileIdentity *identity)
{
    // The entry itself, whatever it is: a link is looked at, not followed, and a folder opens for its
    // information only. A pipe or device is never opened, so nothing waits for a writer.
    HANDLE file = CreateFileW(wstr(childpaths::callable(path)), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileState::Unreadable;
    const auto closed = [file](FileState state) {
        CloseHandle(file);
        return state;
    };
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return closed(FileState::Unreadable);
    // Only a plain file can be a backup.
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return closed(FileState::Damaged);
    const qint64 largest = qint64(knownIds.size()) * size;
    const qint64 bytes = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    if (bytes <= 0 || bytes > largest || bytes % size != 0)
        return closed(FileState::Damaged);
    // The file may change while it is read: what arrives is checked, not what the size promised.
    QByteArray data(bytes + 1, Qt::Uninitialized);
    DWORD read = 0;
    if (!ReadFile(file, data.data(), DWORD(data.size()), &read, nullptr))
        return closed(FileState::Unreadable);
    CloseHandle(file);
    if (qint64(read) != bytes)
        return FileState::Damaged;
    data.truncate(read);
    // A file from before the machine's drive C: names host paths; its values are read as the same places now.
    const QDateTime written = fileTimeToDateTime(info.ftLastWriteTime);
    QList<KRGlobal::SettingsData> records;
    QSet<int> seen;
    for (qsizetype at = 0; at < data.size(); at += size) {
        if (!wellFormed(data.constData() + at, knownIds))
            return FileState::Damaged;
        records.append(decode(data.constData() + at));
        records.last().oldValue = carriedOverText(records.last().oldValue, written);
        records.last().oldDesc = carriedOverText(records.last().oldDesc, written);
        // A save records each setting once: a second record of one id was not written by a save.
        if (seen.contains(records.last().index))
            return FileState::Damaged;
        seen.insert(records.last().index);
    }
    if (identity) {
        identity->known = true;
        identity->volume = info.dwVolumeSerialNumber;
        identity->index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        identity->links = info.nNumberOfLinks;
    }
    entries->append(records);
    return FileState::Intact;
}
