// Compressed, encrypted and sparse files are overwritten cluster by cluster through the raw volume: on a
// simulated volume (an image file with the file's declared extents) the passes land on the file's clusters
// and nowhere else; every failure on that path keeps the file.
#include "securedeletethread.h"
#include "shredsupport.h"
#include "testmachine.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const qint64 cluster = 4096;
const int imageClusters = 64;
const char freeByte = '\xEE';

} // namespace

class TestShredClusters : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> tmp;
    QString image;
    QString file;
    QByteArray secret;

    QString enginePath() const { return tmp->path() + QStringLiteral("/drive\\ledger.dat"); }

    // The file's bytes go to the clusters its extents name; the rest of the image is free space.
    void layOut(const QList<rawvolume::Extent> &extents)
    {
        QByteArray volume(int(imageClusters * cluster), freeByte);
        qint64 vcn = 0;
        for (const rawvolume::Extent &e : extents) {
            if (e.lcn >= 0) {
                for (qint64 c = vcn; c < e.nextVcn; ++c) {
                    const QByteArray part = secret.mid(int(c * cluster), int(cluster));
                    if (!part.isEmpty())
                        volume.replace(int((e.lcn + c - vcn) * cluster), part.size(), part);
                }
            }
            vcn = e.nextVcn;
        }
        QVERIFY(writeFile(image, volume));
        rawvolume::declareExtents(file, extents);
    }

    QByteArray clusters(const QByteArray &volume, qint64 lcn, qint64 count) const
    {
        return volume.mid(int(lcn * cluster), int(count * cluster));
    }

    bool shred(quint32 mode, SecureDeleteThread *thread = nullptr)
    {
        SecureDeleteOptions options;
        options.DeleteMode = mode;
        SecureDeleteThread own;
        SecureDeleteThread *t = thread ? thread : &own;
        t->options = &options;
        return t->shredFile(enginePath());
    }

    const QList<rawvolume::Extent> standardExtents{{2, 10}, {3, -1}, {4, 5}};

private slots:
    void init()
    {
        m.reset(new TestMachine);
        tmp.reset(new QTemporaryDir);
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), tmp->path() + QStringLiteral("/drive"));
        image = tmp->path() + QStringLiteral("/volume.img");
        file = tmp->path() + QStringLiteral("/drive/ledger.dat");
        secret = secretBytes(14000);
        QVERIFY(writeFile(file, secret));
        rawvolume::declareVolume(QLatin1Char('Q'), image);
        rawvolume::declareClusterSize(QLatin1Char('Q'), cluster);
        // Where the passes are to land, the simulated volume has no mounted file system to refuse them.
        rawvolume::declareMounted(QLatin1Char('Q'), false);
        m->markFileAttributes(file, FILE_ATTRIBUTE_COMPRESSED);
    }
    void cleanup()
    {
        tmp.reset();
        m.reset();
    }

    void passesLandOnTheClusters_data()
    {
        QTest::addColumn<unsigned>("attribute");
        QTest::newRow("compressed") << unsigned(FILE_ATTRIBUTE_COMPRESSED);
        QTest::newRow("encrypted") << unsigned(FILE_ATTRIBUTE_ENCRYPTED);
        QTest::newRow("sparse") << unsigned(FILE_ATTRIBUTE_SPARSE_FILE);
    }
    void passesLandOnTheClusters()
    {
        QFETCH(unsigned, attribute);
        m->markFileAttributes(file, attribute);
        layOut(standardExtents);
        const QByteArray before = readFile(image);
        WriteRecorder recorder;
        QVERIFY(shred(2));
        // Each run with clusters receives all three passes over its whole length; the file itself none.
        const QList<WriteRecorder::Write> writes = recorder.writes();
        QCOMPARE(writes.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(writes.at(i).path, QDir::cleanPath(image));
            QCOMPARE(writes.at(i).offset, i < 3 ? 10 * cluster : 5 * cluster);
            QCOMPARE(qint64(writes.at(i).data.size()), i < 3 ? 2 * cluster : cluster);
        }
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(tmp->path() + QStringLiteral("/drive")).entryList(QDir::Files), QStringList());
        // The former extent holds the last pass and nothing of the old content; the rest is untouched.
        const QByteArray after = readFile(image);
        QCOMPARE(clusters(after, 10, 2), writes.at(2).data);
        QCOMPARE(clusters(after, 5, 1), writes.at(5).data);
        QVERIFY(clusters(after, 10, 2) != clusters(before, 10, 2));
        QVERIFY(!after.contains(secret.left(64)));
        QVERIFY(!after.contains(secret.mid(12288, 64)));
        QByteArray rest = after;
        rest.replace(int(10 * cluster), int(2 * cluster), QByteArray(int(2 * cluster), freeByte));
        rest.replace(int(5 * cluster), int(cluster), QByteArray(int(cluster), freeByte));
        QCOMPARE(rest, QByteArray(int(imageClusters * cluster), freeByte));
    }

    // A run longer than the 64 KiB pattern repeats the pattern from its first byte, in one write per pass, and
    // each pass reaches the volume before the next.
    void longRunRepeatsThePattern()
    {
        layOut({{20, 30}});
        WriteRecorder recorder;
        QVERIFY(shred(2));
        const QList<WriteRecorder::Write> events = recorder.eventsOf(image);
        QCOMPARE(events.size(), 6);
        for (int p = 0; p < 3; ++p) {
            const WriteRecorder::Write &w = events.at(2 * p);
            QVERIFY(!w.flush);
            QCOMPARE(w.offset, 30 * cluster);
            QCOMPARE(qint64(w.data.size()), 20 * cluster);
            QCOMPARE(w.data.mid(65536), w.data.left(int(20 * cluster - 65536)));
            QVERIFY(events.at(2 * p + 1).flush);
        }
    }

    // Extents beyond what one answer holds come with a second query from where the first ended; a pending
    // answer is waited for.
    void queryNeedsASecondCall_data()
    {
        QTest::addColumn<bool>("pending");
        QTest::newRow("direct") << false;
        QTest::newRow("pending") << true;
    }
    void queryNeedsASecondCall()
    {
        QFETCH(bool, pending);
        if (pending)
            machine::setSetting(QStringLiteral("fsctl.pending"), QStringLiteral("1"));
        QList<rawvolume::Extent> extents;
        for (qint64 vcn = 1; vcn <= 8192; ++vcn)
            extents.append({vcn, -1});
        extents.append({8193, 20});
        extents.append({8194, 30});
        layOut({});
        rawvolume::declareExtents(file, extents);
        WriteRecorder recorder;
        QVERIFY(shred(2));
        const QList<WriteRecorder::Write> writes = recorder.writes();
        QCOMPARE(writes.size(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(writes.at(i).offset, (i < 3 ? 20 : 30) * cluster);
        QVERIFY(!QFile::exists(file));
    }

    // Nothing of the file lies on the volume: the ordinary overwrite reaches its data.
    void runsWithoutClustersFallBack()
    {
        layOut({{4, -1}});
        const QByteArray volume = readFile(image);
        WriteRecorder recorder;
        QVERIFY(shred(2));
        QCOMPARE(recorder.writesTo(image).size(), 0);
        QCOMPARE(recorder.writesTo(file).size(), 3 + 3);
        QCOMPARE(readFile(image), volume);
        QVERIFY(!QFile::exists(file));
    }

    // A file with no clusters at all (small enough for its file record, or empty): the query answers the end
    // of the file from the first cluster on, and the ordinary overwrite reaches its data.
    void filesWithoutClustersAreOverwritten_data()
    {
        QTest::addColumn<unsigned>("attribute");
        QTest::addColumn<qint64>("size");
        const struct
        {
            const char *name;
            unsigned attribute;
        } marks[] = {{"compressed", FILE_ATTRIBUTE_COMPRESSED},
                     {"encrypted", FILE_ATTRIBUTE_ENCRYPTED},
                     {"sparse", FILE_ATTRIBUTE_SPARSE_FILE}};
        for (const auto &mark : marks)
            for (qint64 size : {qint64(0), qint64(100), qint64(699)})
                QTest::addRow("%s-%lld", mark.name, size) << mark.attribute << size;
    }
    void filesWithoutClustersAreOverwritten()
    {
        QFETCH(unsigned, attribute);
        QFETCH(qint64, size);
        secret = secretBytes(size);
        QVERIFY(writeFile(file, secret));
        m->markFileAttributes(file, attribute);
        layOut({});
        WriteRecorder recorder;
        QVERIFY(shred(2));
        QCOMPARE(recorder.writesTo(image).size(), 0);
        // Three passes over the last byte, then three over the rest: every byte three times.
        const QList<WriteRecorder::Write> writes = recorder.writesTo(file);
        QCOMPARE(writes.size(), size == 0 ? 0 : 6);
        QVector<int> covered(int(size), 0);
        for (const WriteRecorder::Write &w : writes)
            for (int b = 0; b < w.data.size(); ++b)
                ++covered[int(w.offset) + b];
        QCOMPARE(covered, QVector<int>(int(size), 3));
        QVERIFY(!QFile::exists(file));
    }

    // Any failure on the cluster path keeps the file, under its own name and with its contents.
    void failuresKeepTheFile_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("not elevated") << "notelevated";
        QTest::newRow("cluster size query fails") << "clusterquery";
        QTest::newRow("volume write fails") << "diskfull";
        // What Windows answers a writer that has not locked the mounted volume: access denied on the first write.
        QTest::newRow("mounted volume refuses the writes") << "mounted";
        // A drive without a simulated volume is the host's own, in use: its volume opens and refuses them too.
        QTest::newRow("the host's volume refuses the writes") << "hostvolume";
        QTest::newRow("no extents") << "noextents";
        QTest::newRow("file unreadable") << "unreadable";
    }
    void failuresKeepTheFile()
    {
        QFETCH(QString, failure);
        layOut(standardExtents);
        if (failure == QLatin1String("hostvolume"))
            rawvolume::declareVolume(QLatin1Char('Q'), QString());
        else if (failure == QLatin1String("notelevated"))
            m->setElevated(false);
        else if (failure == QLatin1String("clusterquery"))
            rawvolume::declareClusterSize(QLatin1Char('Q'), -1);
        else if (failure == QLatin1String("diskfull"))
            m->injectFileFault(image, QStringLiteral("diskfull"));
        else if (failure == QLatin1String("mounted"))
            rawvolume::declareMounted(QLatin1Char('Q'), true);
        else if (failure == QLatin1String("noextents"))
            rawvolume::declareExtents(file, {});
        else if (failure == QLatin1String("unreadable"))
            m->injectFileFault(file, QStringLiteral("unreadable"));
        const QByteArray volume = readFile(image);
        for (quint32 mode : {0u, 1u, 3u}) {
            WriteRecorder recorder;
            SecureDeleteThread thread;
            QVERIFY(!shred(mode, &thread));
            QCOMPARE(recorder.writes().size(), 0);
            // Only the refusal of a drive in use is told as such (the page explains it).
            QCOMPARE(thread.volumeRefused,
                     failure == QLatin1String("mounted") || failure == QLatin1String("hostvolume"));
        }
        QCOMPARE(readFile(file), secret);
        QCOMPARE(readFile(image), volume);
        QCOMPARE(QDir(tmp->path() + QStringLiteral("/drive")).entryList(QDir::Files),
                 QStringList{QStringLiteral("ledger.dat")});
    }

    void cancelledGutmannKeepsTheFile()
    {
        layOut(standardExtents);
        SecureDeleteThread thread;
        WriteRecorder recorder([&thread](int count) {
            if (count == 5)
                thread.cancel = true;
        });
        QVERIFY(!shred(0, &thread));
        QCOMPARE(recorder.writes().size(), 5);
        QCOMPARE(readFile(file), secret);
    }
};

QTEST_GUILESS_MAIN(TestShredClusters)
#include "tst_shredclusters.moc"
