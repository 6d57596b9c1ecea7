// The folder scan: folder totals, counts and shares, the files by category, the 20 biggest files, and the
// walk's behaviour at links, unreadable folders and cancel. Expected numbers are counted from what each test
// wrote (or from the manifest of make-tree.py), never taken from the scan.
#include "linkorder.h"
#include "linux/machine/machine.h"
#include "scanrun.h"
#include "testmachine.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <memory>
#include <ctime>

namespace {

constexpr double MB = 1048576.0;

bool writeProcFile(const char *path, const QByteArray &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

// A volume mounted inside a scanned tree takes the right to mount: root has it, an ordinary account gets it in
// a user and mount namespace of its own (the same ids, mapped to themselves), where the host allows one. Made
// before main, while the program has one thread, as unshare() requires; the mounts end with the program.
const bool ownMountNamespace = [] {
    if (::geteuid() == 0)
        return false;
    const QByteArray uid = QByteArray::number(::geteuid()), gid = QByteArray::number(::getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && writeProcFile("/proc/self/setgroups", "deny") &&
           writeProcFile("/proc/self/uid_map", uid + ' ' + uid + " 1") &&
           writeProcFile("/proc/self/gid_map", gid + ' ' + gid + " 1") &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}();

// The categories a file name belongs to, by the built-in table, in table order (once per matching
// extension): counted here with plain string work, to check the scan's own lookup.
QStringList categoriesOf(const QList<FileCategory> &categories, const QString &fileName)
{
    QStringList out;
    const int dot = int(fileName.indexOf(QLatin1Char('.')));
    if (dot < 0)
        return out;
    const QString key = fileName.mid(dot);
    for (const FileCategory &c : categories)
        if (c.enabled)
            for (const QString &e : c.extensions)
                if (e.compare(key, Qt::CaseInsensitive) == 0)
                    out << c.name;
    return out;
}

QImage imageOf(const QVariant &decoration)
{
    return decoration.value<QImage>();
}

} // namespace

class TestWorkerThread : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path() + QStringLiteral("/scan");
        QDir().mkpath(root);
    }
    void cleanup()
    {
        for (const QString &mounted : std::as_const(mounts))
            ::umount2(QFile::encodeName(mounted).constData(), MNT_DETACH);
        mounts.clear();
        dir.reset();
        m.reset();
    }

    void sizeText_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << quint64(0) << "0.00 KB";
        QTest::newRow("one byte") << quint64(1) << "0.00 KB";
        QTest::newRow("below a kilobyte") << quint64(1023) << "1.00 KB";
        QTest::newRow("kilobyte and a half") << quint64(1536) << "1.50 KB";
        QTest::newRow("just below a megabyte") << quint64(1048575) << "1024.00 KB";
        QTest::newRow("a megabyte") << quint64(1048576) << "1.00 MB";
        QTest::newRow("just below a gigabyte") << quint64(1073741823) << "1024.00 MB";
        QTest::newRow("a gigabyte") << quint64(1073741824) << "1.00 GB";
        QTest::newRow("beyond 32 bits") << quint64(5) * 1073741824 + 536870912 << "5.50 GB";
        QTest::newRow("terabytes stay gigabytes") << (quint64(3) << 40) << "3072.00 GB";
    }
    void sizeText()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(WorkerThread::sizeText(bytes), text);
        // No grouping, always a point, whatever the user's locale.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(WorkerThread::sizeText(bytes), text);
        QLocale::setDefault(before);
    }

    void extensionKeyIsTheCompleteSuffix_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"x.MP3", "archive.tar.gz", "my.song.mp3", "noext", ".hidden", "file.", "a..b", "é.Doc"})
            QTest::newRow(n) << QString::fromUtf8(n);
    }
    void extensionKeyIsTheCompleteSuffix()
    {
        QFETCH(QString, name);
        const QString suffix = QFileInfo(name).completeSuffix();
        const QString expected = name.contains(QLatin1Char('.')) ? QLatin1Char('.') + suffix : QString();
        QCOMPARE(WorkerThread::extensionKey(name), expected);
    }

    void accessTimeIsLocal()
    {
        // 2023-11-14 22:13:20 UTC, read on a clock five hours behind.
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", "EST5");
        tzset();
        const quint64 ticks = (quint64(1700000000) + 11644473600ULL) * 10000000ULL;
        const FILETIME time{DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32)};
        const QString text = WorkerThread::accessTimeText(time);
        if (before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        tzset();
        QCOMPARE(text, QStringLiteral("Tue Nov 14 17:13:20 2023"));
    }

    // A file lying 300 characters deep, past what a plain path reaches without long-path support, is counted
    // where it is, and its folder is named as the user sees it.
    void deepFilesAreCounted()
    {
        const QString name(100, QLatin1Char('n'));
        const QString deep = root + QLatin1Char('/') + name + QLatin1Char('/') + name + QLatin1Char('/') + name;
        writeFile(root + QStringLiteral("/top.txt"), 1000);
        writeFile(deep + QStringLiteral("/deep.bin"), 5000);
        QVERIFY(scanPath(deep).size() > 300);
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.folderValue(root, 1).toString(), WorkerThread::sizeText(6000));
        QCOMPARE(s.folderValue(root, 2).toInt(), 2);
        QCOMPARE(s.folderValue(deep, 2).toInt(), 1);
    }

    void totalsCountsAndShares()
    {
        // a: 300 KB of its own files around b (200 KB); c empty; loose files at the root.
        struct F
        {
            const char *path;
            qint64 size;
        };
        const F files[] = {{"a/one.txt", 51200},       {"a/two.mp3", 51200},   {"a/b/three.doc", 102400},
                           {"a/b/four.jpg", 102400},   {"a/z.bin", 0},         {"loose.pdf", 1536},
                           {"Zeta/e/f/deep.zip", 777}, {"Zeta/e/x.avi", 4096}, {"Zeta/readme", 10}};
        QDir().mkpath(root + QStringLiteral("/c"));
        QMap<QString, quint64> bytes; // folder -> total bytes below it
        QMap<QString, int> fileCount, folderCount;
        for (const F &f : files) {
            writeFile(root + QLatin1Char('/') + QLatin1String(f.path), f.size);
            QString folder = QFileInfo(QLatin1String(f.path)).path();
            while (true) {
                bytes[folder] += quint64(f.size);
                fileCount[folder] += 1;
                if (folder == QLatin1String("."))
                    break;
                folder = QFileInfo(folder).path();
            }
        }
        const QStringList folders = {"a", "a/b", "c", "Zeta", "Zeta/e", "Zeta/e/f"};
        for (const QString &f : folders) {
            bytes[f] += 0;
            QString parent = QFileInfo(f).path();
            while (true) {
                folderCount[parent] += 1;
                if (parent == QLatin1String("."))
                    break;
                parent = QFileInfo(parent).path();
            }
        }

        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.totals, QList<int>{4}); // a, c, Zeta, plus one
        QCOMPARE(s.paths, scanPaths({root + "/a", root + "/c", root + "/Zeta"}));
        QCOMPARE(s.progressSteps, 3);

        const QStringList all = QStringList{"."} + folders;
        for (const QString &f : all) {
            const QString path = f == QLatin1String(".") ? root : root + QLatin1Char('/') + f;
            QCOMPARE(s.folderValue(path, 1).toString(), WorkerThread::sizeText(bytes[f]));
            QCOMPARE(s.folderValue(path, 2).toInt(), fileCount[f]);
            QCOMPARE(s.folderValue(path, 3).toInt(), folderCount[f]);
            QCOMPARE(s.folderValue(path, 4).toDouble(), double(bytes[f]) / MB);
            if (f != QLatin1String(".")) {
                const double parentBytes = double(bytes[QFileInfo(f).path()]);
                const double share = bytes[f] ? 100.0 * double(bytes[f]) / parentBytes : 0.0;
                QVERIFY(qAbs(s.folderValue(path, 6).toDouble() - share) < 1e-9);
            }
        }
        QCOMPARE(s.folderValue(root, 6).toDouble(), 100.0);
        QCOMPARE(s.folderValue(root, 0).toString(), QStringLiteral("scan"));
        // Two thirds, not nothing: 200 KB of a's 300 KB.
        QCOMPARE(QString::number(s.folderValue(root + "/a/b", 6).toDouble(), 'f', 2), QStringLiteral("66.67"));

        // Completion numbers: children before their parent, the root last.
        QCOMPARE(s.folderValue(root, 7).toInt(), all.size() - 1);
        QVERIFY(s.folderValue(root + "/a/b", 7).toInt() < s.folderValue(root + "/a", 7).toInt());
        QVERIFY(s.folderValue(root + "/Zeta/e/f", 7).toInt() < s.folderValue(root + "/Zeta/e", 7).toInt());
        QSet<int> numbers;
        for (const QString &f : all)
            numbers << s.folderValue(f == "." ? root : root + "/" + f, 7).toInt();
        QCOMPARE(numbers.size(), all.size());

        // Every level largest first.
        const QModelIndex rootIndex = s.folder(root);
        QCOMPARE(rootIndex.model()->index(0, 0, rootIndex).data().toString(), QStringLiteral("a"));
        QCOMPARE(rootIndex.model()->index(1, 0, rootIndex).data().toString(), QStringLiteral("Zeta"));
        QCOMPARE(rootIndex.model()->index(2, 0, rootIndex).data().toString(), QStringLiteral("c"));
        QCOMPARE(s.folderModel.rowCount(), 1);
        QCOMPARE(s.rootRow.first(), s.folderModel.item(0, 0));
    }

    void totalsMatchTheMakeTreeManifest()
    {
        const QString script = QStringLiteral(HUSHDECK_MAKE_TREE);
        QVERIFY2(QFileInfo::exists(script), qPrintable(script));
        QVERIFY2(!QStandardPaths::findExecutable("python3").isEmpty(), "python3 is not at hand");
        const QString tree = dir->path() + QStringLiteral("/made");
        QProcess p;
        p.start(QStringLiteral("python3"), {script, tree, "--dirs", "60", "--files-per-dir", "25", "--blobs", "40"});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
        QFile manifest(dir->path() + QStringLiteral("/made.manifest.tsv"));
        QVERIFY(manifest.open(QIODevice::ReadOnly));

        ScanRun s;
        quint64 total = 0;
        int files = 0;
        QMap<QString, quint64> perCategory;
        QMap<QString, int> rowsPerCategory;
        for (const QByteArray &line : manifest.readAll().split('\n')) {
            const QList<QByteArray> cols = line.split('\t');
            if (cols.size() < 3)
                continue;
            const quint64 size = cols.at(1).toULongLong();
            total += size;
            ++files;
            for (const QString &c :
                 categoriesOf(s.ownCategories, QFileInfo(QString::fromUtf8(cols.at(0))).fileName())) {
                perCategory[c] += size;
                rowsPerCategory[c] += 1;
            }
        }
        QVERIFY(files > 0);

        QVERIFY(s.run(tree));
        QCOMPARE(s.folderValue(tree, 2).toInt(), files);
        QCOMPARE(s.folderValue(tree, 3).toInt(), 60);
        QCOMPARE(s.folderValue(tree, 4).toDouble(), double(total) / MB);
        QCOMPARE(s.folderValue(tree, 1).toString(), WorkerThread::sizeText(total));
        for (const FileCategory &c : std::as_const(s.ownCategories)) {
            const QModelIndex row = s.category(c.name);
            QVERIFY2(row.isValid(), qPrintable(c.name));
            QCOMPARE(c.totalBytes, perCategory.value(c.name));
            QCOMPARE(row.siblingAtColumn(1).data().toString(), WorkerThread::sizeText(perCategory.value(c.name)));
            QCOMPARE(s.dataFilesModel.rowCount(row), rowsPerCategory.value(c.name));
        }
        // The biggest files are the manifest's largest sizes.
        QList<quint64> sizes;
        manifest.seek(0);
        for (const QByteArray &line : manifest.readAll().split('\n'))
            if (line.count('\t') >= 2)
                sizes << line.split('\t').at(1).toULongLong();
        std::sort(sizes.begin(), sizes.end(), std::greater<quint64>());
        QCOMPARE(s.biggest.size(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(s.biggest.at(i).size, sizes.at(i));
    }

    void filesOnlyFolder()
    {
        writeFile(root + "/a.mp3", 3000);
        writeFile(root + "/b.txt", 5000);
        writeFile(root + "/c.unknown", 7);
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.totals, QList<int>{1});
        QVERIFY(s.paths.isEmpty());
        QCOMPARE(s.folderValue(root, 1).toString(), WorkerThread::sizeText(8007));
        QCOMPARE(s.folderValue(root, 2).toInt(), 3);
        QCOMPARE(s.folderValue(root, 3).toInt(), 0);
        QCOMPARE(s.folderModel.rowCount(s.folder(root)), 0);
        // The summary lists every enabled category, the largest first.
        QCOMPARE(s.dataFilesModel.rowCount(), 12);
        QCOMPARE(s.categoryNames().mid(0, 2), (QStringList{"Document Files", "Audio Files"}));
        QCOMPARE(s.fileNames("Audio Files"), QStringList{"a.mp3"});
        const QModelIndex file = s.dataFilesModel.index(0, 0, s.category("Audio Files"));
        QCOMPARE(file.siblingAtColumn(1).data().toString(), QStringLiteral("2.93 KB"));
        // The folder in the form QFileInfo::path gives on Windows: forward slashes.
        QCOMPARE(file.siblingAtColumn(3).data().toString(),
                 scanPath(root).replace(QLatin1Char('\\'), QLatin1Char('/')));
        QCOMPARE(file.siblingAtColumn(4).data().toLongLong(), 3000);
    }

    // A file's cells and its record are one block that goes with the last of the cells: a cell taken out
    // of its row, or a copy of one, still shows the file once the rest of the row and the model are gone.
    void fileCellOutlivesItsRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("copy");
        for (int column : {0, 1, 3, 5}) {
            QTest::addRow("column %d taken out", column) << column << false;
            QTest::addRow("column %d copied", column) << column << true;
        }
    }
    void fileCellOutlivesItsRow()
    {
        QFETCH(int, column);
        QFETCH(bool, copy);
        writeFile(root + "/a.mp3", 3000);
        writeFile(root + "/b.mp3", 2000);
        ScanRun s;
        QVERIFY(s.run(root));
        QStandardItem *audio = s.dataFilesModel.itemFromIndex(s.category("Audio Files"));
        QVERIFY(audio && audio->rowCount() == 2);
        const QVariant shown = audio->child(0, column)->data(Qt::DisplayRole);
        QVERIFY(shown.isValid());
        std::unique_ptr<QStandardItem> kept(copy ? audio->child(0, column)->clone() : audio->takeChild(0, column));
        audio->removeRow(0);
        QCOMPARE(audio->child(0, 0)->text(), QStringLiteral("b.mp3"));
        s.dataFilesModel.clear();
        QCOMPARE(kept->data(Qt::DisplayRole), shown);
        if (column == 0)
            QCOMPARE(kept->text(), QStringLiteral("a.mp3"));
    }

    void emptyFolder()
    {
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.folderValue(root, 1).toString(), QStringLiteral("0.00 KB"));
        QCOMPARE(s.folderValue(root, 2).toInt(), 0);
        QCOMPARE(s.dataFilesModel.rowCount(), 12);
        for (int r = 0; r < 12; ++r) {
            const QModelIndex c = s.dataFilesModel.index(r, 0);
            QCOMPARE(c.siblingAtColumn(1).data().toString(), QStringLiteral("0.00 KB"));
            QCOMPARE(s.dataFilesModel.rowCount(c), 0);
        }
        QVERIFY(s.biggest.isEmpty());
    }

    void namesAndCategories_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("categories");
        QTest::newRow("upper case") << "x.MP3" << QStringList{"Audio Files"};
        QTest::newRow("tar.gz") << "x.tar.gz" << QStringList{"Compressed Files"};
        QTest::newRow("two dots") << "my.song.mp3" << QStringList{};
        QTest::newRow("mp4 twice") << "clip.mp4" << QStringList{"Audio Files", "Video Files"};
        QTest::newRow("no dot") << "README" << QStringList{};
    }
    void namesAndCategories()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, categories);
        writeFile(root + "/" + name, 10 * 1048576);
        ScanRun s;
        QVERIFY(s.run(root));
        QStringList found;
        int rows = 0;
        for (const QString &c : s.categoryNames()) {
            if (s.fileNames(c).contains(name))
                found << c;
            rows += int(s.fileNames(c).size());
        }
        found.sort();
        QCOMPARE(found, categories);
        QCOMPARE(rows, int(categories.size()));
        for (const FileCategory &c : std::as_const(s.ownCategories))
            QCOMPARE(c.totalBytes, categories.contains(c.name) ? quint64(10 * 1048576) : quint64(0));
        // Data numbers: one per file row and then one per category, each once.
        QSet<int> numbers;
        for (int r = 0; r < s.dataFilesModel.rowCount(); ++r) {
            const QModelIndex c = s.dataFilesModel.index(r, 0);
            numbers << c.siblingAtColumn(5).data().toInt();
            for (int f = 0; f < s.dataFilesModel.rowCount(c); ++f)
                numbers << s.dataFilesModel.index(f, 5, c).data().toInt();
        }
        QCOMPARE(numbers.size(), 12 + rows);
        QCOMPARE(*std::max_element(numbers.begin(), numbers.end()), 12 + rows - 1);
    }

    void dataFilesSortedLargestFirst()
    {
        const qint64 sizes[] = {500, 9000, 9000, 12, 70000, 9000};
        for (int i = 0; i < 6; ++i)
            writeFile(root + QStringLiteral("/f%1.txt").arg(i), sizes[i]);
        writeFile(root + "/song.mp3", 1);
        ScanRun s;
        QVERIFY(s.run(root));
        // Equal sizes keep the order in which they were found.
        QCOMPARE(s.fileNames("Document Files"),
                 (QStringList{"f4.txt", "f1.txt", "f2.txt", "f5.txt", "f0.txt", "f3.txt"}));
        QCOMPARE(s.categoryNames().first(), QStringLiteral("Document Files"));
        // What sorting the model by raw size, largest first, would give: the same order.
        QStringList before;
        for (const QString &c : s.categoryNames())
            before << c << s.fileNames(c);
        s.dataFilesModel.sort(4, Qt::DescendingOrder);
        QStringList after;
        for (const QString &c : s.categoryNames())
            after << c << s.fileNames(c);
        QCOMPARE(after, before);
    }

    void twentyBiggestFiles()
    {
        // 21 equal files and one of nothing: the first twenty in listing order stay, in that order.
        for (int i = 0; i < 21; ++i)
            writeFile(root + QStringLiteral("/same%1.bin").arg(i, 2, 10, QLatin1Char('0')), 4096);
        writeFile(root + "/empty.bin", 0);
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.biggest.size(), 20);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(s.biggest.at(i).fullPath,
                     scanPath(root + QStringLiteral("/same%1.bin").arg(i, 2, 10, QLatin1Char('0'))));
            QCOMPARE(s.biggest.at(i).size, quint64(4096));
        }
    }

    void biggestFilesOrderAndEmptyFiles()
    {
        writeFile(root + "/a", 10);
        writeFile(root + "/b", 0);
        writeFile(root + "/sub/c", 30);
        writeFile(root + "/d", 20);
        ScanRun s;
        QVERIFY(s.run(root));
        QStringList got;
        for (const DuplicateFileRecord &r : s.biggest)
            got << windowsFileInfo(r.fullPath).fileName();
        QCOMPARE(got, (QStringList{"c", "d", "a"}));
    }

    void secondScanStartsFromZero()
    {
        writeFile(root + "/a.mp3", 1000);
        ScanRun first;
        QVERIFY(first.run(root));
        QCOMPARE(first.ownCategories.at(1).totalBytes, quint64(1000));
        ScanRun second;
        second.categories = &first.ownCategories;
        QVERIFY(second.run(root));
        QCOMPARE(first.ownCategories.at(1).totalBytes, quint64(1000));
    }

    void disabledCategoryIsLeftOut()
    {
        writeFile(root + "/a.mp3", 1000);
        writeFile(root + "/b.pdf", 1000);
        ScanRun s;
        s.ownCategories[5].enabled = false; // Document Files
        QVERIFY(s.run(root));
        QCOMPARE(s.dataFilesModel.rowCount(), 11);
        QVERIFY(!s.categoryNames().contains("Document Files"));
        QCOMPARE(s.fileNames("Audio Files"), QStringList{"a.mp3"});
    }

    void iconsAreImagesAndShared()
    {
        writeFile(root + "/sub/a.mp3", 10);
        writeFile(root + "/sub/b.wav", 20);
        writeFile(root + "/other/c.mp3", 30);
        ScanRun s;
        QVERIFY(s.run(root));
        // Made on the worker, so images, not pixmaps or icons.
        const QVariant folderIcon = s.folder(root + "/sub").data(Qt::DecorationRole);
        QCOMPARE(folderIcon.metaType(), QMetaType::fromType<QImage>());
        QCOMPARE(imageOf(s.folder(root).data(Qt::DecorationRole)), imageOf(folderIcon));
        const QModelIndex audio = s.category("Audio Files");
        QCOMPARE(imageOf(audio.data(Qt::DecorationRole)), QImage(":/resources/images/Audio16.png"));
        // One picture for the whole category: that of its first file, a .mp3 one here.
        const QImage first = imageOf(s.dataFilesModel.index(0, 0, audio).data(Qt::DecorationRole));
        QVERIFY(!first.isNull());
        for (int r = 0; r < 3; ++r)
            QCOMPARE(imageOf(s.dataFilesModel.index(r, 0, audio).data(Qt::DecorationRole)), first);
        QCOMPARE(s.worker.fetchedCategoryIcons.value(1), first);
        QCOMPARE(first, WorkerThread::smallIcon(root + "/sub/a.mp3"));
        QVERIFY(first != WorkerThread::smallIcon(root + "/sub/b.wav"));
    }

    void symbolicLinkLoopEnds()
    {
        writeFile(root + "/a/file.txt", 100);
        writeFile(root + "/b/other.txt", 50);
        QVERIFY(QFile::link(root + "/a", root + "/a/back")); // a -> a
        QVERIFY(QFile::link(root, root + "/b/up"));          // b -> the root
        QVERIFY(QFile::link(root + "/b", root + "/c-link")); // a second way into b
        ScanRun s;
        QVERIFY(s.run(root));
        // Each physical folder counted once.
        QCOMPARE(s.folderValue(root, 2).toInt(), 2);
        QCOMPARE(s.folderValue(root, 4).toDouble(), 150 / MB);
        QCOMPARE(s.folderValue(root + "/a/back", 1).toString(), QStringLiteral("0.00 KB"));
        QCOMPARE(s.folderValue(root + "/b/up", 2).toInt(), 0);
        QCOMPARE(s.folderValue(root + "/c-link", 2).toInt(), 0);
    }

    void linksAndMountPointsKeepBytesWhereTheyAre_data() { addLinkOrderRows(); }
    void linksAndMountPointsKeepBytesWhereTheyAre()
    {
        QFETCH(QString, link);
        QFETCH(QString, real);
        const QString realPath = root + QLatin1Char('/') + real;
        writeFile(realPath + "/big.iso", 4000);
        writeFile(realPath + "/sub/small.doc", 100);
        QVERIFY(QFile::link(realPath, root + QLatin1Char('/') + link)); // into the tree
        QVERIFY(QFile::link(root, realPath + "/sub/up"));               // a cycle
        QTemporaryDir outside;
        writeFile(outside.path() + "/o/out.doc", 700);
        QVERIFY(QFile::link(outside.path() + "/o", root + "/m-out1"));
        QVERIFY(QFile::link(outside.path() + "/o", root + "/m-out2")); // a second way to it
        // Another volume mounted inside the tree.
        const QString mounted = root + "/mnt";
        QDir().mkpath(mounted);
        QVERIFY2(::mount("hushdeck-test", QFile::encodeName(mounted).constData(), "tmpfs", 0, "size=1m") == 0,
                 qPrintable(QString::fromLocal8Bit(std::strerror(errno)) +
                            (::geteuid() == 0 || ownMountNamespace
                                 ? QString()
                                 : QStringLiteral(" (the host gives this account no user namespace)"))));
        mounts << mounted;
        writeFile(mounted + "/elsewhere.doc", 900);
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW(wstr(scanPath(mounted)), &data);
        QVERIFY(find != INVALID_HANDLE_VALUE);
        FindClose(find);
        QCOMPARE(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
                 DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
        QCOMPARE(data.dwReserved0, DWORD(IO_REPARSE_TAG_MOUNT_POINT));

        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.folderValue(realPath, 4).toDouble(), 4100 / MB);
        QCOMPARE(s.folderValue(realPath, 2).toInt(), 2);
        QCOMPARE(s.folderValue(realPath + "/sub/up", 2).toInt(), 0);
        QCOMPARE(s.folderValue(root + QLatin1Char('/') + link, 2).toInt(), 0);
        QCOMPARE(s.folder(root + QLatin1Char('/') + link).data(Qt::ToolTipRole).toString(), scanPath(realPath));
        QCOMPARE(s.folderValue(root + "/m-out1", 4).toDouble(), 700 / MB);
        QCOMPARE(s.folderValue(root + "/m-out2", 2).toInt(), 0);
        QCOMPARE(s.folderValue(mounted, 2).toInt(), 0);
        QCOMPARE(s.folderValue(root, 2).toInt(), 3);
        QCOMPARE(s.folderValue(root, 4).toDouble(), 4800 / MB);
        // The file out of the tree is listed in the folder that holds it.
        const QModelIndex documents = s.category(QStringLiteral("Document Files"));
        QStringList folders;
        for (int r = 0; r < s.dataFilesModel.rowCount(documents); ++r)
            folders << s.dataFilesModel.index(r, 3, documents).data().toString();
        folders.sort();
        QStringList expected{windowsFileInfo(scanPath(outside.path() + "/o/out.doc")).path(),
                             windowsFileInfo(scanPath(realPath + "/sub/small.doc")).path()};
        expected.sort();
        QCOMPARE(folders, expected);
    }

    void unreadableFolderIsShownEmpty()
    {
        writeFile(root + "/a/secret.doc", 4000);
        writeFile(root + "/a/deeper/more.doc", 4000);
        writeFile(root + "/b/open.doc", 1000);
        m->injectFileFault(root + "/a", QStringLiteral("unreadable"));
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.folderValue(root + "/a", 1).toString(), QStringLiteral("0.00 KB"));
        QCOMPARE(s.folderValue(root + "/a", 2).toInt(), 0);
        QCOMPARE(s.folderValue(root + "/a", 3).toInt(), 0);
        QCOMPARE(s.folderValue(root + "/b", 2).toInt(), 1); // the walk went on
        QCOMPARE(s.folderValue(root, 4).toDouble(), 1000 / MB);
        QCOMPARE(s.fileNames("Document Files"), QStringList{"open.doc"});
    }

    void unreadableRoot()
    {
        writeFile(root + "/a/x.doc", 10);
        m->injectFileFault(root, QStringLiteral("unreadable"));
        ScanRun s;
        QVERIFY(s.run(root));
        QCOMPARE(s.totals, QList<int>{1});
        QCOMPARE(s.folderModel.rowCount(), 1);
        QCOMPARE(s.folderModel.rowCount(s.folder(root)), 0);
        QCOMPARE(s.folderValue(root, 1).toString(), QStringLiteral("0.00 KB"));
    }

    void driveIsScannedByLetter()
    {
        machine::setSetting(QStringLiteral("drive.D"), root);
        machine::setSetting(QStringLiteral("drive.D.type"), QStringLiteral("fixed"));
        writeFile(root + "/Games/big.iso", 2048);
        ScanRun s;
        QVERIFY(s.run(QStringLiteral("D:")));
        QCOMPARE(s.folderValue("D:", 4).toDouble(), 2048 / MB);
        QCOMPARE(s.folderValue("D:/Games", 2).toInt(), 1);
        QCOMPARE(s.paths, QStringList{"D:\\Games"});
        QCOMPARE(s.biggest.value(0).fullPath, QStringLiteral("D:\\Games\\big.iso"));
    }

    void rootGivenWithItsSeparator()
    {
        // A root such as "D:\\" or "/" comes with its separator: no second one is put after it.
        writeFile(root + "/a/x.doc", 10);
        ScanRun s;
        QVERIFY(s.run(root + "/"));
        QCOMPARE(s.paths, QStringList{scanPath(root + "/a")});
        QCOMPARE(s.folderValue(root + "/a", 2).toInt(), 1);
        QCOMPARE(s.biggest.value(0).fullPath, scanPath(root + "/a/x.doc"));
    }

    void cancelledBeforeTheStart()
    {
        writeFile(root + "/a/x.doc", 10);
        ScanRun s;
        s.worker.cancel = true;
        QVERIFY(s.run(root));
        QCOMPARE(s.totals, QList<int>{1});
        QCOMPARE(s.folderValue(root, 1).toString(), QStringLiteral("Column 2 Text"));
        QCOMPARE(s.dataFilesModel.rowCount(), 0);
    }

    void cancelledDuringTheWalk()
    {
        for (const char *f : {"a/one.doc", "a/two.doc", "b/three.doc", "c/four.doc"})
            writeFile(root + "/" + f, 100);
        writeFile(root + "/loose.doc", 100);
        ScanRun s;
        // Cancel as the walk enters its first folder: that folder and the root still complete their rows.
        QVERIFY(s.run(root, [&s] { s.worker.cancel = true; }));
        QCOMPARE(s.paths, QStringList{scanPath(root + "/a")});
        QCOMPARE(s.folderValue(root + "/a", 1).toString(), QStringLiteral("0.00 KB"));
        QCOMPARE(s.folderValue(root, 1).toString(), QStringLiteral("0.00 KB"));
        QVERIFY(!s.folder(root + "/b").isValid()); // the walk stopped before it
        QVERIFY(s.biggest.isEmpty());
        // The summary still runs: every category row is there, with what had been found (nothing).
        QCOMPARE(s.dataFilesModel.rowCount(), 12);
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
    QStringList mounts; // unmounted after each test
};

QTEST_MAIN(TestWorkerThread)
#include "tst_workerthread.moc"
