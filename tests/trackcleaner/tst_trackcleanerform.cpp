// The Track Cleaner page: its rows and texts, the button rule, an analysis with its progress and results, the
// detail lists, a clearing run with its completion message, and the close protocol.
#include "mainwindow.h"
#include "refusedclose.h"
#include "testmachine.h"
#include "tracemachine.h"
#include "trackcleanerclearthread.h"
#include "trackcleanerdetaildialog.h"
#include "trackcleanerform.h"
#include "trackcleanerthread.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tracemachine;

namespace {

const char *const rowNames[TrackCleanerKindCount] = {
    "FileExplorerRecentFiles", "FileExplorerTypedPaths", "FileExplorerSearchHistory", "WindowsRunDialog",
    "WindowsLogFiles",         "WindowsErrorReporting",  "WindowsNetworkData",        "WindowsTempFiles"};

// Answers the modal windows the page opens: message boxes with OK, detail lists with their Close button.
// It looks for them from the event loop that the modal window runs.
class ModalAnswerer : public QObject
{
public:
    QStringList boxTitles;
    QStringList boxTexts;
    QStringList dialogTitles;
    QList<QStringList> dialogItems;

    ModalAnswerer()
    {
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, this, [this] { answer(); });
        timer.start();
    }

private:
    QTimer timer;
    QList<QPointer<QObject>> answered;

    void answer()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            boxTitles << box->windowTitle();
            boxTexts << box->text();
            box->button(QMessageBox::Ok)->click();
        } else if (auto *dialog = qobject_cast<TrackCleanerDetailDialog *>(w)) {
            // Close lets the dialog go a moment later; it is answered once.
            if (!dialog->isVisible() || answered.contains(dialog))
                return;
            answered << dialog;
            dialogTitles << dialog->windowTitle();
            QStringList items;
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("listWidget"));
            for (int i = 0; i < list->count(); ++i)
                items << list->item(i)->text();
            dialogItems << items;
            dialog->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
        }
    }
};

template <typename T> T *child(QWidget &page, const QString &name)
{
    T *w = page.findChild<T *>(name);
    if (!w)
        qFatal("no widget %s", qPrintable(name));
    return w;
}

QCheckBox *box(QWidget &page, int kind)
{
    return child<QCheckBox>(page, QStringLiteral("TrackCleaner%1CheckBox").arg(QLatin1String(rowNames[kind])));
}

QLabel *countLabel(QWidget &page, int kind)
{
    return child<QLabel>(page, QStringLiteral("TrackCleaner%1Label").arg(QLatin1String(rowNames[kind])));
}

QPushButton *viewButton(QWidget &page, int kind)
{
    return child<QPushButton>(page, QStringLiteral("TrackCleaner%1Button").arg(QLatin1String(rowNames[kind])));
}

QPushButton *button(QWidget &page, const char *name)
{
    return child<QPushButton>(page, QLatin1String(name));
}

QStringList *listOf(TrackCleanerForm &page, int kind)
{
    QStringList *lists[TrackCleanerKindCount] = {&page.fileExplorerRecentFilesList,   &page.fileExplorerTypedPathsList,
                                                 &page.fileExplorerSearchHistoryList, &page.windowsRunDialogList,
                                                 &page.windowsLogFilesList,           &page.windowsErrorReportingList,
                                                 &page.windowsNetworkDataList,        &page.windowsTempFilesList};
    return lists[kind];
}

void analyze(TrackCleanerForm &page)
{
    button(page, "TrackCleanerAnalyzeButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!page.scanning, 30000);
}

int filesIn(const QString &folder, bool logsOnly = false)
{
    int n = 0;
    for (const QString &f : filesBelow(folder))
        n += !logsOnly || f.endsWith(QLatin1String(".log")) ? 1 : 0;
    return n;
}

} // namespace

class TestTrackCleanerForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void pageAtConstruction()
    {
        TrackCleanerForm page;
        QCOMPARE(page.windowTitle(), QStringLiteral("Form"));
        QCOMPARE(page.size(), QSize(752, 581));
        QVERIFY(!page.scanning && !page.clearing && !page.closePending);
        QVERIFY(!page.scanThread && !page.clearThread);
        QCOMPARE(child<QLabel>(page, "TrackCleanerDescLabel")->text(),
                 QStringLiteral("To save your privacy you may want to clear the following data:"));
        QVERIFY(!child<QLabel>(page, "TrackCleanerDescLabel")->wordWrap());
        QCOMPARE(child<QLabel>(page, "TrackCleanerFileExplorer")->text(), QStringLiteral("File Explorer"));
        QCOMPARE(child<QLabel>(page, "TrackCleanerWindows")->text(), QStringLiteral("Windows"));
        QCOMPARE(child<QLabel>(page, "TrackCleanerWindows")->font().weight(), QFont::Bold);
        QVERIFY(!child<QLabel>(page, "TrackCleanerFileExplorerIcon")->pixmap().isNull());
        QVERIFY(!child<QLabel>(page, "TrackCleanerWindowsIcon")->pixmap().isNull());
        QCOMPARE(child<QLabel>(page, "TrackCleanerProgressBarLabel")->text(),
                 QString::fromUtf8("Scanning in progress. Please wait\xe2\x80\xa6"));
        QCOMPARE(button(page, "TrackCleanerAnalyzeButton")->text(), QStringLiteral("Analyze"));
        QCOMPARE(button(page, "TrackCleanerClearButton")->text(), QStringLiteral("Clear Tracking Data "));
        QCOMPARE(button(page, "TrackCleanerCancelButton")->text(), QStringLiteral("Cancel"));
        QCOMPARE(button(page, "TrackCleanerAnalyzeButton")->minimumWidth(), 75);
        QCOMPARE(button(page, "TrackCleanerClearButton")->minimumWidth(), 131);
        QCOMPARE(button(page, "TrackCleanerCancelButton")->minimumWidth(), 80);
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QVERIFY(!button(page, "TrackCleanerAnalyzeButton")->isHidden());
        for (const char *hidden : {"TrackCleanerClearButton", "TrackCleanerCancelButton"})
            QVERIFY(button(page, hidden)->isHidden());
        QVERIFY(child<QProgressBar>(page, "TrackCleanerProgressBar")->isHidden());
        QVERIFY(child<QLabel>(page, "TrackCleanerProgressBarLabel")->isHidden());
    }

    void kindRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        const char *texts[] = {"Quick access (recent files)", "Typed Paths",       "Search History",
                               "Run dialog box (history)",    "Windows Log Files", "Windows Error Reporting",
                               "Network Data Usage",          "Temporary Files"};
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            QTest::newRow(rowNames[kind]) << kind << QString::fromLatin1(texts[kind]);
    }

    void kindRows()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        TrackCleanerForm page;
        QCOMPARE(box(page, kind)->text(), text);
        QVERIFY(box(page, kind)->isChecked());
        QVERIFY(box(page, kind)->isEnabled());
        QCOMPARE(countLabel(page, kind)->text(), QString());
        QCOMPARE(viewButton(page, kind)->text(), QStringLiteral("View"));
        QCOMPARE(viewButton(page, kind)->minimumWidth(), 51);
        QVERIFY(viewButton(page, kind)->isHidden());
        // The rows stand in kind order, top to bottom.
        page.show();
        if (kind > 0)
            QVERIFY(box(page, kind)->y() > box(page, kind - 1)->y());
    }

    void analyzeAndClearNeedACheckedBox()
    {
        TrackCleanerForm page;
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            box(page, kind)->setChecked(false);
        QVERIFY(!button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QVERIFY(!button(page, "TrackCleanerClearButton")->isEnabled());
        box(page, WindowsNetworkData)->setChecked(true);
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QVERIFY(button(page, "TrackCleanerClearButton")->isEnabled());
    }

    void analysisShowsProgressWhileItRuns()
    {
        TrackCleanerForm page;
        page.show();
        box(page, FileExplorerSearchHistory)->setChecked(false);
        button(page, "TrackCleanerAnalyzeButton")->click();
        auto *bar = child<QProgressBar>(page, "TrackCleanerProgressBar");
        QVERIFY(page.scanning);
        QVERIFY(page.scanThread);
        QCOMPARE(bar->maximum(), 7);
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->isVisible());
        QVERIFY(child<QLabel>(page, "TrackCleanerProgressBarLabel")->isVisible());
        QVERIFY(button(page, "TrackCleanerCancelButton")->isVisible());
        QVERIFY(!button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QVERIFY(!button(page, "TrackCleanerClearButton")->isVisible());
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            QVERIFY(!box(page, kind)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!page.scanning, 30000);
        QCOMPARE(bar->value(), 7);
        QVERIFY(!page.scanThread);
        QVERIFY(!bar->isVisible());
        QVERIFY(!button(page, "TrackCleanerCancelButton")->isVisible());
        QVERIFY(button(page, "TrackCleanerClearButton")->isVisible());
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            QVERIFY(box(page, kind)->isEnabled());
        QCOMPARE(countLabel(page, FileExplorerSearchHistory)->text(), QString());
        QVERIFY(!viewButton(page, FileExplorerSearchHistory)->isVisible());
    }

    void resultsOfTheSeededMachine()
    {
        TrackCleanerForm page;
        page.show();
        analyze(page);
        QCOMPARE(child<QProgressBar>(page, "TrackCleanerProgressBar")->value(), 8);
        QCOMPARE(child<QProgressBar>(page, "TrackCleanerProgressBar")->maximum(), 8);
        const auto sized = [](const QString &folder, bool logsOnly, const QString &also = QString()) {
            const int n = filesIn(folder, logsOnly) + (also.isEmpty() ? 0 : filesIn(also, true));
            quint64 bytes = 0;
            QStringList files = filesBelow(folder) + (also.isEmpty() ? QStringList() : filesBelow(also));
            for (const QString &f : files)
                if (!logsOnly || f.endsWith(QLatin1String(".log")))
                    bytes += quint64(QFileInfo(f).size());
            return QStringLiteral("%1 item(s) found - %2 MB").arg(n).arg(bytes >> 20);
        };
        const QString expected[TrackCleanerKindCount] = {"3 item(s) found",
                                                         "3 item(s) found",
                                                         "3 item(s) found",
                                                         "4 item(s) found",
                                                         sized(machine::windowsFolder(), true, localMicrosoft()),
                                                         sized(errorReports(), false),
                                                         sized(networkData(), false),
                                                         sized(temp(), false)};
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind) {
            QCOMPARE(countLabel(page, kind)->text(), expected[kind]);
            QVERIFY(viewButton(page, kind)->isVisible());
            QVERIFY(!listOf(page, kind)->isEmpty());
        }
        QCOMPARE(countLabel(page, WindowsNetworkData)->text(), QStringLiteral("5 item(s) found - 4 MB"));
    }

    void kindWithNothingFoundShowsZero()
    {
        removeSeededTraces();
        TrackCleanerForm page;
        page.show();
        ModalAnswerer answerer;
        analyze(page);
        QCOMPARE(countLabel(page, FileExplorerTypedPaths)->text(), QStringLiteral("0 item(s) found"));
        QCOMPARE(countLabel(page, WindowsTempFiles)->text(), QStringLiteral("0 item(s) found - 0 MB"));
        QVERIFY(viewButton(page, WindowsTempFiles)->isVisible());
        viewButton(page, WindowsTempFiles)->click();
        QCOMPARE(answerer.dialogItems, QList<QStringList>({QStringList()}));
    }

    void missingRecentFolderLeavesItsRowEmpty()
    {
        QVERIFY(QDir(recentFolder()).removeRecursively());
        TrackCleanerForm page;
        page.show();
        analyze(page);
        QCOMPARE(child<QProgressBar>(page, "TrackCleanerProgressBar")->value(), 7);
        QCOMPARE(countLabel(page, FileExplorerRecentFiles)->text(), QString());
        QVERIFY(!viewButton(page, FileExplorerRecentFiles)->isVisible());
        QCOMPARE(countLabel(page, FileExplorerTypedPaths)->text(), QStringLiteral("3 item(s) found"));
    }

    void cancelledAnalysisLeavesNothing()
    {
        TrackCleanerForm page;
        page.show();
        button(page, "TrackCleanerAnalyzeButton")->click();
        button(page, "TrackCleanerCancelButton")->click();
        QCOMPARE(page.scanCancelled, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!page.scanning, 30000);
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind) {
            QVERIFY(listOf(page, kind)->isEmpty());
            QCOMPARE(countLabel(page, kind)->text(), QString());
            QVERIFY(!viewButton(page, kind)->isVisible());
        }
        QVERIFY(!button(page, "TrackCleanerClearButton")->isVisible());
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        // A new analysis starts afresh.
        analyze(page);
        QCOMPARE(page.scanCancelled, 0);
        QCOMPARE(countLabel(page, WindowsRunDialog)->text(), QStringLiteral("4 item(s) found"));
    }

    void viewShowsTheKindList_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            QTest::newRow(rowNames[kind]) << kind;
    }

    void viewShowsTheKindList()
    {
        QFETCH(int, kind);
        TrackCleanerForm page;
        page.show();
        analyze(page);
        ModalAnswerer answerer;
        viewButton(page, kind)->click();
        QCOMPARE(answerer.dialogTitles, QStringList({"Dialog"}));
        QCOMPARE(answerer.dialogItems, QList<QStringList>({*listOf(page, kind)}));
        // Close took the dialog away.
        QTRY_COMPARE(page.findChildren<TrackCleanerDetailDialog *>().size(), 0);
    }

    void detailDialogLayout()
    {
        QStringList items = {"one", "two"};
        TrackCleanerDetailDialog dialog(nullptr);
        dialog.items = &items;
        dialog.setItems();
        dialog.setItems(); // filled anew, not appended to
        QCOMPARE(dialog.objectName(), QStringLiteral("TrackCleanerDetailDialog"));
        QCOMPARE(dialog.size(), QSize(400, 300));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("listWidget"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("two"));
        auto *close = dialog.findChild<QPushButton *>(QStringLiteral("pushButton"));
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QCOMPARE(close->maximumWidth(), 75);
        dialog.show();
        QVERIFY(close->geometry().top() >= list->geometry().bottom());
        QVERIFY(close->geometry().right() > dialog.width() / 2);
    }

    void completionMessage_data()
    {
        QTest::addColumn<int>("locked");
        QTest::addColumn<QString>("text");
        QTest::newRow("all deleted") << 0 << "The cleaning process is completed.";
        QTest::newRow("one left") << 1
                                  << "The cleaning process is completed.\n1 item cannot be deleted because it is "
                                     "still nedded.";
        QTest::newRow("five left") << 5
                                   << "The cleaning process is completed.\n5 items cannot be deleted because they "
                                      "are still nedded.";
    }

    void completionMessage()
    {
        QFETCH(int, locked);
        QFETCH(QString, text);
        removeSeededTraces();
        for (int i = 0; i < 7; ++i) {
            const QString f = writeFile(temp() + QStringLiteral("/file%1.tmp").arg(i));
            if (i < locked)
                m->injectFileFault(f, QStringLiteral("locked"));
        }
        TrackCleanerForm page;
        page.show();
        analyze(page);
        QCOMPARE(countLabel(page, WindowsTempFiles)->text(), QStringLiteral("7 item(s) found - 0 MB"));
        ModalAnswerer answerer;
        button(page, "TrackCleanerClearButton")->click();
        QVERIFY(page.clearing);
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxTexts.size(), 1, 30000);
        QCOMPARE(answerer.boxTexts.first(), text);
        QCOMPARE(answerer.boxTitles.first(), QStringLiteral("Keelrun Hushdeck Plus!"));
        QCOMPARE(filesIn(temp()), locked);
    }

    void clearingEmptiesTheSelectedRowsOnly()
    {
        TrackCleanerForm page;
        page.show();
        analyze(page);
        const QStringList typed = page.fileExplorerTypedPathsList;
        box(page, FileExplorerTypedPaths)->setChecked(false);
        ModalAnswerer answerer;
        button(page, "TrackCleanerClearButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxTexts.size(), 1, 30000);
        QVERIFY(!page.clearing);
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind) {
            if (kind == FileExplorerTypedPaths)
                continue;
            QVERIFY(listOf(page, kind)->isEmpty());
            QCOMPARE(countLabel(page, kind)->text(), QString());
            QVERIFY(!viewButton(page, kind)->isVisible());
        }
        QCOMPARE(page.fileExplorerTypedPathsList, typed);
        QCOMPARE(countLabel(page, FileExplorerTypedPaths)->text(), QStringLiteral("3 item(s) found"));
        QVERIFY(viewButton(page, FileExplorerTypedPaths)->isVisible());
        QCOMPARE(valueCount(typedPathsKey), 3);
        QCOMPARE(valueCount(runKey), 0);
        // The next clearing needs a new analysis.
        QVERIFY(!button(page, "TrackCleanerClearButton")->isVisible());
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            QVERIFY(box(page, kind)->isEnabled());
    }

    void boxCheckedAfterTheAnalysisTakesPart()
    {
        TrackCleanerForm page;
        page.show();
        box(page, FileExplorerSearchHistory)->setChecked(false);
        box(page, WindowsTempFiles)->setChecked(false);
        analyze(page);
        box(page, FileExplorerSearchHistory)->setChecked(true);
        box(page, WindowsTempFiles)->setChecked(true);
        const int tempFiles = filesIn(temp());
        QVERIFY(tempFiles > 0);
        ModalAnswerer answerer;
        button(page, "TrackCleanerClearButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxTexts.size(), 1, 30000);
        // The registry kind is cleared all the same; the file kind had nothing listed to delete.
        QCOMPARE(valueCount(searchKey), 0);
        QCOMPARE(filesIn(temp()), tempFiles);
        QCOMPARE(answerer.boxTexts.first(), QStringLiteral("The cleaning process is completed."));
    }

    void noAnalysisWhileClearing()
    {
        TrackCleanerForm page;
        page.show();
        analyze(page);
        const QStringList temps = page.windowsTempFilesList;
        ModalAnswerer answerer;
        button(page, "TrackCleanerClearButton")->click();
        QVERIFY(page.clearing);
        QVERIFY(!button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        // Neither the button nor its slot may start an analysis that would empty the lists being read.
        QMetaObject::invokeMethod(&page, "on_TrackCleanerAnalyzeButton_clicked");
        QVERIFY(!page.scanning);
        QVERIFY(!page.scanThread);
        QCOMPARE(page.windowsTempFilesList, temps);
        // A second press of Clear Tracking Data does not start another run.
        button(page, "TrackCleanerClearButton")->click();
        QCOMPARE(page.findChildren<TrackCleanerClearThread *>().size(), 1);
        box(page, WindowsTempFiles)->setChecked(false); // a toggle keeps Analyze off while clearing
        QVERIFY(!button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxTexts.size(), 1, 30000);
        QVERIFY(button(page, "TrackCleanerAnalyzeButton")->isEnabled());
        QCOMPARE(answerer.boxTexts.first(), QStringLiteral("The cleaning process is completed."));
    }

    void closeDuringAnAnalysis()
    {
        TrackCleanerForm page;
        page.show();
        QSignalSpy closing(&page, &TrackCleanerForm::closeApp);
        button(page, "TrackCleanerAnalyzeButton")->click();
        TrackCleanerThread *thread = page.scanThread;
        page.requestClose();
        QVERIFY(page.closePending);
        QVERIFY(thread->cancel);
        QCOMPARE(closing.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 30000);
        QVERIFY(!page.scanning);
        QVERIFY(!page.isVisible());
    }

    void closeDuringAClearing()
    {
        removeSeededTraces();
        const int files = 600;
        for (int i = 0; i < files; ++i)
            writeFile(temp() + QStringLiteral("/f%1.tmp").arg(i));
        TrackCleanerForm page;
        page.show();
        analyze(page);
        QSignalSpy closing(&page, &TrackCleanerForm::closeApp);
        ModalAnswerer answerer;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral(
                                            "^The cleaning process was stopped: \\d+ of \\d+ files were cleared\\.$")));
        button(page, "TrackCleanerClearButton")->click();
        page.requestClose();
        QVERIFY(page.clearThread->cancel);
        QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 30000);
        QVERIFY(!page.clearing);
        // The page's end slot has returned: a box it opened would have been answered by now.
        QCOMPARE(answerer.boxTexts, QStringList());
        // What it reports agrees with what is left on disk.
        QCOMPARE(page.clearThread->filesToClear, files);
        QCOMPARE(page.clearThread->filesCleared, files - filesIn(temp()));
    }

    void mainWindowWaitsForAnAnalysis()
    {
        MainWindow w;
        w.show();
        w.findChild<QToolButton *>(QStringLiteral("trackCleanerButton"))->click();
        auto *page = static_cast<TrackCleanerForm *>(w.modulePage(MainWindow::TrackCleanerPage));
        button(*page, "TrackCleanerAnalyzeButton")->click();
        QVERIFY(page->scanning);
        QVERIFY(!w.close()); // refused while the thread runs, which is told to stop
        QVERIFY(page->closePending);
        QVERIFY(w.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
        QVERIFY(!page->scanning);
    }

    void refusedCloseLeavesThePageReady_data()
    {
        QTest::addColumn<bool>("clearing");
        QTest::newRow("analysis") << false;
        QTest::newRow("clearing") << true;
    }

    // A close refused after the work stopped for it: the page is ready again, and its next work asks for no
    // close.
    void refusedCloseLeavesThePageReady()
    {
        QFETCH(bool, clearing);
        MainWindow w;
        w.show();
        QVERIFY(prepareRefusedClose(w, *m));
        w.findChild<QToolButton *>(QStringLiteral("trackCleanerButton"))->click();
        auto *page = static_cast<TrackCleanerForm *>(w.modulePage(MainWindow::TrackCleanerPage));
        QSignalSpy closing(page, &TrackCleanerForm::closeApp);
        ModalAnswerer answerer;
        if (clearing) {
            analyze(*page);
            button(*page, "TrackCleanerClearButton")->click();
        } else {
            button(*page, "TrackCleanerAnalyzeButton")->click();
        }
        QVERIFY(!w.close());
        QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 30000);
        QVERIFY(closeWasRefused(w, page, *m));
        QVERIFY(button(*page, "TrackCleanerAnalyzeButton")->isEnabled());
        button(*page, "TrackCleanerAnalyzeButton")->click();
        QVERIFY(page->scanning);
        QTRY_VERIFY_WITH_TIMEOUT(!page->scanning, 30000);
        QCOMPARE(closing.count(), 1);
        QVERIFY(w.isVisible());
        QCOMPARE(answerer.boxTexts, QStringList()); // the close held back the clearing's box
    }

    void idlePageIsNotAskedToClose()
    {
        TrackCleanerForm page;
        QSignalSpy closing(&page, &TrackCleanerForm::closeApp);
        analyze(page);
        QCOMPARE(closing.count(), 0);
        QVERIFY(!page.closePending);
    }

    void destroyingThePageWaitsForItsThreads()
    {
        // A running thread is never destroyed: the page waits for it (Qt would abort otherwise).
        auto *page = new TrackCleanerForm;
        button(*page, "TrackCleanerAnalyzeButton")->click();
        QPointer<TrackCleanerThread> scan = page->scanThread;
        delete page;
        QVERIFY(scan.isNull());

        auto *second = new TrackCleanerForm;
        analyze(*second);
        button(*second, "TrackCleanerClearButton")->click();
        QVERIFY(second->clearThread);
        delete second;
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestTrackCleanerForm)
#include "tst_trackcleanerform.moc"
