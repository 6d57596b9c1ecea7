// The folder walker against the host's own walk of the same tree (readdir and lstat, names ordered and
// spelled by this test): a generated tree, and one with links, an unreadable folder and names Windows could
// not hold; listed ahead on no, one or several threads. And a cancel that leaves the rest unlisted.
#include "childpaths.h"
#include "folderwalker.h"
#include "rawnames.h"
#include "testmachine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringDecoder>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

// A host name as Windows shows it: UTF-8 decoded, otherwise each byte past ASCII as U+DC00 + the byte; the
// characters Windows forbids as U+F000 + the character.
QString windowsSpelling(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        text.clear();
        for (const char c : bytes)
            text += quint8(c) < 0x80 ? QChar(char16_t(quint8(c))) : QChar(char16_t(0xDC00 + quint8(c)));
    }
    for (QChar &c : text)
        if (QStringView(u"\\:*?\"<>|").contains(c))
            c = QChar(char16_t(0xF000 + c.unicode()));
    return text;
}

// One line per entry, depth-first in the order a Windows listing gives (upper-case forms), links not followed:
// "path/" for a folder, "path@" for a link, "path size mtime" for a file, "path/ unlisted" for a folder the
// machine refuses to list.
void hostWalk(const QByteArray &folder, const QString &shown, const QSet<QString> &unreadable, QStringList *out)
{
    struct Item
    {
        QString name;
        QByteArray bytes;
    };
    std::vector<Item> items;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const struct dirent *d = ::readdir(dir))
            if (qstrcmp(d->d_name, ".") && qstrcmp(d->d_name, ".."))
                items.push_back({windowsSpelling(d->d_name), d->d_name});
        ::closedir(dir);
    }
    std::sort(items.begin(), items.end(),
              [](const Item &a, const Item &b) { return a.name.toUpper() < b.name.toUpper(); });
    for (const Item &item : items) {
        const QByteArray path = folder + '/' + item.bytes;
        const QString rel = shown.isEmpty() ? item.name : shown + QLatin1Char('/') + item.name;
        struct stat st;
        QVERIFY(::lstat(path.constData(), &st) == 0);
        if (S_ISLNK(st.st_mode)) {
            *out << rel + QLatin1Char('@');
        } else if (S_ISDIR(st.st_mode)) {
            const bool refused = unreadable.contains(rel);
            *out << rel + (refused ? QStringLiteral("/ unlisted") : QStringLiteral("/"));
            if (!refused)
                hostWalk(path, rel, unreadable, out);
        } else {
            *out << QStringLiteral("%1 %2 %3").arg(rel).arg(st.st_size).arg(st.st_mtim.tv_sec);
        }
    }
}

qint64 unixSeconds(const FILETIME &t)
{
    return qint64(((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000000ULL) - 11644473600LL;
}

// The same lines from the walker, taken as a scan takes them.
void walkerWalk(FolderWalker &walker, const QString &path, const QString &shown, const FolderWalker::FolderPtr &folder,
                QStringList *out)
{
    std::vector<FolderWalker::FolderPtr> queued;
    const FolderWalker::Listing listing = walker.take(folder, &queued);
    if (!listing.opened) {
        out->last().append(QStringLiteral(" unlisted"));
        return;
    }
    size_t next = 0;
    for (const FolderWalker::Entry &e : listing.entries) {
        const QString rel = shown.isEmpty() ? e.name : shown + QLatin1Char('/') + e.name;
        if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            *out << rel + QLatin1Char('@');
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
                walker.release(next < queued.size() ? queued[next++] : nullptr);
        } else if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            *out << rel + QLatin1Char('/');
            const QString childPath = FolderWalker::childPath(path, e.name);
            walkerWalk(walker, childPath, rel, walker.subFolder(queued, next, childPath), out);
        } else {
            *out << QStringLiteral("%1 %2 %3").arg(rel).arg(e.size).arg(unixSeconds(e.lastWrite));
        }
    }
}

} // namespace

class TestFolderWalker : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<rawnames::Scratch> s;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        s.reset(new rawnames::Scratch);
    }
    void cleanup()
    {
        s.reset();
        m.reset();
    }

    // The form of a path every call takes: a long one as "\\?\" with its names as written, resolved first
    // where it is not yet a full path; and back as the user sees it.
    void callableForms_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("callable");
        const QString deep = QString(150, QLatin1Char('n')) + QLatin1Char('\\') + QString(150, QLatin1Char('m'));
        QTest::newRow("short") << "C:\\a\\b."
                               << "C:\\a\\b.";
        QTest::newRow("long") << "C:\\" + deep << "\\\\?\\C:\\" + deep;
        QTest::newRow("long, a last dot kept") << "C:\\" + deep + "."
                                               << "\\\\?\\C:\\" + deep + ".";
        QTest::newRow("long, not yet full") << "C:/x/../" + deep << "\\\\?\\C:\\" + deep;
        QTest::newRow("long, a share") << "\\\\server\\share\\" + deep << "\\\\?\\UNC\\server\\share\\" + deep;
        QTest::newRow("already taken as written") << "\\\\?\\C:\\" + deep << "\\\\?\\C:\\" + deep;
    }
    void callableForms()
    {
        QFETCH(QString, path);
        QFETCH(QString, callable);
        QCOMPARE(childpaths::callable(path), callable);
        if (!path.contains(QLatin1Char('/')))
            QCOMPARE(childpaths::shown(callable), path.startsWith(QLatin1String("\\\\?\\")) ? path.mid(4) : path);
    }

    void sameAsTheHostsWalk_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<int>("threads");
        for (const char *tree : {"generated", "odd"})
            for (int threads : {0, 1, 4})
                QTest::addRow("%s, %d threads", tree, threads) << QString::fromLatin1(tree) << threads;
    }

    void sameAsTheHostsWalk()
    {
        QFETCH(QString, tree);
        QFETCH(int, threads);
        const QByteArray root = s->root + "/t";
        QSet<QString> unreadable;
        if (tree == QLatin1String("generated")) {
            QVERIFY2(QFileInfo::exists(QStringLiteral(HUSHDECK_MAKE_TREE)), HUSHDECK_MAKE_TREE);
            QProcess p;
            p.start(QStringLiteral("python3"),
                    {QStringLiteral(HUSHDECK_MAKE_TREE), QFile::decodeName(root), QStringLiteral("--dirs"),
                     QStringLiteral("60"), QStringLiteral("--files-per-dir"), QStringLiteral("15"),
                     QStringLiteral("--blobs"), QStringLiteral("20")});
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitCode(), 0);
        } else {
            const QByteArrayList made = {"",         "B/",        "a.txt",     "B/Zz.doc", "b_/",        "b_/_x",
                                         "d\xFF/",   "d\xFF/c",   "x\\y:z",    "q?/",      "q?/\xC0<|>", "lock/",
                                         "lock/in/", "lock/in/f", "\xE9t\xE9", "Ba.doc"};
            for (const QByteArray &name : made)
                QVERIFY(rawnames::make(root + '/' + name.chopped(name.endsWith('/') ? 1 : 0),
                                       name.isEmpty() || name.endsWith('/') ? QByteArray() : name));
            // A link back to the root, one out of the tree, one to a file: listed, never entered.
            QVERIFY(::symlink(root.constData(), (root + "/B/up").constData()) == 0);
            QVERIFY(::symlink(s->root.constData(), (root + "/out").constData()) == 0);
            QVERIFY(::symlink((root + "/a.txt").constData(), (root + "/a-link").constData()) == 0);
            m->injectFileFault(QFile::decodeName(root + "/lock"), QStringLiteral("unreadable"));
            unreadable << QStringLiteral("lock");
        }
        QStringList expected;
        hostWalk(root, QString(), unreadable, &expected);
        QVERIFY(expected.size() > 10);

        std::atomic<bool> cancel{false};
        FolderWalker walker(cancel, threads);
        QStringList got;
        const QString path = QFile::decodeName(root);
        walkerWalk(walker, path, QString(), walker.queue(path), &got);
        QCOMPARE(got, expected);
    }

    void cancelLeavesTheRestUnlisted()
    {
        // More folders than are listed ahead: the last ones are still waiting when the walk is cancelled.
        const QByteArray root = s->root + "/wide";
        QVERIFY(rawnames::make(root));
        for (int i = 0; i < 600; ++i) {
            QVERIFY(rawnames::make(root + "/d" + QByteArray::number(i)));
            QVERIFY(rawnames::make(root + "/d" + QByteArray::number(i) + "/f", "x"));
        }
        std::atomic<bool> cancel{false};
        QElapsedTimer sinceCancel;
        {
            FolderWalker walker(cancel, 4);
            std::vector<FolderWalker::FolderPtr> queued;
            const FolderWalker::Listing listing = walker.take(walker.queue(QFile::decodeName(root)), &queued);
            QCOMPARE(int(listing.entries.size()), 600);
            QCOMPARE(int(queued.size()), 600);
            cancel = true;
            sinceCancel.start();
            for (size_t i = queued.size(); i-- > queued.size() - 10;)
                QVERIFY(!walker.take(queued[i], nullptr).opened);
        }
        QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestFolderWalker)
#include "tst_folderwalker.moc"
