// The backup file format byte for byte, the text fields' limits, and reading files: whole ones, damaged
// ones (short, long, unknown ids, unterminated texts), missing and read-only ones.
#include "backuprecord.h"
#include "testmachine.h"
#include "win32.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// The expected bytes, built independently of the writer: each byte placed by hand.
void put32(QByteArray &b, int at, qint32 v)
{
    const quint32 u = quint32(v);
    b[at] = char(u & 0xff);
    b[at + 1] = char((u >> 8) & 0xff);
    b[at + 2] = char((u >> 16) & 0xff);
    b[at + 3] = char((u >> 24) & 0xff);
}

void putText(QByteArray &b, int at, const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = text.at(i).unicode();
        b[at + 2 * i] = char(unit & 0xff);
        b[at + 2 * i + 1] = char(unit >> 8);
    }
}

QByteArray expectedRecord(const KRGlobal::SettingsData &e)
{
    QByteArray b(8200, '\0');
    put32(b, 0, e.index);
    putText(b, 4, e.desc);
    b[2052] = e.reserved ? 1 : 0;
    putText(b, 2054, e.location);
    putText(b, 4102, e.oldValue);
    b[6150] = e.isDefault ? 1 : 0;
    putText(b, 6152, e.oldDesc);
    return b;
}

KRGlobal::SettingsData entry(int index, const QString &desc, const QString &location, const QString &oldValue,
                             bool isDefault, const QString &oldDesc)
{
    KRGlobal::SettingsData e;
    e.index = index;
    e.desc = desc;
    e.location = location;
    e.oldValue = oldValue;
    e.isDefault = isDefault;
    e.oldDesc = oldDesc;
    return e;
}

QList<KRGlobal::SettingsData> threeRecords()
{
    return {
        entry(402, QStringLiteral("Use accent color on title bars and windows borders."), QStringLiteral("Appearance"),
              QStringLiteral("0"), true,
              QStringLiteral("Don't use accent color on title bars and windows borders (default).")),
        entry(205, QStringLiteral("Change desktop horizontal icon spacing to 750."), QStringLiteral("Desktop"),
              QStringLiteral("1125"), false,
              QStringLiteral("Change desktop horizontal icon spacing to 1125 (default).")),
        entry(-7, QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x98\x80"), QStringLiteral("Taskbar"), QString(), false,
              QString()),
    };
}

// The ids the reader knows in these tests; a file may hold at most three records.
const QSet<int> knownIds = {402, 205, -7};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestBackupRecord : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> machine;
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    // Files are written and read through the system's calls, which answer from a machine.
    void init() { machine.reset(new TestMachine); }
    void cleanup() { machine.reset(); }

    // A backup from before the machine's drive C: gives its texts as the place they named, as today's version
    // names it (the restore's own test follows them into the registry); the file keeps its bytes, and a
    // backup written since is read as it is.
    void oldBackupsNameTodaysPlaces()
    {
        TestMachine &m = *machine;
        const QString root = m.folder();
        const QString backup = root + QStringLiteral("/drive_c/Users/User/AppData/Roaming/");
        const QString pictures = root + QStringLiteral("/Users/User/Pictures");
        const KRGlobal::SettingsData old = entry(105, QStringLiteral("new"), QStringLiteral("L"), pictures, false,
                                                 QStringLiteral("Folder: \"%1\".").arg(pictures));
        QVERIFY(BackupRecord::writeFile(backup + QStringLiteral("backup0001.bak"), {old}));
        const QByteArray bytes = readAll(backup + QStringLiteral("backup0001.bak"));
        m.makeFirstLayout();
        QCOMPARE(m.folder(), root); // the start that carries the machine over
        QVERIFY(BackupRecord::writeFile(backup + QStringLiteral("backup0002.bak"), {old}));
        QFile later(backup + QStringLiteral("backup0002.bak"));
        QVERIFY(later.open(QIODevice::ReadWrite));
        QVERIFY(later.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        later.close();

        QList<KRGlobal::SettingsData> read;
        for (const char *name : {"backup0001.bak", "backup0002.bak"})
            QCOMPARE(BackupRecord::readFile(backup + QLatin1String(name), {105}, &read),
                     BackupRecord::FileState::Intact);
        QCOMPARE(read.at(0).oldDesc, QStringLiteral("Folder: \"C:\\Users\\User\\Pictures\"."));
        QCOMPARE(read.at(1).oldValue, pictures);
        QCOMPARE(readAll(backup + QStringLiteral("backup0001.bak")), bytes);
    }

    void goldenBytesOfThreeRecords()
    {
        QVERIFY(BackupRecord::writeFile(path("three.bak"), threeRecords()));
        const QByteArray bytes = readAll(path("three.bak"));
        QCOMPARE(bytes.size(), 24600);
        QByteArray expected;
        for (const KRGlobal::SettingsData &e : threeRecords())
            expected += expectedRecord(e);
        QCOMPARE(bytes, expected);

        // A few bytes spelled out: 402 is 0x192, "U" in UTF-16LE, isDefault, and the pair of U+1F600.
        QCOMPARE(bytes.mid(0, 4), QByteArray::fromHex("92010000"));
        QCOMPARE(bytes.mid(4, 4), QByteArray::fromHex("55007300"));
        QCOMPARE(bytes.at(6150), char(1));
        QCOMPARE(bytes.at(8200 + 6150), char(0));
        QCOMPARE(bytes.mid(16400, 4), QByteArray::fromHex("f9ffffff"));
        QCOMPARE(bytes.mid(16404 + 6, 2), QByteArray::fromHex("e900"));
        QCOMPARE(bytes.mid(16404 + 8, 8), QByteArray::fromHex("20003dd800de0000"));
        QCOMPARE(bytes.mid(16400 + 2054, 16), QByteArray::fromHex("5400610073006b006200610072000000"));
    }

    void roundTrip()
    {
        QVERIFY(BackupRecord::writeFile(path("round.bak"), threeRecords()));
        QList<KRGlobal::SettingsData> read;
        QCOMPARE(BackupRecord::readFile(path("round.bak"), knownIds, &read), BackupRecord::FileState::Intact);
        QCOMPARE(read, threeRecords());
    }

    void fieldLimits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("mark");     // the reserved byte written: 0 none, 1 cut, 2 whole and filling the field
        QTest::addColumn<bool>("readCut"); // read back, the old value counts as cut
        const QString fits(1023, QLatin1Char('a'));
        QTest::newRow("1021 fits") << QString(1021, u'g') << QString(1021, u'g') << 0 << false;
        // Whole, yet as full as a cut one: the mark tells them apart.
        QTest::newRow("1022 fits") << QString(1022, u'h') << QString(1022, u'h') << 2 << false;
        QTest::newRow("1023 fits") << fits << fits << 2 << false;
        QTest::newRow("1024 cut") << QString(1024, QLatin1Char('b')) << QString(1023, QLatin1Char('b')) << 1 << true;
        QTest::newRow("5000 cut") << QString(5000, QLatin1Char('c')) << QString(1023, QLatin1Char('c')) << 1 << true;
        // A pair across the limit goes whole or not at all.
        const QString pair = QString::fromUtf8("\xf0\x9f\x98\x80");
        const QString across = QString(1022, QLatin1Char('d')) + pair;
        QTest::newRow("pair across the limit") << across << QString(1022, QLatin1Char('d')) << 1 << true;
        const QString inside = QString(1021, QLatin1Char('e')) + pair + QLatin1Char('f');
        QTest::newRow("pair inside") << inside << QString(1021, QLatin1Char('e')) + pair << 1 << true;
    }
    void fieldLimits()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(int, mark);
        QFETCH(bool, readCut);
        QCOMPARE(BackupRecord::fitText(text), stored);
        const QByteArray bytes = BackupRecord::encode(entry(1, text, text, text, false, text));
        QCOMPARE(bytes.size(), 8200);
        // The terminator stays inside the field.
        QCOMPARE(bytes.mid(4 + 2 * stored.size(), 2), QByteArray(2, '\0'));
        const KRGlobal::SettingsData back = BackupRecord::decode(bytes.constData());
        QCOMPARE(back.desc, stored);
        QCOMPARE(back.location, stored);
        QCOMPARE(back.oldDesc, stored);
        QCOMPARE(int(bytes.at(2052)), mark);
        QCOMPARE(back.reserved, readCut);
    }

    // Every value of the reserved byte, on a value that fills its field and on a short one. Only what a writer
    // writes is read: no mark (a full value of an older file may have been cut), a cut or a whole mark on a full
    // value. Any other byte makes the file damaged.
    void everyReservedByte()
    {
        for (const QString &value : {QString(1023, QLatin1Char('v')), QStringLiteral("750")}) {
            const bool full = value.size() == 1023;
            for (int mark = 0; mark < 256; ++mark) {
                QByteArray bytes = BackupRecord::encode(
                    entry(205, QStringLiteral("d"), QStringLiteral("L"), value, false, QStringLiteral("o")));
                bytes[2052] = char(mark);
                writeAll(path("marked.bak"), bytes);
                QList<KRGlobal::SettingsData> read;
                const bool written = mark == 0 || (full && mark <= 2);
                QCOMPARE(BackupRecord::readFile(path("marked.bak"), knownIds, &read),
                         written ? BackupRecord::FileState::Intact : BackupRecord::FileState::Damaged);
                QCOMPARE(read.size(), written ? 1 : 0);
                if (written)
                    QCOMPARE(read.first().reserved, full && mark != 2);
            }
        }
    }

    void aFieldWithoutTerminatorEndsAtItsEnd()
    {
        QByteArray bytes = BackupRecord::encode(entry(3, QString(), QString(), QString(), true, QString()));
        for (int i = 0; i < 1024; ++i)
            bytes[4102 + 2 * i] = 'x';
        const KRGlobal::SettingsData e = BackupRecord::decode(bytes.constData());
        QCOMPARE(e.oldValue, QString(1024, QLatin1Char('x')));
        QCOMPARE(e.oldDesc, QString());
        QVERIFY(e.isDefault);
    }

    void fileNames_data()
    {
        QTest::addColumn<uint>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1u << "backup0001.bak";
        QTest::newRow("42") << 42u << "backup0042.bak";
        QTest::newRow("999") << 999u << "backup0999.bak";
        QTest::newRow("1000") << 1000u << "backup1000.bak";
        QTest::newRow("12345") << 12345u << "backup12345.bak";
    }
    void fileNames()
    {
        QFETCH(uint, number);
        QFETCH(QString, name);
        QCOMPARE(BackupRecord::fileName(number), name);
    }

    void readingFiles_data()
    {
        QTest::addColumn<int>("records");      // of threeRecords, then the first again
        QTest::addColumn<int>("extraBytes");   // 'z' after them
        QTest::addColumn<int>("unterminated"); // field offset in the last record filled to its end; 0: none
        QTest::addColumn<bool>("intact");
        QTest::newRow("whole") << 3 << 0 << 0 << true;
        QTest::newRow("one record") << 1 << 0 << 0 << true;
        QTest::newRow("empty") << 0 << 0 << 0 << false;
        QTest::newRow("partial record after whole ones") << 3 << 100 << 0 << false;
        QTest::newRow("one byte short of a record") << 0 << 8199 << 0 << false;
        QTest::newRow("more records than ids") << 4 << 0 << 0 << false;
        QTest::newRow("desc unterminated") << 2 << 0 << 4 << false;
        QTest::newRow("oldDesc unterminated") << 3 << 0 << 6152 << false;
        QTest::newRow("location ends in its last unit") << 2 << 0 << -2054 << true;
    }
    void readingFiles()
    {
        QFETCH(int, records);
        QFETCH(int, extraBytes);
        QFETCH(int, unterminated);
        QFETCH(bool, intact);
        const QList<KRGlobal::SettingsData> all = threeRecords() + threeRecords().mid(0, 1);
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += BackupRecord::encode(all.at(i));
        // Every unit of the field non-zero; a negative offset leaves the last unit as its terminator.
        const int field = qAbs(unterminated);
        for (int unit = 0; field && unit < (unterminated < 0 ? 1023 : 1024); ++unit)
            bytes[bytes.size() - 8200 + field + 2 * unit] = 'x';
        bytes += QByteArray(extraBytes, 'z');
        writeAll(path("file.bak"), bytes);
        QList<KRGlobal::SettingsData> read;
        QCOMPARE(BackupRecord::readFile(path("file.bak"), knownIds, &read),
                 intact ? BackupRecord::FileState::Intact : BackupRecord::FileState::Damaged);
        QCOMPARE(read.size(), intact ? records : 0);
        if (intact && !unterminated)
            QCOMPARE(read, all.mid(0, records));
    }

    void oneSettingTwiceIsDamaged()
    {
        const QList<KRGlobal::SettingsData> records = threeRecords();
        writeAll(path("twice.bak"), BackupRecord::encode(records.at(0)) + BackupRecord::encode(records.at(1)) +
                                        BackupRecord::encode(records.at(0)));
        QList<KRGlobal::SettingsData> read;
        QCOMPARE(BackupRecord::readFile(path("twice.bak"), knownIds, &read), BackupRecord::FileState::Damaged);
        QVERIFY(read.isEmpty());
    }

    void unknownIdsAndOtherFiles()
    {
        QList<KRGlobal::SettingsData> read;
        QVERIFY(BackupRecord::writeFile(path("unknown.bak"), threeRecords()));
        QCOMPARE(BackupRecord::readFile(path("unknown.bak"), {402, 205}, &read), BackupRecord::FileState::Damaged);
        QCOMPARE(BackupRecord::readFile(path("missing.bak"), knownIds, &read), BackupRecord::FileState::Unreadable);
        // A folder, or anything that is not a plain file, is no backup.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.bak")));
        QCOMPARE(BackupRecord::readFile(path("folder.bak"), knownIds, &read), BackupRecord::FileState::Damaged);
        // A pipe is never opened, so nothing waits for a writer; a link is looked at, not followed.
        QVERIFY(::mkfifo(path("pipe.bak").toLocal8Bit().constData(), 0600) == 0);
        QCOMPARE(BackupRecord::readFile(path("pipe.bak"), knownIds, &read), BackupRecord::FileState::Unreadable);
        QVERIFY(BackupRecord::writeFile(path("target.bak"), threeRecords()));
        QVERIFY(QFile::link(path("target.bak"), path("link.bak")));
        QCOMPARE(BackupRecord::readFile(path("link.bak"), knownIds, &read), BackupRecord::FileState::Damaged);
        QVERIFY(read.isEmpty());

        QVERIFY(BackupRecord::writeFile(path("readonly.bak"), threeRecords()));
        QVERIFY(QFile::setPermissions(path("readonly.bak"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QCOMPARE(BackupRecord::readFile(path("readonly.bak"), knownIds, &read), BackupRecord::FileState::Intact);
        QCOMPARE(read, threeRecords());
    }

    void aFileThatCannotBeWrittenLeavesNothing()
    {
        QVERIFY(!BackupRecord::writeFile(dir.filePath(QStringLiteral("no/such/folder/x.bak")), threeRecords()));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no/such/folder/x.bak"))));
    }

    // A backup is always a new file: a name taken by a link (or by a file) is refused, never written through.
    void aTakenNameIsNeverWrittenThrough()
    {
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        f.close();
        QVERIFY(QFile::link(victim, path("linked.bak")));
        QVERIFY(!BackupRecord::writeFile(path("linked.bak"), threeRecords()));
        QCOMPARE(readAll(victim), QByteArray("keep"));
    }
};

QTEST_MAIN(TestBackupRecord)
#include "tst_backuprecord.moc"
