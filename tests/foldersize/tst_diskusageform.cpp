// The analyzer's start page with its drive and folder tiles, the category flags it reads, the options dialog
// that writes them, the volume details dialog and the page's part in closing the main window.
#include "clearramthread.h"
#include "detailinfodialog.h"
#include "diskusageform.h"
#include "iteminfoform.h"
#include "linux/machine/machine.h"
#include "optionsdialog.h"
#include "scanprogressform.h"
#include "scanrun.h"
#include "shellhelpers.h"
#include "refusedclose.h"
#include "testmachine.h"
#include "workerthread.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString analyzerKey = QStringLiteral("Software\\Keelrun\\Folder Size Analyzer\\Disk Usage Analyzer");
constexpr qint64 GiB = qint64(1) << 30;

void mapDrive(QChar letter, const QString &folder, qint64 total, qint64 free, const QString &label)
{
    const QString key = QStringLiteral("drive.") + letter;
    machine::setSetting(key, folder);
    machine::setSetting(key + ".type", "fixed");
    machine::setSetting(key + ".label", label);
    machine::setSetting(key + ".fs", "NTFS");
    machine::setSetting(key + ".total", QString::number(total));
    machine::setSetting(key + ".free", QString::number(free));
}

QList<ItemInfoForm *> tiles(DiskUsageForm &page, const char *tab)
{
    QList<ItemInfoForm *> out = page.findChild<QWidget *>(QLatin1String(tab))->findChildren<ItemInfoForm *>();
    std::sort(out.begin(), out.end(), [](ItemInfoForm *a, ItemInfoForm *b) { return a->index < b->index; });
    return out;
}

QString text(QWidget *tile, const char *label)
{
    return tile->findChild<QLabel *>(QLatin1String(label))->text();
}

DWORD flag(int category)
{
    DWORD v = 77;
    if (!KRUtils().readRegDWORD(HKEY_CURRENT_USER, analyzerKey, QString::number(category), &v))
        return 99;
    return v;
}

} // namespace

class TestDiskUsageForm : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        for (char c = 'A'; c <= 'Z'; ++c)
            machine::setSetting(QStringLiteral("drive.") + QLatin1Char(c), QString());
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("0"));
        dir.reset(new QTemporaryDir);
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    void driveTiles_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("free");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<int>("usage");
        QTest::newRow("a quarter free") << 1000 * GiB << 253 * GiB << "253.00 GB free of 1000.00 GB (25.30%)" << 74;
        QTest::newRow("full") << 100 * GiB << qint64(0) << "0.00 GB free of 100.00 GB (0.00%)" << 100;
        QTest::newRow("empty") << 100 * GiB << 100 * GiB << "100.00 GB free of 100.00 GB (100.00%)" << 0;
        QTest::newRow("no size at all") << qint64(0) << qint64(0) << "0.00 GB free of 0.00 GB (0.00%)" << 0;
    }
    void driveTiles()
    {
        QFETCH(qint64, total);
        QFETCH(qint64, free);
        QFETCH(QString, sizeText);
        QFETCH(int, usage);
        mapDrive('D', dir->path(), total, free, "Data");
        // A label is the drive's own text: markup in it is shown as typed.
        mapDrive('F', dir->path(), 10 * GiB, 5 * GiB, "Films &amp; <i>Games</i>");
        DiskUsageForm page;
        const QList<ItemInfoForm *> drives = tiles(page, "tab");
        QCOMPARE(drives.size(), 2);
        ItemInfoForm *d = drives.first();
        QCOMPARE(d->index, 0);
        QCOMPARE(drives.at(1)->index, 1);
        QCOMPARE(text(d, "volumeLabel"), QStringLiteral("Data (D:)"));
        QCOMPARE(text(d, "fsLabel"), QStringLiteral("NTFS"));
        QCOMPARE(text(d, "sizeLabel"), sizeText);
        QCOMPARE(d->findChild<QProgressBar *>("progressBar")->value(), usage);
        QVERIFY(d->findChild<QProgressBar *>("progressBar")->isVisibleTo(d));
        QVERIFY(d->findChild<QToolButton *>("infoButton")->isVisibleTo(d));
        QVERIFY(!d->findChild<QLabel *>("icon")->pixmap().isNull());
        QCOMPARE(d->findChild<QLabel *>("icon")->pixmap().size(), QSize(48, 48));
        QCOMPARE(text(drives.at(1), "volumeLabel"), QStringLiteral("Films &amp; <i>Games</i> (F:)"));
        QCOMPARE(drives.at(1)->findChild<QLabel *>("volumeLabel")->textFormat(), Qt::PlainText);
        QCOMPARE(page.findChild<QTabWidget *>("tabWidget")->currentIndex(), 0);
    }

    void noFixedDrive()
    {
        DiskUsageForm page;
        QVERIFY(tiles(page, "tab").isEmpty());
        QCOMPARE(tiles(page, "tab_2").size(), 5);
    }

    void folderTiles()
    {
        DiskUsageForm page;
        const QList<ItemInfoForm *> folders = tiles(page, "tab_2");
        const QStringList paths = {documentsPath(), musicPath(), videosPath(), picturesPath(), userProfilePath()};
        QCOMPARE(folders.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(!paths.at(i).isEmpty());
            QCOMPARE(text(folders.at(i), "volumeLabel"), windowsFileInfo(paths.at(i)).fileName());
            QCOMPARE(text(folders.at(i), "fsLabel"), paths.at(i));
            // A folder has no volume to measure and no details to show.
            QVERIFY(!folders.at(i)->findChild<QProgressBar *>("progressBar")->isVisibleTo(folders.at(i)));
            QVERIFY(!folders.at(i)->findChild<QLabel *>("sizeLabel")->isVisibleTo(folders.at(i)));
            QVERIFY(!folders.at(i)->findChild<QToolButton *>("infoButton")->isVisibleTo(folders.at(i)));
            QVERIFY(folders.at(i)->findChild<QToolButton *>("startButton")->isVisibleTo(folders.at(i)));
        }
        QCOMPARE(page.videosFolder, videosPath());

        // Start on the third folder tile scans Videos, not Pictures.
        page.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
        folders.at(2)->findChild<QToolButton *>("startButton")->click();
        QVERIFY(page.busy);
        QVERIFY(page.resultPage);
        QCOMPARE(page.resultPage->worker->path, videosPath());
        QCOMPARE(page.stack->currentWidget(), page.resultPage);
        QSignalSpy finish(page.resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
        QVERIFY(!page.busy);
    }

    void driveIsScannedWithoutItsBackslash()
    {
        mapDrive('D', dir->path(), 10 * GiB, GiB, "Data");
        DiskUsageForm page;
        tiles(page, "tab").first()->findChild<QToolButton *>("startButton")->click();
        QVERIFY(page.resultPage);
        QCOMPARE(page.resultPage->worker->path, QStringLiteral("D:"));
        QSignalSpy finish(page.resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
    }

    void folderThatCannotBeFoundStartsNothing()
    {
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        DiskUsageForm page;
        const QList<ItemInfoForm *> folders = tiles(page, "tab_2");
        QCOMPARE(folders.size(), 5);
        QCOMPARE(text(folders.first(), "volumeLabel"), QStringLiteral("Documents"));
        QCOMPARE(text(folders.first(), "fsLabel"), QString());
        QVERIFY(!folders.first()->findChild<QToolButton *>("startButton")->isEnabled());
        page.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
        folders.first()->findChild<QToolButton *>("startButton")->click();
        // An empty path would mean the current drive's root.
        QVERIFY(!page.resultPage);
        QVERIFY(!page.busy);
    }

    void missingSpecialFolder_data()
    {
        QTest::addColumn<int>("tile");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("present");
        const QStringList names = {"Documents", "Music", "Videos", "Pictures"};
        for (int i = 0; i < names.size(); ++i) {
            QTest::addRow("%s present", qPrintable(names.at(i))) << i << names.at(i) << true;
            QTest::addRow("%s absent", qPrintable(names.at(i))) << i << names.at(i) << false;
        }
    }
    void missingSpecialFolder()
    {
        QFETCH(int, tile);
        QFETCH(QString, name);
        QFETCH(bool, present);
        const QStringList paths = {documentsPath(), musicPath(), videosPath(), picturesPath()};
        if (!present) {
            // A file where the folder belongs: the shell can neither find nor make the folder.
            const QString host = hostPath(paths.at(tile));
            QVERIFY(QDir(host).removeRecursively());
            writeFile(host, 1);
        }
        DiskUsageForm page;
        ItemInfoForm *t = tiles(page, "tab_2").at(tile);
        QCOMPARE(text(t, "volumeLabel"), name);
        QCOMPARE(t->findChild<QToolButton *>("startButton")->isEnabled(), present);
        QCOMPARE(t->findChild<QLabel *>("icon")->pixmap().isNull(), !present);
        for (QLabel *label : t->findChildren<QLabel *>())
            if (label->isVisibleTo(t))
                QVERIFY2(label->text() != QLatin1String("TextLabel"), qPrintable(label->objectName()));
    }

    void tileButtonsCarryTheIndex()
    {
        ItemInfoForm tile(nullptr);
        tile.index = 2;
        QSignalSpy details(&tile, &ItemInfoForm::showDetails);
        QSignalSpy start(&tile, &ItemInfoForm::startScan);
        tile.findChild<QToolButton *>("infoButton")->click();
        tile.findChild<QToolButton *>("startButton")->click();
        QCOMPARE(details.size(), 1);
        QCOMPARE(details.first().first().toInt(), 2);
        QCOMPARE(start.size(), 1);
        QCOMPARE(start.first().first().toInt(), 2);
        QCOMPARE(tile.findChild<QToolButton *>("startButton")->text(), QStringLiteral("Start"));
        // A path the shell does not know leaves the icon label as it was.
        tile.setIconFromPath(dir->path() + QStringLiteral("/absent"));
        QCOMPARE(text(&tile, "icon"), QString());
        QVERIFY(tile.findChild<QLabel *>("icon")->pixmap().isNull());
    }

    void categoryFlags_data()
    {
        QTest::addColumn<QList<int>>("values"); // value i, or -1 for no value; empty list: no key
        QTest::addColumn<QList<bool>>("enabled");
        QList<bool> all(12, true);
        QTest::newRow("no key") << QList<int>{} << all;
        QList<int> docsOff(12, -1);
        docsOff[5] = 0;
        QList<bool> docsOffEnabled = all;
        docsOffEnabled[5] = false;
        QTest::newRow("Document Files off") << docsOff << docsOffEnabled;
        QList<int> two(12, 1);
        two[1] = 2;
        QList<bool> twoEnabled = all;
        twoEnabled[1] = false;
        QTest::newRow("any other number is off") << two << twoEnabled;
    }
    void categoryFlags()
    {
        QFETCH(QList<int>, values);
        QFETCH(QList<bool>, enabled);
        KRUtils u;
        if (!values.isEmpty())
            u.createRegKey(HKEY_CURRENT_USER, analyzerKey);
        for (int i = 0; i < values.size(); ++i)
            if (values.at(i) >= 0)
                u.writeRegDWORD(HKEY_CURRENT_USER, analyzerKey, QString::number(i), DWORD(values.at(i)));
        DiskUsageForm page;
        QCOMPARE(page.categories.size(), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(page.categories.at(i).enabled, enabled.at(i));
    }

    void disabledCategoryIsLeftOutOfTheNextScan()
    {
        KRUtils().writeRegDWORD(HKEY_CURRENT_USER, analyzerKey, QStringLiteral("5"), 0);
        writeFile(dir->path() + "/a.pdf", 100);
        writeFile(dir->path() + "/b.mp3", 100);
        DiskUsageForm page;
        page.StartScanPath(dir->path());
        QSignalSpy finish(page.resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
        QStringList shown;
        for (int r = 0; r < page.resultPage->dataFilesModel->rowCount(); ++r)
            shown << page.resultPage->dataFilesModel->index(r, 0).data().toString();
        QCOMPARE(shown.size(), 11);
        QVERIFY(!shown.contains("Document Files"));
    }

    void optionsList()
    {
        DiskUsageForm page;
        page.categories[10].enabled = false;
        OptionsDialog dialog(&page);
        dialog.categories = &page.categories;
        dialog.fillTree();
        auto *tree = dialog.findChild<QTreeWidget *>("treeWidget");
        QCOMPARE(tree->topLevelItemCount(), 12);
        QCOMPARE(tree->headerItem()->text(0), QStringLiteral("File Extension"));
        QCOMPARE(tree->topLevelItem(9)->text(0), QStringLiteral("Vector Image Files (.ai, .eps, .ps, .svg)"));
        QCOMPARE(tree->topLevelItem(10)->checkState(0), Qt::Unchecked);
        QCOMPARE(tree->topLevelItem(1)->checkState(0), Qt::Checked);
        QVERIFY(tree->topLevelItem(1)->flags() & Qt::ItemIsUserCheckable);
        QCOMPARE(tree->topLevelItem(1)->childCount(), 0);
        QCOMPARE(tree->topLevelItem(1)->icon(0).pixmap(16).toImage(),
                 QIcon(":/resources/images/Audio16.png").pixmap(16).toImage());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    }

    void optionsSave()
    {
        DiskUsageForm page;
        QPointer<OptionsDialog> dialog = new OptionsDialog(&page);
        dialog->categories = &page.categories;
        dialog->fillTree();
        dialog->findChild<QTreeWidget *>("treeWidget")->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        dialog->findChild<QPushButton *>("saveButton")->click();
        QVERIFY(!page.categories.at(1).enabled);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(flag(i), DWORD(i == 1 ? 0 : 1));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        // The page built anew reads them back.
        DiskUsageForm again;
        QVERIFY(!again.categories.at(1).enabled);
        QVERIFY(again.categories.at(2).enabled);
    }

    void optionsClose()
    {
        DiskUsageForm page;
        QPointer<OptionsDialog> dialog = new OptionsDialog(&page);
        dialog->categories = &page.categories;
        dialog->fillTree();
        dialog->findChild<QTreeWidget *>("treeWidget")->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        dialog->findChild<QPushButton *>("closeButton")->click();
        QVERIFY(page.categories.at(1).enabled);
        QVERIFY(!KRUtils().regKeyExists(HKEY_CURRENT_USER, analyzerKey));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }

    void volumeDetails()
    {
        DriveInfo drive;
        drive.displayName = QStringLiteral("Data (D:)");
        drive.rootPath = QStringLiteral("D:\\");
        drive.serialNumber = QStringLiteral("1A2B-3C4D");
        drive.fileSystem = QStringLiteral("NTFS");
        drive.maxComponentLength = QStringLiteral("255");
        drive.totalSize = QStringLiteral("476.34 GB");
        drive.freeSize = QStringLiteral("120.50 GB");
        drive.totalClusters = QStringLiteral("124868991");
        drive.freeClusters = QStringLiteral("31588236");
        drive.sectorsPerCluster = QStringLiteral("8");
        drive.bytesPerSector = QStringLiteral("512");
        drive.casePreservedNames = true; // flags 0x6
        drive.unicodeOnDisk = true;
        DetailInfoDialog dialog;
        dialog.fill(drive);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Data (D:)"));
        auto *view = dialog.findChild<QTreeView *>("treeView");
        QAbstractItemModel *model = view->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Field"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
        QCOMPARE(view->columnWidth(0), 340);
        QCOMPARE(model->rowCount(), 2);
        const QModelIndex general = model->index(0, 0);
        const QModelIndex features = model->index(1, 0);
        QCOMPARE(general.data().toString(), QStringLiteral("General"));
        QCOMPARE(features.data().toString(), QStringLiteral("File System Features"));
        QCOMPARE(general.siblingAtColumn(1).data().toString(), QString());
        QVERIFY(view->isExpanded(general) && view->isExpanded(features));
        QCOMPARE(model->rowCount(general), 10);
        QCOMPARE(model->index(1, 0, general).data().toString(), QStringLiteral("Serial Number"));
        QCOMPARE(model->index(1, 1, general).data().toString(), QStringLiteral("1A2B-3C4D"));
        QCOMPARE(model->index(9, 1, general).data().toString(), QStringLiteral("512"));
        QCOMPARE(model->rowCount(features), 19);
        QStringList yes;
        for (int r = 0; r < 19; ++r)
            if (model->index(r, 1, features).data().toString() == QLatin1String("Yes"))
                yes << model->index(r, 0, features).data().toString();
            else
                QCOMPARE(model->index(r, 1, features).data().toString(), QStringLiteral("No"));
        QCOMPARE(yes, (QStringList{"Case is Preserved", "Unicode in File Names Support"}));
        const QImage check = QIcon(":/resources/images/CheckIn16.png").pixmap(16).toImage();
        const QImage cross = QIcon(":/resources/images/Close16.png").pixmap(16).toImage();
        QCOMPARE(model->index(0, 0, features).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(), check);
        QCOMPARE(model->index(1, 0, features).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(), cross);
    }

    void detailsOfTheDriveTile()
    {
        mapDrive('D', dir->path(), 10 * GiB, GiB, "Data");
        DiskUsageForm page;
        page.show();
        QString title;
        QTimer::singleShot(0, &page, [&title] {
            auto *dialog = qobject_cast<DetailInfoDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            dialog->findChild<QPushButton *>("closeButton")->click();
        });
        tiles(page, "tab").first()->findChild<QToolButton *>("infoButton")->click();
        QCOMPARE(title, QStringLiteral("Data (D:)"));
        QVERIFY(page.findChildren<DetailInfoDialog *>().isEmpty());
    }

    void closeDuringTheScan()
    {
        for (int i = 0; i < 30; ++i)
            writeFile(dir->path() + QStringLiteral("/d%1/f.txt").arg(i), 10);
        DiskUsageForm page;
        QSignalSpy closing(&page, &DiskUsageForm::closeApp);
        page.StartScanPath(dir->path());
        ScanProgressForm *result = page.resultPage;
        QVERIFY(page.busy);
        page.requestClose();
        QVERIFY(page.closePending);
        QVERIFY(result->cancelled);
        QVERIFY(closing.wait(10000));
        QCOMPARE(closing.size(), 1);
        QVERIFY(!page.busy);
        QVERIFY(!page.clearing);
        // The results were never shown.
        QVERIFY(!result->findChild<QWidget *>("tabWidget")->isVisibleTo(result));
    }

    void closeWhileFreeing()
    {
        writeFile(dir->path() + "/a/b.txt", 10);
        DiskUsageForm page;
        QSignalSpy closing(&page, &DiskUsageForm::closeApp);
        page.StartScanPath(dir->path());
        QSignalSpy finish(page.resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
        QVERIFY(!page.busy);
        page.resultPage->findChild<QToolButton *>("backButton")->click();
        QVERIFY(page.clearing);
        page.requestClose();
        QVERIFY(page.closePending);
        QVERIFY(page.resultPage->clearThread->cancel);
        QVERIFY(closing.wait(10000));
        QVERIFY(!page.clearing);
    }

    void refusedCloseLeavesThePageReady_data()
    {
        QTest::addColumn<bool>("freeing");
        QTest::newRow("scan") << false;
        QTest::newRow("freeing memory") << true;
    }

    // A close refused after the work stopped for it: the page is back at its tiles, and the next scan shows
    // its results and asks for no close.
    void refusedCloseLeavesThePageReady()
    {
        QFETCH(bool, freeing);
        for (int i = 0; i < 30; ++i)
            writeFile(dir->path() + QStringLiteral("/d%1/f.txt").arg(i), 10);
        MainWindow w;
        w.show();
        QVERIFY(prepareRefusedClose(w, *m));
        w.findChild<QToolButton *>(QStringLiteral("diskUsageButton"))->click();
        auto *page = static_cast<DiskUsageForm *>(w.modulePage(MainWindow::DiskUsagePage));
        QSignalSpy closing(page, &DiskUsageForm::closeApp);
        page->StartScanPath(dir->path());
        if (freeing) {
            QSignalSpy finish(page->resultPage, &ScanProgressForm::scanFinish);
            QVERIFY(finish.wait(10000));
            page->resultPage->findChild<QToolButton *>("backButton")->click();
        }
        QVERIFY(!w.close());
        QVERIFY(closing.wait(10000));
        QVERIFY(closeWasRefused(w, page, *m));
        QTRY_VERIFY_WITH_TIMEOUT(!page->resultPage && !page->clearing, 10000);

        page->StartScanPath(dir->path());
        QSignalSpy finish(page->resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
        QVERIFY(page->resultPage->findChild<QWidget *>("tabWidget")->isVisibleTo(page->resultPage));
        QCOMPARE(closing.size(), 1);
        QVERIFY(w.isVisible());
    }

    void backReturnsToTheTiles()
    {
        writeFile(dir->path() + "/a/b.mp3", 10);
        DiskUsageForm page;
        page.StartScanPath(dir->path());
        QPointer<ScanProgressForm> result = page.resultPage;
        QSignalSpy finish(result.data(), &ScanProgressForm::scanFinish);
        QVERIFY(finish.wait(10000));
        QSignalSpy back(result.data(), &ScanProgressForm::backToMain);
        result->findChild<QToolButton *>("backButton")->click();
        QVERIFY(back.wait(10000));
        QVERIFY(!page.resultPage);
        QVERIFY(!page.clearing);
        QCOMPARE(page.stack->currentIndex(), 0);
        QCOMPARE(page.stack->count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(result.isNull());

        // The next scan shows the audio files with the icon kept from the first one.
        QVERIFY(page.categories.at(1).icon);
        page.StartScanPath(dir->path());
        QSignalSpy again(page.resultPage, &ScanProgressForm::scanFinish);
        QVERIFY(again.wait(10000));
        QStandardItemModel *data = page.resultPage->dataFilesModel;
        const QModelIndex audio = data->index(0, 0);
        QCOMPARE(audio.data().toString(), QStringLiteral("Audio Files"));
        QCOMPARE(data->index(0, 0, audio).data(Qt::DecorationRole).metaType(), QMetaType::fromType<QIcon>());
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(TestDiskUsageForm)
#include "tst_diskusageform.moc"
