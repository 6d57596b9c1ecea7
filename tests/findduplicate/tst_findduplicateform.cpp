// The Find Duplicate page: its start page and categories, the way from a drop through the scan to the result
// page and back, Cancel, the close protocol with the main window, the folder picker, the options taking
// effect at the next scan, and the stored flags and custom list read when the page is built.
#include "fdtestutil.h"
#include "findduplicateform.h"
#include "findduplicateresultform.h"
#include "krframe.h"
#include "mainwindow.h"
#include "scaninfoform.h"
#include "shellhelpers.h"
#include "refusedclose.h"
#include "testmachine.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace fdtest;

namespace {

const QString key = QStringLiteral("Software\\Keelrun\\Folder Size Analyzer\\Find Duplicate");

QStringList categoryRows(FindDuplicateResultForm *r)
{
    QStringList out;
    for (int i = 0; i < r->model.rowCount(); ++i)
        out << r->model.item(i)->text();
    return out;
}

} // namespace

class TestFindDuplicateForm : public QObject
{
    Q_OBJECT

private:
    // Waits until the page shows its results, filled.
    bool waitForResults(FindDuplicateForm &page)
    {
        return QTest::qWaitFor([&] { return !page.busy && page.resultForm && !page.resultForm->filling; }, 20000);
    }
    bool startPageShown(FindDuplicateForm &page)
    {
        return page.currentFolder.isEmpty() && !page.findChild<QWidget *>(QStringLiteral("toolBar"))->isHidden() &&
               !page.findChild<QWidget *>(QStringLiteral("widget"))->isHidden() && !page.progressPanel &&
               !page.resultForm;
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path() + QStringLiteral("/tree");
        QVERIFY(makeFile(root + QStringLiteral("/a/one.txt"), 5, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/b/one.txt"), 5, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/b/song.mp4"), 6, baseTime()));
        QVERIFY(makeFile(root + QStringLiteral("/c/song.mp4"), 6, baseTime()));
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    void startPage()
    {
        FindDuplicateForm page;
        QCOMPARE(page.size(), QSize(540, 429));
        QCOMPARE(page.windowTitle(), QStringLiteral("Form"));
        auto *options = page.findChild<QToolButton *>(QStringLiteral("optionsButton"));
        auto *select = page.findChild<QToolButton *>(QStringLiteral("selectFolderButton"));
        QCOMPARE(options->text(), QStringLiteral("Options"));
        QCOMPARE(options->iconSize(), QSize(24, 24));
        QCOMPARE(select->text(), QStringLiteral("Select Folder"));
        QCOMPARE(select->iconSize(), QSize(36, 36));
        QCOMPARE(select->font().pointSize(), 16);
        auto *label = page.findChild<QLabel *>(QStringLiteral("label"));
        QCOMPARE(label->text(), QStringLiteral("Drop folders here"));
        QVERIFY(label->isHidden());
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("label_2"))->text(),
                 QStringLiteral("\"Find all duplicate files\""));
        auto *frame = page.findChild<KRFrame *>(QStringLiteral("frame"));
        QVERIFY(frame->acceptDrops());
        QVERIFY(frame->minimumSize().width() >= 431 && frame->minimumSize().height() >= 291);

        QCOMPARE(page.categories.size(), 13);
        QCOMPARE(page.categories.first().name, QStringLiteral("3D Image Files"));
        QCOMPARE(page.categories.last().name, QStringLiteral("Custom file types"));
        QCOMPARE(page.categories.last().extensions, QStringList{QString()});
        QCOMPARE(page.scanCategories.size(), 13);
        QCOMPARE(page.categoryResults.at(12).name, QStringLiteral("Custom file types"));
        QVERIFY(!page.busy);
        QVERIFY(startPageShown(page));
    }

    void dropScanResultsBackAndAgain()
    {
        FindDuplicateForm page;
        page.show();
        emit page.findChild<KRFrame *>(QStringLiteral("frame"))->addURL(root);
        QVERIFY(page.busy);
        QCOMPARE(page.currentFolder, root);
        QVERIFY(page.progressPanel);
        QVERIFY(page.pageLayout->indexOf(page.progressPanel) >= 0);
        QVERIFY(page.progressPanel->isVisibleTo(&page));
        QVERIFY(page.findChild<QWidget *>(QStringLiteral("toolBar"))->isHidden());
        QCOMPARE(page.progressPanel->findChild<QLabel *>(QStringLiteral("label"))->text(),
                 QStringLiteral("Searching in progress. Please wait ..."));

        QVERIFY(waitForResults(page));
        QVERIFY(!page.progressPanel);
        QVERIFY(page.pageLayout->indexOf(page.resultForm) >= 0);
        QVERIFY(page.resultForm->isVisibleTo(&page));
        QCOMPARE(categoryRows(page.resultForm), (QStringList{"Audio Files (1)", "Document Files (1)"}));

        // A drop while the results are shown is ignored.
        FindDuplicateThread *thread = page.scanThread;
        page.on_AddURL(dir->path());
        QCOMPARE(page.currentFolder, root);
        QCOMPARE(page.scanThread, thread);

        QPointer<FindDuplicateResultForm> results = page.resultForm;
        page.resultForm->findChild<QToolButton *>(QStringLiteral("backButton"))->click();
        QVERIFY(startPageShown(page));
        QTRY_VERIFY(results.isNull());

        // The next scan starts from empty lists: the earlier groups are gone, the new file counts.
        QVERIFY(QFile::remove(root + QStringLiteral("/c/song.mp4")));
        QVERIFY(makeFile(root + QStringLiteral("/c/two.txt"), 5, baseTime()));
        page.on_AddURL(root);
        QVERIFY(waitForResults(page));
        QCOMPARE(categoryRows(page.resultForm), QStringList{"Document Files (1)"});
        QCOMPARE(page.categoryResults.at(5).groups.first().files.size(), 3);
        QCOMPARE(page.categoryResults.at(1).groups.size(), 0);
    }

    void destroyedWhileTheResultsFill()
    {
        // The main window may close while the result page is still being filled: the filling reads the page's
        // lists, so it must end before they go.
        auto *page = new FindDuplicateForm;
        CategoryResult &documents = page->categoryResults[5];
        for (int g = 0; g < 5000; ++g) {
            DuplicateGroup group;
            for (int f = 0; f < 2; ++f) {
                DuplicateFileRecord r;
                r.name = QStringLiteral("f%1-%2.txt").arg(g).arg(f);
                r.folder = dir->path();
                group.files << r;
            }
            documents.groups << group;
        }
        page->currentFolder = root;
        page->showResultForm();
        QVERIFY(page->resultForm->filling);
        QPointer<QThread> filler = page->resultForm->findChild<QThread *>();
        QVERIFY(filler);
        // Still a whole page (its lists alive) when the result page and its thread go.
        bool pageWhole = false;
        connect(page->resultForm, &QObject::destroyed,
                [&] { pageWhole = qobject_cast<FindDuplicateForm *>(static_cast<QObject *>(page)) != nullptr; });
        delete page;
        QVERIFY(filler.isNull());
        QVERIFY(pageWhole);
    }

    void multipleDropScansTheFirst()
    {
        FindDuplicateForm page;
        auto *frame = page.findChild<KRFrame *>(QStringLiteral("frame"));
        emit frame->addURL(root + QStringLiteral("/b"));
        emit frame->addURL(root);
        emit frame->addURL(dir->path());
        QCOMPARE(page.currentFolder, root + QStringLiteral("/b"));
        QVERIFY(waitForResults(page));
        QVERIFY(categoryRows(page.resultForm).isEmpty());
    }

    void emptyPathStartsNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("  ");
    }

    void emptyPathStartsNothing()
    {
        QFETCH(QString, path);
        FindDuplicateForm page;
        page.on_AddURL(path);
        QVERIFY(!page.busy);
        QVERIFY(!page.scanThread);
        QVERIFY(startPageShown(page));
    }

    void trailingBackslashIsRemoved()
    {
        FindDuplicateForm page;
        page.on_AddURL(root + QStringLiteral("\\"));
        QCOMPARE(page.currentFolder, root);
        QVERIFY(waitForResults(page));
    }

    void cancelReturnsToTheStartPage()
    {
        FindDuplicateForm page;
        page.on_AddURL(root);
        page.progressPanel->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
        QVERIFY(page.cancelled && page.returnToStart);
        QVERIFY(page.scanThread->cancel);
        QTRY_VERIFY(!page.busy);
        QVERIFY(startPageShown(page));

        // The next scan starts with cleared flags and ends in results.
        page.on_AddURL(root);
        QVERIFY(!page.cancelled && !page.returnToStart);
        QVERIFY(waitForResults(page));
        QCOMPARE(categoryRows(page.resultForm).size(), 2);
    }

    void closeDuringAScan_data()
    {
        QTest::addColumn<bool>("refused"); // the second close is refused after all (a Save that failed)
        QTest::newRow("closes") << false;
        QTest::newRow("refused after all") << true;
    }

    // The close waits for the scan to stop. Should the close then be refused, the page is back at its start
    // for the next folder, and the next scan's end asks for no close.
    void closeDuringAScan()
    {
        QFETCH(bool, refused);
        MainWindow w;
        w.show();
        if (refused)
            QVERIFY(prepareRefusedClose(w, *m));
        w.findChild<QToolButton *>(QStringLiteral("findDuplicateButton"))->click();
        auto *page = static_cast<FindDuplicateForm *>(w.modulePage(MainWindow::FindDuplicatePage));
        QSignalSpy closeApp(page, SIGNAL(closeApp()));
        page->on_AddURL(root);
        QVERIFY(page->busy);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(page->closePending);
        QVERIFY(page->scanThread->cancel);
        QVERIFY(closeApp.wait(20000));
        QCOMPARE(closeApp.size(), 1);
        QVERIFY(!page->busy);
        QVERIFY(!page->resultForm);
        if (!refused) {
            QTRY_VERIFY(!w.isVisible());
            return;
        }

        QVERIFY(closeWasRefused(w, page, *m));
        QVERIFY(startPageShown(*page));
        page->on_AddURL(root);
        QVERIFY(waitForResults(*page));
        QCOMPARE(categoryRows(page->resultForm).size(), 2);
        QCOMPARE(closeApp.size(), 1);
        QVERIFY(w.isVisible());
    }

    void selectFolder_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void selectFolder()
    {
        QFETCH(bool, choose);
        FindDuplicateForm page;
        m->answerFolderBrowser(choose ? root : QString());
        page.findChild<QToolButton *>(QStringLiteral("selectFolderButton"))->click();
        QCOMPARE(m->logged(QStringLiteral("BrowseForFolder")), QStringList{documentsPath()});
        QCOMPARE(page.currentFolder, choose ? fromHostPath(root) : QString()); // as the browser names it
        QCOMPARE(page.busy, choose);
        if (choose)
            QVERIFY(waitForResults(page));
    }

    void optionsTakeEffectAtTheNextScan()
    {
        FindDuplicateForm page;
        page.categories[1].enabled = false; // "Audio Files"
        page.OnOptionsChanged();
        QCOMPARE(page.scanCategories.size(), 12);
        QCOMPARE(page.categoryResults.at(1).name, QStringLiteral("Backup Files"));
        page.on_AddURL(root);
        QVERIFY(waitForResults(page));
        QCOMPARE(categoryRows(page.resultForm), (QStringList{"Document Files (1)", "Video Files (1)"}));
    }

    void storedFlags_data()
    {
        QTest::addColumn<QList<int>>("stored"); // pairs: index, value
        QTest::addColumn<QList<int>>("disabled");
        QTest::newRow("no key") << QList<int>() << QList<int>();
        QTest::newRow("zero disables") << QList<int>{1, 0, 12, 0} << QList<int>{1, 12};
        QTest::newRow("only 1 enables") << QList<int>{4, 2, 5, 1, 6, -1} << QList<int>{4, 6};
    }

    void storedFlags()
    {
        QFETCH(QList<int>, stored);
        QFETCH(QList<int>, disabled);
        KRUtils u;
        for (int i = 0; i + 1 < stored.size(); i += 2)
            QVERIFY(u.writeRegDWORD(HKEY_CURRENT_USER, key, QString::number(stored.at(i)), DWORD(stored.at(i + 1))));
        FindDuplicateForm page;
        QList<int> off;
        for (int i = 0; i < page.categories.size(); ++i)
            if (!page.categories.at(i).enabled)
                off << i;
        QCOMPARE(off, disabled);
        QCOMPARE(page.scanCategories.size(), 13 - disabled.size());
    }

    void customListReadsWhole_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("extensions");
        QTest::newRow("two") << ".ico,.py" << QStringList{".ico", ".py"};
        QTest::newRow("blank kept") << ".ico, .py" << QStringList{".ico", " .py"};
        QTest::newRow("trailing comma") << ".ico," << QStringList{".ico", ""};
        QTest::newRow("empty value") << "" << QStringList{""};
        QStringList many;
        for (int i = 0; i < 400; ++i)
            many << QStringLiteral(".e%1").arg(i);
        QTest::newRow("longer than 1024 bytes") << many.join(QLatin1Char(',')) << many;
    }

    void customListReadsWhole()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, extensions);
        QVERIFY(KRUtils().writeRegString(HKEY_CURRENT_USER, key, QStringLiteral("CustomFileType"), stored));
        FindDuplicateForm page;
        QCOMPARE(page.categories.last().extensions, extensions);
        QCOMPARE(page.scanCategories.last().extensions, extensions);
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
};

QTEST_MAIN(TestFindDuplicateForm)
#include "tst_findduplicateform.moc"
