#include "backuprecord.h"

#include "win32.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
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
    return true;
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
    // The reserved byte says that the earlier value was cut to fit: a restore must not take it for the whole.
    p[reservedOffset] = entry.reserved || !holdsWhole(entry.oldValue) ? 1 : 0;
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
    // Files written before the byte said so hold 0 there: a value that fills its field may have been cut.
    entry.reserved = p[reservedOffset] != 0 || fillsField(entry.oldValue);
    entry.isDefault = p[isDefaultOffset] != 0;
    entry.oldDesc = takeText(p + oldDescOffset);
    return entry;
}

QString BackupRecord::fileName(quint32 number)
{
    return QStringLiteral("backup%1.bak").arg(number, 4, 10, QLatin1Char('0'));
}

bool BackupRecord::writeFile(const QString &hostFile, const QList<KRGlobal::SettingsData> &entries)
{
    QFile file(hostFile);
    // Always a new file: a name that is taken, by a link too, is never written through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = true;
    for (const KRGlobal::SettingsData &entry : entries) {
        if (file.write(encode(entry)) != size) {
            ok = false;
            break;
        }
    }
    ok = file.flush() && ok;
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok)
        file.remove(); // a partial backup holds less than the changes it would be taken for
    return ok;
}

BackupRecord::FileState BackupRecord::readFile(const QString &hostFile, const QSet<int> &knownIds,
                                               QList<KRGlobal::SettingsData> *entries)
{
    const qint64 largest = qint64(knownIds.size()) * size;
    // Only a plain file can be a backup: a device or pipe would never end.
    if (QFileInfo(hostFile).exists() && !QFileInfo(hostFile).isFile())
        return FileState::Damaged;
    QFile file(hostFile);
    if (!file.open(QIODevice::ReadOnly))
        return FileState::Unreadable;
    const qint64 bytes = file.size();
    if (bytes <= 0 || bytes > largest || bytes % size != 0)
        return FileState::Damaged;
    // The file may change while it is read: what arrives is checked, not what the size promised.
    const QByteArray data = file.read(bytes + 1);
    if (data.size() != bytes)
        return FileState::Damaged;
    // A file from before the machine's drive C: names host paths; its values are read as the same places now.
    const QDateTime written = QFileInfo(hostFile).lastModified();
    QList<KRGlobal::SettingsData> read;
    QSet<int> seen;
    for (qsizetype at = 0; at < data.size(); at += size) {
        if (!wellFormed(data.constData() + at, knownIds))
            return FileState::Damaged;
        read.append(decode(data.constData() + at));
        read.last().oldValue = carriedOverText(read.last().oldValue, written);
        read.last().oldDesc = carriedOverText(read.last().oldDesc, written);
        // A save records each setting once: a second record of one id was not written by a save.
        if (seen.contains(read.last().index))
            return FileState::Damaged;
        seen.insert(read.last().index);
    }
    entries->append(read);
    return FileState::Intact;
}
