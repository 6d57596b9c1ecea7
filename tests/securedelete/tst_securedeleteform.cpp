// The Secure Delete page and its options dialog: widgets and texts, the list and its buttons, the registry
// values, runs of both tabs with their progress panel, and the close protocol with the main window.
#include "krutils.h"
#include "mainwindow.h"
#include "scaninfoform.h"
#include "securedeleteform.h"
#include "securedeleteoptionsdialog.h"
#include "shellhelpers.h"
#include "shredsupport.h"
#include "refusedclose.h"
#include "testmachine.h"
#include "ui_securedeleteform.h"
#include "ui_securedeleteoptionsdialog.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString key = QStringLiteral(SECURE_DELETE_KEY);

// Runs f on the modal dialog that the next exec() shows.
void whenModal(std::function<void(QWidget *)> f, int tries = 50)
{
    QTimer::singleShot(0, [f, tries] {
        if (QWidget *w = QApplication::activeModalWidget())
            f(w);
        else if (tries > 0)
            whenModal(f, tries - 1);
    });
}

QStringList rowTexts(const QStandardItemModel *model, int row)
{
    QStringList out;
    for (int c = 0; c < model->columnCount(); ++c)
        out << model->item(row, c)->text();
    return out;
}

// Answers the message boxes the page opens with OK, keeping their texts.
class BoxAnswerer : public QObject
{
public:
    QStringList texts;
    BoxAnswerer()
    {
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer.start();
    }

private:
    QTimer timer;
};

// The host's trash of the tests: below the drive Q, which therefore holds it.
QString trashOf(const QString &home)
{
    return home + QStringLiteral("/.local/share/Trash");
}

// The files below a folder, relative to it, sorted.
QStringList filesBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class TestSecureDeleteForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> tmp;

    QString path(const QString &name) const { return tmp->path() + QLatin1Char('/') + name; }
    DWORD registryValue(const char *name, DWORD fallback)
    {
        DWORD value = fallback;
        KRUtils().readRegDWORD(HKEY_CURRENT_USER, key, QLatin1String(name), &value);
        return value;
    }
    void setRegistry(const char16_t *name, DWORD type, const QByteArray &bytes)
    {
        HKEY h = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, wstr(key), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
                 LONG(ERROR_SUCCESS));
        RegSetValueExW(h, name, 0, type, reinterpret_cast<const BYTE *>(bytes.constData()), DWORD(bytes.size()));
        RegCloseKey(h);
    }
    static QByteArray dword(quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        tmp.reset(new QTemporaryDir);
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("q/home/.local/share"))));
    }
    void cleanup()
    {
        tmp.reset();
        m.reset();
    }

    void widgetsAtStart()
    {
        SecureDeleteForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Form"));
        QCOMPARE(form.ui->tabWidget->currentIndex(), 0);
        QCOMPARE(form.ui->tabWidget->tabText(0), QStringLiteral("Files && Folders"));
        QCOMPARE(form.ui->tabWidget->tabText(1), QStringLiteral("Recycle Bin"));
        QCOMPARE(form.ui->tabWidget->widget(0)->objectName(), QStringLiteral("tab"));
        QCOMPARE(form.ui->tabWidget->widget(1)->objectName(), QStringLiteral("tab_2"));
        const struct
        {
            QToolButton *button;
            const char *text;
            bool enabled;
        } buttons[] = {
            {form.ui->ffAddFileButton, "Add File", true},        {form.ui->ffAddFolderButton, "Add Folder", true},
            {form.ui->ffRemoveButton, "Remove", false},          {form.ui->ffDeleteButton, "Delete", false},
            {form.ui->ffOptionsButton, "Options", true},         {form.ui->ffRemoveAllButton, "Remove All", false},
            {form.ui->rbEmptyButton, "Empty Recycle BIn", true}, {form.ui->rbOptionsButton, "Options", true}};
        for (const auto &b : buttons) {
            QCOMPARE(b.button->text(), QLatin1String(b.text));
            QCOMPARE(b.button->isEnabled(), b.enabled);
            QCOMPARE(b.button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QCOMPARE(b.button->iconSize(), QSize(24, 24));
            QVERIFY(b.button->autoRaise());
            QVERIFY(!b.button->icon().isNull());
        }
        QCOMPARE(form.listModel->columnCount(), 4);
        QStringList headers;
        for (int c = 0; c < 4; ++c)
            headers << form.listModel->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Name", "Type", "Path", "TypeIndex"}));
        QCOMPARE(form.ui->ffTreeView->columnWidth(0), 250);
        QVERIFY(form.ui->ffTreeView->acceptDrops());
        QCOMPARE(form.ui->ffTreeView->selectionMode(), QAbstractItemView::ContiguousSelection);
        QCOMPARE(form.ui->ffTreeView->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(form.rootItem, form.listModel->invisibleRootItem());
        QCOMPARE(form.ui->label_2->text(),
                 QStringLiteral("When you delete files or folders on Windows, they are not actually being deleted "
                                "from your hard disk. Instead Windows will move them into special folder called "
                                "Recycle Bin."));
        QVERIFY(form.ui->label_2->wordWrap());
        QCOMPARE(form.ui->label_2->maximumHeight(), 81);
        QCOMPARE(form.ui->label_3->text(), QStringLiteral("Recycle bin location on your computer:"));
        QCOMPARE(form.ui->label->text(), QString());
        QCOMPARE(form.ui->listWidget->maximumHeight(), 71);
        QCOMPARE(form.ui->listWidget->count(), 0);
        QVERIFY(!form.deleteRunning);
        QVERIFY(!form.scanInfo);
    }

    void optionsFromRegistry_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<int>("modeType");
        QTest::addColumn<QByteArray>("passes");
        QTest::addColumn<quint32>("expectedMode");
        QTest::addColumn<quint32>("expectedPasses");
        QTest::newRow("absent") << QByteArray() << 0 << QByteArray() << 0u << 1u;
        QTest::newRow("dod3, 5 passes") << dword(2) << int(REG_DWORD) << dword(5) << 2u << 5u;
        QTest::newRow("mode 5 kept") << dword(5) << int(REG_DWORD) << dword(7) << 5u << 7u;
        QTest::newRow("no passes is one") << dword(3) << int(REG_DWORD) << dword(0) << 3u << 1u;
        QTest::newRow("at most 99") << dword(3) << int(REG_DWORD) << dword(500) << 3u << 99u;
        QTest::newRow("any type of 4 bytes") << dword(1) << int(REG_BINARY) << dword(4) << 1u << 4u;
        QTest::newRow("8 bytes are no DWORD") << QByteArray(8, '\x01') << int(REG_QWORD) << dword(3) << 0u << 3u;
        QTest::newRow("empty value") << QByteArray() << int(REG_BINARY) << dword(9) << 0u << 9u;
    }
    void optionsFromRegistry()
    {
        QFETCH(QByteArray, mode);
        QFETCH(int, modeType);
        QFETCH(QByteArray, passes);
        QFETCH(quint32, expectedMode);
        QFETCH(quint32, expectedPasses);
        if (modeType)
            setRegistry(u"DeleteMode", DWORD(modeType), mode);
        if (!passes.isEmpty())
            setRegistry(u"NumPasses", REG_DWORD, passes);
        SecureDeleteForm form;
        QCOMPARE(form.options.DeleteMode, expectedMode);
        QCOMPARE(form.options.NumPasses, expectedPasses);
    }

    void droppedItems()
    {
        writeFile(path(QStringLiteral("docs/report.txt")), "r");
        SecureDeleteForm form;
        emit form.ui->ffTreeView->addURL(path(QStringLiteral("docs/report.txt")));
        QCOMPARE(rowTexts(form.listModel, 0), (QStringList{"report.txt", "File", path("docs"), "0"}));
        QVERIFY(!form.listModel->item(0, 0)->icon().isNull());
        QVERIFY(form.ui->ffDeleteButton->isEnabled());
        QVERIFY(form.ui->ffRemoveAllButton->isEnabled());
        QVERIFY(!form.ui->ffRemoveButton->isEnabled());
        emit form.ui->ffTreeView->addURL(path(QStringLiteral("docs")));
        QCOMPARE(rowTexts(form.listModel, 1), (QStringList{"docs", "Folder", tmp->path(), "1"}));
        // Nothing keeps the same path from being listed twice.
        emit form.ui->ffTreeView->addURL(path(QStringLiteral("docs/report.txt")));
        QCOMPARE(form.listModel->rowCount(), 3);
    }

    void addFileAndFolder()
    {
        writeFile(path(QStringLiteral("a/picked.doc")), "p");
        SecureDeleteForm form;
        QString title, start;
        whenModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            start = dialog->directory().absolutePath();
            dialog->selectFile(path(QStringLiteral("a/picked.doc")));
            static_cast<QDialog *>(dialog)->accept();
        });
        form.ui->ffAddFileButton->click();
        QCOMPARE(title, QStringLiteral("Add Files"));
        QCOMPARE(start, QDir(hostPath(documentsPath())).absolutePath()); // Qt is given the host folder
        QCOMPARE(form.listModel->rowCount(), 1);
        QCOMPARE(rowTexts(form.listModel, 0), (QStringList{"picked.doc", "File", fromHostPath(path("a")), "0"}));

        m->answerFolderBrowser(path(QStringLiteral("a")));
        form.ui->ffAddFolderButton->click();
        QCOMPARE(rowTexts(form.listModel, 1), (QStringList{"a", "Folder", fromHostPath(tmp->path()), "1"}));
        m->answerFolderBrowser(QString());
        form.ui->ffAddFolderButton->click();
        QCOMPARE(form.listModel->rowCount(), 2);
    }

    void removeRows()
    {
        SecureDeleteForm form;
        // The empty list says so until rows arrive, and again once they are all gone.
        QVERIFY(!form.noFilesLabel->isHidden());
        QCOMPARE(form.noFilesLabel->text(), QStringLiteral("There are no files or folders in the list."));
        for (const char *name : {"r0", "r1", "r2", "r3"})
            emit form.ui->ffTreeView->addURL(path(QLatin1String(name)));
        QVERIFY(form.noFilesLabel->isHidden());
        form.ui->ffRemoveButton->click(); // nothing selected: nothing happens
        QCOMPARE(form.listModel->rowCount(), 4);
        QItemSelectionModel *selection = form.ui->ffTreeView->selectionModel();
        selection->select(QItemSelection(form.listModel->index(1, 0), form.listModel->index(2, 3)),
                          QItemSelectionModel::Select);
        QVERIFY(form.ui->ffRemoveButton->isEnabled());
        form.ui->ffRemoveButton->click();
        QCOMPARE(form.listModel->rowCount(), 2);
        QVERIFY(form.noFilesLabel->isHidden());
        QCOMPARE(form.listModel->item(0, 0)->text(), QStringLiteral("r0"));
        QCOMPARE(form.listModel->item(1, 0)->text(), QStringLiteral("r3"));
        QVERIFY(form.ui->ffDeleteButton->isEnabled());
        selection->clearSelection();
        QVERIFY(!form.ui->ffRemoveButton->isEnabled());
        form.ui->ffRemoveAllButton->click();
        QCOMPARE(form.listModel->rowCount(), 0);
        QVERIFY(!form.ui->ffDeleteButton->isEnabled());
        QVERIFY(!form.ui->ffRemoveAllButton->isEnabled());
        QVERIFY(!form.noFilesLabel->isHidden());
    }

    // Delete starts at once; shredded rows go, the row of a file that could not be shredded stays.
    void deleteRun()
    {
        writeFile(path(QStringLiteral("a.txt")), "a");
        writeFile(path(QStringLiteral("held.txt")), "held");
        writeFile(path(QStringLiteral("folder/x.txt")), "x");
        m->injectFileFault(path(QStringLiteral("held.txt")), QStringLiteral("locked"));
        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        for (const char *name : {"a.txt", "held.txt", "folder"})
            emit form.ui->ffTreeView->addURL(path(QLatin1String(name)));
        BoxAnswerer boxes;
        form.ui->ffDeleteButton->click();
        QVERIFY(form.deleteRunning);
        QVERIFY(form.ui->tabWidget->isHidden());
        QVERIFY(form.scanInfo);
        QCOMPARE(form.scanInfo->findChild<QLabel *>(QStringLiteral("label"))->text(),
                 QStringLiteral("Deleting in progress. Please wait ..."));
        QCOMPARE(form.scanInfo->findChild<QProgressBar *>()->maximum(), 4);
        QTRY_VERIFY(!form.deleteRunning);
        QVERIFY(!form.ui->tabWidget->isHidden());
        QVERIFY(!form.scanInfo);
        QCOMPARE(form.listModel->rowCount(), 1);
        QCOMPARE(form.listModel->item(0, 0)->text(), QStringLiteral("held.txt"));
        // The end of the run names what it kept.
        const QString kept =
            QString(form.listModel->item(0, 2)->text() + QStringLiteral("\\held.txt")).replace(u'/', u'\\');
        QTRY_COMPARE(
            boxes.texts,
            QStringList{QStringLiteral("1 of 3 items could not be shredded and were kept as they were:\n") + kept});
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("a.txt"))));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("folder"))));
        QCOMPARE(readFile(path(QStringLiteral("held.txt"))), QByteArray("held"));
        QVERIFY(form.ui->ffDeleteButton->isEnabled());
        QVERIFY(!form.ui->ffRemoveButton->isEnabled());
        // A second run makes a new thread.
        SecureDeleteThread *first = form.deleteThread;
        QPointer<SecureDeleteThread> firstGuard(first);
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        QVERIFY(form.deleteThread != first || firstGuard.isNull());
        QCOMPARE(form.listModel->rowCount(), 1);
        QTRY_COMPARE(boxes.texts.size(), 2);
        QVERIFY(boxes.texts.last().startsWith(QStringLiteral("1 of 1 items could not be shredded")));
    }

    // What the user chose is what goes: the row's folder made a link (to a folder holding an item of the same
    // name) between adding the row and Delete leaves everything alone, and the row stays, named.
    void chosenItemSwappedAway_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("folder added with Add Folder") << true;
        QTest::newRow("file dropped") << false;
    }
    void chosenItemSwappedAway()
    {
        QFETCH(bool, folder);
        const QString item = folder ? QStringLiteral("target/inner.txt") : QStringLiteral("target");
        writeFile(path(QStringLiteral("victim/") + item), "chosen");
        writeFile(path(QStringLiteral("outside/") + item), "private");
        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        if (folder) {
            m->answerFolderBrowser(path(QStringLiteral("victim/target")));
            form.ui->ffAddFolderButton->click();
        } else {
            emit form.ui->ffTreeView->addURL(path(QStringLiteral("victim/target")));
        }
        QCOMPARE(form.listModel->rowCount(), 1);
        QVERIFY(QDir().rename(path(QStringLiteral("victim")), path(QStringLiteral("moved"))));
        QVERIFY(QFile::link(path(QStringLiteral("outside")), path(QStringLiteral("victim"))));
        BoxAnswerer boxes;
        WriteRecorder recorder;
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        QCOMPARE(recorder.writes().size(), 0);
        QCOMPARE(readFile(path(QStringLiteral("outside/") + item)), QByteArray("private"));
        QCOMPARE(readFile(path(QStringLiteral("moved/") + item)), QByteArray("chosen"));
        QCOMPARE(form.listModel->rowCount(), 1);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.first(),
                 QStringLiteral("1 of 1 items could not be shredded and were kept as they were:\n") +
                     nativeSeparators(form.listModel->item(0, 2)->text()) +
                     QStringLiteral("\\target (changed since it was added)"));
    }

    // The end report names apart a file overwritten that could not be removed (its folder read-only) and a
    // folder shredded in part, with what is left of it; "kept as they were" only what was not touched. Without
    // the capability that lets root remove entries of a read-only folder, as for any user.
    void endReportSaysWhatBecameOfEachItem()
    {
        writeFile(path(QStringLiteral("tree/one.txt")), secretBytes(3000));
        writeFile(path(QStringLiteral("tree/two.txt")), secretBytes(3000));
        writeFile(path(QStringLiteral("elsewhere.txt")), "elsewhere");
        QVERIFY(QFile::link(path(QStringLiteral("elsewhere.txt")), path(QStringLiteral("tree/link.txt"))));
        writeFile(path(QStringLiteral("readonly/held.txt")), secretBytes(3000));
        writeFile(path(QStringLiteral("locked.txt")), "locked");
        m->injectFileFault(path(QStringLiteral("locked.txt")), QStringLiteral("locked"));
        const QByteArray readOnly = QFile::encodeName(path(QStringLiteral("readonly")));
        QCOMPARE(::chmod(readOnly.constData(), 0555), 0);
        const auto writable = qScopeGuard([&readOnly] { ::chmod(readOnly.constData(), 0755); });
        WithoutOverride asAnyUser;
        QVERIFY(asAnyUser.ok());
        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        for (const char *name : {"tree", "readonly/held.txt", "locked.txt"})
            emit form.ui->ffTreeView->addURL(path(QLatin1String(name)));
        BoxAnswerer boxes;
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.first(),
                 QStringLiteral("1 of 3 items could not be shredded and were kept as they were:\n%1\\locked.txt\n\n"
                                "1 of 3 items were overwritten but could not be removed:\n%1\\readonly\\held.txt\n\n"
                                "1 of 3 items are folders that were shredded only in part:\n%1\\tree (left: link.txt)")
                     .arg(nativeSeparators(tmp->path())));
        QCOMPARE(form.listModel->rowCount(), 3);
        const QByteArray held = readFile(path(QStringLiteral("readonly/held.txt")));
        QCOMPARE(held.size(), 3000);
        QVERIFY(held != secretBytes(3000));
        QCOMPARE(QDir(path(QStringLiteral("tree"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
                 QStringList{"link.txt"});
        QCOMPARE(readFile(path(QStringLiteral("elsewhere.txt"))), QByteArray("elsewhere"));
        QCOMPARE(readFile(path(QStringLiteral("locked.txt"))), QByteArray("locked"));
    }

    // A drive's root is never a row: chosen (also through "..") or dropped, it is refused with a box that says so.
    void driveRootRefused_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("C:\\") << false << "C:\\"
                              << "C:\\";
        QTest::newRow("through ..") << false << "C:\\Windows\\.."
                                    << "C:\\";
        QTest::newRow("the host's root dropped") << true << "/"
                                                 << "Z:\\";
    }
    void driveRootRefused()
    {
        QFETCH(bool, dropped);
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        SecureDeleteForm form;
        BoxAnswerer boxes;
        if (dropped) {
            emit form.ui->ffTreeView->addURL(chosen);
        } else {
            m->answerFolderBrowser(chosen);
            form.ui->ffAddFolderButton->click();
        }
        QTRY_COMPARE(boxes.texts,
                     QStringList{shown + QStringLiteral(" is the root of a drive, and a drive's root cannot "
                                                        "be shredded. Add the files and folders on it "
                                                        "instead.")});
        QCOMPARE(form.listModel->rowCount(), 0);
        QVERIFY(!form.ui->ffDeleteButton->isEnabled());
    }

    // On a fresh machine (no simulated volume, no declared runs) a compressed file's clusters lie on its drive,
    // whose volume opens and refuses the writes: the file stays, and the end of the run says why.
    void clusterRefusalOnAFreshMachine()
    {
        const QString file = m->folder() + QStringLiteral("/drive_c/ledger.dat");
        const QByteArray secret(65536, 's');
        QVERIFY(writeFile(file, secret));
        m->markFileAttributes(file, FILE_ATTRIBUTE_COMPRESSED);
        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        emit form.ui->ffTreeView->addURL(QStringLiteral("C:\\ledger.dat"));
        BoxAnswerer boxes;
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.first(),
                 QStringLiteral("1 of 1 items could not be shredded and were kept as they were:\nC:\\ledger.dat\n\n"
                                "Windows refused to overwrite the clusters of a compressed, encrypted or sparse file "
                                "on its drive: it lets a program write to the sectors of a drive in use only while "
                                "the drive is locked."));
        QCOMPARE(readFile(file), secret);
    }

    // Cancel stops the run at its next test; the Gutmann file under way is kept, later rows are not started.
    void cancelRun()
    {
        writeFile(path(QStringLiteral("one.txt")), secretBytes(5000));
        writeFile(path(QStringLiteral("two.txt")), secretBytes(5000));
        SecureDeleteForm form;
        form.options.DeleteMode = 0;
        emit form.ui->ffTreeView->addURL(path(QStringLiteral("one.txt")));
        emit form.ui->ffTreeView->addURL(path(QStringLiteral("two.txt")));
        WorkerGate gate;
        BoxAnswerer boxes;
        QSignalSpy closeApp(&form, &SecureDeleteForm::closeApp);
        form.ui->ffDeleteButton->click();
        QVERIFY(gate.started.tryAcquire(1, 30000));
        form.scanInfo->findChild<QPushButton *>()->click();
        gate.proceed.release();
        QTRY_VERIFY(!form.deleteRunning);
        QCOMPARE(form.listModel->rowCount(), 2);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("The shredding was stopped: 0 of 2 items were shredded.")});
        // The last row went first: its file keeps all but the byte already written; the other was not started.
        QCOMPARE(readFile(path(QStringLiteral("two.txt"))).left(4999), secretBytes(4999));
        QCOMPARE(readFile(path(QStringLiteral("one.txt"))), secretBytes(5000));
        QCOMPARE(gate.recorder.writes().size(), 1);
        QCOMPARE(closeApp.size(), 0);
    }

    void closeDuringRun_data()
    {
        QTest::addColumn<bool>("refused"); // the second close is refused after all (a Save that failed)
        QTest::newRow("closes") << false;
        QTest::newRow("refused after all") << true;
    }

    // The main window's close during a run is refused once; the page stops, emits closeApp, and the window
    // then closes. Should that close be refused, the page is ready again and its next run asks for no close.
    void closeDuringRun()
    {
        QFETCH(bool, refused);
        writeFile(path(QStringLiteral("one.txt")), secretBytes(5000));
        writeFile(path(QStringLiteral("two.txt")), secretBytes(5000));
        MainWindow window;
        window.show();
        if (refused)
            QVERIFY(prepareRefusedClose(window, *m));
        window.findChild<QToolButton *>(QStringLiteral("secureDeleteButton"))->click();
        auto *form = static_cast<SecureDeleteForm *>(window.modulePage(MainWindow::SecureDeletePage));
        QVERIFY(form);
        form->options.DeleteMode = 0;
        emit form->ui->ffTreeView->addURL(path(QStringLiteral("one.txt")));
        WorkerGate gate;
        BoxAnswerer boxes;
        QTest::ignoreMessage(QtInfoMsg, "The shredding was stopped: 0 of 1 items were shredded.");
        QSignalSpy closeApp(form, &SecureDeleteForm::closeApp);
        form->ui->ffDeleteButton->click();
        QVERIFY(gate.started.tryAcquire(1, 30000));
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QVERIFY(form->closePending);
        gate.proceed.release();
        QTRY_COMPARE(closeApp.size(), 1);
        QVERIFY(!form->deleteRunning);
        QCOMPARE(boxes.texts, QStringList()); // nothing holds up the closing program
        QCOMPARE(form->listModel->rowCount(), 1);
        // Kept under its name: only the last byte received its first pass.
        QCOMPARE(readFile(path(QStringLiteral("one.txt"))).left(4999), secretBytes(4999));
        if (!refused) {
            QTRY_VERIFY(!window.isVisible());
            return;
        }

        QVERIFY(closeWasRefused(window, form, *m));
        QVERIFY(form->ui->ffDeleteButton->isEnabled());
        emit form->ui->ffTreeView->addURL(path(QStringLiteral("two.txt")));
        form->ui->ffDeleteButton->click();
        QTRY_VERIFY(!form->deleteRunning);
        QCOMPARE(closeApp.size(), 1);
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(path(QStringLiteral("one.txt"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("two.txt"))));
        QCOMPARE(form->listModel->rowCount(), 0);
    }

    // One Recycle Bin per trash: the host's trash, shown as "$RECYCLE.BIN" at the root of the drive that holds
    // it; a "$Recycle.Bin" or "RECYCLER" on a drive root belongs to another system and is never listed.
    void recycleBinList()
    {
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), path(QStringLiteral("q")));
        mapDrive(QLatin1Char('R'), path(QStringLiteral("r")));
        mapDrive(QLatin1Char('S'), path(QStringLiteral("s")));
        writeFile(path(QStringLiteral("q/$RECYCLE.BIN/S-1-5-21/$R1.txt")), "other system");
        QDir().mkpath(path(QStringLiteral("r/Recycler")));
        QDir().mkpath(path(QStringLiteral("s/$Recycle.Bin")));
        SecureDeleteForm form;
        // No trash yet: no drive has a Recycle Bin, and the empty list says so.
        QCOMPARE(form.findRecycleBinFolder('Q'), QString());
        form.ui->tabWidget->setCurrentIndex(1);
        QCOMPARE(form.ui->listWidget->count(), 0);
        QVERIFY(!form.noBinLabel->isHidden());
        QCOMPARE(form.noBinLabel->text(), QStringLiteral("No recycle bin folder was found."));
        form.ui->tabWidget->setCurrentIndex(0);
        writeFile(path(QStringLiteral("r/old.txt")), "old");
        QVERIFY(moveToRecycleBin(QStringLiteral("R:\\old.txt")));
        const QString bin = QStringLiteral("Q:\\$RECYCLE.BIN");
        QCOMPARE(form.findRecycleBinFolder('Q'), bin);
        QCOMPARE(form.findRecycleBinFolder('R'), QString());
        QCOMPARE(form.findRecycleBinFolder('S'), QString());
        // Listed once at the drive root, hidden and system as Windows keeps it, and holding the trash.
        QStringList atRoot;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(WSTR("Q:\\*"), &data);
        QVERIFY(find != INVALID_HANDLE_VALUE);
        do {
            const QString name = fromWide(data.cFileName, MAX_PATH);
            atRoot << name;
            if (name == QLatin1String("$RECYCLE.BIN"))
                QCOMPARE(data.dwFileAttributes,
                         DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        } while (FindNextFileW(find, &data));
        FindClose(find);
        QCOMPARE(atRoot.filter(QStringLiteral("recycle"), Qt::CaseInsensitive), QStringList{"$RECYCLE.BIN"});
        QCOMPARE(readFile(hostPath(bin + QStringLiteral("\\files\\old.txt"))), QByteArray("old"));
        form.ui->tabWidget->setCurrentIndex(1);
        QCOMPARE(form.ui->listWidget->count(), 1);
        QCOMPARE(form.ui->listWidget->item(0)->text(), bin);
        QCOMPARE(form.ui->listWidget->item(0)->checkState(), Qt::Checked);
        QVERIFY(form.noBinLabel->isHidden());
        // Filled once; the user's ticks stay.
        form.ui->listWidget->item(0)->setCheckState(Qt::Unchecked);
        form.ui->tabWidget->setCurrentIndex(0);
        form.ui->tabWidget->setCurrentIndex(1);
        QCOMPARE(form.ui->listWidget->count(), 1);
        QCOMPARE(form.ui->listWidget->item(0)->checkState(), Qt::Unchecked);
    }

    // What Find Duplicate moves to the Recycle Bin lands in the trash with its record; emptying the Recycle Bin
    // shreds both, dot names included at every level of the trash, and leaves another system's "$Recycle.Bin"
    // and a file that shares its data with a name outside the trash alone.
    void emptyRecycleBin()
    {
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), path(QStringLiteral("q")));
        mapDrive(QLatin1Char('R'), path(QStringLiteral("r")));
        writeFile(path(QStringLiteral("q/docs/report.txt")), secretBytes(3000));
        writeFile(path(QStringLiteral("q/old/report.txt")), "older");
        writeFile(path(QStringLiteral("q/docs/album/one.jpg")), "jpeg");
        writeFile(path(QStringLiteral("r/$Recycle.Bin/S-1-5-21/$R3.txt")), "other system");
        writeFile(path(QStringLiteral("r/shared.txt")), "shared");
        writeFile(path(QStringLiteral("q/.env-secrets")), "key");
        writeFile(path(QStringLiteral("q/.dotdir/.hidden-key")), "key");
        QVERIFY(moveToRecycleBin(QStringLiteral("Q:\\.env-secrets")));
        QVERIFY(moveToRecycleBin(QStringLiteral("Q:\\.dotdir")));
        QVERIFY(moveToRecycleBin(QStringLiteral("Q:\\docs\\report.txt")));
        QVERIFY(moveToRecycleBin(path(QStringLiteral("q/old/report.txt"))));
        QVERIFY(moveToRecycleBin(QStringLiteral("Q:\\docs\\album")));
        QVERIFY(moveToRecycleBin(QStringLiteral("R:\\shared.txt")));
        const QString trash = trashOf(path(QStringLiteral("q/home")));
        writeFile(trash + QStringLiteral("/.secret-notes"), "notes"); // beside the trash's own folders
        // Links thrown away, to a file and to a folder outside, each with its record: they go themselves.
        writeFile(path(QStringLiteral("r/target.txt")), "target");
        writeFile(path(QStringLiteral("r/folder/inside.txt")), "inside");
        QVERIFY(QFile::link(path(QStringLiteral("r/target.txt")), trash + QStringLiteral("/files/filelink")));
        QVERIFY(QFile::link(path(QStringLiteral("r/folder")), trash + QStringLiteral("/files/folderlink")));
        for (const char *name : {"filelink", "folderlink"})
            writeFile(trash + QStringLiteral("/info/") + QLatin1String(name) + QStringLiteral(".trashinfo"), "record");
        // The shared file's other name, outside the trash.
        QCOMPARE(::link(QFile::encodeName(trash + QStringLiteral("/files/shared.txt")).constData(),
                        QFile::encodeName(path(QStringLiteral("r/keep.txt"))).constData()),
                 0);
        QCOMPARE(
            QDir(trash + QStringLiteral("/files")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
            (QStringList{"album", "filelink", "folderlink", "report 2.txt", "report.txt",
                         "shared.txt"})); // dot names not shown
        const QByteArray record = readFile(trash + QStringLiteral("/info/report 2.txt.trashinfo"));
        QVERIFY2(record.startsWith(
                     "[Trash Info]\nPath=" +
                     QUrl::toPercentEncoding(QFile::encodeName(path(QStringLiteral("q/old/report.txt"))), "/") +
                     "\nDeletionDate="),
                 record.constData());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("q/old/report.txt"))));

        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        form.ui->tabWidget->setCurrentIndex(1);
        QCOMPARE(form.ui->listWidget->count(), 1);
        // Nothing ticked: the run finds nothing and the page comes back.
        form.ui->listWidget->item(0)->setCheckState(Qt::Unchecked);
        form.ui->rbEmptyButton->click();
        QVERIFY(form.deleteRunning);
        QCOMPARE(form.scanInfo->findChild<QProgressBar *>()->maximum(), 100);
        QTRY_VERIFY(!form.deleteRunning);
        QCOMPARE(form.recycleBinFolders, QStringList());
        QVERIFY(QFile::exists(trash + QStringLiteral("/files/report.txt")));

        form.ui->listWidget->item(0)->setCheckState(Qt::Checked);
        WriteRecorder recorder;
        BoxAnswerer boxes;
        form.ui->rbEmptyButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        // The shared file is named as kept, and so is its record, which stays with it.
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.first(), QStringLiteral("2 of 17 items could not be shredded and were kept as they "
                                                     "were:\nQ:\\$RECYCLE.BIN\\files\\shared.txt\n"
                                                     "Q:\\$RECYCLE.BIN\\info\\shared.txt.trashinfo"));
        QCOMPARE(form.recycleBinFolders, QStringList{QStringLiteral("Q:\\$RECYCLE.BIN")});
        // The trashed files and their records are gone, overwritten first, and the links; the shared file stays
        // with its record, and so do the trash's own folders and what the links pointed at.
        QCOMPARE(filesBelow(trash), (QStringList{"files/shared.txt", "info/shared.txt.trashinfo"}));
        QCOMPARE(QDir(trash).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), (QStringList{"files", "info"}));
        QCOMPARE(
            QDir(trash + QStringLiteral("/files")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
            QStringList{"shared.txt"});
        QCOMPARE(readFile(path(QStringLiteral("r/target.txt"))), QByteArray("target"));
        QCOMPARE(readFile(path(QStringLiteral("r/folder/inside.txt"))), QByteArray("inside"));
        QVERIFY(!recorder.writesTo(trash + QStringLiteral("/files/report.txt")).isEmpty());
        QVERIFY(!recorder.writesTo(trash + QStringLiteral("/info/report.txt.trashinfo")).isEmpty());
        QVERIFY(!recorder.writesTo(trash + QStringLiteral("/info/.env-secrets.trashinfo")).isEmpty());
        QVERIFY(recorder.writesTo(trash + QStringLiteral("/files/shared.txt")).isEmpty());
        QCOMPARE(readFile(path(QStringLiteral("r/keep.txt"))), QByteArray("shared"));
        QCOMPARE(readFile(path(QStringLiteral("r/$Recycle.Bin/S-1-5-21/$R3.txt"))), QByteArray("other system"));
        // The emptied trash takes files again.
        writeFile(path(QStringLiteral("q/later.txt")), "later");
        QVERIFY(moveToRecycleBin(path(QStringLiteral("q/later.txt"))));
        QCOMPARE(readFile(trash + QStringLiteral("/files/later.txt")), QByteArray("later"));
        QVERIFY(QFile::exists(trash + QStringLiteral("/info/later.txt.trashinfo")));
    }

    void dialogShowsOptions_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<quint32>("passes");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("spin");
        QTest::newRow("gutmann") << 0u << 1u << "gutmannRadioButton" << 1;
        QTest::newRow("dod7") << 1u << 4u << "dod7RadioButton" << 4;
        QTest::newRow("dod3") << 2u << 1u << "dod3RadioButton" << 1;
        QTest::newRow("random") << 3u << 42u << "randomRadioButton" << 42;
        QTest::newRow("unknown mode shows Gutmann") << 5u << 3u << "gutmannRadioButton" << 3;
        QTest::newRow("no passes shows 1") << 3u << 0u << "randomRadioButton" << 1;
    }
    void dialogShowsOptions()
    {
        QFETCH(quint32, mode);
        QFETCH(quint32, passes);
        QFETCH(QString, checked);
        QFETCH(int, spin);
        SecureDeleteOptions options{passes, mode};
        SecureDeleteOptionsDialog dialog;
        dialog.options = &options;
        dialog.loadOptions();
        const QList<QRadioButton *> radios{dialog.ui->gutmannRadioButton, dialog.ui->dod7RadioButton,
                                           dialog.ui->dod3RadioButton, dialog.ui->randomRadioButton};
        for (QRadioButton *r : radios)
            QCOMPARE(r->isChecked(), r->objectName() == checked);
        QCOMPARE(dialog.ui->randomSpinBox->value(), spin);
        const bool random = checked == QLatin1String("randomRadioButton");
        QCOMPARE(dialog.ui->randomSpinBox->isEnabled(), random);
        QCOMPARE(dialog.ui->randomLabel->isEnabled(), random);
        dialog.ui->randomRadioButton->setChecked(!random);
        if (random)
            dialog.ui->gutmannRadioButton->setChecked(true);
        QCOMPARE(dialog.ui->randomSpinBox->isEnabled(), !random);
        QCOMPARE(dialog.ui->randomLabel->isEnabled(), !random);
    }

    void dialogTexts()
    {
        SecureDeleteOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(dialog.size(), QSize(377, 279));
        QCOMPARE(dialog.ui->titleLabel->text(), QStringLiteral("Select Shreding Method:"));
        QCOMPARE(dialog.ui->gutmannRadioButton->text(), QStringLiteral("using Gutmann (35 Pass)"));
        QCOMPARE(dialog.ui->dod7RadioButton->text(), QStringLiteral("using DOD 5220.22M (7 Pass)"));
        QCOMPARE(dialog.ui->dod3RadioButton->text(), QStringLiteral("using DOD 5220.22M (3 Pass)"));
        QCOMPARE(dialog.ui->randomRadioButton->text(), QStringLiteral("using Random"));
        QCOMPARE(dialog.ui->randomLabel->text(), QStringLiteral("Number od Passes:"));
        QCOMPARE(dialog.ui->randomSpinBox->minimum(), 1);
        QCOMPARE(dialog.ui->randomSpinBox->maximum(), 99);
        QCOMPARE(dialog.ui->saveButton->text(), QStringLiteral("Save"));
        QCOMPARE(dialog.ui->closeButton->text(), QStringLiteral("Close"));
        QCOMPARE(dialog.ui->saveButton->minimumSize(), QSize(75, 24));
        QCOMPARE(dialog.ui->closeButton->minimumSize(), QSize(75, 24));
    }

    // Save stores the shown choice in the page and the registry, and ends the dialog; Close stores nothing.
    void dialogSaveAndClose()
    {
        setRegistry(u"DeleteMode", REG_DWORD, dword(5));
        SecureDeleteForm form;
        QCOMPARE(form.options.DeleteMode, 5u);
        QPointer<SecureDeleteOptionsDialog> shown;
        bool gutmannShown = false;
        whenModal([&](QWidget *w) {
            shown = qobject_cast<SecureDeleteOptionsDialog *>(w);
            QVERIFY(shown);
            gutmannShown = shown->ui->gutmannRadioButton->isChecked();
            shown->ui->saveButton->click();
        });
        form.ui->ffOptionsButton->click();
        QVERIFY(gutmannShown);
        QTRY_VERIFY(shown.isNull());
        QCOMPARE(form.options.DeleteMode, 0u);
        QCOMPARE(registryValue("DeleteMode", 99), DWORD(0));
        QCOMPARE(registryValue("NumPasses", 99), DWORD(1));

        whenModal([&](QWidget *w) {
            shown = qobject_cast<SecureDeleteOptionsDialog *>(w);
            shown->ui->randomRadioButton->setChecked(true);
            shown->ui->randomSpinBox->setValue(12);
            shown->ui->saveButton->click();
        });
        form.ui->rbOptionsButton->click();
        QTRY_VERIFY(shown.isNull());
        QCOMPARE(form.options.DeleteMode, 3u);
        QCOMPARE(form.options.NumPasses, 12u);
        QCOMPARE(registryValue("DeleteMode", 99), DWORD(3));
        QCOMPARE(registryValue("NumPasses", 99), DWORD(12));

        whenModal([&](QWidget *w) {
            shown = qobject_cast<SecureDeleteOptionsDialog *>(w);
            shown->ui->dod7RadioButton->setChecked(true);
            shown->ui->closeButton->click();
        });
        form.ui->ffOptionsButton->click();
        QTRY_VERIFY(shown.isNull());
        QCOMPARE(form.options.DeleteMode, 3u);
        QCOMPARE(registryValue("DeleteMode", 99), DWORD(3));
    }

    // A key that cannot be written leaves the page's options changed and says nothing.
    void saveWithoutRegistry()
    {
        m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\") + key, false, true);
        SecureDeleteForm form;
        SecureDeleteOptionsDialog *dialog = new SecureDeleteOptionsDialog(&form);
        dialog->options = &form.options;
        dialog->loadOptions();
        dialog->ui->dod3RadioButton->setChecked(true);
        dialog->ui->saveButton->click();
        QCOMPARE(form.options.DeleteMode, 2u);
        QCOMPARE(registryValue("DeleteMode", 99), DWORD(99));
        QCOMPARE(m->logged(QStringLiteral("MessageBox")), QStringList());
    }
};

QTEST_MAIN(TestSecureDeleteForm)
#include "tst_securedeleteform.moc"
