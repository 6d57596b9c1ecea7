#include "backuprecord.h"

#include <QFile>
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
    p[reservedOffset] = entry.reserved ? 1 : 0;
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
    entry.reserved = false; // read, never used
    entry.location = takeText(p + locationOffset);
    entry.oldValue = takeText(p + oldValueOffset);
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
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

bool BackupRecord::readFile(const QString &hostFile, QList<KRGlobal::SettingsData> *entries)
{
    QFile file(hostFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray record(size, '\0');
    while (file.read(record.data(), size) == size)
        entries->append(decode(record.constData()));
    return true;
}
