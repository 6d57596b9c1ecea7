// The shredding engine on ordinary files: the exact sequence of writes and flushes (last byte first, then
// spans of 16 MiB written in 4 MiB calls, every pass over a span flushed before the next), the pattern bytes
// of each method and how they are seeded, the 26 renames, files that cannot be shredded, cancelling, and both
// run modes on a worker thread.
#include "securedeletethread.h"
#include "shredsupport.h"
#include "swapracer.h"
#include "testmachine.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const qint64 writeSize = 4 << 20;
const qint64 spanSize = 16 << 20;

struct Expected
{
    qint64 offset; // -1: a flush
    qint64 length;
    int pass;
};

// All passes over one range, each pass in writes of at most 4 MiB and then a flush.
void appendPasses(QList<Expected> &out, qint64 offset, qint64 length, int passes)
{
    for (int p = 0; p < passes; ++p) {
        for (qint64 at = 0; at < length; at += writeSize)
            out.append({offset + at, qMin(length - at, writeSize), p});
        out.append({-1, 0, p});
    }
}

// Last byte with all passes, then spans of at most 16 MiB from the start, each with all passes.
QList<Expected> expectedEvents(qint64 size, int passes)
{
    QList<Expected> out;
    if (size == 0)
        return out;
    appendPasses(out, size - 1, 1, passes);
    for (qint64 offset = 0; offset < size - 1; offset += spanSize)
        appendPasses(out, offset, qMin(size - 1 - offset, spanSize), passes);
    return out;
}

QList<Expected> expectedWrites(qint64 size, int passes)
{
    QList<Expected> out;
    for (const Expected &e : expectedEvents(size, passes))
        if (e.offset >= 0)
            out.append(e);
    return out;
}

// The low bytes of rand() after srand(seed), as the engine fills its random patterns.
QByteArray randBytes(unsigned seed, qint64 skip, qint64 count)
{
    srand(seed);
    for (qint64 i = 0; i < skip; ++i)
        rand();
    QByteArray out(int(count), 0);
    for (qint64 i = 0; i < count; ++i)
        out[int(i)] = char(rand() & 0xFF);
    return out;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

// A worker thread with options of its own, shredding by one method.
struct Worker
{
    SecureDeleteOptions options;
    SecureDeleteThread thread;
    explicit Worker(quint32 mode) { options.DeleteMode = mode, thread.options = &options; }
};

} // namespace

class TestShredEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> tmp;
    qint64 processStart = 0;

    QString dir() const { return tmp->path(); }
    // The engine joins folder and name with a backslash, as the page's rows give them.
    QString enginePath(const QString &name) const { return dir() + QLatin1Char('\\') + name; }
    QString hostFile(const QString &name) const { return dir() + QLatin1Char('/') + name; }

    // Shreds one file of the given size on the test thread and returns the writes made to it, with the flushes
    // among them when asked.
    QList<WriteRecorder::Write> shred(quint32 mode, quint32 passes, qint64 size, bool *gone,
                                      const QString &name = QStringLiteral("victim.bin"), bool withFlushes = false)
    {
        writeFile(hostFile(name), secretBytes(size));
        SecureDeleteOptions options;
        options.DeleteMode = mode;
        options.NumPasses = passes;
        SecureDeleteThread thread;
        thread.options = &options;
        WriteRecorder recorder;
        *gone = thread.shredFile(enginePath(name));
        return withFlushes ? recorder.eventsOf(hostFile(name)) : recorder.writesTo(hostFile(name));
    }

private slots:
    void initTestCase() { processStart = _time64(nullptr); }
    void init()
    {
        m.reset(new TestMachine);
        tmp.reset(new QTemporaryDir);
    }
    void cleanup()
    {
        tmp.reset();
        m.reset();
    }

    void writeSequence_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<quint32>("numPasses");
        QTest::addColumn<int>("passes");
        QTest::addColumn<qint64>("size");
        const struct
        {
            const char *name;
            quint32 mode, numPasses;
            int passes;
        } methods[] = {
            {"gutmann", 0, 1, 35}, {"dod7", 1, 1, 7}, {"dod3", 2, 1, 3}, {"random2", 3, 2, 2}, {"mode9", 9, 1, 1}};
        for (const auto &method : methods)
            for (qint64 size : {qint64(0), qint64(1), qint64(65536), qint64(65537), qint64(200000)})
                QTest::addRow("%s-%lld", method.name, size) << method.mode << method.numPasses << method.passes << size;
        // Several write calls per pass, and a second span.
        QTest::newRow("dod3-two-spans") << quint32(2) << quint32(1) << 3 << qint64(spanSize + 65537);
    }
    void writeSequence()
    {
        QFETCH(quint32, mode);
        QFETCH(quint32, numPasses);
        QFETCH(int, passes);
        QFETCH(qint64, size);
        bool gone = false;
        const QList<WriteRecorder::Write> events =
            shred(mode, numPasses, size, &gone, QStringLiteral("victim.bin"), true);
        const QList<Expected> expected = expectedEvents(size, passes);
        QCOMPARE(events.size(), expected.size());
        for (int i = 0; i < events.size(); ++i) {
            // Each pass is flushed to the disk before the next one writes.
            QCOMPARE(events.at(i).flush, expected.at(i).offset < 0);
            if (events.at(i).flush)
                continue;
            QCOMPARE(events.at(i).offset, expected.at(i).offset);
            QCOMPARE(qint64(events.at(i).data.size()), expected.at(i).length);
            // A write longer than the pattern repeats it from its first byte.
            const QByteArray &data = events.at(i).data;
            for (qsizetype at = 65536; at < data.size(); at += 65536)
                QVERIFY(data.mid(at, 65536) == data.left(qMin<qsizetype>(65536, data.size() - at)));
        }
        // Overwritten, renamed and deleted: nothing is left in the folder, not even a scrambled name.
        QVERIFY(gone);
        QCOMPARE(filesIn(dir()), QStringList());
    }

    // Every pass covers every byte once, and the bytes left on the disk are the last pass's pattern.
    void readBackLeavesNoOldByte_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<int>("passes");
        QTest::newRow("gutmann") << quint32(0) << 35;
        QTest::newRow("dod7") << quint32(1) << 7;
        QTest::newRow("dod3") << quint32(2) << 3;
        QTest::newRow("random") << quint32(3) << 1;
    }
    void readBackLeavesNoOldByte()
    {
        QFETCH(quint32, mode);
        QFETCH(int, passes);
        const qint64 size = 150001;
        const QByteArray secret = secretBytes(size);
        writeFile(hostFile(QStringLiteral("ledger.xls")), secret);
        // Held open, the data can still be read after the file is gone.
        QFile kept(hostFile(QStringLiteral("ledger.xls")));
        QVERIFY(kept.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        SecureDeleteOptions options;
        options.DeleteMode = mode;
        SecureDeleteThread thread;
        thread.options = &options;
        WriteRecorder recorder;
        QVERIFY(thread.shredFile(enginePath(QStringLiteral("ledger.xls"))));
        QVERIFY(!QFile::exists(hostFile(QStringLiteral("ledger.xls"))));

        const QByteArray after = kept.readAll();
        QCOMPARE(qint64(after.size()), size);
        const QList<WriteRecorder::Write> writes = recorder.writesTo(hostFile(QStringLiteral("ledger.xls")));
        QCOMPARE(writes.size(), expectedWrites(size, passes).size());
        QVector<int> coverage(int(size), 0);
        QByteArray lastPass(int(size), 0);
        const QList<Expected> expected = expectedWrites(size, passes);
        for (int i = 0; i < writes.size(); ++i) {
            const WriteRecorder::Write &w = writes.at(i);
            for (int b = 0; b < w.data.size(); ++b)
                ++coverage[int(w.offset) + b];
            if (expected.at(i).pass == passes - 1)
                lastPass.replace(int(w.offset), w.data.size(), w.data);
        }
        for (int b = 0; b < size; ++b)
            QCOMPARE(coverage.at(b), passes);
        QCOMPARE(after, lastPass);
        QVERIFY(after != secret);
    }

    void gutmannPatterns()
    {
        bool gone = false;
        const QList<WriteRecorder::Write> first = shred(0, 1, 65537, &gone);
        QVERIFY(gone);
        QCOMPARE(first.size(), 70);
        const char fixed[27] = {'\x55', '\xAA', '\x92', '\x49', '\x24', '\x00', '\x11', '\x22', '\x33',
                                '\x44', '\x55', '\x66', '\x77', '\x88', '\x99', '\xAA', '\xBB', '\xCC',
                                '\xDD', '\xEE', '\xFF', '\x92', '\x49', '\x24', '\x6D', '\xB6', '\xDB'};
        for (int p = 0; p < 35; ++p) {
            const QByteArray lastByte = first.at(p).data;
            const QByteArray block = first.at(35 + p).data;
            QCOMPARE(block.size(), 65536);
            // The last byte and the chunk come from the start of the same buffer.
            QCOMPARE(lastByte.at(0), block.at(0));
            if (p >= 4 && p <= 30)
                QVERIFY2(allBytes(block, fixed[p - 4]), qPrintable(QString::number(p)));
        }
        // The random buffers: one rand() sequence seeded once with the time in seconds, buffers 0-3 and then
        // 31-34 continuing it.
        QByteArray random;
        for (int p : {0, 1, 2, 3, 31, 32, 33, 34})
            random += first.at(35 + p).data;
        bool seeded = false;
        for (qint64 t = processStart - 1; t <= _time64(nullptr) + 1 && !seeded; ++t)
            seeded = randBytes(unsigned(t), 0, 16) == random.left(16) && randBytes(unsigned(t), 0, 8 * 65536) == random;
        QVERIFY(seeded);
        // Kept for the life of the process: the next file receives the same patterns.
        const QList<WriteRecorder::Write> second = shred(0, 1, 65537, &gone, QStringLiteral("other.txt"));
        QVERIFY(gone);
        QCOMPARE(second.size(), 70);
        for (int i = 0; i < 70; ++i)
            QCOMPARE(second.at(i).data, first.at(i).data);
    }

    void dodPatterns()
    {
        // Built at the first use in this process, by an earlier test or this one.
        const qint64 before = processStart - 1;
        bool gone = false;
        const QList<WriteRecorder::Write> dod7 = shred(1, 1, 65537, &gone);
        QVERIFY(gone);
        QCOMPARE(dod7.size(), 14);
        const qint64 after = _time64(nullptr) + 1;
        QList<QByteArray> block;
        for (int p = 0; p < 7; ++p)
            block.append(dod7.at(7 + p).data);
        const char v = block.at(0).at(0);
        QVERIFY(allBytes(block.at(0), v));
        QVERIFY(allBytes(block.at(1), char(v ^ 0xFF)));
        // v from seed t+100, w from seed t+v, buffer 2 from seed t-w+5194, buffers 3-6 from seed t+48+w,
        // t being the time in seconds when each seed was taken.
        bool matched = false;
        for (qint64 t = before; t <= after && !matched; ++t) {
            if (randBytes(unsigned(t + 100), 0, 1).at(0) != v)
                continue;
            for (qint64 t2 = before; t2 <= after && !matched; ++t2) {
                const int w = quint8(randBytes(unsigned(t2 + quint8(v)), 0, 1).at(0));
                bool third = false, rest = true;
                auto seededBy = [](unsigned seed, const QByteArray &buffer) {
                    return randBytes(seed, 0, 16) == buffer.left(16) && randBytes(seed, 0, 65536) == buffer;
                };
                for (qint64 t3 = before; t3 <= after; ++t3)
                    third = third || seededBy(unsigned(t3 - w + 5194), block.at(2));
                for (int p = 3; p < 7; ++p) {
                    bool one = false;
                    for (qint64 t4 = before; t4 <= after; ++t4)
                        one = one || seededBy(unsigned(t4 + 48 + w), block.at(p));
                    rest = rest && one;
                }
                matched = third && rest;
            }
        }
        QVERIFY(matched);
        // The three-pass method writes the first three of the same seven buffers.
        const QList<WriteRecorder::Write> dod3 = shred(2, 1, 65537, &gone, QStringLiteral("dod3.bin"));
        QVERIFY(gone);
        QCOMPARE(dod3.size(), 6);
        for (int p = 0; p < 3; ++p)
            QCOMPARE(dod3.at(3 + p).data, block.at(p));
    }

    void randomPatterns()
    {
        const qint64 before = _time64(nullptr);
        bool gone = false;
        const QList<WriteRecorder::Write> writes = shred(3, 3, 65537, &gone);
        const qint64 after = _time64(nullptr);
        QVERIFY(gone);
        QCOMPARE(writes.size(), 6);
        // Each pass: a fresh buffer from srand(time in seconds).
        for (int p = 0; p < 3; ++p) {
            bool seeded = false;
            for (qint64 t = before; t <= after && !seeded; ++t)
                seeded = randBytes(unsigned(t), 0, 65536) == writes.at(3 + p).data;
            QVERIFY2(seeded, qPrintable(QString::number(p)));
        }
    }

    // No pass count would delete a file whose contents were never overwritten.
    void randomPassesAtLeastOne_data()
    {
        QTest::addColumn<quint32>("numPasses");
        QTest::addColumn<int>("passes");
        QTest::newRow("0") << quint32(0) << 1;
        QTest::newRow("1") << quint32(1) << 1;
        QTest::newRow("99") << quint32(99) << 99;
        QTest::newRow("5000") << quint32(5000) << 99;
    }
    void randomPassesAtLeastOne()
    {
        QFETCH(quint32, numPasses);
        QFETCH(int, passes);
        bool gone = false;
        const QList<WriteRecorder::Write> writes = shred(3, numPasses, 10, &gone);
        QVERIFY(gone);
        QCOMPARE(writes.size(), 2 * passes);
    }

    void renames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("collision");
        QTest::addColumn<QString>("result");
        QTest::newRow("dots kept") << "report.final.docx" << QString() << "ZZZZZZ.ZZZZZ.ZZZZ";
        QTest::newRow("short") << "a.b.c" << QString() << "Z.Z.Z";
        QTest::newRow("no dot") << "notes" << QString() << "ZZZZZ";
        QTest::newRow("stops before G") << "report.final.docx"
                                        << "GGGGGG.GGGGG.GGGG"
                                        << "FFFFFF.FFFFF.FFFF";
        QTest::newRow("stops before Z") << "a.b.c"
                                        << "Z.Z.Z"
                                        << "Y.Y.Y";
        QTest::newRow("first fails") << "a.b.c"
                                     << "A.A.A"
                                     << "a.b.c";
    }
    void renames()
    {
        QFETCH(QString, name);
        QFETCH(QString, collision);
        QFETCH(QString, result);
        // The folder part never changes, whatever letters it has.
        const QString folder = dir() + QStringLiteral("/Mixed.Case folder");
        writeFile(folder + QLatin1Char('/') + name, "data");
        if (!collision.isEmpty())
            writeFile(folder + QLatin1Char('/') + collision, "other");
        SecureDeleteThread thread;
        const QString path = folder + QLatin1Char('\\') + name;
        QCOMPARE(thread.scrambleName(path), folder + QLatin1Char('\\') + result);
        QCOMPARE(readFile(folder + QLatin1Char('/') + result), QByteArray("data"));
        QStringList expected{result};
        if (!collision.isEmpty()) {
            QCOMPARE(readFile(folder + QLatin1Char('/') + collision), QByteArray("other"));
            expected << collision;
        }
        expected.sort();
        QCOMPARE(filesIn(folder), expected);
    }

    void pathWithoutBackslashIsNotRenamed()
    {
        writeFile(hostFile(QStringLiteral("plain.txt")), "data");
        SecureDeleteThread thread;
        QCOMPARE(thread.scrambleName(hostFile(QStringLiteral("plain.txt"))), hostFile(QStringLiteral("plain.txt")));
        QCOMPARE(filesIn(dir()), QStringList{QStringLiteral("plain.txt")});
    }

    // A collision ends the renaming; the file is deleted under its last name.
    void collisionStillDeletes()
    {
        writeFile(hostFile(QStringLiteral("a.b")), "secret");
        writeFile(hostFile(QStringLiteral("C.C")), "bystander");
        SecureDeleteOptions options;
        options.DeleteMode = 2;
        SecureDeleteThread thread;
        thread.options = &options;
        QVERIFY(thread.shredFile(enginePath(QStringLiteral("a.b"))));
        QCOMPARE(filesIn(dir()), QStringList{QStringLiteral("C.C")});
        QCOMPARE(readFile(hostFile(QStringLiteral("C.C"))), QByteArray("bystander"));
    }

    // The delete fails after the renames: the file gets its first name back and counts as not shredded.
    void failedDeleteRenamesBack()
    {
        const QString host = hostFile(QStringLiteral("held.doc"));
        writeFile(host, secretBytes(1000));
        SecureDeleteOptions options;
        options.DeleteMode = 2;
        SecureDeleteThread thread;
        thread.options = &options;
        // Read-only from the first write on: the open succeeded, the delete will not.
        WriteRecorder recorder([host](int count) {
            if (count == 1)
                ::chmod(QFile::encodeName(host).constData(), 0444);
        });
        QVERIFY(!thread.shredFile(enginePath(QStringLiteral("held.doc"))));
        QCOMPARE(filesIn(dir()), QStringList{QStringLiteral("held.doc")});
        QVERIFY(readFile(host) != secretBytes(1000));
        QCOMPARE(recorder.writesTo(host).size(), 6);
    }

    void unshreddableFilesStay_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only") << "readonly";
        QTest::newRow("locked") << "locked";
        QTest::newRow("vanished") << "vanish";
        QTest::newRow("disk full") << "diskfull";
    }
    void unshreddableFilesStay()
    {
        QFETCH(QString, fault);
        const QString host = hostFile(QStringLiteral("keep me.txt"));
        const QByteArray secret = secretBytes(70000);
        writeFile(host, secret);
        if (fault == QLatin1String("readonly"))
            ::chmod(QFile::encodeName(host).constData(), 0444);
        else
            m->injectFileFault(host, fault);
        for (quint32 mode : {0u, 2u, 3u}) {
            SecureDeleteOptions options;
            options.DeleteMode = mode;
            SecureDeleteThread thread;
            thread.options = &options;
            WriteRecorder recorder;
            QVERIFY(!thread.shredFile(enginePath(QStringLiteral("keep me.txt"))));
            QCOMPARE(recorder.writes().size(), 0);
        }
        QCOMPARE(filesIn(dir()), QStringList{QStringLiteral("keep me.txt")});
        QCOMPARE(readFile(host), secret);
    }

    void missingFileIsNotShredded()
    {
        SecureDeleteThread thread;
        QVERIFY(!thread.shredFile(enginePath(QStringLiteral("never.txt"))));
    }

    // Gutmann stops between writes and keeps the half-overwritten file; DoD finishes the file under way.
    void cancelDuringOverwrite_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<bool>("shredded");
        QTest::addColumn<int>("writes");
        QTest::newRow("gutmann") << quint32(0) << false << 40;
        QTest::newRow("dod3") << quint32(2) << true << 6;
    }
    void cancelDuringOverwrite()
    {
        QFETCH(quint32, mode);
        QFETCH(bool, shredded);
        QFETCH(int, writes);
        const QString host = hostFile(QStringLiteral("big.iso"));
        writeFile(host, secretBytes(200000));
        SecureDeleteOptions options;
        options.DeleteMode = mode;
        SecureDeleteThread thread;
        thread.options = &options;
        const int cancelAt = mode == 0 ? 40 : 1;
        WriteRecorder recorder([&thread, cancelAt](int count) {
            if (count == cancelAt)
                thread.cancel = true;
        });
        QCOMPARE(thread.shredFile(enginePath(QStringLiteral("big.iso"))), shredded);
        QCOMPARE(recorder.writesTo(host).size(), writes);
        QCOMPARE(QFile::exists(host), !shredded);
        QCOMPARE(filesIn(dir()).size(), shredded ? 0 : 1);
        // Nothing more is started after a cancel.
        writeFile(hostFile(QStringLiteral("next.txt")), "next");
        QVERIFY(!thread.shredFile(enginePath(QStringLiteral("next.txt"))));
        QCOMPARE(readFile(hostFile(QStringLiteral("next.txt"))), QByteArray("next"));
    }

    void foldersBottomUp()
    {
        writeFile(hostFile(QStringLiteral("tree/a.txt")), "a");
        writeFile(hostFile(QStringLiteral("tree/sub/b.txt")), "b");
        writeFile(hostFile(QStringLiteral("tree/sub/deeper/c.txt")), "c");
        QDir().mkpath(hostFile(QStringLiteral("tree/empty")));
        writeFile(hostFile(QStringLiteral("outside.txt")), "outside");
        QDir().mkpath(hostFile(QStringLiteral("elsewhere")));
        writeFile(hostFile(QStringLiteral("elsewhere/target.txt")), "target");
        // Links inside the folder are not followed: what they point at survives.
        QVERIFY(QFile::link(hostFile(QStringLiteral("outside.txt")), hostFile(QStringLiteral("tree/link.txt"))));
        QVERIFY(QFile::link(hostFile(QStringLiteral("elsewhere")), hostFile(QStringLiteral("tree/sub/dirlink"))));
        SecureDeleteOptions options;
        options.DeleteMode = 2;
        SecureDeleteThread thread;
        thread.options = &options;
        QSignalSpy paths(&thread, &SecureDeleteThread::updatePath);
        QSignalSpy progress(&thread, &SecureDeleteThread::updateDeleteProgress);
        QVERIFY(!thread.shredFolder(enginePath(QStringLiteral("tree")), 0));
        QCOMPARE(readFile(hostFile(QStringLiteral("outside.txt"))), QByteArray("outside"));
        QCOMPARE(readFile(hostFile(QStringLiteral("elsewhere/target.txt"))), QByteArray("target"));
        // The links kept their folders; everything else is gone.
        QCOMPARE(filesIn(hostFile(QStringLiteral("tree"))), (QStringList{"link.txt", "sub"}));
        QCOMPARE(filesIn(hostFile(QStringLiteral("tree/sub"))), QStringList{"dirlink"});
        // Listing order, sub-folders depth-first: a.txt, empty, sub, sub\b.txt, sub\deeper, sub\deeper\c.txt.
        QStringList seen;
        for (const QList<QVariant> &args : std::as_const(paths))
            seen << args.at(0).toString().mid(dir().size() + 1);
        QCOMPARE(seen, (QStringList{"tree", "tree\\a.txt", "tree\\empty", "tree\\sub", "tree\\sub\\b.txt",
                                    "tree\\sub\\deeper", "tree\\sub\\deeper\\c.txt"}));
        // Progress: once for the top folder and once per file at any depth.
        QCOMPARE(progress.size(), 4);
        QFile::remove(hostFile(QStringLiteral("tree/link.txt")));
        QFile::remove(hostFile(QStringLiteral("tree/sub/dirlink")));
        QVERIFY(thread.shredFolder(enginePath(QStringLiteral("tree")), 0));
        QVERIFY(!QFileInfo::exists(hostFile(QStringLiteral("tree"))));
        // A folder that no longer exists was not shredded here.
        QVERIFY(!thread.shredFolder(enginePath(QStringLiteral("tree")), 0));
    }

    // The same walk on either drive the user can reach: a folder of the host's root by its Z: path, and one in
    // the host user's Documents reached through the profile's link (C:\Users\User\Documents). The walk names
    // what it shreds on that drive, goes no further than a link inside, and keeps a file with a second name.
    void foldersOnEitherDrive_data()
    {
        QTest::addColumn<bool>("throughProfile");
        QTest::newRow("Z: (host root)") << false;
        QTest::newRow("C: through the Documents link") << true;
    }
    void foldersOnEitherDrive()
    {
        QFETCH(bool, throughProfile);
        const QString host = hostFile(QStringLiteral("hostdocs"));
        QVERIFY(QDir().mkpath(host + QStringLiteral("/tree/sub")));
        QString top = fromHostPath(host);
        if (throughProfile) {
            QVERIFY(m->linkUserFolder(CSIDL_PERSONAL, host));
            top = QStringLiteral("C:\\Users\\User\\Documents");
        }
        QVERIFY2(top.startsWith(throughProfile ? QStringLiteral("C:\\") : QStringLiteral("Z:\\")), qPrintable(top));
        writeFile(host + QStringLiteral("/tree/a.txt"), "a");
        writeFile(host + QStringLiteral("/tree/sub/b.txt"), "b");
        writeFile(host + QStringLiteral("/tree/plan.doc"), "plan");
        writeFile(hostFile(QStringLiteral("outside/kept.txt")), "kept");
        QCOMPARE(::link(QFile::encodeName(host + QStringLiteral("/tree/plan.doc")).constData(),
                        QFile::encodeName(hostFile(QStringLiteral("outside/plan-copy.doc"))).constData()),
                 0);
        QVERIFY(QFile::link(hostFile(QStringLiteral("outside")), host + QStringLiteral("/tree/sub/out")));
        Worker w(2);
        QSignalSpy paths(&w.thread, &SecureDeleteThread::updatePath);
        QVERIFY(!w.thread.shredFolder(top + QStringLiteral("\\tree"), 0));
        // Outside the chosen folder nothing changed; inside, only the link and the twice-named file are left.
        QCOMPARE(readFile(hostFile(QStringLiteral("outside/kept.txt"))), QByteArray("kept"));
        QCOMPARE(readFile(hostFile(QStringLiteral("outside/plan-copy.doc"))), QByteArray("plan"));
        QCOMPARE(filesIn(host + QStringLiteral("/tree")), (QStringList{"plan.doc", "sub"}));
        QCOMPARE(filesIn(host + QStringLiteral("/tree/sub")), QStringList{"out"});
        QVERIFY(!paths.isEmpty());
        for (const QList<QVariant> &args : std::as_const(paths))
            QVERIFY2(args.at(0).toString().startsWith(top + QStringLiteral("\\tree")),
                     qPrintable(args.at(0).toString()));
    }

    // A file lying 300 characters deep, past what a plain path reaches without long-path support, is shredded,
    // alone or with the folder that holds it, and named as the user sees it while it is.
    void deepFilesAreShredded_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("the file") << false;
        QTest::newRow("its folder") << true;
    }
    void deepFilesAreShredded()
    {
        QFETCH(bool, folder);
        const QString name(100, QLatin1Char('n'));
        const QString host = hostFile(name + QLatin1Char('/') + name + QLatin1Char('/') + name);
        QVERIFY(writeFile(host + QStringLiteral("/deep.bin"), secretBytes(70000)));
        const QString windows = fromHostPath(host);
        QVERIFY(windows.size() > 300);
        Worker w(2);
        QSignalSpy paths(&w.thread, &SecureDeleteThread::updatePath);
        QVERIFY(folder ? w.thread.shredFolder(windows, 0) : w.thread.shredFile(windows + QStringLiteral("\\deep.bin")));
        QVERIFY(!QFileInfo::exists(host + QStringLiteral("/deep.bin")));
        QCOMPARE(QFileInfo::exists(host), !folder);
        QCOMPARE(paths.first().at(0).toString(), folder ? windows : windows + QStringLiteral("\\deep.bin"));
    }

    // A listed link is not followed: the file or folder it points at is not touched.
    void listedLinksAreNotFollowed()
    {
        writeFile(hostFile(QStringLiteral("real/data.txt")), "data");
        QVERIFY(QFile::link(hostFile(QStringLiteral("real/data.txt")), hostFile(QStringLiteral("filelink"))));
        QVERIFY(QFile::link(hostFile(QStringLiteral("real")), hostFile(QStringLiteral("dirlink"))));
        SecureDeleteOptions options;
        options.DeleteMode = 2;
        SecureDeleteThread thread;
        thread.options = &options;
        WriteRecorder recorder;
        QVERIFY(!thread.shredFile(enginePath(QStringLiteral("filelink"))));
        QVERIFY(!thread.shredFolder(enginePath(QStringLiteral("dirlink")), 0));
        QCOMPARE(recorder.writes().size(), 0);
        QCOMPARE(readFile(hostFile(QStringLiteral("real/data.txt"))), QByteArray("data"));
    }

    void listModeLastToFirst_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<QStringList>("remaining");
        // Cancel arrives while f3 is under way: Gutmann leaves it, DoD finishes it.
        QTest::newRow("gutmann") << quint32(0) << QStringList{"f1.txt", "tree", "f3.txt"};
        QTest::newRow("dod3") << quint32(2) << QStringList{"f1.txt", "tree"};
    }
    void listModeLastToFirst()
    {
        QFETCH(quint32, mode);
        QFETCH(QStringList, remaining);
        const QStringList names{"f1.txt", "tree", "f3.txt", "locked.txt", "gone", "f5.txt"};
        writeFile(hostFile(QStringLiteral("f1.txt")), "1");
        writeFile(hostFile(QStringLiteral("tree/x.txt")), "x");
        writeFile(hostFile(QStringLiteral("f3.txt")), "3");
        writeFile(hostFile(QStringLiteral("locked.txt")), "L");
        writeFile(hostFile(QStringLiteral("f5.txt")), "5");
        m->injectFileFault(hostFile(QStringLiteral("locked.txt")), QStringLiteral("locked"));
        QStandardItemModel model;
        for (const QString &name : names) {
            const bool folder = name == QLatin1String("tree") || name == QLatin1String("gone");
            model.appendRow(listRow(name, folder, dir()));
        }
        bool removedOnGuiThread = true;
        connect(&model, &QStandardItemModel::rowsAboutToBeRemoved, this,
                [&] { removedOnGuiThread = removedOnGuiThread && QThread::currentThread() == thread(); });
        Worker w(mode);
        SecureDeleteThread &worker = w.thread;
        worker.listModel = &model;
        QStringList seen;
        connect(
            &worker, &SecureDeleteThread::updatePath, &worker,
            [&](const QString &path) {
                seen << path.mid(dir().size() + 1);
                if (path.endsWith(QLatin1String("f3.txt")))
                    worker.cancel = true;
            },
            Qt::DirectConnection);
        QSignalSpy total(&worker, &SecureDeleteThread::updateTotalProgress);
        bool finished = false;
        connect(&worker, &SecureDeleteThread::deleteFinish, this, [&] { finished = true; });
        worker.start();
        QTRY_VERIFY(finished);
        QVERIFY(worker.wait());
        QCOMPARE(seen, (QStringList{"f5.txt", "gone", "locked.txt", "f3.txt"}));
        QStringList rows;
        for (int r = 0; r < model.rowCount(); ++r)
            rows << model.item(r, 0)->text();
        // A row whose folder is not there stays too.
        remaining << QStringLiteral("locked.txt") << QStringLiteral("gone");
        QCOMPARE(rows, remaining);
        QVERIFY(removedOnGuiThread);
        QCOMPARE(total.size(), 0);
        QCOMPARE(readFile(hostFile(QStringLiteral("f1.txt"))), QByteArray("1"));
        QCOMPARE(readFile(hostFile(QStringLiteral("locked.txt"))), QByteArray("L"));
        QVERIFY(!QFile::exists(hostFile(QStringLiteral("f5.txt"))));
    }

    // A row another program moved away after it was listed is kept and named as not found, a folder as a
    // file; what was moved is untouched where it went.
    void rowsMovedAwayAfterListing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file"); // what the row holds
        QTest::newRow("file row") << "plan.doc"
                                  << "plan.doc";
        QTest::newRow("folder row") << "tree"
                                    << "tree/inner.txt";
    }
    void rowsMovedAwayAfterListing()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        writeFile(hostFile(QStringLiteral("chosen/") + file), "private");
        const bool folder = name != file;
        QStandardItemModel model;
        model.appendRow(listRow(name, folder, hostFile(QStringLiteral("chosen"))));
        QVERIFY(QDir().mkpath(hostFile(QStringLiteral("elsewhere"))));
        QVERIFY(
            QDir().rename(hostFile(QStringLiteral("chosen/") + name), hostFile(QStringLiteral("elsewhere/") + name)));
        Worker w(2);
        w.thread.listModel = &model;
        WriteRecorder recorder;
        w.thread.start();
        QVERIFY(w.thread.wait());
        QCoreApplication::processEvents(); // a row's removal would be handed to this thread
        QCOMPARE(w.thread.itemsShredded, 0);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(w.thread.itemsKept, QStringList{hostFile(QStringLiteral("chosen\\") + name) + " (not found)"});
        QCOMPARE(readFile(hostFile(QStringLiteral("elsewhere/") + file)), QByteArray("private"));
        QVERIFY(recorder.writes().isEmpty());
    }

    void recycleBinMode()
    {
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), hostFile(QStringLiteral("q")));
        mapDrive(QLatin1Char('R'), hostFile(QStringLiteral("r")));
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/$IAB12.txt")), "info");
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/$RAB12.txt")), "data");
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/$RCD34/inner.doc")), "inner");
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/$RCD34/deep/x.bin")), "x");
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/.dotfile")), "dot");
        writeFile(hostFile(QStringLiteral("outside.txt")), "outside");
        QVERIFY(QFile::link(hostFile(QStringLiteral("outside.txt")),
                            hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1/link"))));
        writeFile(hostFile(QStringLiteral("r/$Recycle.Bin/$RZZ.dat")), "zz");
        QStringList folders{QStringLiteral("Q:\\$RECYCLE.BIN"), QStringLiteral("R:\\$Recycle.Bin")};
        Worker w(2);
        SecureDeleteThread &worker = w.thread;
        worker.recycleBinMode = true;
        worker.recycleBinFolders = &folders;
        SecureDeleteEntry stale;
        stale.path = QStringLiteral("Q:\\stale");
        worker.entries.append(stale);
        QStringList seen;
        int steps = 0;
        connect(
            &worker, &SecureDeleteThread::updatePath, &worker, [&](const QString &path) { seen << path; },
            Qt::DirectConnection);
        connect(
            &worker, &SecureDeleteThread::updateDeleteProgress, &worker, [&] { ++steps; }, Qt::DirectConnection);
        QSignalSpy total(&worker, &SecureDeleteThread::updateTotalProgress);
        bool finished = false;
        connect(&worker, &SecureDeleteThread::deleteFinish, this, [&] { finished = true; });
        worker.start();
        QTRY_VERIFY(finished);
        QVERIFY(worker.wait());
        QCOMPARE(total.size(), 1);
        QCOMPARE(total.at(0).at(0).toInt(), 7);
        // The last folder's entries first, each folder's entries in the reverse of the listing order.
        QStringList entries;
        for (const SecureDeleteEntry &e : std::as_const(worker.entries))
            entries << e.path + QLatin1Char(':') + QString::number(e.kind);
        QCOMPARE(
            entries,
            (QStringList{"R:\\$Recycle.Bin\\$RZZ.dat:1", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\link:2",
                         "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\.dotfile:1", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RCD34:0",
                         "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RAB12.txt:1", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$IAB12.txt:1"}));
        QCOMPARE(seen,
                 (QStringList{"R:\\$Recycle.Bin\\$RZZ.dat", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\link",
                              "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\.dotfile", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RCD34",
                              "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RCD34\\deep",
                              "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RCD34\\deep\\x.bin",
                              "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RCD34\\inner.doc",
                              "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$RAB12.txt", "Q:\\$RECYCLE.BIN\\S-1-5-21-1\\$IAB12.txt"}));
        QCOMPARE(steps, 8);
        // The bin's own folder stays. A link goes itself; what it points at is untouched.
        QCOMPARE(filesIn(hostFile(QStringLiteral("q/$RECYCLE.BIN"))), QStringList{"S-1-5-21-1"});
        QCOMPARE(filesIn(hostFile(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21-1"))), QStringList());
        QCOMPARE(worker.itemsKept + worker.itemsOverwritten, QStringList());
        QCOMPARE(worker.itemsShredded, 6);
        QCOMPARE(readFile(hostFile(QStringLiteral("outside.txt"))), QByteArray("outside"));
        QCOMPARE(filesIn(hostFile(QStringLiteral("r/$Recycle.Bin"))), QStringList());
    }

    // A file with a second name keeps its data under both: overwriting it would destroy the other name's
    // contents too. Its row stays; a file with one name beside it goes as usual.
    void fileWithAnotherNameIsKept_data()
    {
        QTest::addColumn<QString>("otherName"); // relative to the test folder; empty: the file has one name
        QTest::addColumn<quint32>("mode");
        QTest::newRow("one name") << QString() << quint32(2);
        QTest::newRow("second name outside the chosen folder") << QStringLiteral("elsewhere/copy.doc") << quint32(2);
        QTest::newRow("second name beside it") << QStringLiteral("chosen/copy.doc") << quint32(0);
        QTest::newRow("second name, random method") << QStringLiteral("elsewhere/copy.doc") << quint32(3);
    }
    void fileWithAnotherNameIsKept()
    {
        QFETCH(QString, otherName);
        QFETCH(quint32, mode);
        const QByteArray secret = secretBytes(70000);
        writeFile(hostFile(QStringLiteral("chosen/plan.doc")), secret);
        writeFile(hostFile(QStringLiteral("chosen/single.doc")), secret);
        if (!otherName.isEmpty()) {
            QDir().mkpath(QFileInfo(hostFile(otherName)).path());
            QCOMPARE(::link(QFile::encodeName(hostFile(QStringLiteral("chosen/plan.doc"))).constData(),
                            QFile::encodeName(hostFile(otherName)).constData()),
                     0);
        }
        QStandardItemModel model;
        for (const char *name : {"plan.doc", "single.doc"})
            model.appendRow(listRow(QLatin1String(name), false, hostFile(QStringLiteral("chosen"))));
        Worker w(mode);
        SecureDeleteThread &worker = w.thread;
        worker.listModel = &model;
        WriteRecorder recorder;
        worker.start();
        QVERIFY(worker.wait());
        QCoreApplication::processEvents(); // the rows' removal, handed to this thread
        QVERIFY(!QFile::exists(hostFile(QStringLiteral("chosen/single.doc"))));
        QCOMPARE(worker.itemsToShred, 2);
        if (otherName.isEmpty()) {
            QVERIFY(!QFile::exists(hostFile(QStringLiteral("chosen/plan.doc"))));
            QCOMPARE(model.rowCount(), 0);
            QCOMPARE(worker.itemsShredded, 2);
            return;
        }
        QCOMPARE(readFile(hostFile(QStringLiteral("chosen/plan.doc"))), secret);
        QCOMPARE(readFile(hostFile(otherName)), secret);
        QVERIFY(recorder.writesTo(hostFile(QStringLiteral("chosen/plan.doc"))).isEmpty());
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.item(0, 0)->text(), QStringLiteral("plan.doc"));
        QCOMPARE(worker.itemsShredded, 1);
    }

    // Entries are listed before the first one is shredded, and a folder's files before the first of them: a
    // folder swapped meanwhile for a link to a folder elsewhere, or a file replaced by another, is left alone,
    // and so is everything elsewhere.
    void recycleBinEntryChangedDuringTheRun_data()
    {
        QTest::addColumn<bool>("swapFolder");
        QTest::newRow("folder swapped for a link") << true;
        QTest::newRow("file replaced") << false;
    }
    void recycleBinEntryChangedDuringTheRun()
    {
        QFETCH(bool, swapFolder);
        const QString bin = hostFile(QStringLiteral("bin"));
        writeFile(bin + QStringLiteral("/a.txt"), "listed a");
        writeFile(bin + QStringLiteral("/folder/sub/x.txt"), "listed x");
        writeFile(bin + QStringLiteral("/folder/sub/y.txt"), "listed y");
        writeFile(hostFile(QStringLiteral("elsewhere/x.txt")), "private");
        writeFile(hostFile(QStringLiteral("elsewhere/y.txt")), "private");
        QStringList folders{bin};
        Worker w(2);
        SecureDeleteThread &worker = w.thread;
        worker.recycleBinMode = true;
        worker.recycleBinFolders = &folders;
        // The first write (to folder/sub/x.txt: the last entry listed goes first) waits while things change.
        WorkerGate gate;
        worker.start();
        QVERIFY(gate.started.tryAcquire(1, 30000));
        if (swapFolder) {
            QVERIFY(QDir(bin + QStringLiteral("/folder/sub")).removeRecursively());
            QVERIFY(QFile::link(hostFile(QStringLiteral("elsewhere")), bin + QStringLiteral("/folder/sub")));
        } else {
            writeFile(bin + QStringLiteral("/a.new"), "private");
            QVERIFY(::rename(QFile::encodeName(bin + QStringLiteral("/a.new")).constData(),
                             QFile::encodeName(bin + QStringLiteral("/a.txt")).constData()) == 0);
        }
        gate.proceed.release();
        QVERIFY(worker.wait());
        QCOMPARE(worker.itemsToShred, 2);
        QCOMPARE(readFile(hostFile(QStringLiteral("elsewhere/x.txt"))), QByteArray("private"));
        QCOMPARE(readFile(hostFile(QStringLiteral("elsewhere/y.txt"))), QByteArray("private"));
        QCOMPARE(filesIn(hostFile(QStringLiteral("elsewhere"))), (QStringList{"x.txt", "y.txt"}));
        if (swapFolder) {
            QVERIFY(!QFile::exists(bin + QStringLiteral("/a.txt")));
        } else {
            QCOMPARE(readFile(bin + QStringLiteral("/a.txt")), QByteArray("private"));
            QCOMPARE(filesIn(bin + QStringLiteral("/folder")), QStringList());
            QCOMPARE(worker.itemsShredded, 1);
        }
    }

    // A second thread keeps swapping the listed files, and a folder below a listed folder, for links to files
    // outside while they are shredded, run after run: nothing outside is ever written or removed, and every item
    // still there keeps its row.
    void swappedForLinksWhileShredding_data()
    {
        QTest::addColumn<bool>("recycleBin");
        QTest::newRow("list mode") << false;
        QTest::newRow("emptying the Recycle Bin") << true;
    }
    void swappedForLinksWhileShredding()
    {
        QFETCH(bool, recycleBin);
        const QString chosen = hostFile(QStringLiteral("chosen"));
        const QString outside = hostFile(QStringLiteral("outside"));
        QStringList names;
        for (int i = 0; i < 6; ++i)
            names << QStringLiteral("f%1.txt").arg(i);
        for (int i = 0; i < 6; ++i)
            QVERIFY(writeFile(outside + QLatin1Char('/') + names.at(i), "private"));
        QElapsedTimer clock;
        clock.start();
        int runs = 0, linked = 0;
        while (clock.elapsed() < 2500) {
            ++runs;
            for (const QString &name : names)
                QVERIFY(writeFile(chosen + QLatin1Char('/') + name, secretBytes(3000)));
            for (int i = 0; i < 3; ++i)
                QVERIFY(writeFile(chosen + QStringLiteral("/tree/sub/") + names.at(i), secretBytes(3000)));
            SwapRacer racer;
            for (const QString &name : names)
                racer.add(chosen + QLatin1Char('/') + name, outside + QLatin1Char('/') + name);
            racer.add(chosen + QStringLiteral("/tree/sub"), outside);
            QStandardItemModel model;
            for (const QString &name : names)
                model.appendRow(listRow(name, false, chosen));
            model.appendRow(listRow(QStringLiteral("tree"), true, chosen));
            QStringList folders{chosen};
            Worker w(2);
            if (recycleBin) {
                w.thread.recycleBinMode = true;
                w.thread.recycleBinFolders = &folders;
            } else {
                w.thread.listModel = &model;
            }
            racer.start();
            w.thread.start();
            QVERIFY(w.thread.wait());
            racer.stop();
            QCoreApplication::processEvents(); // the rows' removal, handed to this thread
            linked += racer.links();
            const QString changed = changedOutside(outside, names, "private");
            QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(runs).arg(changed)));
            if (!recycleBin) {
                QStringList present, rows;
                for (const QString &name : names + QStringList{QStringLiteral("tree")})
                    if (QFileInfo::exists(chosen + QLatin1Char('/') + name))
                        present << name;
                for (int r = 0; r < model.rowCount(); ++r)
                    rows << model.item(r, 0)->text();
                QVERIFY2(rows == present,
                         qPrintable(QStringLiteral("run %1: rows %2, present %3")
                                        .arg(runs)
                                        .arg(rows.join(QLatin1Char(' ')), present.join(QLatin1Char(' ')))));
            }
            QVERIFY(QDir(chosen).removeRecursively());
        }
        QVERIFY2(linked > runs, "the swaps never raced the shredding");
    }

    void recycleBinModeCancelledBeforeStart()
    {
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), hostFile(QStringLiteral("q")));
        writeFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/$R1.txt")), "1");
        QStringList folders{QStringLiteral("Q:\\$RECYCLE.BIN")};
        SecureDeleteThread worker;
        worker.recycleBinMode = true;
        worker.recycleBinFolders = &folders;
        worker.cancel = true;
        QSignalSpy total(&worker, &SecureDeleteThread::updateTotalProgress);
        QSignalSpy finish(&worker, &SecureDeleteThread::deleteFinish);
        worker.start();
        QVERIFY(worker.wait());
        QCOMPARE(finish.size(), 1);
        QCOMPARE(total.at(0).at(0).toInt(), 1);
        QCOMPARE(readFile(hostFile(QStringLiteral("q/$RECYCLE.BIN/$R1.txt"))), QByteArray("1"));
    }
};

QTEST_GUILESS_MAIN(TestShredEngine)
#include "tst_shredengine.moc"
