// The analysis thread: what each kind of trace counts and lists, in which order the kinds report, sizes in
// whole MiB, the stop request, and the folders it refuses to look into.
#include "testmachine.h"
#include "tracefolders.h"
#include "tracemachine.h"
#include "tracethreads.h"
#include "trackcleanerthread.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tracemachine;
using namespace tracethreads;

namespace {

// One analysis, run to its end; the signals are recorded on the worker as they are emitted.
struct Scan
{
    Lists lists;
    QStringList events; // "name(args)" in emission order

    int count(const QString &signal) const
    {
        for (const QString &e : events)
            if (e.startsWith(signal + QLatin1Char('(')))
                return e.section(QLatin1Char('('), 1).section(QLatin1Char(','), 0, 0).remove(QLatin1Char(')')).toInt();
        return -1;
    }
    int mebibytes(const QString &signal) const
    {
        for (const QString &e : events)
            if (e.startsWith(signal + QLatin1Char('(')))
                return e.section(QLatin1Char(','), 1).remove(QLatin1Char(')')).toInt();
        return -1;
    }
    bool emitted(const QString &signal) const { return count(signal) >= 0 || events.contains(signal + "()"); }
};

using Setup = std::function<void(TrackCleanerThread &)>;

Scan scan(const QList<TrackCleanerKind> &kinds, const Setup &setup = Setup())
{
    Scan result;
    QObject owner;
    auto *t = new TrackCleanerThread(&owner);
    select(t, kinds, result.lists);
    recordKindSignals(t, result.events);
    QObject::connect(
        t, &TrackCleanerThread::processFinish, t, [&result] { result.events << QStringLiteral("processFinish()"); },
        Qt::DirectConnection);
    if (setup)
        setup(*t);
    t->start();
    t->wait();
    return result;
}

// The names of the files below folder that an independent walk finds, optionally only "*.log" ones.
QStringList walk(const QString &folder, bool logsOnly = false)
{
    QStringList out;
    for (const QString &f : filesBelow(folder))
        if (!logsOnly || f.endsWith(QLatin1String(".log"), Qt::CaseInsensitive))
            out << f;
    return out;
}

// The host files a list of Windows paths names; each must be a path of the machine's drive C:.
QStringList hostPaths(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths) {
        if (!p.startsWith(QLatin1String("C:\\")))
            return {QStringLiteral("not a C:\\ path: ") + p};
        out << hostPath(p);
    }
    return out;
}

quint64 bytesOf(const QStringList &paths)
{
    quint64 total = 0;
    for (const QString &p : paths)
        total += quint64(QFileInfo(p).size());
    return total;
}

} // namespace

class TestTrackCleanerThread : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void aNewMachineHasTracesOfEveryKind()
    {
        const Scan s = scan(allKinds);
        QCOMPARE(s.events.size(), 9);
        QCOMPARE(s.lists.of[FileExplorerRecentFiles],
                 QStringList({"notes.lnk", "Projects.lnk", "Quarterly report.lnk"})); // NTFS order
        QCOMPARE(s.lists.of[FileExplorerTypedPaths].size(), 3);
        QCOMPARE(s.lists.of[FileExplorerSearchHistory], QStringList({"invoice", "holiday photos", "budget 2024"}));
        QCOMPARE(s.lists.of[WindowsRunDialog].size(), 4);
        QVERIFY(s.lists.of[WindowsRunDialog].contains(QStringLiteral("regedit\\1")));

        // The file kinds against an independent walk of the machine's folders.
        const QStringList logs = walk(machine::windowsFolder(), true) + walk(localMicrosoft(), true);
        const QStringList reports = walk(errorReports());
        const QStringList network = walk(networkData());
        const QStringList temps = walk(temp());
        for (const QStringList *files : {&logs, &reports, &network, &temps})
            QVERIFY(!files->isEmpty());
        const QStringList listedLogs = hostPaths(s.lists.of[WindowsLogFiles]);
        QCOMPARE(QSet<QString>(listedLogs.cbegin(), listedLogs.cend()), QSet<QString>(logs.cbegin(), logs.cend()));
        QCOMPARE(s.count("logs"), logs.size());
        QCOMPARE(s.mebibytes("logs"), int(bytesOf(logs) >> 20));
        QCOMPARE(s.count("errors"), reports.size());
        QCOMPARE(s.mebibytes("errors"), int(bytesOf(reports) >> 20));
        QCOMPARE(s.count("network"), network.size());
        QCOMPARE(s.mebibytes("network"), int(bytesOf(network) >> 20));
        QVERIFY(s.mebibytes("network") > 0);
        QCOMPARE(s.count("temp"), temps.size());
        QCOMPARE(s.mebibytes("temp"), int(bytesOf(temps) >> 20));
    }

    void kindsReportInTheirFixedOrder()
    {
        const Scan s = scan(allKinds);
        QStringList names;
        for (const QString &e : s.events)
            names << e.section(QLatin1Char('('), 0, 0);
        QCOMPARE(names, QStringList({"recent", "typed", "search", "run", "logs", "errors", "network", "temp",
                                     "processFinish"}));
    }

    void onlySelectedKindsRunAndWrite()
    {
        Scan s = scan({WindowsRunDialog, WindowsNetworkData});
        QCOMPARE(s.events.size(), 3);
        QVERIFY(s.emitted("run") && s.emitted("network"));
        for (int kind = 0; kind < TrackCleanerKindCount; ++kind)
            if (kind != WindowsRunDialog && kind != WindowsNetworkData)
                QVERIFY(s.lists.of[kind].isEmpty());
    }

    void nothingSelectedOnlyFinishes()
    {
        const Scan s = scan({});
        QCOMPARE(s.events, QStringList({"processFinish()"}));
    }

    void stopBeforeTheStartOnlyFinishes()
    {
        const Scan s = scan(allKinds, [](TrackCleanerThread &t) { t.cancel = true; });
        QCOMPARE(s.events, QStringList({"processFinish()"}));
        for (const QStringList &list : s.lists.of)
            QVERIFY(list.isEmpty());
    }

    void stopDuringTheRunEndsAfterTheCurrentKind()
    {
        // The stop arrives while the typed paths report: later kinds say nothing, the finish still comes.
        const Scan s = scan(allKinds, [](TrackCleanerThread &t) {
            QObject::connect(
                &t, &TrackCleanerThread::fileExplorerTypedPathsFinish, &t, [&t] { t.cancel = true; },
                Qt::DirectConnection);
        });
        QCOMPARE(s.events, QStringList({"recent(3)", "typed(3)", "processFinish()"}));
        QVERIFY(s.lists.of[WindowsTempFiles].isEmpty());
    }

    void recentFilesAreTheFilesDirectlyInTheFolder()
    {
        removeSeededTraces();
        writeFile(recentFolder() + "/b report.lnk");
        writeFile(recentFolder() + "/A letter.lnk");
        writeFile(recentFolder() + "/AutomaticDestinations/1.automaticDestinations-ms");
        writeFile(recentFolder() + "/CustomDestinations/2.customDestinations-ms");
        const Scan s = scan({FileExplorerRecentFiles});
        QCOMPARE(s.events, QStringList({"recent(2)", "processFinish()"}));
        QCOMPARE(s.lists.of[FileExplorerRecentFiles], QStringList({"A letter.lnk", "b report.lnk"}));
    }

    void recentFolderWithSubFoldersOnlyGivesZero()
    {
        removeSeededTraces();
        QDir().mkpath(recentFolder() + "/AutomaticDestinations");
        QDir().mkpath(recentFolder() + "/CustomDestinations");
        const Scan s = scan({FileExplorerRecentFiles});
        QCOMPARE(s.events, QStringList({"recent(0)", "processFinish()"}));
    }

    void missingRecentFolderReportsNothing()
    {
        QVERIFY(QDir(recentFolder()).removeRecursively());
        const Scan s = scan({FileExplorerRecentFiles, FileExplorerTypedPaths});
        QCOMPARE(s.events, QStringList({"typed(3)", "processFinish()"}));
    }

    void typedPathsListEveryValue()
    {
        removeSeededTraces();
        setString(typedPathsKey, "url1", "C:\\Data");
        setString(typedPathsKey, "url2", "\\\\server\\share");
        setString(typedPathsKey, "url3", "D:\\");
        const Scan s = scan({FileExplorerTypedPaths});
        QCOMPARE(s.events, QStringList({"typed(3)", "processFinish()"}));
        QCOMPARE(s.lists.of[FileExplorerTypedPaths], QStringList({"C:\\Data", "\\\\server\\share", "D:\\"}));
    }

    void registryKindWithoutItsKeyCountsZero_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("event");
        QTest::newRow("typed paths") << int(FileExplorerTypedPaths) << "typed(0)";
        QTest::newRow("search history") << int(FileExplorerSearchHistory) << "search(0)";
        QTest::newRow("run history") << int(WindowsRunDialog) << "run(0)";
    }

    void registryKindWithoutItsKeyCountsZero()
    {
        QFETCH(int, kind);
        QFETCH(QString, event);
        removeSeededTraces();
        const Scan s = scan({TrackCleanerKind(kind)});
        QCOMPARE(s.events, QStringList({event, "processFinish()"}));
    }

    void runHistorySkipsItsOrderValue_data()
    {
        QTest::addColumn<QString>("orderName");
        QTest::newRow("as Windows writes it") << "MRUList";
        QTest::newRow("other letter case") << "mrulist";
    }

    void runHistorySkipsItsOrderValue()
    {
        QFETCH(QString, orderName);
        removeSeededTraces();
        setString(runKey, "a", "cmd\\1");
        setString(runKey, orderName, "ba");
        setString(runKey, "b", "winver\\1");
        const Scan s = scan({WindowsRunDialog});
        QCOMPARE(s.events, QStringList({"run(2)", "processFinish()"}));
        QCOMPARE(s.lists.of[WindowsRunDialog], QStringList({"cmd\\1", "winver\\1"}));
    }

    void unreadableRunEntryCountsAsEmpty()
    {
        removeSeededTraces();
        setString(runKey, "a", "cmd\\1");
        KRUtils().writeRegDWORD(HKEY_CURRENT_USER, runKey, "b", 7);
        const Scan s = scan({WindowsRunDialog});
        QCOMPARE(s.lists.of[WindowsRunDialog], QStringList({"cmd\\1", ""}));
        QCOMPARE(s.count("run"), 2);
    }

    void searchHistoryText_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << utf16z("invoice") << "invoice";
        QTest::newRow("outside Latin-1") << utf16z(QString::fromUtf8("\xe4\xb8\xad report"))
                                         << QString::fromUtf8("\xe4\xb8\xad report");
        QTest::newRow("accented") << utf16z(QString::fromUtf8("caf\xc3\xa9")) << QString::fromUtf8("caf\xc3\xa9");
        QTest::newRow("no terminator") << utf16z("abc").left(6) << "abc";
        QTest::newRow("odd byte count") << utf16z("abc").left(5) << "ab";
        QTest::newRow("ends at the terminator") << utf16z("one") + utf16z("two") << "one";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("exactly the buffer") << utf16z(QString(511, QLatin1Char('x'))) << QString(511, QLatin1Char('x'));
        QTest::newRow("unterminated full buffer")
            << QString(512, QLatin1Char('y')).toUtf8().replace("y", QByteArray("y\0", 2))
            << QString(512, QLatin1Char('y'));
        QTest::newRow("larger than the buffer") << utf16z(QString(600, QLatin1Char('z'))) << "";
    }

    void searchHistoryText()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, text);
        removeSeededTraces();
        setBinary(searchKey, "MRUListEx", QByteArray::fromHex("00000000ffffffff"));
        setBinary(searchKey, "0", data);
        const Scan s = scan({FileExplorerSearchHistory});
        QCOMPARE(s.events, QStringList({"search(1)", "processFinish()"}));
        QCOMPARE(s.lists.of[FileExplorerSearchHistory], QStringList({text}));
    }

    void logFilesArePlainArchiveLogsBelowBothRoots()
    {
        removeSeededTraces();
        const QString windows = machine::windowsFolder();
        writeFile(windows + "/setup.log", 100);
        writeFile(windows + "/Logs/CBS/CBS.log", 200);
        writeFile(windows + "/folder.log/inner.log", 300); // a folder named like a log is entered, not listed
        writeFile(windows + "/notes.txt", 400);
        const QString readOnly = writeFile(windows + "/readonly.log", 500);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QString hidden = writeFile(windows + "/hidden.log", 600);
        m->markFileAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
        const QString compressed = writeFile(windows + "/Logs/packed.log", 700);
        m->markFileAttributes(compressed, FILE_ATTRIBUTE_COMPRESSED);
        // A log a backup took the archive mark from (0x80), and one left out of the index (0x2020), are plain.
        const QString backedUp = writeFile(windows + "/backedup.log", 150);
        QVERIFY(SetFileAttributesW(wstr(backedUp), FILE_ATTRIBUTE_NORMAL));
        const QString unindexed = writeFile(windows + "/unindexed.log", 250);
        QVERIFY(SetFileAttributesW(wstr(unindexed), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
        writeFile(localMicrosoft() + "/OneDrive/logs/sync.log", 800);
        writeFile(machine::localAppData() + "/Other/elsewhere.log", 900); // not below Local\Microsoft
        const Scan s = scan({WindowsLogFiles});
        QCOMPARE(hostPaths(s.lists.of[WindowsLogFiles]),
                 QStringList({backedUp, windows + "/setup.log", unindexed, windows + "/folder.log/inner.log",
                              windows + "/Logs/CBS/CBS.log", localMicrosoft() + "/OneDrive/logs/sync.log"}));
        QCOMPARE(s.events, QStringList({"logs(6,0)", "processFinish()"}));
    }

    void sizesInWholeMebibytes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("mebibytes");
        const int temp = WindowsTempFiles;
        QTest::newRow("one byte short of 1 MiB") << temp << QList<qint64>{1048575} << 0;
        QTest::newRow("1 MiB") << temp << QList<qint64>{1048576} << 1;
        QTest::newRow("two files reach 1 MiB") << temp << QList<qint64>{1048575, 1} << 1;
        QTest::newRow("rounded down") << temp << QList<qint64>{2097151} << 1;
        QTest::newRow("beyond 4 GiB") << temp << QList<qint64>{(qint64(5) << 30) + 3, 1048576} << 5121;
        QTest::newRow("error reports") << int(WindowsErrorReporting) << QList<qint64>{1048576, 1048576, 5} << 2;
        QTest::newRow("network data") << int(WindowsNetworkData) << QList<qint64>{3145727} << 2;
        QTest::newRow("log files") << int(WindowsLogFiles) << QList<qint64>{1048576, 1048575} << 1;
    }

    void sizesInWholeMebibytes()
    {
        QFETCH(int, kind);
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, mebibytes);
        removeSeededTraces();
        QString folder = kind == WindowsErrorReporting ? errorReports()
                         : kind == WindowsNetworkData  ? networkData()
                         : kind == WindowsLogFiles     ? machine::windowsFolder()
                                                       : temp();
        for (int i = 0; i < sizes.size(); ++i)
            writeFile(folder + QStringLiteral("/sub%1/file%1.log").arg(i), sizes.at(i));
        const Scan s = scan({TrackCleanerKind(kind)});
        QCOMPARE(s.events.size(), 2);
        const QString event = s.events.first().section(QLatin1Char('('), 0, 0);
        QCOMPARE(s.count(event), int(sizes.size()));
        QCOMPARE(s.mebibytes(event), mebibytes);
    }

    void fileKindsListEveryFileBelowTheirFolder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("event");
        QTest::newRow("error reports") << int(WindowsErrorReporting) << "errors";
        QTest::newRow("network data") << int(WindowsNetworkData) << "network";
        QTest::newRow("temporary files") << int(WindowsTempFiles) << "temp";
    }

    void fileKindsListEveryFileBelowTheirFolder()
    {
        QFETCH(int, kind);
        QFETCH(QString, event);
        removeSeededTraces();
        const QString folder = kind == WindowsErrorReporting ? errorReports()
                               : kind == WindowsNetworkData  ? networkData()
                                                             : temp();
        writeFile(folder + "/b.txt", 1);
        writeFile(folder + "/A/x.dat", 2);
        writeFile(folder + "/c/d/e.bin", 3);
        writeFile(folder + "/c/D.tmp", 4);
        QDir().mkpath(folder + "/empty");
        const Scan s = scan({TrackCleanerKind(kind)});
        QCOMPARE(hostPaths(s.lists.of[kind]),
                 QStringList({folder + "/A/x.dat", folder + "/b.txt", folder + "/c/d/e.bin", folder + "/c/D.tmp"}));
        QCOMPARE(s.events, QStringList({event + "(4,0)", "processFinish()"}));
    }

    void missingFileFolderCountsZero()
    {
        removeSeededTraces();
        QDir(networkData()).removeRecursively();
        QDir(temp()).removeRecursively();
        const Scan s = scan({WindowsErrorReporting, WindowsNetworkData, WindowsTempFiles});
        QCOMPARE(s.events, QStringList({"errors(0,0)", "network(0,0)", "temp(0,0)", "processFinish()"}));
    }

    void linkedFoldersAreNotEntered()
    {
        removeSeededTraces();
        QTemporaryDir outside;
        writeFile(outside.path() + "/private/letter.docx", 5000);
        writeFile(outside.path() + "/private/trace.log", 5000);
        writeFile(temp() + "/kept.tmp", 10);
        QVERIFY(QFile::link(outside.path() + "/private", temp() + "/linked"));
        QVERIFY(QFile::link(outside.path() + "/private", machine::windowsFolder() + "/Logs"));
        const Scan s = scan({WindowsLogFiles, WindowsTempFiles});
        QCOMPARE(hostPaths(s.lists.of[WindowsTempFiles]), QStringList({temp() + "/kept.tmp"}));
        QVERIFY(s.lists.of[WindowsLogFiles].isEmpty());
    }

    void unusableBaseFoldersHoldNoTraces_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("usable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("relative") << "Microsoft/Windows" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("root") << "/" << false;
        QTest::newRow("profile") << "/machine/Users/User" << true;
    }

    void unusableBaseFoldersHoldNoTraces()
    {
        QFETCH(QString, folder);
        QFETCH(bool, usable);
        QCOMPARE(tracefolders::isUsableBase(folder), usable);
    }

    void failedShellFoldersMeanNoTraces()
    {
        // Without the profile and application-data folders their kinds find nothing, even where the working
        // folder holds files of the same names.
        QTemporaryDir work;
        writeFile(work.path() + "/Microsoft/Windows/WER/ReportArchive/r/Report.wer", 10);
        writeFile(work.path() + "/AppData/Local/Microsoft/x.log", 10);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work.path());
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        const Scan s = scan({FileExplorerRecentFiles, WindowsLogFiles, WindowsErrorReporting});
        QDir::setCurrent(previous);
        QVERIFY(!s.emitted("recent"));
        QCOMPARE(s.count("errors"), 0);
        for (const QString &path : s.lists.of[WindowsLogFiles])
            QVERIFY2(hostPath(path).startsWith(machine::windowsFolder() + "/"), qPrintable(path));
        QCOMPARE(s.count("logs"), walk(machine::windowsFolder(), true).size());
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestTrackCleanerThread)
#include "tst_trackcleanerthread.moc"
