// Both folder walks (Find Duplicate's and the Folder Size Analyzer's), each run many times over one tree of many
// small folders, links (one back to an ancestor, two that point at each other) and unreadable folders: every
// run ends, with the same answer, and a cancel in the middle ends the walk and its helpers at once.
#include "../foldersize/scanrun.h"
#include "fdtestutil.h"
#include "findduplicatethread.h"
#include "testmachine.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>

using namespace fdtest;

namespace {

const int runs = 20;
// Generous for a shared machine; a stuck walk never ends at all.
const int runLimitMs = 30000;
const int cancelLimitMs = 3000;

// A run that does not end would leave a thread that cannot be destroyed: the test stops here instead.
void endOrAbort(QThread &thread)
{
    if (!thread.wait(runLimitMs)) {
        std::fprintf(stderr, "a scan did not end within %d ms\n", runLimitMs);
        std::abort();
    }
}

QStringList folderRows(const QStandardItemModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex row = model.index(r, 0, parent);
        QStringList cells;
        for (int c : {5, 1, 2, 3})
            cells << row.siblingAtColumn(c).data().toString();
        out << cells.join(QLatin1Char('|'));
        out += folderRows(model, row);
    }
    return out;
}

} // namespace

class TestScanStress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        machine.reset(new TestMachine);
        QVERIFY(dir.isValid());
        root = dir.path() + QStringLiteral("/tree");
        QRandomGenerator rng(5);
        QStringList folders{QString()};
        // Many small folders, forty of them at the top and none deeper than five, so that the walk hands out
        // and takes folders at a high rate.
        for (int d = 0; d < 400; ++d) {
            QString parent;
            while (d >= 40 && parent.isEmpty()) {
                const QString candidate = folders.at(int(rng.bounded(folders.size())));
                if (candidate.count(QLatin1Char('/')) < 5)
                    parent = candidate;
            }
            folders << parent + QStringLiteral("/d%1").arg(d);
            QVERIFY(QDir().mkpath(root + folders.last()));
            for (int f = 0, n = int(rng.bounded(4)); f < n; ++f) {
                // Few contents, times and types, so that groups form; equal sizes and times with other
                // contents too.
                const int blob = int(rng.bounded(6));
                const QByteArray bytes(100 + blob % 3 * 50, char('a' + blob));
                const QString name = QStringLiteral("f%1.%2").arg(f).arg(QLatin1String(rng.bounded(2) ? "txt" : "mp3"));
                QVERIFY(makeFileWith(root + folders.last() + QLatin1Char('/') + name, bytes,
                                     baseTime().addSecs(rng.bounded(3))));
            }
        }
        QVERIFY(QFile::link(root, root + folders.at(7) + QStringLiteral("/up")));
        QVERIFY(QFile::link(root + QStringLiteral("/loop2"), root + QStringLiteral("/loop1")));
        QVERIFY(QFile::link(root + QStringLiteral("/loop1"), root + QStringLiteral("/loop2")));
        QVERIFY(QFile::link(root + folders.at(30), root + folders.at(3) + QStringLiteral("/across")));
        for (int i : {11, 50, 120, 121, 300})
            machine->injectFileFault(root + folders.at(i), QStringLiteral("unreadable"));
    }

    void cleanupTestCase() { machine.reset(); }

    void endsWithOneAnswer_data()
    {
        QTest::addColumn<bool>("duplicates");
        QTest::newRow("duplicate scan") << true;
        QTest::newRow("folder scan") << false;
    }

    void endsWithOneAnswer()
    {
        QFETCH(bool, duplicates);
        QElapsedTimer notCancelled;
        const QStringList first = scan(duplicates, 0, notCancelled);
        QVERIFY2(first.size() >= 5, qPrintable(first.join(QLatin1Char(' '))));
        for (int run = 1; run < runs; ++run)
            QCOMPARE(scan(duplicates, 0, notCancelled), first);
    }

    void cancelEndsPromptly_data()
    {
        QTest::addColumn<bool>("duplicates");
        QTest::addColumn<int>("at"); // the progress report at which Cancel is pressed; -1: the first of the
                                     // comparison of contents, after the walk's
        QTest::newRow("duplicate scan, first folder") << true << 1;
        QTest::newRow("duplicate scan, tenth folder") << true << 10;
        QTest::newRow("duplicate scan, comparing contents") << true << -1;
        QTest::newRow("folder scan, first folder") << false << 1;
        QTest::newRow("folder scan, tenth folder") << false << 10;
    }

    void cancelEndsPromptly()
    {
        QFETCH(bool, duplicates);
        QFETCH(int, at);
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer sinceCancel;
            const QStringList answer = scan(duplicates, at, sinceCancel);
            QVERIFY(sinceCancel.isValid());
            QVERIFY2(sinceCancel.elapsed() < cancelLimitMs, qPrintable(QString::number(sinceCancel.elapsed())));
            // What is left after a cancel was compared to the last byte.
            QVERIFY2(!answer.join(QLatin1Char(' ')).contains(QLatin1String("<differs>")), qPrintable(answer.join(' ')));
        }
    }

private:
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    // One scan of the tree to its end: the duplicate groups, or the folder rows. cancelAt: the progress report
    // at which Cancel is pressed (0: never; -1: the first report after the walk's), timed from there.
    QStringList scan(bool duplicates, int cancelAt, QElapsedTimer &sinceCancel)
    {
        int reports = 0;
        std::atomic<bool> *cancel = nullptr;
        auto onReport = [&] {
            if (++reports == cancelAt) {
                *cancel = true;
                sinceCancel.start();
            }
        };
        if (!duplicates) {
            ScanRun run;
            cancel = &run.worker.cancel;
            QObject::connect(&run.worker, &WorkerThread::updateScanProgress, &run.worker, onReport,
                             Qt::DirectConnection);
            return run.run(root) ? folderRows(run.folderModel) : QStringList{"<no result>"};
        }
        Scan s;
        FindDuplicateThread thread;
        prepare(thread, s, root, pageCategories());
        cancel = &thread.cancel;
        QObject::connect(&thread, &FindDuplicateThread::updateScanProgress, &thread, onReport, Qt::DirectConnection);
        // The walk reports once per folder at the top, one less than its total.
        QObject::connect(
            &thread, &FindDuplicateThread::updateTotalSubFolder, &thread,
            [&](int total) {
                if (cancelAt < 0)
                    cancelAt = total;
            },
            Qt::DirectConnection);
        thread.start();
        endOrAbort(thread);
        QStringList answer = groupsText(s, root);
        for (const CategoryResult &r : s.categoryResults)
            for (const DuplicateGroup &g : r.groups)
                for (const DuplicateFileRecord &f : g.files)
                    if (contents(f.fullPath) != contents(g.files.first().fullPath))
                        answer << QStringLiteral("<differs>") + f.fullPath;
        return answer;
    }

    std::unique_ptr<TestMachine> machine;
    QTemporaryDir dir;
    QString root;
};

QTEST_MAIN(TestScanStress)
#include "tst_scanstress.moc"
