// The result page: the tree its filling thread builds (labels, cells, icons, local times), check counting,
// the buttons that follow the selection, moving to the Recycle Bin with files that cannot go, Explorer and
// Open File, and a page that is left or destroyed while its tree is still being built.
#include "fdtestutil.h"
#include "findduplicateresultform.h"
#include "showresultthread.h"
#include "swapracer.h"
#include "testmachine.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

using namespace fdtest;

namespace {

DuplicateFileRecord record(const QString &path, quint64 size, const QDateTime &written)
{
    DuplicateFileRecord r;
    const QFileInfo info(path);
    r.name = info.fileName();
    // The scan names files as the Win32 functions do.
    r.folder = fromHostPath(info.absolutePath());
    r.fullPath = r.folder + QLatin1Char('\\') + r.name;
    r.size = size;
    r.lastWrite = dateTimeToFileTime(written);
    r.lastAccess = dateTimeToFileTime(written.addSecs(60));
    r.creation = dateTimeToFileTime(written.addSecs(-60));
    const qsizetype dot = r.name.indexOf(QLatin1Char('.'));
    r.suffix = dot < 0 ? QString() : r.name.mid(dot + 1);
    return r;
}

CategoryResult category(const QString &name, const QList<QStringList> &groups, const QString &folder, quint64 size = 10)
{
    CategoryResult c;
    c.name = name;
    for (const QStringList &files : groups) {
        DuplicateGroup g;
        for (const QString &f : files)
            g.files << record(folder + QLatin1Char('/') + f, size, baseTime());
        c.groups << g;
    }
    return c;
}

} // namespace

class TestFindDuplicateResult : public QObject
{
    Q_OBJECT

private:
    QToolButton *button(FindDuplicateResultForm &r, const char *name)
    {
        return r.findChild<QToolButton *>(QLatin1String(name));
    }
    QTreeView *tree(FindDuplicateResultForm &r) { return r.findChild<QTreeView *>(QStringLiteral("treeView")); }
    bool fill(FindDuplicateResultForm &r)
    {
        r.categoryResults = &results;
        QSignalSpy done(&r, SIGNAL(backToMain()));
        r.startFill();
        return QTest::qWaitFor([&] { return !r.filling; }, 20000);
    }
    QStandardItem *fileItem(FindDuplicateResultForm &r, int c, int g, int f)
    {
        return r.model.item(c)->child(g)->child(f);
    }
    void select(FindDuplicateResultForm &r, const QModelIndex &index)
    {
        tree(r)->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

private slots:
    void initTestCase()
    {
        // Local time away from UTC (a rule string, no zone database needed), and a trash of our own.
        qputenv("TZ", "IST-5:30");
        home.reset(new QTemporaryDir);
        qputenv("HOME", QFile::encodeName(home->path()));
    }
    void init()
    {
        m.reset(new TestMachine);
        qputenv("XDG_DATA_HOME", QFile::encodeName(home->path() + QStringLiteral("/.local/share")));
        files = home->path() + QStringLiteral("/files");
        QDir(files).removeRecursively();
        QVERIFY(QDir().mkpath(files));
        results.clear();
    }
    void cleanup() { m.reset(); }

    void layout()
    {
        FindDuplicateResultForm r;
        QCOMPARE(r.size(), QSize(817, 568));
        QCOMPARE(r.windowTitle(), QStringLiteral("Form"));
        const QList<QPair<const char *, QString>> buttons{{"backButton", "Back"},
                                                          {"explorerButton", "Explorer"},
                                                          {"openButton", "Open File"},
                                                          {"RecycleBinButton", "Move to Recycle Bin"}};
        for (const auto &b : buttons) {
            QCOMPARE(button(r, b.first)->text(), b.second);
            QVERIFY(!button(r, b.first)->icon().isNull());
            QCOMPARE(button(r, b.first)->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            QVERIFY(button(r, b.first)->autoRaise());
            QCOMPARE(button(r, b.first)->isEnabled(), b.first == QByteArray("backButton"));
        }
        QStringList headers;
        for (int i = 0; i < r.model.columnCount(); ++i)
            headers << r.model.horizontalHeaderItem(i)->text();
        QCOMPARE(headers,
                 (QStringList{"Name", "size", "Last Access Time", "Creation Time", "Last Write Time", "Path", "Note"}));
        QCOMPARE(tree(r)->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(r.checkedCount, 0);
    }

    void tree()
    {
        results << category(QStringLiteral("Audio Files"), {{"a.mp3", "b.mp3", "c.mp3"}, {"d.mp3", "e.mp3"}}, files,
                            1048576)
                << category(QStringLiteral("Backup Files"), {}, files)
                << category(QStringLiteral("Raster Image Files"), {{"p.png", "q.png"}}, files)
                << category(QStringLiteral("Custom file types"), {{"x.ico", "y.ico"}}, files);
        FindDuplicateResultForm r;
        r.categoryResults = &results;
        r.startFill();
        QVERIFY(tree(r)->model() != &r.model); // no model while filling
        QTRY_VERIFY(!r.filling);
        QCOMPARE(tree(r)->model(), &r.model);

        QCOMPARE(r.model.rowCount(), 3);
        QCOMPARE(r.model.item(0)->text(), QStringLiteral("Audio Files (2)"));
        QCOMPARE(r.model.item(1)->text(), QStringLiteral("Raster Image Files (1)"));
        QCOMPARE(r.model.item(2)->text(), QStringLiteral("Custom file types (1)"));
        QVERIFY(!r.model.item(0)->data(Qt::DecorationRole).isNull());
        QVERIFY(!r.model.item(1)->data(Qt::DecorationRole).isNull());
        QVERIFY(r.model.item(2)->data(Qt::DecorationRole).isNull());
        QCOMPARE(r.model.item(0)->child(0)->text(), QStringLiteral("File Count: 3"));
        QCOMPARE(r.model.item(0)->child(1)->text(), QStringLiteral("File Count: 2"));
        for (int col = 1; col < 7; ++col) {
            QVERIFY(r.model.item(0)->child(0, col)->text().isEmpty());
            QVERIFY(r.model.item(0, col)->text().isEmpty());
        }

        QStandardItem *file = fileItem(r, 0, 0, 2);
        QCOMPARE(file->text(), QStringLiteral("c.mp3"));
        QVERIFY(file->isCheckable());
        QCOMPARE(file->checkState(), Qt::Unchecked);
        QStandardItem *group = r.model.item(0)->child(0);
        QCOMPARE(group->child(2, 1)->text(), QStringLiteral("1048576"));
        QCOMPARE(group->child(2, 5)->text(), fromHostPath(files));
        QCOMPARE(group->child(2, 6)->text(), QStringLiteral("0"));
        QCOMPARE(r.model.item(1)->child(0)->child(0, 6)->text(), QStringLiteral("1"));
        // Times in the local zone (UTC 22:13:20 is 03:43:20 the next day at +5:30).
        QCOMPARE(group->child(2, 4)->text(), QStringLiteral("Wed Nov 15 03:43:20 2023"));
        QCOMPARE(group->child(2, 2)->text(), QStringLiteral("Wed Nov 15 03:44:20 2023"));
        QCOMPARE(group->child(2, 3)->text(), QStringLiteral("Wed Nov 15 03:42:20 2023"));

        QVERIFY(tree(r)->isColumnHidden(3));
        QVERIFY(tree(r)->isColumnHidden(4));
        QVERIFY(!tree(r)->isColumnHidden(2));
        QCOMPARE(tree(r)->columnWidth(0), 200);
        QVERIFY(!tree(r)->isExpanded(r.model.index(0, 0)));
    }

    void emptyResults()
    {
        results << category(QStringLiteral("Audio Files"), {}, files);
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        QCOMPARE(r.model.rowCount(), 0);
        for (const char *b : {"explorerButton", "openButton", "RecycleBinButton"})
            QVERIFY(!button(r, b)->isEnabled());
    }

    void checking()
    {
        results << category(QStringLiteral("Document Files"), {{"a.txt", "b.txt", "c.txt"}}, files);
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        QToolButton *recycle = button(r, "RecycleBinButton");
        fileItem(r, 0, 0, 0)->setCheckState(Qt::Checked);
        QCOMPARE(r.checkedCount, 1);
        QVERIFY(recycle->isEnabled());
        fileItem(r, 0, 0, 1)->setCheckState(Qt::Checked);
        fileItem(r, 0, 0, 0)->setCheckState(Qt::Unchecked);
        QCOMPARE(r.checkedCount, 1);
        QVERIFY(recycle->isEnabled());
        fileItem(r, 0, 0, 1)->setCheckState(Qt::Unchecked);
        QCOMPARE(r.checkedCount, 0);
        QVERIFY(!recycle->isEnabled());
    }

    void selection()
    {
        results << category(QStringLiteral("Document Files"), {{"a.txt", "b.txt"}}, files);
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        QToolButton *explorer = button(r, "explorerButton");
        QToolButton *open = button(r, "openButton");
        const QModelIndex categoryIndex = r.model.index(0, 0);
        const QModelIndex groupIndex = r.model.index(0, 0, categoryIndex);
        const QModelIndex fileIndex = r.model.index(1, 0, groupIndex);
        select(r, fileIndex);
        QVERIFY(explorer->isEnabled() && open->isEnabled());
        select(r, groupIndex);
        QVERIFY(!explorer->isEnabled() && !open->isEnabled());
        select(r, fileIndex);
        select(r, categoryIndex);
        QVERIFY(!explorer->isEnabled() && !open->isEnabled());
        select(r, fileIndex);
        tree(r)->selectionModel()->clearSelection();
        QVERIFY(!explorer->isEnabled() && !open->isEnabled());
    }

    void explorerAndOpen()
    {
        results << category(QStringLiteral("Document Files"), {{"a.txt", "b.txt"}}, files);
        QVERIFY(makeFile(files + QStringLiteral("/b.txt"), 10, baseTime()));
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        select(r, r.model.index(1, 0, r.model.index(0, 0, r.model.index(0, 0))));
        const QString path = fromHostPath(files) + QStringLiteral("\\b.txt");
        button(r, "explorerButton")->click();
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList{QStringLiteral("explorer.exe|/select,|") + path});
        button(r, "openButton")->click();
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), 2);
        QCOMPARE(m->logged(QStringLiteral("Start")).last(), path);
    }

    void nothingFound_data()
    {
        QTest::addColumn<QList<int>>("groups"); // duplicate groups per category
        QTest::addColumn<bool>("none");
        QTest::newRow("no category") << QList<int>{} << true;
        QTest::newRow("categories without groups") << QList<int>{0, 0} << true;
        QTest::newRow("one group") << QList<int>{0, 1} << false;
    }
    void nothingFound()
    {
        QFETCH(QList<int>, groups);
        QFETCH(bool, none);
        for (int i = 0; i < groups.size(); ++i)
            results << category(QStringLiteral("Category %1").arg(i),
                                QList<QStringList>(groups.at(i), QStringList{"a.txt", "b.txt"}), files);
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        auto *label = r.findChild<QLabel *>(QStringLiteral("noneLabel"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("No duplicate files were found."));
        QCOMPARE(label->isVisibleTo(&r), none);
        QCOMPARE(tree(r)->isVisibleTo(&r), !none);
    }

    void recycleBin_data()
    {
        QTest::addColumn<QString>("fault"); // of b.txt
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("checked");
        QTest::addColumn<QString>("count");       // the first group's label afterwards
        QTest::addColumn<bool>("throughProfile"); // the files named C:\Users\User\Documents\..., a link there
        QTest::newRow("all moved") << QString() << QStringList{"c.txt", "d.txt", "e.txt"} << 0 << "File Count: 1"
                                   << false;
        QTest::newRow("all moved, through the Documents link")
            << QString() << QStringList{"c.txt", "d.txt", "e.txt"} << 0 << "File Count: 1" << true;
        QTest::newRow("one locked") << QStringLiteral("locked") << QStringList{"b.txt", "c.txt", "d.txt", "e.txt"} << 1
                                    << "File Count: 2" << false;
        QTest::newRow("one vanished, through the Documents link")
            << QStringLiteral("vanish") << QStringList{"b.txt", "c.txt", "d.txt", "e.txt"} << 1 << "File Count: 2"
            << true;
        QTest::newRow("one vanished") << QStringLiteral("vanish") << QStringList{"b.txt", "c.txt", "d.txt", "e.txt"}
                                      << 1 << "File Count: 2" << false;
    }

    void recycleBin()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, left);
        QFETCH(int, checked);
        QFETCH(QString, count);
        QFETCH(bool, throughProfile);
        for (const char *f : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
            QVERIFY(makeFile(files + QLatin1Char('/') + QLatin1String(f), 10, baseTime()));
        results << category(QStringLiteral("Document Files"), {{"a.txt", "b.txt", "c.txt"}, {"d.txt", "e.txt"}}, files);
        QString shown = fromHostPath(files); // the folder as the scan named it
        if (throughProfile) {
            // The host user's folder is the profile's Documents, and the scan was given that.
            QVERIFY(m->linkUserFolder(CSIDL_PERSONAL, files));
            shown = QStringLiteral("C:\\Users\\User\\Documents");
            for (DuplicateGroup &g : results.first().groups)
                for (DuplicateFileRecord &f : g.files) {
                    f.folder = shown;
                    f.fullPath = shown + QLatin1Char('\\') + f.name;
                }
        }
        if (!fault.isEmpty())
            m->injectFileFault(files + QStringLiteral("/b.txt"), fault);
        FindDuplicateResultForm r;
        QVERIFY(fill(r));
        fileItem(r, 0, 0, 0)->setCheckState(Qt::Checked);
        fileItem(r, 0, 0, 1)->setCheckState(Qt::Checked);
        if (checked)
            m->answerMessageBox(QStringLiteral("IDOK"));
        button(r, "RecycleBinButton")->click();
        // While the files move, nothing can change the rows or leave the page.
        QVERIFY(r.moving);
        QVERIFY(!button(r, "backButton")->isEnabled());
        QVERIFY(!button(r, "RecycleBinButton")->isEnabled());
        QVERIFY(!tree(r)->isEnabled());
        QTRY_VERIFY(!r.moving);
        QVERIFY(button(r, "backButton")->isEnabled());

        QStringList rows;
        for (int g = 0; g < 2; ++g)
            for (int f = 0; f < r.model.item(0)->child(g)->rowCount(); ++f)
                rows << fileItem(r, 0, g, f)->text();
        QCOMPARE(rows, left);
        QCOMPARE(r.checkedCount, checked);
        QCOMPARE(button(r, "RecycleBinButton")->isEnabled(), checked > 0);
        // The labels count the files left; an untouched group keeps its number.
        QCOMPARE(r.model.item(0)->child(0)->text(), count);
        QCOMPARE(r.model.item(0)->child(1)->text(), QStringLiteral("File Count: 2"));
        QVERIFY(!QFile::exists(files + QStringLiteral("/a.txt")));
        // In the trash, not deleted (an earlier row's a.txt may be there already under a numbered name).
        QVERIFY(!QDir(home->path() + QStringLiteral("/.local/share/Trash/files"))
                     .entryList({QStringLiteral("a.txt*")})
                     .isEmpty());
        const QStringList boxes = m->logged(QStringLiteral("MessageBox"));
        if (checked) {
            QCOMPARE(fileItem(r, 0, 0, 0)->checkState(), Qt::Checked);
            QCOMPARE(boxes.size(), 1);
            QVERIFY(boxes.first().startsWith(QStringLiteral("Error|")));
            QVERIFY2(boxes.first().contains(shown + QStringLiteral("\\b.txt")), qPrintable(boxes.first()));
            QVERIFY(!boxes.first().contains(QStringLiteral("a.txt")));
        } else {
            QVERIFY(boxes.isEmpty());
            QVERIFY(!QFile::exists(files + QStringLiteral("/b.txt")));
        }

        // Checking a further file enables the button again.
        fileItem(r, 0, 1, 0)->setCheckState(Qt::Checked);
        QCOMPARE(r.checkedCount, checked + 1);
        QVERIFY(button(r, "RecycleBinButton")->isEnabled());
    }

    // A second thread keeps swapping the checked files' folder, each checked file, the trash's files folder or the
    // whole trash for a link to a folder outside (holding files of the same names, or a trash's folders) while
    // they move, run after run: nothing outside ever moves or is written, and a file is reported moved only
    // when it is in the trash.
    void swappedForLinksWhileMoving_data()
    {
        QTest::addColumn<QString>("swapped");
        QTest::newRow("folder swapped") << QStringLiteral("folder");
        QTest::newRow("files swapped") << QStringLiteral("files");
        QTest::newRow("trash's files folder swapped") << QStringLiteral("Trash/files");
        QTest::newRow("trash swapped") << QStringLiteral("Trash");
    }
    void swappedForLinksWhileMoving()
    {
        // The files moved to the trash, wherever the racer left its folders (a folder it parked stays parked
        // when the trash made a new one in its place meanwhile); never following a link.
        const auto trashed = [](const QString &data) {
            int n = 0;
            QDirIterator it(data, {QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                n += it.next().contains(QLatin1String("Trash")) ? 1 : 0;
            return n;
        };
        QFETCH(QString, swapped);
        const QString folder = files + QStringLiteral("/sub");
        QTemporaryDir outside;
        QStringList names;
        for (int i = 0; i < 6; ++i)
            names << QStringLiteral("f%1.txt").arg(i);
        for (const QString &name : names)
            QVERIFY(makeFileWith(outside.path() + QLatin1Char('/') + name, "private", baseTime()));
        const QString data = home->path() + QStringLiteral("/.local/share");
        const QString trash = data + QStringLiteral("/Trash/files");
        // A trash of its own outside, whose folders a move through the link would use.
        for (const char *made : {"/Trash/files", "/Trash/info", "/files"})
            QVERIFY(QDir().mkpath(outside.path() + QLatin1String(made)));
        QVERIFY(QDir().mkpath(trash) && QDir().mkpath(data + QStringLiteral("/Trash/info")));
        const bool raced = raceRepeatedly([&](int run, SwapRacer &racer) {
            for (const QString &name : names)
                QVERIFY(makeFileWith(folder + QLatin1Char('/') + name, "duplicate", baseTime()));
            results = {category(QStringLiteral("Document Files"), {names}, folder, 9)};
            FindDuplicateResultForm r;
            r.scanFolder = fromHostPath(files);
            QVERIFY(fill(r));
            for (int f = 0; f < names.size(); ++f)
                fileItem(r, 0, 0, f)->setCheckState(Qt::Checked);
            m->answerMessageBox(QStringLiteral("IDOK")); // files that could not go are named
            // What an earlier run's racer left parked would stop this run's swaps.
            for (const char *parked : {"/Trash/.parked-files", "/.parked-Trash"})
                QDir(data + QLatin1String(parked)).removeRecursively();
            const int inTrash = trashed(data);
            if (swapped == QLatin1String("files"))
                for (const QString &name : names)
                    racer.add(folder + QLatin1Char('/') + name, outside.path() + QLatin1Char('/') + name);
            else if (swapped == QLatin1String("folder"))
                racer.add(folder, outside.path());
            else
                racer.add(data + QLatin1Char('/') + swapped, outside.filePath(swapped));
            racer.start();
            button(r, "RecycleBinButton")->click();
            QTRY_VERIFY(!r.moving);
            racer.stop();
            const QString changed = changedOutside(outside.path(), names, "private");
            QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(run).arg(changed)));
            for (const char *place : {"/Trash/files", "/Trash/info", "/files"})
                QVERIFY2(QDir(outside.path() + QLatin1String(place)).isEmpty(),
                         qPrintable(QStringLiteral("run %1: written into %2 outside").arg(run).arg(place)));
            // A row goes only with its own file, and what went to the trash is that file, never a link.
            QStringList shown;
            if (QStandardItem *group = r.model.item(0) ? r.model.item(0)->child(0) : nullptr)
                for (int f = 0; f < group->rowCount(); ++f)
                    shown << group->child(f)->text();
            for (const QString &name : names)
                QVERIFY2(shown.contains(name) || !QFileInfo::exists(folder + QLatin1Char('/') + name),
                         qPrintable(QStringLiteral("run %1: %2 reported moved").arg(run).arg(name)));
            for (const QFileInfo &file : QDir(trash).entryInfoList(QDir::Files | QDir::System))
                QVERIFY2(!file.isSymLink(), qPrintable(QStringLiteral("run %1: a link went").arg(run)));
            QCOMPARE(trashed(data) - inTrash, int(names.size() - shown.size()));
            QVERIFY(QDir(folder).removeRecursively());
        });
        QVERIFY2(raced || QTest::currentTestFailed(), "the swaps never raced the moves");
    }

    void closedWhileFilesMove()
    {
        QList<QStringList> groups;
        for (int g = 0; g < 200; ++g) {
            groups << QStringList{QStringLiteral("a%1.txt").arg(g), QStringLiteral("b%1.txt").arg(g)};
            QVERIFY(makeFile(files + QStringLiteral("/a%1.txt").arg(g), 10, baseTime()));
        }
        results << category(QStringLiteral("Document Files"), groups, files);
        auto *r = new FindDuplicateResultForm;
        QVERIFY(fill(*r));
        for (int g = 0; g < 200; ++g)
            fileItem(*r, 0, g, 0)->setCheckState(Qt::Checked);
        button(*r, "RecycleBinButton")->click();
        QVERIFY(r->moving);
        delete r; // waits for the move; no thread is left running
        QVERIFY(QDir(files).entryList({QStringLiteral("a*.txt")}).isEmpty());
    }

    void backWaitsForTheTree()
    {
        // Enough rows that the filling is still running when we look.
        QList<QStringList> groups;
        for (int g = 0; g < 3000; ++g)
            groups << QStringList{QStringLiteral("a%1.txt").arg(g), QStringLiteral("b%1.txt").arg(g)};
        results << category(QStringLiteral("Document Files"), groups, files);
        {
            auto *r = new FindDuplicateResultForm;
            r->categoryResults = &results;
            r->startFill();
            QVERIFY(r->filling);
            QVERIFY(!button(*r, "backButton")->isEnabled());
            // Destroyed while its thread may still run: the thread ends first.
            QPointer<ShowResultThread> thread = r->fillThread;
            delete r;
            QVERIFY(thread.isNull());
        }
        FindDuplicateResultForm r;
        QSignalSpy back(&r, SIGNAL(backToMain()));
        QVERIFY(fill(r));
        QVERIFY(button(r, "backButton")->isEnabled());
        QCOMPARE(r.model.item(0)->rowCount(), 3000);
        button(r, "backButton")->click();
        QCOMPARE(back.size(), 1);
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> home;
    QString files;
    QList<CategoryResult> results;
};

QTEST_MAIN(TestFindDuplicateResult)
#include "tst_findduplicateresult.moc"
