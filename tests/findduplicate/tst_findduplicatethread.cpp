// The duplicate scan: the rule (category by complete suffix, equal size and both halves of the last-write
// time), the order of groups and files, progress signals, cancel, unreadable folders, links that lead back
// into the tree, the same results as a plain search, and a generated tree against its own manifest.
#include "fdtestutil.h"
#include "findduplicatethread.h"
#include "folderwalker.h"
#include "linkorder.h"
#include "testmachine.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <type_traits>
#include <fcntl.h>
#include <sys/stat.h>

using namespace fdtest;

static_assert(std::is_same_v<decltype(FindDuplicateThread::cancel), std::atomic<bool>>,
              "the GUI thread writes the flag while the walk reads it");

namespace {

// The documented rule as a plain search over an independent walk: folders listed by QDir in the order of
// their upper-case names, subtrees taken where they stand, linear matching.
struct Reference
{
    struct Seen
    {
        QString path;
        quint64 size;
        qint64 time;
    };
    struct Category
    {
        QString name;
        QStringList extensions;
        QList<Seen> seen;
        QList<QStringList> groups;
        QList<QPair<quint64, qint64>> groupKeys;
    };
    QList<Category> enabled;
    QDir base;
    QSet<QString> visited; // physical folders entered, by their canonical paths

    void addFile(const QFileInfo &e)
    {
        const QString name = e.fileName();
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        const QString key = QLatin1Char('.') + (dot < 0 ? QString() : name.mid(dot + 1));
        for (Category &c : enabled) {
            if (!c.extensions.contains(key, Qt::CaseInsensitive))
                continue;
            const Seen file{base.relativeFilePath(e.filePath()), quint64(e.size()),
                            e.lastModified().toMSecsSinceEpoch()};
            for (const Seen &s : c.seen) {
                if (s.size != file.size || s.time != file.time)
                    continue;
                bool added = false;
                for (int g = 0; g < c.groups.size(); ++g)
                    if (c.groupKeys.at(g) == qMakePair(file.size, file.time)) {
                        c.groups[g] << file.path;
                        added = true;
                    }
                if (!added) {
                    c.groups << QStringList{s.path, file.path};
                    c.groupKeys << qMakePair(file.size, file.time);
                }
                return;
            }
            c.seen << file;
            return;
        }
    }

    // A link into the tree, or to a folder that holds it, is passed by: its folder is walked where it stands.
    bool passedBy(const QFileInfo &link) const
    {
        const QString target = link.canonicalFilePath() + QLatin1Char('/');
        const QString tree = QFileInfo(base.path()).canonicalFilePath() + QLatin1Char('/');
        return target.startsWith(tree) || tree.startsWith(target);
    }

    void walk(const QString &folder)
    {
        const QString physical = QFileInfo(folder).canonicalFilePath();
        if (visited.contains(physical))
            return;
        visited.insert(physical);
        QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.fileName().toUpper() < b.fileName().toUpper();
        });
        for (const QFileInfo &e : entries) {
            if (e.isDir() && e.isSymLink()) {
                if (!passedBy(e))
                    walk(e.canonicalFilePath());
            } else if (e.isDir())
                walk(e.filePath());
            else
                addFile(e);
        }
    }

    QStringList run(const QString &root, const QList<FileCategory> &categories)
    {
        base = QDir(root);
        for (const FileCategory &c : categories)
            if (c.enabled)
                enabled << Category{c.name, c.extensions, {}, {}, {}};
        walk(root);
        QStringList out;
        for (const Category &c : enabled)
            for (const QStringList &files : c.groups)
                out << c.name + QLatin1Char('|') + files.join(QLatin1Char(','));
        return out;
    }
};

QString makeTreeScript()
{
    return QStringLiteral(HUSHDECK_MAKE_TREE);
}

} // namespace

class TestFindDuplicateThread : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path() + QStringLiteral("/tree");
        QVERIFY(QDir().mkpath(root));
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    void rule_data()
    {
        QTest::addColumn<QStringList>("files"); // relative path:size:milliseconds after the base time
        QTest::addColumn<QStringList>("disabled");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("complete suffix .tar.gz")
            << QStringList{"a/archive.tar.gz:10:0", "b/archive.tar.gz:10:0"} << QStringList() << QString()
            << QStringList{"Compressed Files|a/archive.tar.gz,b/archive.tar.gz"};
        QTest::newRow("photo.2020.jpg has the key .2020.jpg")
            << QStringList{"photo.2020.jpg:10:0", "copy.2020.jpg:10:0"} << QStringList() << QString() << QStringList();
        QTest::newRow("no dot: only the entry '.'")
            << QStringList{"README:5:0", "LICENSE:5:0"} << QStringList() << QStringLiteral(".")
            << QStringList{"Custom file types|LICENSE,README"};
        QTest::newRow("no dot, no entry '.'")
            << QStringList{"README:5:0", "LICENSE:5:0"} << QStringList() << QString() << QStringList();
        QTest::newRow("letter case of the name") << QStringList{"SONG.MP3:7:0", "song2.mp3:7:0"} << QStringList()
                                                 << QString() << QStringList{"Audio Files|SONG.MP3,song2.mp3"};
        QTest::newRow(".mp4 goes to the first category: audio")
            << QStringList{"a.mp4:9:0", "b.mp4:9:0"} << QStringList() << QString()
            << QStringList{"Audio Files|a.mp4,b.mp4"};
        QTest::newRow(".mp4 without audio: video")
            << QStringList{"a.mp4:9:0", "b.mp4:9:0"} << QStringList{"Audio Files"} << QString()
            << QStringList{"Video Files|a.mp4,b.mp4"};
        QTest::newRow("empty files of one time") << QStringList{"e1.txt:0:0", "e2.txt:0:0"} << QStringList()
                                                 << QString() << QStringList{"Document Files|e1.txt,e2.txt"};
        QTest::newRow("times differ in the low half")
            << QStringList{"t1.txt:4:0", "t2.txt:4:1"} << QStringList() << QString() << QStringList();
        QTest::newRow("sizes differ") << QStringList{"s1.txt:4:0", "s2.txt:5:0"} << QStringList() << QString()
                                      << QStringList();
        QTest::newRow("categories never mix")
            << QStringList{"x.txt:3:0", "x.mp3:3:0"} << QStringList() << QString() << QStringList();
        QTest::newRow("one group per key, first file met is its key")
            << QStringList{"1.txt:11:0", "2.txt:11:0", "3.doc:12:0", "4.txt:11:0", "5.doc:12:0"} << QStringList()
            << QString() << QStringList{"Document Files|1.txt,2.txt,4.txt", "Document Files|3.doc,5.doc"};
        QTest::newRow("a lone file of a key opens no group")
            << QStringList{"1.txt:11:0", "2.txt:11:0", "3.txt:11:0", "4.doc:12:0"} << QStringList() << QString()
            << QStringList{"Document Files|1.txt,2.txt,3.txt"};
        QTest::newRow("groups in the order of their second file")
            << QStringList{"1.txt:11:0", "2.txt:12:0", "3.txt:12:0", "4.txt:11:0"} << QStringList() << QString()
            << QStringList{"Document Files|2.txt,3.txt", "Document Files|1.txt,4.txt"};
        QTest::newRow("a folder's subtree where it stands")
            << QStringList{"a.txt:5:0", "b/c.txt:5:0", "B2/x/y.txt:5:0", "d.txt:5:0"} << QStringList() << QString()
            << QStringList{"Document Files|a.txt,b/c.txt,B2/x/y.txt,d.txt"};
        QTest::newRow("custom .ICO matches .ico")
            << QStringList{"i1.ico:6:0", "i2.ico:6:0"} << QStringList() << QStringLiteral(".ICO")
            << QStringList{"Custom file types|i1.ico,i2.ico"};
        QTest::newRow("custom entry with a leading blank")
            << QStringList{"i1.ico:6:0", "i2.ico:6:0", "p1.py:6:0", "p2.py:6:0"} << QStringList()
            << QStringLiteral(".ico, .py") << QStringList{"Custom file types|i1.ico,i2.ico"};
        QTest::newRow("disabled category")
            << QStringList{"t.txt:2:0", "u.txt:2:0"} << QStringList{"Document Files"} << QString() << QStringList();
        QTest::newRow("groups by category order")
            << QStringList{"a.txt:2:0", "b.mp3:2:0", "c.txt:2:0", "d.mp3:2:0"} << QStringList() << QString()
            << QStringList{"Audio Files|b.mp3,d.mp3", "Document Files|a.txt,c.txt"};
    }

    void rule()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, disabled);
        QFETCH(QString, custom);
        QFETCH(QStringList, expected);
        for (const QString &f : files) {
            const QStringList p = f.split(QLatin1Char(':'));
            QVERIFY(makeFile(root + QLatin1Char('/') + p.at(0), p.at(1).toInt(), baseTime().addMSecs(p.at(2).toInt())));
        }
        QList<FileCategory> categories = pageCategories(custom.split(QLatin1Char(',')));
        for (FileCategory &c : categories)
            c.enabled = !disabled.contains(c.name);
        Scan s;
        run(s, root, categories);
        QCOMPARE(groupsText(s, root), expected);
        QCOMPARE(s.finishes, 1);
        // Every group holds one key; every key is seen once per category.
        for (const CategoryResult &r : s.categoryResults)
            for (const DuplicateGroup &g : r.groups) {
                QVERIFY(g.files.size() >= 2);
                for (const DuplicateFileRecord &f : g.files) {
                    QCOMPARE(f.size, g.files.first().size);
                    QCOMPARE(f.lastWrite.dwLowDateTime, g.files.first().lastWrite.dwLowDateTime);
                    QCOMPARE(f.lastWrite.dwHighDateTime, g.files.first().lastWrite.dwHighDateTime);
                }
            }
    }

    void contents_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("changedAt");  // per file: -1, the common contents; else one byte changed there
        QTest::addColumn<QList<int>>("unreadable"); // files that cannot be opened
        QTest::addColumn<QStringList>("expected");  // the groups, as the file numbers in each
        QTest::addColumn<QList<int>>("deep");       // files whose Windows path is over 300 characters long
        const QList<int> none;
        QTest::newRow("identical") << 10000 << QList<int>{-1, -1} << none << QStringList{"0,1"} << none;
        QTest::newRow("differ in the first 4 KiB") << 10000 << QList<int>{-1, 100} << none << QStringList() << none;
        QTest::newRow("differ only after 4 KiB") << 10000 << QList<int>{-1, 5000} << none << QStringList() << none;
        QTest::newRow("differ only in the last byte") << 10000 << QList<int>{-1, 9999} << none << QStringList() << none;
        QTest::newRow("three, two match") << 10000 << QList<int>{-1, 9999, -1} << none << QStringList{"0,2"} << none;
        QTest::newRow("two pairs, each in the group's place")
            << 10000 << QList<int>{-1, 7, -1, 7} << none << QStringList{"0,2", "1,3"} << none;
        QTest::newRow("4 KiB, differ in the last byte")
            << 4096 << QList<int>{-1, 4095} << none << QStringList() << none;
        QTest::newRow("small, differ in the last byte")
            << 100 << QList<int>{-1, -1, 99} << none << QStringList{"0,1"} << none;
        QTest::newRow("large, differ only in the last byte")
            << 300000 << QList<int>{-1, 299999, -1} << none << QStringList{"0,2"} << none;
        QTest::newRow("large, differ in the middle")
            << 300000 << QList<int>{-1, 150000} << none << QStringList() << none;
        QTest::newRow("an unreadable file in a group")
            << 10000 << QList<int>{-1, -1, -1} << QList<int>{1} << QStringList{"0,2"} << none;
        QTest::newRow("the group's first file unreadable")
            << 10000 << QList<int>{-1, -1, -1} << QList<int>{0} << QStringList{"1,2"} << none;
        QTest::newRow("unreadable leaves one: no group")
            << 100 << QList<int>{-1, -1} << QList<int>{1} << QStringList() << none;
        QTest::newRow("large, an unreadable file")
            << 300000 << QList<int>{-1, -1, -1} << QList<int>{2} << QStringList{"0,1"} << none;
        QTest::newRow("identical, one 300 characters deep")
            << 10000 << QList<int>{-1, -1} << none << QStringList{"0,1"} << QList<int>{1};
        QTest::newRow("large, all deep, differ in the last byte")
            << 300000 << QList<int>{-1, -1, 299999} << none << QStringList{"0,1"} << QList<int>{0, 1, 2};
    }

    void contents()
    {
        // Files of one size and one last-write time: only those with the same bytes are duplicates.
        QFETCH(int, size);
        QFETCH(QList<int>, changedAt);
        QFETCH(QList<int>, unreadable);
        QFETCH(QStringList, expected);
        QFETCH(QList<int>, deep);
        QByteArray common(size, Qt::Uninitialized);
        QRandomGenerator rng(size);
        for (char &c : common)
            c = char(rng.bounded(256));
        for (int i = 0; i < changedAt.size(); ++i) {
            QByteArray bytes = common;
            if (changedAt.at(i) >= 0)
                bytes[changedAt.at(i)] = char(~bytes.at(changedAt.at(i)));
            const QString deepFolder = QStringLiteral("/%1/%1/%1").arg(QString(100, QLatin1Char('n')));
            const QString path =
                root + (deep.contains(i) ? deepFolder : QString()) + QStringLiteral("/d%1/f%1.txt").arg(i);
            QVERIFY(makeFileWith(path, bytes, baseTime()));
            if (unreadable.contains(i))
                m->injectFileFault(path, QStringLiteral("unreadable"));
        }
        Scan s;
        run(s, root, pageCategories());
        QStringList groups;
        for (const DuplicateGroup &g : s.categoryResults.at(5).groups) {
            QStringList numbers;
            for (const DuplicateFileRecord &f : g.files)
                numbers << f.name.mid(1, f.name.indexOf(QLatin1Char('.')) - 1);
            groups << numbers.join(QLatin1Char(','));
        }
        QCOMPARE(groups, expected);
        QCOMPARE(groupsText(s, root).size(), expected.size()); // nothing elsewhere
        // A deep file is named as the user sees it, without the "\\?\" form it was read in.
        for (const DuplicateGroup &g : s.categoryResults.at(5).groups)
            for (const DuplicateFileRecord &f : g.files)
                QVERIFY2(f.fullPath.startsWith(fromHostPath(root)), qPrintable(f.fullPath));
    }

    void aPipeIsNoDuplicate()
    {
        // A named pipe lists as an empty file; opening it to compare would wait for a writer that never comes.
        for (const char *name : {"/a.txt", "/p.txt", "/z.txt"})
            QVERIFY(makeFile(root + QLatin1String(name), 0, baseTime()));
        QVERIFY(QFile::remove(root + QStringLiteral("/p.txt")));
        const QByteArray pipe = QFile::encodeName(root + QStringLiteral("/p.txt"));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        const timespec times[2] = {{0, UTIME_OMIT}, {baseTime().toSecsSinceEpoch(), 0}};
        QCOMPARE(::utimensat(AT_FDCWD, pipe.constData(), times, 0), 0);
        Scan s;
        run(s, root, pageCategories());
        QCOMPARE(groupsText(s, root), QStringList{"Document Files|a.txt,z.txt"});
    }

    void records()
    {
        QVERIFY(makeFile(root + QStringLiteral("/Sub/My Song.MP3"), 1048576, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/My Song.MP3"), 1048576, baseTime()));
        Scan s;
        run(s, root, pageCategories());
        QCOMPARE(s.categoryResults.at(1).groups.size(), 1);
        const DuplicateFileRecord &r = s.categoryResults.at(1).groups.first().files.first();
        QCOMPARE(r.name, QStringLiteral("My Song.MP3"));
        QCOMPARE(r.suffix, QStringLiteral("MP3"));
        QCOMPARE(r.size, quint64(1048576));
        QCOMPARE(r.folder, fromHostPath(root));
        QCOMPARE(r.fullPath, fromHostPath(root) + QStringLiteral("\\My Song.MP3"));
        QCOMPARE(fileTimeToDateTime(r.lastWrite), baseTime());
        const DuplicateFileRecord &second = s.categoryResults.at(1).groups.first().files.at(1);
        QCOMPARE(second.folder, fromHostPath(root + QStringLiteral("/Sub")));
        // The first file met stays in seenFiles as the key; the second is not added there.
        QCOMPARE(s.scanCategories.at(1).seenFiles.size(), 1);
    }

    void progress_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<int>("total");
        QTest::addColumn<QStringList>("reported");
        QTest::newRow("no subfolders") << QStringList() << 1 << QStringList();
        QTest::newRow("three, one nested") << QStringList{"b", "A", "c/d/e"} << 4 << QStringList{"A", "b", "c"};
    }

    void progress()
    {
        QFETCH(QStringList, folders);
        QFETCH(int, total);
        QFETCH(QStringList, reported);
        for (const QString &f : folders)
            QVERIFY(QDir().mkpath(root + QLatin1Char('/') + f));
        QVERIFY(makeFile(root + QStringLiteral("/top.txt"), 1, baseTime()));
        Scan s;
        run(s, root, pageCategories());
        QCOMPARE(s.totals, QList<int>{total});
        QStringList expected;
        for (const QString &r : reported)
            expected << fromHostPath(root) + QLatin1Char('\\') + r;
        QCOMPARE(s.paths, expected);
        QCOMPARE(s.steps, reported.size());
        QCOMPARE(s.finishes, 1);
    }

    void cancelBeforeStart()
    {
        QVERIFY(makeFile(root + QStringLiteral("/a/x.txt"), 3, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/b/x.txt"), 3, baseTime()));
        Scan s;
        run(s, root, pageCategories(), true);
        QCOMPARE(s.totals, QList<int>{1});
        QCOMPARE(s.finishes, 1);
        QVERIFY(s.paths.isEmpty());
        for (int i = 0; i < s.categoryResults.size(); ++i) {
            QVERIFY(s.categoryResults.at(i).groups.isEmpty());
            QVERIFY(s.scanCategories.at(i).seenFiles.isEmpty());
        }
    }

    void unlistableFolders_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("readable") << QString() << QStringList{"Document Files|bad/x.txt,ok/x.txt,ok/y.txt"};
        QTest::newRow("unreadable") << QStringLiteral("unreadable") << QStringList{"Document Files|ok/x.txt,ok/y.txt"};
        QTest::newRow("vanished") << QStringLiteral("vanish") << QStringList{"Document Files|ok/x.txt,ok/y.txt"};
    }

    void unlistableFolders()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, expected);
        for (const char *f : {"/bad/x.txt", "/ok/x.txt", "/ok/y.txt"})
            QVERIFY(makeFile(root + QLatin1String(f), 8, baseTime()));
        if (!fault.isEmpty())
            m->injectFileFault(root + QStringLiteral("/bad"), fault);
        Scan s;
        run(s, root, pageCategories());
        QCOMPARE(groupsText(s, root), expected);
        // The progress still counts the folder that could not be listed; the comparison of contents adds
        // its own reports after the walk's.
        QCOMPARE(s.totals.size(), 2);
        QCOMPARE(s.totals.first(), fault == QLatin1String("vanish") ? 2 : 3);
    }

    void linksNeverMakeAFileItsOwnDuplicate()
    {
        QVERIFY(makeFile(root + QStringLiteral("/a/f1.txt"), 21, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/a/sub/f2.txt"), 21, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/a/sub/lone.txt"), 22, baseTime()));
        // A link to an ancestor, a link to a sibling folder, and two links that point at each other.
        QVERIFY(QFile::link(root, root + QStringLiteral("/a/sub/up")));
        QVERIFY(QFile::link(root + QStringLiteral("/a"), root + QStringLiteral("/z")));
        QVERIFY(QFile::link(root + QStringLiteral("/loop2"), root + QStringLiteral("/loop1")));
        QVERIFY(QFile::link(root + QStringLiteral("/loop1"), root + QStringLiteral("/loop2")));
        Scan s;
        run(s, root, pageCategories());
        QCOMPARE(s.finishes, 1);
        QCOMPARE(groupsText(s, root), QStringList{"Document Files|a/f1.txt,a/sub/f2.txt"});
        for (const CategoryResult &r : s.categoryResults)
            for (const DuplicateGroup &g : r.groups) {
                QSet<QString> physical;
                for (const DuplicateFileRecord &f : g.files)
                    physical.insert(QFileInfo(hostPath(f.fullPath)).canonicalFilePath());
                QCOMPARE(physical.size(), g.files.size());
            }
    }

    void linkedFilesAreListedWhereTheyAre_data() { addLinkOrderRows(); }
    void linkedFilesAreListedWhereTheyAre()
    {
        QFETCH(QString, link);
        QFETCH(QString, real);
        // A link into the tree, whichever comes first in the listing, and a folder outside it reached by two
        // links: each file is met once, under the folder that holds it.
        QVERIFY(makeFile(root + QLatin1Char('/') + real + QStringLiteral("/d1.pdf"), 30, baseTime()));
        QVERIFY(makeFile(root + QLatin1Char('/') + real + QStringLiteral("/deep/d2.pdf"), 30, baseTime()));
        QVERIFY(QFile::link(root + QLatin1Char('/') + real, root + QLatin1Char('/') + link));
        QTemporaryDir outside;
        QVERIFY(makeFile(outside.path() + QStringLiteral("/o1.pdf"), 31, baseTime()));
        QVERIFY(makeFile(outside.path() + QStringLiteral("/o2.pdf"), 31, baseTime()));
        QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/out")));
        QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/out2")));
        Scan s;
        run(s, root, pageCategories());
        const QDir base(root);
        QStringList expected{"Document Files|" + real + "/d1.pdf," + real + "/deep/d2.pdf",
                             "Document Files|" + base.relativeFilePath(outside.filePath("o1.pdf")) + QLatin1Char(',') +
                                 base.relativeFilePath(outside.filePath("o2.pdf"))};
        QStringList got = groupsText(s, root);
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
    }

    void sameResultsAsAPlainSearch_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("links");
        QTest::newRow("no links") << 7 << 0;
        QTest::newRow("links, seed 1") << 1 << 12;
        QTest::newRow("links, seed 2") << 2 << 12;
        QTest::newRow("links, seed 3") << 3 << 30;
    }

    void sameResultsAsAPlainSearch()
    {
        QFETCH(int, seed);
        QFETCH(int, links);
        // Few sizes and times, so keys repeat across folders and categories.
        QRandomGenerator rng{quint32(seed)};
        const QStringList exts{".txt", ".DOC", ".mp3", ".mp4", ".jpg", ".tar.gz", ".gz", ".dat", "", ".ico"};
        QStringList folders{QString()};
        for (int d = 0; d < 25; ++d) {
            const QString parent = folders.at(int(rng.bounded(folders.size())));
            folders << parent + QStringLiteral("/%1dir%2").arg(QChar(d % 2 ? 'A' : 'b')).arg(d);
        }
        for (int f = 0; f < 600; ++f) {
            const QString folder = folders.at(int(rng.bounded(folders.size())));
            const QString name = QStringLiteral("%1f%2%3")
                                     .arg(QChar(f % 3 ? 'x' : 'Y'))
                                     .arg(f)
                                     .arg(exts.at(int(rng.bounded(exts.size()))));
            QVERIFY(
                makeFile(root + folder + QLatin1Char('/') + name, rng.bounded(4), baseTime().addSecs(rng.bounded(3))));
        }
        // Links to folders anywhere in the tree, ancestors and the root among them: the walk enters each
        // physical folder once, the first time it meets it.
        for (int l = 0; l < links; ++l) {
            const QString at = folders.at(int(rng.bounded(folders.size())));
            const QString target = folders.at(int(rng.bounded(folders.size())));
            QVERIFY(QFile::link(root + target, root + at + QStringLiteral("/link%1").arg(l)));
        }
        QList<FileCategory> categories = pageCategories({QStringLiteral(".ico"), QStringLiteral(".")});
        categories[3].enabled = false; // "Compressed Files": .gz files then drop out
        const QStringList expected = Reference().run(root, categories);
        QVERIFY(expected.size() > 20);
        Scan s;
        run(s, root, categories);
        QCOMPARE(groupsText(s, root), expected);
    }

    void readAhead_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("on the walk's thread") << 0;
        QTest::newRow("one reader") << 1;
        QTest::newRow("four readers") << 4;
    }

    void readAhead()
    {
        // The listings handed to a depth-first walk are those a direct read gives, whether read ahead or not,
        // also after parts of the tree were passed by.
        QFETCH(int, threads);
        QRandomGenerator rng(11);
        QStringList folders{QString()};
        for (int d = 0; d < 60; ++d) {
            const QString parent = folders.at(int(rng.bounded(folders.size())));
            folders << parent + QStringLiteral("/d%1").arg(d);
            QVERIFY(QDir().mkpath(root + folders.last()));
            for (int f = 0; f < 5; ++f)
                QVERIFY(makeFile(root + folders.last() + QStringLiteral("/f%1.txt").arg(f), f, baseTime()));
        }
        QVERIFY(QFile::link(root, root + QStringLiteral("/d0/up")));
        std::atomic<bool> cancel{false};
        FolderWalker walker(cancel, threads);
        int compared = 0, passed = 0;
        std::function<void(const QString &, const FolderWalker::FolderPtr &)> walk =
            [&](const QString &path, const FolderWalker::FolderPtr &folder) {
                std::vector<FolderWalker::FolderPtr> queued;
                const FolderWalker::Listing got = walker.take(folder, &queued);
                const FolderWalker::Listing direct = FolderWalker::read(path);
                QCOMPARE(got.opened, direct.opened);
                QCOMPARE(got.fileId, direct.fileId);
                QCOMPARE(int(got.entries.size()), int(direct.entries.size()));
                for (size_t i = 0; i < got.entries.size(); ++i) {
                    QCOMPARE(got.entries[i].name, direct.entries[i].name);
                    QCOMPARE(got.entries[i].size, direct.entries[i].size);
                    QCOMPARE(got.entries[i].attributes, direct.entries[i].attributes);
                }
                ++compared;
                size_t next = 0;
                for (const FolderWalker::Entry &e : got.entries) {
                    if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
                        continue;
                    FolderWalker::FolderPtr child = next < queued.size() ? queued[next] : nullptr;
                    ++next;
                    const QString childPath = path + QDir::separator() + e.name;
                    // Every third folder and the link back to the root are passed by.
                    if (e.name == QLatin1String("up") || e.name.mid(1).toInt() % 3 == 0) {
                        walker.release(child);
                        ++passed;
                        continue;
                    }
                    walk(childPath, child ? child : walker.queue(childPath));
                    if (QTest::currentTestFailed())
                        return;
                }
            };
        walk(root, walker.queue(root));
        QVERIFY(compared > 10);
        QVERIFY(passed >= 4);
    }

    void generatedTreeAgainstItsManifest()
    {
        const QString script = makeTreeScript();
        QVERIFY2(QFileInfo::exists(script), qPrintable(script));
        const QString tree = dir->path() + QStringLiteral("/gen");
        QProcess p;
        p.start(QStringLiteral("python3"),
                {script, tree, QStringLiteral("--dirs"), QStringLiteral("40"), QStringLiteral("--files-per-dir"),
                 QStringLiteral("60"), QStringLiteral("--blobs"), QStringLiteral("150"), QStringLiteral("--seed"),
                 QStringLiteral("3")});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
        QFile manifest(dir->path() + QStringLiteral("/gen.manifest.tsv"));
        QVERIFY(manifest.open(QIODevice::ReadOnly));

        // Independent count: the category of each file by its extension, then (category, size, time) keys.
        const QList<FileCategory> categories = pageCategories();
        std::map<std::tuple<int, qint64, qint64>, int> keys;
        int files = 0;
        while (!manifest.atEnd()) {
            const QList<QByteArray> cols = manifest.readLine().trimmed().split('\t');
            QCOMPARE(cols.size(), 3);
            const QString name = QFileInfo(QString::fromUtf8(cols.at(0))).fileName();
            const QString ext = name.mid(name.indexOf(QLatin1Char('.')));
            int category = -1;
            for (int i = 0; i < categories.size() && category < 0; ++i)
                if (categories.at(i).extensions.contains(ext, Qt::CaseInsensitive))
                    category = i;
            ++files;
            if (category >= 0)
                ++keys[{category, cols.at(1).toLongLong(), cols.at(2).toLongLong()}];
        }
        QCOMPARE(files, 40 * 60);
        QList<int> expectedGroups(categories.size(), 0), expectedFiles(categories.size(), 0);
        for (const auto &[key, count] : keys)
            if (count > 1) {
                ++expectedGroups[std::get<0>(key)];
                expectedFiles[std::get<0>(key)] += count;
            }

        Scan s;
        run(s, tree, categories);
        QList<int> groups, inGroups;
        for (const CategoryResult &r : s.categoryResults) {
            groups << int(r.groups.size());
            int n = 0;
            for (const DuplicateGroup &g : r.groups)
                n += int(g.files.size());
            inGroups << n;
        }
        QCOMPARE(groups, expectedGroups);
        QCOMPARE(inGroups, expectedFiles);
        QVERIFY(std::accumulate(groups.begin(), groups.end(), 0) > 50);
        // The walk's reports, then the comparison's, fill the bar but for the root's share.
        QCOMPARE(s.totals.size(), 2);
        QCOMPARE(s.steps, s.totals.last() - 1);
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
};

QTEST_MAIN(TestFindDuplicateThread)
#include "tst_findduplicatethread.moc"
