// Both folder scans (Folder Size Analyzer, Find Duplicate) over folders and files whose host names Windows could
// not hold: nothing below such a name is passed over, counted against the host's own walk of the tree.
#include "fdtestutil.h"
#include "linux/hostnames.h"
#include "rawnames.h"
#include "scanrun.h"
#include "testmachine.h"

#include <QtTest>

class TestScanNames : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<rawnames::Scratch> scratch;

    // Two copies of one set of files, one of them below the odd folder: every file has exactly one twin
    // (same contents, size and time), and the sizes differ from pair to pair.
    void makeTree(const QByteArray &odd, const QByteArrayList &files)
    {
        const QByteArray root = scratch->root;
        for (const QByteArray &top : {odd, QByteArray("copy")}) {
            QVERIFY(rawnames::makeFolder(root + '/' + top));
            for (int i = 0; i < files.size(); ++i) {
                const QByteArray path = root + '/' + top + '/' + files.at(i);
                const qsizetype slash = files.at(i).lastIndexOf('/');
                if (slash > 0)
                    QVERIFY(rawnames::makeFolder(root + '/' + top + '/' + files.at(i).left(slash)));
                QVERIFY(rawnames::writeFile(path, QByteArray(100 + 10 * i, char('a' + i))));
                QVERIFY(rawnames::setWritten(path, 1700000000 + i));
            }
        }
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        scratch.reset(new rawnames::Scratch);
    }
    void cleanup()
    {
        scratch.reset();
        m.reset();
    }

    void trees_data()
    {
        QTest::addColumn<QByteArray>("odd"); // the folder whose name Windows could not hold
        QTest::addColumn<QByteArrayList>("files");
        QTest::newRow("latin-1 folder") << QByteArray("\xE9t\xE9")
                                        << QByteArrayList{"a.txt", "b.doc", "d\xFF/c.txt", "d\xFF/e/f.txt"};
        QTest::newRow("backslash folder") << QByteArray("..\\up")
                                          << QByteArrayList{"a.txt", "x\\y.txt", "sub:1/b.pdf"};
        QTest::newRow("forbidden and stray bytes") << QByteArray("<\xC0|>")
                                                   << QByteArrayList{"what?.txt", "q\"\xFE\".doc", "s*/t.txt"};
    }

    void folderSizeCountsEverything_data() { trees_data(); }
    void folderSizeCountsEverything()
    {
        QFETCH(QByteArray, odd);
        QFETCH(QByteArrayList, files);
        makeTree(odd, files);
        const QByteArray root = scratch->root;
        ScanRun s;
        QVERIFY(s.run(scratch->path()));
        QCOMPARE(s.folderValue(scratch->path(), 2).toInt(), rawnames::countFiles(root));
        const QString oddPath = scratch->path() + QLatin1Char('/') + hostnames::windowsName(odd);
        QCOMPARE(s.folderValue(oddPath, 2).toInt(), rawnames::countFiles(root + '/' + odd));
        QCOMPARE(s.folderValue(oddPath, 0).toString(), hostnames::windowsName(odd));
    }

    void findDuplicatePairsEverything_data() { trees_data(); }
    void findDuplicatePairsEverything()
    {
        QFETCH(QByteArray, odd);
        QFETCH(QByteArrayList, files);
        makeTree(odd, files);
        fdtest::Scan s;
        fdtest::run(s, scratch->path(), fdtest::pageCategories());
        QCOMPARE(s.finishes, 1);
        int grouped = 0;
        for (const CategoryResult &r : std::as_const(s.categoryResults)) {
            for (const DuplicateGroup &g : r.groups) {
                QCOMPARE(g.files.size(), 2);
                for (const DuplicateFileRecord &f : g.files) {
                    // Each record names the very file it stands for.
                    QCOMPARE(rawnames::readFile(hostnames::encode(hostnames::toHost(f.fullPath))).size(),
                             qsizetype(f.size));
                    ++grouped;
                }
            }
        }
        QCOMPARE(grouped, rawnames::countFiles(scratch->root));
    }
};

QTEST_MAIN(TestScanNames)
#include "tst_scannames.moc"
