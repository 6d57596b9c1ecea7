// The result page: what it shows once the scan is done, Cancel and Back through the freeing of the results,
// sorting by header, the buttons' states, opening files and folders, and the size bars of the folder tree.
#include "clearramthread.h"
#include "graphdelegate.h"
#include "linux/machine/machine.h"
#include "scaninfoform.h"
#include "scanprogressform.h"
#include "scanrun.h"
#include "testmachine.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

namespace {

QStringList rowTexts(const QAbstractItemModel *model, const QModelIndex &parent, int column = 0)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(parent); ++r)
        out << model->index(r, column, parent).data().toString();
    return out;
}

// Yellow pixels on one line of a painted cell.
int yellowPixels(const QImage &image, int y)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixelColor(x, y) == QColor(Qt::yellow);
    return n;
}

} // namespace

class TestScanProgressForm : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        machine::setSetting(QStringLiteral("launcher.host"), QStringLiteral("0"));
        dir.reset(new QTemporaryDir);
        root = dir->path() + QStringLiteral("/scan");
        // big: 3 MB, mid: 2 MB (with a 1 MB sub-folder), small: 1 KB, loose files at the top.
        writeFile(root + "/big/movie.avi", 3 * 1048576);
        writeFile(root + "/mid/song.mp3", 1048576);
        writeFile(root + "/mid/inner/photo.jpg", 1048576);
        writeFile(root + "/small/note.txt", 1024);
        writeFile(root + "/report.pdf", 5000);
        KRUtils().buildFileCategories(categories);
        page.reset(new ScanProgressForm);
        page->categories = &categories;
    }
    void cleanup()
    {
        page.reset();
        for (FileCategory &c : categories)
            delete c.icon;
        categories.clear();
        dir.reset();
        m.reset();
    }

    void resultsAreShown()
    {
        QVERIFY(page->findChild<ScanInfoForm *>());
        QVERIFY(!page->findChild<QWidget *>("tabWidget")->isVisibleTo(page.get()));
        QVERIFY(scan());
        auto *tree = page->findChild<QTreeView *>("treeView");
        QCOMPARE(tree->model(), page->folderModel);
        QVERIFY(tree->isExpanded(page->folderModel->indexFromItem(page->rootRow.first())));
        for (int c : {4, 5, 6})
            QVERIFY(tree->isColumnHidden(c));
        for (int c : {0, 1, 2, 3, 7})
            QVERIFY(!tree->isColumnHidden(c));
        QCOMPARE(tree->columnWidth(0), 200);
        QCOMPARE(tree->columnWidth(1), 100);
        QVERIFY(qobject_cast<GraphDelegate *>(tree->itemDelegate()));
        QVERIFY(page->findChild<QWidget *>("toolBar")->isVisibleTo(page.get()));
        QVERIFY(page->findChild<QWidget *>("tabWidget")->isVisibleTo(page.get()));
        QVERIFY(!button("explorerButton")->isEnabled());
        QVERIFY(!button("openFileButton")->isVisibleTo(page.get()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!page->findChild<ScanInfoForm *>());
        QVERIFY(!page->scanInfo);

        // Largest first at every level.
        const QModelIndex rootIndex = page->folderModel->index(0, 0);
        QCOMPARE(rowTexts(page->folderModel, rootIndex), (QStringList{"big", "mid", "small"}));

        // The 20 biggest files, largest first, with their folders in native form.
        QAbstractItemModel *biggest = page->findChild<QTreeView *>("biggestFileTreeView")->model();
        QCOMPARE(biggest, page->biggestFilesModel);
        QCOMPARE(rowTexts(biggest, QModelIndex()),
                 (QStringList{"movie.avi", "photo.jpg", "song.mp3", "report.pdf", "note.txt"}));
        QCOMPARE(biggest->index(0, 1).data().toString(), QStringLiteral("3.00 MB"));
        QCOMPARE(biggest->index(0, 3).data().toString(), fromHostPath(root + "/big"));
        QCOMPARE(biggest->index(0, 4).data().toDouble(), 3.0);
        QVERIFY(!biggest->index(0, 2).data().toString().isEmpty());
        QVERIFY(!biggest->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(page->findChild<QTreeView *>("biggestFileTreeView")->isColumnHidden(4));

        auto *data = page->findChild<QTreeView *>("dataFilesTreeView");
        QCOMPARE(data->model(), page->dataFilesModel);
        QCOMPARE(data->columnWidth(0), 300);
        QCOMPARE(data->columnWidth(2), 200);
        QCOMPARE(rowTexts(page->dataFilesModel, QModelIndex()).mid(0, 3),
                 (QStringList{"Video Files", "Audio Files", "Raster Image Files"}));

        // The categories keep the pictures the scan found, as icons, for later scans.
        QVERIFY(categories.at(1).icon && !categories.at(1).icon->isNull()); // Audio Files
        QVERIFY(!categories.at(0).icon);                                    // no 3D image was found
    }

    // In a wide window the Data Files' folder shows whole: the path column takes the room that the columns
    // after it leave, and every header text shows whole.
    void dataFilesPathTakesTheRoom()
    {
        QVERIFY(scan());
        auto *data = page->findChild<QTreeView *>("dataFilesTreeView");
        int widest = 0;
        const QAbstractItemModel *model = data->model();
        for (int r = 0; r < model->rowCount(); ++r)
            for (int f = 0; f < model->rowCount(model->index(r, 0)); ++f)
                widest = qMax(widest, data->fontMetrics().horizontalAdvance(
                                          model->index(f, 3, model->index(r, 0)).data().toString()));
        QVERIFY(widest > 0);
        // Wide for the paths, however long the temporary folder makes them.
        page->resize(qMax(1200, widest + 800), 700);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        page->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
        page->findChild<QTabWidget *>("tabWidget_2")->setCurrentWidget(data->parentWidget());
        data->expandAll();
        QCoreApplication::processEvents();
        // The text and the margins the style draws it within.
        const int margins = 2 * (data->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, data) + 1);
        QVERIFY2(data->columnWidth(3) >= widest + margins,
                 qPrintable(QStringLiteral("%1 < %2 + %3").arg(data->columnWidth(3)).arg(widest).arg(margins)));
        QHeaderView *header = data->header();
        for (int c = 0; c < header->count(); ++c)
            QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c), qPrintable(QString::number(c)));
        // Nothing is left over at the right, and nothing needs the scroll bar.
        QCOMPARE(header->length(), data->viewport()->width());
    }

    void cancelGoesStraightToClearing()
    {
        QSignalSpy finish(page.get(), &ScanProgressForm::scanFinish);
        QSignalSpy clearStart(page.get(), &ScanProgressForm::clearRAMStart);
        QSignalSpy clearEnd(page.get(), &ScanProgressForm::clearRAMFinish);
        QSignalSpy back(page.get(), &ScanProgressForm::backToMain);
        page->startScan(fromHostPath(root)); // as the folder browser names it
        // The panel's own Cancel button, before the worker's report can arrive.
        page->findChild<ScanInfoForm *>()->findChild<QPushButton *>("pushButton")->click();
        QVERIFY(page->cancelled && page->backPending);
        QVERIFY(back.wait(10000));
        QCOMPARE(finish.size(), 1);
        QCOMPARE(clearStart.size(), 1);
        QCOMPARE(clearEnd.size(), 1);
        QVERIFY(!page->findChild<QWidget *>("tabWidget")->isVisibleTo(page.get()));
        QVERIFY(!page->findChild<QTreeView *>("treeView")->model() ||
                page->findChild<QTreeView *>("treeView")->model() != page->folderModel);
        QCOMPARE(page->scanInfo->findChild<QLabel *>("label")->text(),
                 QStringLiteral("Clearing RAM back to the system in progress."));
        QCOMPARE(page->scanInfo->findChild<QLabel *>("label_2")->text(), QStringLiteral("Please wait ..."));
        QVERIFY(!page->scanInfo->findChild<QPushButton *>("pushButton")->isEnabled());
    }

    void backFreesTheResults()
    {
        QVERIFY(scan());
        QVERIFY(page->dataFilesModel->rowCount() > 0);
        QSignalSpy clearStart(page.get(), &ScanProgressForm::clearRAMStart);
        QSignalSpy back(page.get(), &ScanProgressForm::backToMain);
        button("backButton")->click();
        QCOMPARE(clearStart.size(), 1);
        QVERIFY(!page->findChild<QWidget *>("toolBar")->isVisibleTo(page.get()));
        for (const char *view : {"treeView", "dataFilesTreeView", "biggestFileTreeView"})
            QVERIFY(page->findChild<QTreeView *>(view)->model() != page->folderModel &&
                    page->findChild<QTreeView *>(view)->model() != page->dataFilesModel &&
                    page->findChild<QTreeView *>(view)->model() != page->biggestFilesModel);
        QVERIFY(!qobject_cast<GraphDelegate *>(page->findChild<QTreeView *>("treeView")->itemDelegate()));
        QVERIFY(back.wait(10000));
        QCOMPARE(page->folderModel->rowCount(), 0);
        QCOMPARE(page->dataFilesModel->rowCount(), 0);
        QCOMPARE(page->biggestFilesModel->rowCount(), 0);
        // Five steps of six: the bar stops short of its end.
        QCOMPARE(page->scanInfo->findChild<QProgressBar *>("progressBar")->value(), 5);
    }

    void closeRequestStopsTheScan()
    {
        QSignalSpy finish(page.get(), &ScanProgressForm::scanFinish);
        QSignalSpy clearStart(page.get(), &ScanProgressForm::clearRAMStart);
        page->startScan(fromHostPath(root)); // as the folder browser names it
        page->setCancelled(true);
        QVERIFY(page->worker->cancel);
        QVERIFY(!page->backPending);
        QVERIFY(finish.wait(10000));
        QVERIFY(!page->findChild<QWidget *>("tabWidget")->isVisibleTo(page.get()));
        QVERIFY(!page->findChild<QWidget *>("toolBar")->isVisibleTo(page.get()));
        QCOMPARE(clearStart.size(), 0);
    }

    void headerClicksSort()
    {
        QVERIFY(scan());
        const QModelIndex rootIndex = page->folderModel->index(0, 0);
        auto *header = page->findChild<QTreeView *>("treeView")->header();
        // The first click sorts ascending, by the raw size when it is the "Size" column.
        emit header->sectionClicked(1);
        QCOMPARE(rowTexts(page->folderModel, rootIndex), (QStringList{"small", "mid", "big"}));
        emit header->sectionClicked(1);
        QCOMPARE(rowTexts(page->folderModel, rootIndex), (QStringList{"big", "mid", "small"}));
        // The order belongs to the view: the next click, on another column, is ascending again.
        emit header->sectionClicked(0);
        QCOMPARE(rowTexts(page->folderModel, rootIndex), (QStringList{"big", "mid", "small"}));
        emit header->sectionClicked(0);
        QCOMPARE(rowTexts(page->folderModel, rootIndex), (QStringList{"small", "mid", "big"}));

        auto *dataHeader = page->findChild<QTreeView *>("dataFilesTreeView")->header();
        emit dataHeader->sectionClicked(1);
        QCOMPARE(rowTexts(page->dataFilesModel, QModelIndex()).last(), QStringLiteral("Video Files"));
        emit dataHeader->sectionClicked(0);
        QCOMPARE(rowTexts(page->dataFilesModel, QModelIndex()).first(), QStringLiteral("Web Files"));
    }

    void summaryButtons()
    {
        QVERIFY(scan());
        auto *tabs = page->findChild<QTabWidget *>("tabWidget");
        auto *subTabs = page->findChild<QTabWidget *>("tabWidget_2");
        auto *data = page->findChild<QTreeView *>("dataFilesTreeView");
        tabs->setCurrentIndex(1);
        QVERIFY(button("openFileButton")->isVisibleTo(page.get()));
        subTabs->setCurrentIndex(1);

        const QModelIndex video = page->dataFilesModel->index(0, 0);
        data->setCurrentIndex(page->dataFilesModel->index(0, 0, video)); // a file
        QVERIFY(button("openFileButton")->isEnabled());
        QVERIFY(button("explorerButton")->isEnabled());
        data->setCurrentIndex(video); // a category
        QVERIFY(!button("openFileButton")->isEnabled());
        QVERIFY(!button("explorerButton")->isEnabled());
        // Away to the biggest files and back: still a category, still nothing to open.
        subTabs->setCurrentIndex(0);
        QVERIFY(!button("openFileButton")->isEnabled());
        subTabs->setCurrentIndex(1);
        QVERIFY(!button("openFileButton")->isEnabled());
        QVERIFY(!button("explorerButton")->isEnabled());

        tabs->setCurrentIndex(0);
        QVERIFY(!button("openFileButton")->isVisibleTo(page.get()));
        auto *tree = page->findChild<QTreeView *>("treeView");
        QVERIFY(!button("explorerButton")->isEnabled());
        tree->setCurrentIndex(page->folderModel->index(0, 0, page->folderModel->index(0, 0)));
        QVERIFY(button("explorerButton")->isEnabled());
    }

    void openingFiles()
    {
        QVERIFY(scan());
        const QModelIndex video = page->dataFilesModel->index(0, 0);
        page->OnDataFileDoubleclicktree(video); // a category only folds
        QVERIFY(m->logged(QStringLiteral("Start")).isEmpty());

        page->OnDataFileDoubleclicktree(page->dataFilesModel->index(0, 2, video));
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList{fromHostPath(root + "/big/movie.avi")});

        auto *tabs = page->findChild<QTabWidget *>("tabWidget");
        tabs->setCurrentIndex(1);
        auto *biggest = page->findChild<QTreeView *>("biggestFileTreeView");
        biggest->setCurrentIndex(page->biggestFilesModel->index(1, 0));
        button("openFileButton")->click();
        const QString photo = fromHostPath(root + "/mid/inner") + QStringLiteral("\\photo.jpg");
        QCOMPARE(m->logged(QStringLiteral("Start")).last(), photo);

        button("explorerButton")->click();
        QCOMPARE(m->logged(QStringLiteral("Start")).last(), QStringLiteral("explorer.exe|/select,|") + photo);

        tabs->setCurrentIndex(0);
        auto *tree = page->findChild<QTreeView *>("treeView");
        tree->setCurrentIndex(page->folderModel->index(0, 0, page->folderModel->index(0, 0)));
        button("explorerButton")->click();
        QCOMPARE(m->logged(QStringLiteral("Start")).last(),
                 QStringLiteral("explorer.exe|/select,|") + fromHostPath(root + "/big"));
    }

    void sizeBar_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("yellow");
        QTest::newRow("nothing") << 0.0 << 0;
        QTest::newRow("a third, rounded") << 33.4 << 33;
        QTest::newRow("half") << 50.0 << 50;
        QTest::newRow("all") << 100.0 << 100;
    }
    void sizeBar()
    {
        QFETCH(double, percent);
        QFETCH(int, yellow);
        QStandardItemModel model;
        QList<QStandardItem *> row;
        for (int c = 0; c < 8; ++c)
            row << new QStandardItem;
        row.at(1)->setText(QString());
        row.at(6)->setData(percent, Qt::DisplayRole);
        model.appendRow(row);
        GraphDelegate delegate;
        delegate.model = &model;
        for (int column : {1, 0}) {
            QImage image(100, 20, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = QRect(0, 0, 100, 20);
            delegate.paint(&painter, option, model.index(0, column));
            painter.end();
            // Only the "Size" column carries the bar, from the cell's left edge.
            QCOMPARE(yellowPixels(image, 10), column == 1 ? yellow : 0);
            if (column == 1 && yellow > 0)
                QCOMPARE(image.pixelColor(0, 0), QColor(Qt::yellow));
        }
    }

private:
    bool scan()
    {
        QSignalSpy finish(page.get(), &ScanProgressForm::scanFinish);
        page->startScan(fromHostPath(root)); // as the folder browser names it
        return finish.wait(10000);
    }
    QToolButton *button(const char *name) { return page->findChild<QToolButton *>(QLatin1String(name)); }

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
    QList<FileCategory> categories;
    std::unique_ptr<ScanProgressForm> page;
};

QTEST_MAIN(TestScanProgressForm)
#include "tst_scanprogressform.moc"
