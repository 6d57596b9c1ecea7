// The benchmarks' engine runs give right answers on small trees, checked as the benchmarks check them: the folder
// totals against the tree's manifest, the duplicate groups against the files of equal contents, the shredded
// file against the last pass's pattern. Answers only: the timings stay in the benchmarks.
#include "benchchecks.h"
#include "benchengines.h"
#include "testmachine.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A tree as the benchmarks' generator lays one out, small: nested folders of files of 0-4 KiB whose extensions
// cover the categories, a share of them copies of a few blobs written with equal times; and its manifest
// (<tree>.manifest.tsv: path, size, time of every file).
bool makeTree(const QString &tree, int folders, int filesPerFolder)
{
    QRandomGenerator rng(7);
    const QStringList exts{".txt",    ".doc", ".pdf", ".jpg", ".png",  ".mp3", ".wav", ".mp4", ".zip",
                           ".tar.gz", ".iso", ".ttf", ".exe", ".html", ".bak", ".obj", ".dat", ""};
    const qint64 baseTime = 1700000000;
    struct Blob
    {
        QByteArray bytes;
        qint64 time;
        QString ext;
    };
    auto bytes = [&rng] {
        QByteArray b(int(rng.bounded(4097)), 0);
        for (char &c : b)
            c = char(rng.bounded(256));
        return b;
    };
    QVector<Blob> blobs;
    for (int i = 0; i < 20; ++i)
        blobs.append({bytes(), baseTime + rng.bounded(100000), exts.at(int(rng.bounded(exts.size())))});
    QStringList dirs{tree};
    QByteArray manifest;
    for (int d = 0; d < folders; ++d) {
        const QString parent = d > 0 && rng.bounded(10) < 6 ? dirs.at(int(rng.bounded(dirs.size()))) : tree;
        const QString dir = parent + QStringLiteral("/dir%1").arg(d, 5, 10, QLatin1Char('0'));
        if (!QDir().mkpath(dir))
            return false;
        dirs << dir;
        for (int f = 0; f < filesPerFolder; ++f) {
            Blob file = rng.bounded(10) < 3
                            ? blobs.at(int(rng.bounded(blobs.size())))
                            : Blob{bytes(), baseTime + rng.bounded(100000), exts.at(int(rng.bounded(exts.size())))};
            const QString path = dir + QStringLiteral("/file%1").arg(f, 4, 10, QLatin1Char('0')) + file.ext;
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size() || !out.flush() ||
                !out.setFileTime(QDateTime::fromSecsSinceEpoch(file.time), QFileDevice::FileModificationTime))
                return false;
            manifest += QFile::encodeName(path) + '\t' + QByteArray::number(file.bytes.size()) + '\t' +
                        QByteArray::number(file.time) + '\n';
        }
    }
    QFile list(tree + QStringLiteral(".manifest.tsv"));
    return list.open(QIODevice::WriteOnly) && list.write(manifest) == manifest.size();
}

} // namespace

class TestBenchAnswers : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        machine.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        tree = dir->filePath(QStringLiteral("tree"));
    }
    void cleanup()
    {
        dir.reset();
        machine.reset();
    }

    void folderScanTotals()
    {
        QVERIFY(makeTree(tree, 40, 12));
        const benchcheck::Answer expected = benchcheck::fromManifest(tree);
        QCOMPARE(expected.files, 480);
        ScanProgressForm *page = nullptr;
        const benchcheck::Answer got = benchengine::folderTotals(tree, &page);
        delete page;
        QCOMPARE(benchcheck::describe(got), benchcheck::describe(expected));
    }

    void duplicateGroups()
    {
        QVERIFY(makeTree(tree, 30, 12));
        const QHash<QString, int> categoryOf = benchengine::categoryOfExtensions();
        const auto key = [&](const QString &path) { return benchcheck::groupKey(path, categoryOf); };
        const benchcheck::Groups expected = benchcheck::parseGroups(benchcheck::sameContents(tree), key);
        QVERIFY(expected.size() > 5);
        const benchcheck::Groups scanned =
            benchcheck::parseGroups(benchengine::duplicateGroups(tree), benchcheck::nonEmpty);
        QCOMPARE(scanned.size(), expected.size());
        QVERIFY(scanned == expected);
    }

    void shreddedFile()
    {
        QByteArray input(3 * 65536 + 5, 0);
        for (qsizetype i = 0; i < input.size(); ++i)
            input[i] = char(i * 7 % 251);
        QVERIFY(QDir().mkpath(tree));
        const QString copy = tree + QStringLiteral("/copy.bin");
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(input) == input.size());
        file.close();
        // Held open, the bytes stay readable after the file is gone.
        QFile kept(copy);
        QVERIFY(kept.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        QVERIFY(benchengine::shredOne(copy));
        QCOMPARE(QDir(tree).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
        QCOMPARE(benchcheck::lastPassProblem(kept.readAll(), input), QString());
    }

private:
    std::unique_ptr<TestMachine> machine;
    std::unique_ptr<QTemporaryDir> dir;
    QString tree;
};

QTEST_MAIN(TestBenchAnswers)
#include "tst_benchanswers.moc"
