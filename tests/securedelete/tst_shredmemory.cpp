// The pattern buffers when memory runs out: a method whose buffers cannot all be allocated writes nothing and
// keeps the file, and the next use builds them again. Its own program, so that no earlier test has built the
// process-wide buffers already.
#include "securedeletethread.h"
#include "shredsupport.h"
#include "testmachine.h"

#include <QTemporaryDir>
#include <QtTest>

class TestShredMemory : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> tmp;

    // Shreds a fresh file with the method; returns whether it is gone, and the number of writes.
    bool shred(quint32 mode, quint32 passes, int *writes)
    {
        const QString host = tmp->path() + QStringLiteral("/file.bin");
        if (!QFile::exists(host))
            writeFile(host, secretBytes(70000));
        SecureDeleteOptions options;
        options.DeleteMode = mode;
        options.NumPasses = passes;
        SecureDeleteThread thread;
        thread.options = &options;
        WriteRecorder recorder;
        const bool gone = thread.shredFile(tmp->path() + QStringLiteral("\\file.bin"));
        *writes = int(recorder.writes().size());
        return gone;
    }

    void allowAllocations(int count)
    {
        machine::setSetting(QStringLiteral("memory.allocations.left"), count < 0 ? QString() : QString::number(count));
    }

private slots:
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

    void patternSetsBuildAgainAfterAFailure_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<int>("buffers");
        QTest::addColumn<int>("passes");
        QTest::newRow("gutmann") << quint32(0) << 35 << 35;
        QTest::newRow("dod7") << quint32(1) << 7 << 7;
    }
    void patternSetsBuildAgainAfterAFailure()
    {
        QFETCH(quint32, mode);
        QFETCH(int, buffers);
        QFETCH(int, passes);
        int writes = -1;
        // One buffer short, then none at all: nothing is written and the file stays as it was.
        for (int allowed : {buffers - 1, 0}) {
            allowAllocations(allowed);
            QVERIFY(!shred(mode, 1, &writes));
            QCOMPARE(writes, 0);
            QCOMPARE(readFile(tmp->path() + QStringLiteral("/file.bin")), secretBytes(70000));
        }
        // With memory again, the set is built and the file shredded: the last byte and the rest, each with every pass.
        allowAllocations(buffers);
        QVERIFY(shred(mode, 1, &writes));
        QCOMPARE(writes, 2 * passes);
        // Built once: later files need no memory for patterns.
        allowAllocations(0);
        QVERIFY(shred(mode, 1, &writes));
        QCOMPARE(writes, 2 * passes);
        allowAllocations(-1);
    }

    // The random method takes a buffer per pass: the second pass fails, and the file stays under its name.
    void randomPassWithoutMemory()
    {
        allowAllocations(1);
        int writes = -1;
        QVERIFY(!shred(3, 3, &writes));
        QCOMPARE(writes, 1);
        QVERIFY(QFile::exists(tmp->path() + QStringLiteral("/file.bin")));
        allowAllocations(-1);
    }
};

QTEST_GUILESS_MAIN(TestShredMemory)
#include "tst_shredmemory.moc"
