// The backup file: no header, no count, a sequence of fixed-size records, one per pending change, in the
// order of the pending list. Integers are little-endian, texts UTF-16LE in fixed fields of 1024 code
// units holding at most 1023 and a NUL. Files written on Windows restore here and the other way round,
// so each field is serialised on its own, never as the bytes of a C++ struct.
//
//   offset  size  field
//        0     4  index      int32, setting id
//        4  2048  desc
//     2052     1  reserved   what oldValue is: see below
//     2053     1  padding
//     2054  2048  location
//     4102  2048  oldValue
//     6150     1  isDefault  1 when the value was absent before the change
//     6151     1  padding
//     6152  2048  oldDesc
//
// The reserved byte: 1 when oldValue was cut to fit its field; 2 when oldValue fills its field (1022 or 1023
// units) and is whole; 0 for every shorter text. Readers that know no marks ignore the byte. Files of the older
// layout hold 0 on every record: there a value that fills its field may have been cut, which is all they tell.
// No writer writes any other value, nor a mark (1 or 2) on a text that does not fill its field.
#pragma once

#include "filecheck.h"
#include "krglobal.h"

#include <QByteArray>
#include <QSet>

class BackupRecord
{
public:
    static constexpr int size = 8200;
    static constexpr int textUnits = 1024;
    static constexpr int indexOffset = 0;
    static constexpr int descOffset = 4;
    static constexpr int reservedOffset = 2052;
    static constexpr int locationOffset = 2054;
    static constexpr int oldValueOffset = 4102;
    static constexpr int isDefaultOffset = 6150;
    static constexpr int oldDescOffset = 6152;
    // Values of the reserved byte.
    static constexpr char unmarked = 0;
    static constexpr char cutMark = 1;
    static constexpr char wholeMark = 2;

    static QByteArray encode(const KRGlobal::SettingsData &entry);
    // bytes holds at least size bytes. A text ends at its first NUL or at the end of its field.
    static KRGlobal::SettingsData decode(const char *bytes);
    // The text as its field holds it: at most 1023 units, never ending in half of a surrogate pair.
    static QString fitText(const QString &text);
    // Whether a field holds the whole text, so that a restore gives all of it back.
    static bool holdsWhole(const QString &text) { return text.size() < textUnits; }
    // Whether a text read from a field fills it (to within the pair fitText keeps whole): only such a text can
    // have been cut, and only such a text carries a mark.
    static bool fillsField(const QString &text) { return text.size() >= textUnits - 2; }
    // Whether a record's reserved byte is one a writer writes for its earlier value.
    static bool markFits(const char *bytes);

    // "backup" + the number, padded to four digits + ".bak".
    static QString fileName(quint32 number);
    // Writes every entry to a new file at path (a Windows path, or a host one), made with CREATE_NEW: a name
    // that is taken, by a link too, is never written through. On failure the file it made is deleted through
    // the handle that made it, and the result is false; the last error is ERROR_FILE_EXISTS when the name was
    // taken.
    static bool writeFile(const QString &path, const QList<KRGlobal::SettingsData> &entries);
    enum class FileState { Intact, Damaged, Unreadable };
    // Reads a backup file. It is opened once, as itself (a link at its end is not followed, a pipe or device is
    // never opened), and read through that handle only when it is a plain file. It is Intact only when it is a
    // whole number of records, at least one and at most one per known id (a backup holds one entry per
    // setting), each of a known id, with every text ending inside its field and a reserved byte a writer
    // writes. A Damaged file gives no entries; its size is checked before anything is read, so a large file
    // costs nothing. Unreadable: the file could not be opened. identity, when given, gets the file that was
    // read.
    static FileState readFile(const QString &path, const QSet<int> &knownIds, QList<KRGlobal::SettingsData> *entries,
                              filecheck::FileIdentity *identity = nullptr);
};
