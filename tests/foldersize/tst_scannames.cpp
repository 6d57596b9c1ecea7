// Both folder scans (Folder Size Analyzer, Find Duplicate) below folders whose host names Windows could not
// hold: nothing there is passed over, counted against the host's own walk of the tree.
#include "fdtestutil.h"
#include "linux/files/hostnames.h"
#include "rawnames.h"
#include "scanrun.h"
#include "testmachine.h"

#include <QtTest>

#include <sys/time.h>

class TestScanNames : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<rawnames::Scratch> s;

private slots:
    // Two copies of one set of files, one below the odd folder: each file has one twin (same contents, size
    // and time), and the sizes differ from pair to pair.
    void init()
    {
        m.reset(new TestMachine);
        s.reset(new rawnames::Scratch);
        const QByteArrayList names = {"a.txt", "d\xFF/", "d\xFF/c.txt", "x\\y:z.doc", "q?/", "q?/\xC0<|>.txt"};
        for (const QByteArray &top : {QByteArray("\xE9t\xE9"), QByteArray("copy")}) {
            QVERIFY(rawnames::make(s->root + '/' + top));
            for (int i = 0; i < names.size(); ++i) {
                const QByteArray path = s->root + '/' + top + '/' + names.at(i).chopped(names.at(i).endsWith('/'));
                QVERIFY(rawnames::make(path, names.at(i).endsWith('/') ? QByteArray() : QByteArray(10 * i, 'x')));
                const struct timeval written[2] = {{1700000000 + i, 0}, {1700000000 + i, 0}};
                QCOMPARE(::utimes(path.constData(), written), 0);
            }
        }
    }
    void cleanup()
    {
        s.reset();
        m.reset();
    }

    void folderSizeCountsEverything()
    {
        ScanRun run;
        QVERIFY(run.run(s->dir.path()));
        QCOMPARE(run.folderValue(s->dir.path(), 2).toInt(), rawnames::walk(s->root));
        const QString odd = s->dir.path() + QLatin1Char('/') + hostnames::windowsName("\xE9t\xE9");
        QCOMPARE(run.folderValue(odd, 2).toInt(), rawnames::walk(s->root + "/\xE9t\xE9"));
    }

    void findDuplicatePairsEverything()
    {
        fdtest::Scan scan;
        fdtest::run(scan, s->dir.path(), fdtest::pageCategories());
        int grouped = 0;
        for (const CategoryResult &r : std::as_const(scan.categoryResults)) {
            for (const DuplicateGroup &g : r.groups) {
                QCOMPARE(g.files.size(), 2);
                // Each record names the very file it stands for.
                for (const DuplicateFileRecord &f : g.files)
                    QCOMPARE(rawnames::read(hostnames::encode(hostPath(f.fullPath))).size(), qsizetype(f.size));
                grouped += int(g.files.size());
            }
        }
        QCOMPARE(grouped, rawnames::walk(s->root));
    }
};

QTEST_MAIN(TestScanNames)
#include "tst_scannames.moc"
