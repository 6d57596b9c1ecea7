// The answer checks of the benchmarks reject wrong answers: a shredded file that is not the last pass's
// pattern throughout, folder totals that differ from the manifest, duplicate groups that differ from the
// content comparer's.
#include "benchchecks.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray randomBlock()
{
    QByteArray b(65536, 0);
    quint32 x = 12345;
    for (char &c : b)
        c = char((x = x * 1103515245u + 12345u) >> 24);
    return b;
}

void writeFile(const QString &path, const QByteArray &data, qint64 mtime)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
    f.flush(); // a later write would set the time again
    QVERIFY(f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime));
}

} // namespace

class TestBenchChecks : public QObject
{
    Q_OBJECT

private slots:
    void lastPass_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("right");
        QTest::newRow("the last pass") << "" << true;
        QTest::newRow("one byte value throughout") << "constant" << false;
        QTest::newRow("one block differs") << "block" << false;
        QTest::newRow("last byte differs") << "last" << false;
        QTest::newRow("the input itself") << "input" << false;
        QTest::newRow("shorter") << "short" << false;
    }
    void lastPass()
    {
        QFETCH(QString, damage);
        QFETCH(bool, right);
        const qint64 size = 3 * 65536 + 5;
        QByteArray input(size, 0);
        for (qint64 i = 0; i < size; ++i)
            input[i] = char(i * 7 % 251);
        const QByteArray block = randomBlock();
        QByteArray after = block.repeated(4).left(size - 1) + block.left(1);
        if (damage == QLatin1String("constant"))
            after.fill('\x55');
        else if (damage == QLatin1String("block"))
            after[2 * 65536 + 9] = char(after.at(2 * 65536 + 9) ^ 1);
        else if (damage == QLatin1String("last"))
            after[size - 1] = char(after.at(size - 1) ^ 1);
        else if (damage == QLatin1String("input"))
            after = input;
        else if (damage == QLatin1String("short"))
            after.chop(1);
        QCOMPARE(benchcheck::lastPassProblem(after, input).isEmpty(), right);
    }

    void folderTotals_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << QByteArray("3 2 1500\n") << true;
        QTest::newRow("a file missing") << QByteArray("2 2 1500\n") << false;
        QTest::newRow("a folder too many") << QByteArray("3 3 1500\n") << false;
        QTest::newRow("a byte short") << QByteArray("3 2 1499\n") << false;
        QTest::newRow("nothing") << QByteArray() << false;
    }
    void folderTotals()
    {
        QFETCH(QByteArray, output);
        QFETCH(bool, right);
        QTemporaryDir dir;
        QFile manifest(dir.filePath(QStringLiteral("t.manifest.tsv")));
        QVERIFY(manifest.open(QIODevice::WriteOnly));
        manifest.write("t/d0/a.txt\t1000\t1\nt/d0/d1/b.txt\t500\t2\nt/d0/d1/c.txt\t0\t3\n");
        manifest.close();
        const benchcheck::Answer expected = benchcheck::fromManifest(dir.filePath(QStringLiteral("t")));
        QCOMPARE(benchcheck::parse(output) == expected, right);
    }

    void duplicateGroups_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<bool>("right");
        // jdupes finds a1 a2 a3 x (a3 with another time, x of no category) and b1 b2.
        QTest::newRow("right") << "a1 a2,b1 b2" << true;
        QTest::newRow("in another order") << "b2 b1,a2 a1" << true;
        QTest::newRow("a group missing") << "a1 a2" << false;
        QTest::newRow("two groups as one") << "a1 a2 b1 b2" << false;
        QTest::newRow("another time joined") << "a1 a2 a3,b1 b2" << false;
        QTest::newRow("a file short") << "a1 a2,b1" << false;
    }
    void duplicateGroups()
    {
        QFETCH(QString, scan);
        QFETCH(bool, right);
        QTemporaryDir dir;
        const QByteArray a("contents a"), b("contents b");
        for (const char *name : {"a1", "a2"})
            writeFile(dir.filePath(QLatin1String(name) + ".txt"), a, 1000);
        writeFile(dir.filePath(QStringLiteral("a3.txt")), a, 2000);
        writeFile(dir.filePath(QStringLiteral("x.zzz")), a, 1000);
        for (const char *name : {"b1", "b2"})
            writeFile(dir.filePath(QLatin1String(name) + ".txt"), b, 1000);
        auto output = [&](const QString &groups) {
            QByteArray out;
            for (const QString &g : groups.split(QLatin1Char(','))) {
                for (const QString &name : g.split(QLatin1Char(' ')))
                    out += dir.filePath(name + (name == QLatin1String("x") ? ".zzz" : ".txt")).toUtf8() + '\n';
                out += '\n';
            }
            return out;
        };
        const QHash<QString, int> categoryOf{{QStringLiteral(".txt"), 0}};
        const auto key = [&](const QString &path) { return benchcheck::groupKey(path, categoryOf); };
        const benchcheck::Groups expected = benchcheck::parseGroups(output(QStringLiteral("a1 a2 a3 x,b1 b2")), key);
        QCOMPARE(expected.size(), size_t(2));
        QCOMPARE(benchcheck::parseGroups(output(scan), benchcheck::nonEmpty) == expected, right);
    }
};

QTEST_GUILESS_MAIN(TestBenchChecks)
#include "tst_benchchecks.moc"
