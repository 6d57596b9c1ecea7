// The Process Manager page against real child processes: their rows, a priority change read back from
// /proc, ending one process and exactly its row, refusals that keep the row, device paths and sorting.
#include "processmanagerform.h"
#include "processmanmoreinfodialog.h"
#include "processmansetprioritydialog.h"
#include "prioritynames.h"
#include "linux/machine/machine.h"
#include "testmachine.h"
#include "whenmodal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <sys/resource.h>

#include <memory>

namespace {

enum { Name, Memory, Priority, Path, Pid, Threads, Parent, Base };

int rowOf(ProcessManagerForm &page, qint64 pid)
{
    QStandardItemModel *m = page.processModel();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->item(r, Pid)->text() == QString::number(pid))
            return r;
    return -1;
}

QString cell(ProcessManagerForm &page, qint64 pid, int column)
{
    const int row = rowOf(page, pid);
    return row < 0 ? QString() : page.processModel()->item(row, column)->text();
}

void select(ProcessManagerForm &page, qint64 pid)
{
    auto *view = page.findChild<QTreeView *>(QStringLiteral("ffTreeView"));
    view->selectionModel()->select(page.processModel()->index(rowOf(page, pid), 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void click(ProcessManagerForm &page, const char *button)
{
    page.findChild<QToolButton *>(QLatin1String(button))->click();
}

// Field n of a stat file of /proc ("" when it cannot be read).
QByteArray statField(const QString &path, int n)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(n - 3);
}

// The nice value of a process, as /proc has it.
int niceOf(qint64 pid)
{
    const QByteArray nice = statField(QStringLiteral("/proc/%1/stat").arg(pid), 19);
    return nice.isEmpty() ? 999 : nice.toInt();
}

// The nice value of each thread of a process: nice values belong to threads on Linux.
QList<int> niceOfEveryThread(qint64 pid)
{
    QList<int> out;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        out << statField(tasks + QLatin1Char('/') + tid + QStringLiteral("/stat"), 19).toInt();
    return out;
}

// The start time of a process in clock ticks after boot.
QByteArray startTimeOf(qint64 pid)
{
    return statField(QStringLiteral("/proc/%1/stat").arg(pid), 22);
}

QStringList columnTexts(ProcessManagerForm &page, int column)
{
    QStringList out;
    for (int r = 0; r < page.processModel()->rowCount(); ++r)
        out << page.processModel()->item(r, column)->text();
    return out;
}

} // namespace

class TestProcessManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    QList<QProcess *> children;

    qint64 startSleep()
    {
        auto *p = new QProcess(this);
        p->start(QStringLiteral("sleep"), {QStringLiteral("600")});
        if (!p->waitForStarted())
            qFatal("sleep did not start");
        children << p;
        return p->processId();
    }

    // A process with several threads, all of them running when this returns.
    qint64 startThreaded(int threads)
    {
        auto *p = new QProcess(this);
        p->start(QStringLiteral(SLEEPERS), {QString::number(threads)});
        if (!p->waitForStarted())
            qFatal("sleepers did not start");
        children << p;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(p->processId());
        QElapsedTimer waited;
        waited.start();
        while (QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() < threads && waited.elapsed() < 5000)
            QThread::yieldCurrentThread();
        return p->processId();
    }

    // Ends the process `pid` and starts another of the same program that gets its id and a later creation
    // time; the new process, or null when the host does not let a test choose the next process id.
    QProcess *reuseIdOf(QProcess *first)
    {
        const qint64 pid = first->processId();
        const QByteArray started = startTimeOf(pid);
        // Where the host does not let a test choose the next id (the write needs a capability), the first process
        // is left running for the caller's stand-in of a reuse.
        QFile probe(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
        if (!probe.open(QIODevice::WriteOnly) || probe.write(QByteArray::number(pid - 1)) < 0 || !probe.flush())
            return nullptr;
        probe.close();
        first->kill();
        first->waitForFinished();
        for (int attempt = 0; attempt < 200; ++attempt) {
            QFile next(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
            if (!next.open(QIODevice::WriteOnly) || next.write(QByteArray::number(pid - 1)) < 0 || !next.flush())
                qFatal("the next process id could no longer be chosen");
            next.close();
            auto *p = new QProcess(this);
            p->start(QStringLiteral("sleep"), {QStringLiteral("600")});
            if (!p->waitForStarted())
                qFatal("sleep did not start");
            children << p;
            // Another program on the host may take the id first, or the clock not have moved on yet.
            if (p->processId() == pid && startTimeOf(pid) != started)
                return p;
            p->kill();
            p->waitForFinished();
            QTest::qWait(5);
        }
        // The first process is gone and its id went elsewhere every time: nothing is left to test.
        qFatal("process id %lld was not given again in 200 attempts", pid);
    }

private slots:
    void init() { m = std::make_unique<TestMachine>(); }
    void cleanup()
    {
        for (QProcess *p : children) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
        children.clear();
        m.reset();
    }

    void childIsListedWithItsFacts()
    {
        const qint64 pid = startSleep();
        ProcessManagerForm page;
        QVERIFY(rowOf(page, pid) >= 0);
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        QCOMPARE(cell(page, pid, Name), QStringLiteral("sleep"));
        // A host program lies on the host's root drive, shown as QFileInfo::filePath gives it on Windows.
        QCOMPARE(cell(page, pid, Path), QStringLiteral("Z:") + exe);
        QCOMPARE(cell(page, pid, Parent), QString::number(QCoreApplication::applicationPid()));
        QCOMPARE(cell(page, pid, Threads), QStringLiteral("1"));
        QCOMPARE(cell(page, pid, Priority), QStringLiteral("Normal Priority"));
        QCOMPARE(cell(page, pid, Base), QStringLiteral("8"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d MB$")).match(cell(page, pid, Memory)).hasMatch());
        // The row actions wait for a selection.
        QVERIFY(!page.findChild<QToolButton *>(QStringLiteral("terminateApplicationButton"))->isEnabled());
        select(page, pid);
        QVERIFY(page.findChild<QToolButton *>(QStringLiteral("terminateApplicationButton"))->isEnabled());
    }

    void notElevatedListsNothing()
    {
        m->setElevated(false);
        ProcessManagerForm page;
        QCOMPARE(page.processModel()->rowCount(), 0);
        QCOMPARE(page.processModel()->columnCount(), 8);
    }

    void priorityChange_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("nice");
        QTest::newRow("low") << 0 << "Low Priority" << 19;
        QTest::newRow("below normal") << 1 << "Below Normal Priority" << 10;
        QTest::newRow("normal") << 2 << "Normal Priority" << 0;
        QTest::newRow("above normal") << 3 << "Above Normal Priority" << -5;
        QTest::newRow("high") << 4 << "High Priority" << -10;
    }

    void priorityChange()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(int, nice);
        const qint64 other = startSleep();
        // Several threads: the class is every thread's, not only the main thread's.
        const qint64 pid = startThreaded(4);
        QCOMPARE(niceOfEveryThread(pid).size(), 4);
        if (index == 2) // start elsewhere, so a change shows
            for (const QString &tid :
                 QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                QCOMPARE(::setpriority(PRIO_PROCESS, id_t(tid.toInt()), 10), 0);
        ProcessManagerForm page;
        const QString base = cell(page, pid, Base);
        // Where the host refuses a raise (an ordinary account), the page says so and keeps what it showed.
        const QList<int> before = niceOfEveryThread(pid);
        const bool refused = nice < before.first() && !hostMayRaisePriority();
        const QString shown = cell(page, pid, Priority);
        if (refused)
            m->answerMessageBox(QStringLiteral("IDOK"));
        select(page, pid);
        whenModal<ProcessManSetPriorityDialog>([index](ProcessManSetPriorityDialog *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(), QStringLiteral("sleepers"));
            d->findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(index);
            d->findChild<QPushButton *>(QStringLiteral("priorityPushButton"))->click();
        });
        click(page, "setPriorityButton");
        if (refused) {
            QCOMPARE(niceOfEveryThread(pid), before);
            QCOMPARE(cell(page, pid, Priority), shown);
            QCOMPARE(m->logged(QStringLiteral("MessageBox")), QStringList{"Error|Failed to change priority level."});
            return;
        }
        QCOMPARE(niceOfEveryThread(pid), QList<int>(4, nice));
        QCOMPARE(cell(page, pid, Priority), name);
        QCOMPARE(cell(page, pid, Base), base); // read at the last fill only
        QCOMPARE(cell(page, other, Priority), QStringLiteral("Normal Priority"));
        QVERIFY(m->logged(QStringLiteral("MessageBox")).isEmpty());
        // What the list reads back after a Refresh is the class just set.
        click(page, "refreshButton");
        QCOMPARE(cell(page, pid, Priority), name);
    }

    void priorityRefusedKeepsTheCell()
    {
        const qint64 pid = startSleep();
        ProcessManagerForm page;
        m->protectProcess(pid);
        m->answerMessageBox(QStringLiteral("IDOK"));
        select(page, pid);
        whenModal<ProcessManSetPriorityDialog>([](ProcessManSetPriorityDialog *d) {
            d->findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(4);
            d->findChild<QPushButton *>(QStringLiteral("priorityPushButton"))->click();
        });
        click(page, "setPriorityButton");
        QCOMPARE(niceOf(pid), 0);
        QCOMPARE(cell(page, pid, Priority), QStringLiteral("Normal Priority"));
        QCOMPARE(m->logged(QStringLiteral("MessageBox")), QStringList{"Error|Failed to change priority level."});
        QVERIFY(!QApplication::activeModalWidget()); // the dialog ended all the same
    }

    void dialogTexts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("text");
        QTest::newRow("note 1") << "noteLabel1"
                                << "Low priority - Specify this class for a process whose threads run only when the "
                                   "system is idle. ";
        QTest::newRow("note 2") << "noteLabel2"
                                << "Normal priority - Specify this class for a process with no special scheduling "
                                   "needs. ";
        QTest::newRow("note 3") << "noteLabel3"
                                << "High priority - Specify this class for a process that performs time-critical "
                                   "tasks that must be executed immediately. \n ";
        QTest::newRow("change") << "priorityPushButton"
                                << "Change Priority Level";
    }

    void dialogTexts()
    {
        QFETCH(QString, object);
        QFETCH(QString, text);
        ProcessManSetPriorityDialog d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Dialog"));
        QObject *w = d.findChild<QWidget *>(object);
        QVERIFY(w);
        QCOMPARE(w->property("text").toString(), text);
    }

    void preselection_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("index");
        QTest::newRow("real time") << "Real Time Priority" << 0;
        QTest::newRow("unreadable") << "" << 0;
        QTest::newRow("high") << "High Priority" << 4;
        QTest::newRow("below normal") << "Below Normal Priority" << 1;
        QTest::newRow("other case") << "high priority" << 0;
    }

    void preselection()
    {
        QFETCH(QString, current);
        QFETCH(int, index);
        ProcessManSetPriorityDialog d;
        d.priorityName = current;
        d.selectCurrentPriority();
        auto *combo = d.findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(combo->count(), 5);
        QCOMPARE(combo->currentIndex(), index);
        QCOMPARE(PriorityNames::choiceClass(combo->currentIndex()), PriorityNames::entries[index].priorityClass);
    }

    void terminate_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("refusal"); // "", "protected", "gone"
        QTest::addColumn<bool>("ends");
        QTest::newRow("yes") << "IDYES"
                             << "" << true;
        QTest::newRow("no") << "IDNO"
                            << "" << false;
        QTest::newRow("protected") << "IDYES"
                                   << "protected" << false;
        QTest::newRow("already gone") << "IDYES"
                                      << "gone" << false;
        // The id now runs another program than the row shows (its own ended and the id went to another).
        QTest::newRow("id of another program") << "IDYES"
                                               << "other program" << false;
        // The row's process ended and a newer process of the same program got its id.
        QTest::newRow("id reused by the same program") << "IDYES"
                                                       << "reused" << false;
    }

    void terminate()
    {
        QFETCH(QString, answer);
        QFETCH(QString, refusal);
        QFETCH(bool, ends);
        const qint64 before = startSleep();
        const qint64 pid = startSleep();
        const qint64 after = startSleep();
        QProcess *child = children.at(1);
        ProcessManagerForm page;
        const int rows = page.processModel()->rowCount();
        select(page, pid);
        if (refusal == QLatin1String("protected"))
            m->protectProcess(pid);
        if (refusal == QLatin1String("other program"))
            page.processModel()->item(rowOf(page, pid), Path)->setText(QStringLiteral("C:/usr/bin/other"));
        if (refusal == QLatin1String("reused")) {
            if (QProcess *newer = reuseIdOf(child)) {
                child = newer; // the process that must survive
            } else {
                // This host does not let a test choose the next process id: the row then describes an earlier
                // process of the same id and program, which is what the page sees after a reuse.
                qWarning("no process id reuse on this host: the row's creation time is made an earlier one");
                page.processModel()->item(rowOf(page, pid), Pid)->setData(quint64(1), Qt::UserRole + 1);
            }
        }
        if (refusal == QLatin1String("gone")) {
            child->kill();
            QVERIFY(child->waitForFinished());
        }
        m->answerMessageBox(answer);
        m->answerMessageBox(QStringLiteral("IDOK")); // for the error box, where one comes
        click(page, "terminateApplicationButton");

        QStringList boxes = {"Confirm for Termination|Do you want to terminate sleep?"};
        if (refusal == QLatin1String("other program") || refusal == QLatin1String("reused"))
            boxes << "Terminate Application|sleep has already ended; its process ID now belongs to another process, "
                     "which is left running. Refresh shows the list as it is now.";
        else if (!refusal.isEmpty())
            boxes << "Error|Unable to terminate sleep. Please try again in a few seconds.";
        QCOMPARE(m->logged(QStringLiteral("MessageBox")), boxes);
        if (ends) {
            QVERIFY(child->waitForFinished(5000));
            QCOMPARE(page.processModel()->rowCount(), rows - 1);
            QCOMPARE(rowOf(page, pid), -1);
        } else {
            QCOMPARE(page.processModel()->rowCount(), rows);
            QVERIFY(rowOf(page, pid) >= 0);
            if (refusal != QLatin1String("gone"))
                QCOMPARE(child->state(), QProcess::Running);
        }
        QVERIFY(rowOf(page, before) >= 0);
        QVERIFY(rowOf(page, after) >= 0);
        QCOMPARE(children.first()->state(), QProcess::Running);
    }

    void actionsOnAReusedId_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("whileOpen"); // the id goes to the newer process while the dialog is open
        QTest::newRow("set priority") << "setPriorityButton"
                                      << "Set Priority" << false;
        QTest::newRow("set priority, reused while open") << "setPriorityButton"
                                                         << "Set Priority" << true;
        QTest::newRow("more info") << "moreInfoButton"
                                   << "More Info" << false;
    }

    // The row's process ended and a newer process of the same program got its id: neither Set Priority nor
    // More Info acts on the newer one, and both say so as Terminate does.
    void actionsOnAReusedId()
    {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(bool, whileOpen);
        const qint64 pid = startSleep();
        QProcess *child = children.last();
        ProcessManagerForm page;
        select(page, pid);
        // Without a choosable next id the row is made to describe an earlier process of the same id.
        auto reuse = [&](ProcessManSetPriorityDialog *dialog) {
            if (QProcess *newer = reuseIdOf(child)) {
                child = newer;
                return;
            }
            qWarning("no process id reuse on this host: the row's creation time is made an earlier one");
            page.processModel()->item(rowOf(page, pid), Pid)->setData(quint64(1), Qt::UserRole + 1);
            if (dialog)
                dialog->creationTime = 1;
        };
        if (!whileOpen)
            reuse(nullptr);
        QStringList opened;
        QTimer answerer;
        answerer.setInterval(5);
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || opened.contains(dialog->metaObject()->className()))
                return;
            opened << dialog->metaObject()->className();
            if (auto *priority = qobject_cast<ProcessManSetPriorityDialog *>(dialog)) {
                if (whileOpen)
                    reuse(priority);
                priority->findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(0);
                priority->findChild<QPushButton *>(QStringLiteral("priorityPushButton"))->click();
            } else {
                dialog->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
            }
        });
        answerer.start();
        m->answerMessageBox(QStringLiteral("IDOK"));
        click(page, button.toLatin1().constData());

        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 QStringList{title + QStringLiteral("|sleep has already ended; its process ID now belongs to another "
                                                    "process, which is left running. Refresh shows the list as it is "
                                                    "now.")});
        QCOMPARE(opened, whileOpen ? QStringList{QStringLiteral("ProcessManSetPriorityDialog")} : QStringList());
        QCOMPARE(child->state(), QProcess::Running);
        QCOMPARE(niceOf(child->processId()), 0);
        QCOMPARE(cell(page, pid, Priority), QStringLiteral("Normal Priority"));
    }

    void simulatedShellIsListedAndEndsAsTheShell()
    {
        ProcessManagerForm page;
        const QList<QStandardItem *> found =
            page.processModel()->findItems(QStringLiteral("explorer.exe"), Qt::MatchExactly, Name);
        QCOMPARE(found.size(), 1);
        const int row = found.first()->row();
        QCOMPARE(page.processModel()->item(row, Path)->text(), QStringLiteral("C:/Windows/explorer.exe"));
        QCOMPARE(page.processModel()->item(row, Priority)->text(), QStringLiteral("Normal Priority"));
        QCOMPARE(page.processModel()->item(row, Memory)->text(), QString());
        const qint64 pid = page.processModel()->item(row, Pid)->text().toLongLong();
        select(page, pid);
        m->answerMessageBox(QStringLiteral("IDYES"));
        click(page, "terminateApplicationButton");
        QCOMPARE(rowOf(page, pid), -1);
        QCOMPARE(m->logged(QStringLiteral("TerminateProcess")),
                 QStringList{QStringLiteral("explorer.exe|%1|0").arg(pid)});
        QCOMPARE(m->logged(QStringLiteral("ShellRestart")).size(), 1);
        // The restarted shell is listed at the next Refresh, under its new id.
        click(page, "refreshButton");
        QCOMPARE(page.processModel()->findItems(QStringLiteral("explorer.exe"), Qt::MatchExactly, Name).size(), 1);
        QCOMPARE(rowOf(page, pid), -1);
    }

    void devicePaths_data()
    {
        QTest::addColumn<QString>("rest");     // after the D: drive's device name
        QTest::addColumn<QString>("expected"); // "" when the path keeps its device form
        QTest::newRow("on the drive") << "\\tools\\app.exe"
                                      << "D:\\tools\\app.exe";
        QTest::newRow("drive root itself") << ""
                                           << "D:";
        QTest::newRow("longer volume number") << "7\\tools\\app.exe"
                                              << "";
    }

    void devicePaths()
    {
        QFETCH(QString, rest);
        QFETCH(QString, expected);
        QTemporaryDir drive;
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        machine::setSetting(QStringLiteral("drive.D"), drive.path());
        ProcessManagerForm page;
        WCHAR device[512] = {};
        QVERIFY(QueryDosDeviceW(WSTR("D:"), device, 512) > 0);
        const QString path = fromWide(device) + rest;
        QVERIFY(path.startsWith(QLatin1String("\\Device\\HarddiskVolume")));
        QCOMPARE(page.devicePathToDosPath(path), expected.isEmpty() ? path : expected);
        QCOMPARE(page.devicePathToDosPath(QStringLiteral("\\Device\\HarddiskVolume999\\x\\y.exe")),
                 QStringLiteral("\\Device\\HarddiskVolume999\\x\\y.exe"));
    }

    void processOutsideEveryDriveKeepsItsDeviceForm()
    {
        QTemporaryDir drive;
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        machine::setSetting(QStringLiteral("drive.D"), drive.path());
        const qint64 pid = startSleep();
        ProcessManagerForm page;
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        QCOMPARE(cell(page, pid, Name), QStringLiteral("sleep"));
        // Shown with forward slashes, as every path of the list.
        QVERIFY(
            QRegularExpression(QStringLiteral("^/Device/HarddiskVolume\\d+") + QRegularExpression::escape(exe) + "$")
                .match(cell(page, pid, Path))
                .hasMatch());
    }

    void memoryText_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("12.5 MB") << quint64(13107200) << "12.50 MB";
        QTest::newRow("zero") << quint64(0) << "0.00 MB";
        QTest::newRow("rounds up") << quint64(1048575) << "1.00 MB";
        QTest::newRow("large") << quint64(5368709120ULL) << "5120.00 MB";
    }

    void memoryText()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(ProcessManagerForm::memoryUsageText(bytes), text);
    }

    void priorityNames_data()
    {
        QTest::addColumn<uint>("priorityClass");
        QTest::addColumn<QString>("name");
        QTest::newRow("idle") << uint(0x40) << "Low Priority";
        QTest::newRow("below") << uint(0x4000) << "Below Normal Priority";
        QTest::newRow("normal") << uint(0x20) << "Normal Priority";
        QTest::newRow("above") << uint(0x8000) << "Above Normal Priority";
        QTest::newRow("high") << uint(0x80) << "High Priority";
        QTest::newRow("real time") << uint(0x100) << "Real Time Priority";
        QTest::newRow("failed query") << uint(0) << "";
        QTest::newRow("other") << uint(0x200) << "";
    }

    void priorityNames()
    {
        QFETCH(uint, priorityClass);
        QFETCH(QString, name);
        QCOMPARE(PriorityNames::name(priorityClass), name);
    }

    void classOfAnEndedProcessIsUnreadable()
    {
        const qint64 pid = startSleep();
        HANDLE h = OpenProcess(PROCESS_ALL_ACCESS, FALSE, DWORD(pid));
        QVERIFY(h);
        QCOMPARE(GetPriorityClass(h), DWORD(NORMAL_PRIORITY_CLASS));
        children.first()->kill();
        QVERIFY(children.first()->waitForFinished());
        QCOMPARE(GetPriorityClass(h), DWORD(0));
        QCOMPARE(PriorityNames::name(GetPriorityClass(h)), QString());
        CloseHandle(h);
    }

    void sortToggleIsSharedAcrossColumns()
    {
        for (int i = 0; i < 3; ++i)
            startSleep();
        ProcessManagerForm page;
        auto *header = page.findChild<QTreeView *>(QStringLiteral("ffTreeView"))->header();
        auto sortedAs = [&](int column, bool descending) {
            const QStringList texts = columnTexts(page, column);
            QStringList sorted = texts;
            std::sort(sorted.begin(), sorted.end());
            if (descending)
                std::reverse(sorted.begin(), sorted.end());
            return texts == sorted;
        };
        QVERIFY(sortedAs(Name, false));
        emit header->sectionClicked(Pid);
        QVERIFY(sortedAs(Pid, true)); // as text: "10" before "9"
        emit header->sectionClicked(Pid);
        QVERIFY(sortedAs(Pid, false));
        emit header->sectionClicked(Memory);
        QVERIFY(sortedAs(Memory, true));
        click(page, "refreshButton");
        QVERIFY(sortedAs(Name, false));
        emit header->sectionClicked(Parent);
        QVERIFY(sortedAs(Parent, false)); // the toggle goes on from before the Refresh
    }

    void moreInfoListsModulesAndThreads()
    {
        const qint64 pid = startSleep();
        ProcessManMoreInfoDialog d;
        d.processId = int(pid);
        d.loadProcessInfo();
        auto *modules = d.findChild<QTreeView *>(QStringLiteral("ffTreeView1"))->model();
        auto *threads = d.findChild<QTreeView *>(QStringLiteral("ffTreeView2"))->model();
        QVERIFY(modules && threads);
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        int exeRow = -1;
        for (int r = 0; r < modules->rowCount(); ++r)
            if (modules->index(r, 0).data().toString() == QLatin1String("sleep"))
                exeRow = r;
        QVERIFY(exeRow >= 0);
        QCOMPARE(modules->index(exeRow, 1).data().toString(),
                 QStringLiteral("Z:") + QString(exe).replace(QLatin1Char('/'), QLatin1Char('\\')));
        QCOMPARE(modules->index(exeRow, 2).data().toString(), QString::number(pid));
        // The base address in decimal digits, as the lowest mapping of the file in the process's map.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        quint64 lowest = ~quint64(0);
        for (const QByteArray &line : maps.readAll().split('\n'))
            if (line.endsWith(' ' + QFile::encodeName(exe)))
                lowest = qMin(lowest, line.left(line.indexOf('-')).toULongLong(nullptr, 16));
        QCOMPARE(modules->index(exeRow, 5).data().toString(), QString::number(lowest));
        QVERIFY(modules->rowCount() >= 2); // the C library too
        QCOMPARE(threads->rowCount(), 1);
        QCOMPARE(threads->index(0, 0).data().toString(), QString::number(pid));
        QCOMPARE(threads->index(0, 1).data().toString(), QStringLiteral("8"));
    }

    void moreInfoOfAProtectedProcessShowsThreadsOnly()
    {
        const qint64 pid = startSleep();
        m->protectProcess(pid);
        ProcessManMoreInfoDialog d;
        QVERIFY(!d.loadModules(int(pid)));
        QVERIFY(d.loadThreads(int(pid)));
        QVERIFY(!d.findChild<QTreeView *>(QStringLiteral("ffTreeView1"))->model());
        QCOMPARE(d.findChild<QTreeView *>(QStringLiteral("ffTreeView2"))->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestProcessManager)
#include "tst_processmanager.moc"
