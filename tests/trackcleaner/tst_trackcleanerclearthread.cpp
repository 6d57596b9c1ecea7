// The clearing thread: the registry kinds dropped and made again empty, the recent-item folders emptied, the
// listed files deleted, failures counted, and nothing touched outside what the kinds name.
#include "rawnames.h"
#include "swapracer.h"
#include "testmachine.h"
#include "tracemachine.h"
#include "tracethreads.h"
#include "trackcleanerclearthread.h"
#include "trackcleanerthread.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace tracemachine;
using namespace tracethreads;

namespace {

void analyze(const QList<TrackCleanerKind> &kinds, Lists &lists)
{
    QObject owner;
    auto *t = new TrackCleanerThread(&owner);
    select(t, kinds, lists);
    t->start();
    t->wait();
}

struct Clear
{
    QStringList events;
    int cannotDelete = -1;
    int toClear = -1;
    int cleared = -1;
};

Clear clear(const QList<TrackCleanerKind> &kinds, Lists &lists, bool stopFirst = false)
{
    Clear result;
    QObject owner;
    auto *t = new TrackCleanerClearThread(&owner);
    select(t, kinds, lists);
    recordKindSignals(t, result.events);
    QObject::connect(
        t, &TrackCleanerClearThread::processFinish, t,
        [&result](int n) {
            result.events << QStringLiteral("processFinish(%1)").arg(n);
            result.cannotDelete = n;
        },
        Qt::DirectConnection);
    t->cancel = stopFirst;
    t->start();
    t->wait();
    result.toClear = t->filesToClear;
    result.cleared = t->filesCleared;
    return result;
}

} // namespace

class TestTrackCleanerClearThread : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void everyKindReportsInOrderWithZeros()
    {
        Lists lists;
        const Clear c = clear(allKinds, lists);
        QCOMPARE(c.events, QStringList({"recent(0)", "typed(0)", "search(0)", "run(0)", "logs(0,0)", "errors(0,0)",
                                        "network(0,0)", "temp(0,0)", "processFinish(0)"}));
    }

    void stopBeforeTheStartOnlyFinishes()
    {
        Lists lists;
        analyze(allKinds, lists);
        const Clear c = clear(allKinds, lists, true);
        QCOMPARE(c.events, QStringList({"processFinish(0)"}));
        QCOMPARE(valueCount(typedPathsKey), 3);
        QVERIFY(QFileInfo::exists(hostPath(lists.of[WindowsTempFiles].first())));
    }

    void registryKindsAreEmptiedAndKept_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::newRow("typed paths") << int(FileExplorerTypedPaths) << typedPathsKey;
        QTest::newRow("search history") << int(FileExplorerSearchHistory) << searchKey;
        QTest::newRow("run history") << int(WindowsRunDialog) << runKey;
    }

    void registryKindsAreEmptiedAndKept()
    {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QVERIFY(valueCount(key) > 0);
        Lists lists;
        clear({TrackCleanerKind(kind)}, lists);
        QVERIFY(keyExists(key));
        QCOMPARE(valueCount(key), 0);
        // The other registry kinds are left alone.
        for (const QString &other : {typedPathsKey, searchKey, runKey})
            if (other != key)
                QVERIFY(valueCount(other) > 0);
    }

    void recentItemsGoFromTheRegistryAndTheThreeFolders()
    {
        const QString recent = recentFolder();
        writeFile(recent + "/Other/kept.txt");
        QVERIFY(!QDir(recent).entryList(QDir::Files).isEmpty());
        QVERIFY(!QDir(recent + "/AutomaticDestinations").entryList(QDir::Files).isEmpty());
        QVERIFY(!QDir(recent + "/CustomDestinations").entryList(QDir::Files).isEmpty());
        Lists lists;
        const Clear c = clear({FileExplorerRecentFiles}, lists);
        QCOMPARE(c.events, QStringList({"recent(0)", "processFinish(0)"}));
        QVERIFY(QDir(recent).entryList(QDir::Files).isEmpty());
        QVERIFY(QDir(recent + "/AutomaticDestinations").entryList(QDir::Files).isEmpty());
        QVERIFY(QDir(recent + "/CustomDestinations").entryList(QDir::Files).isEmpty());
        // Other sub-folders are neither entered nor removed.
        QVERIFY(QFileInfo::exists(recent + "/Other/kept.txt"));
        QVERIFY(keyExists(recentDocsKey));
        QCOMPARE(valueCount(recentDocsKey), 0);
        QVERIFY(!keyExists(recentDocsKey + "\\.txt"));
    }

    void nestedRecentDocsKeyStopsTheKeyRemoval()
    {
        // Sub-keys go in enumeration order; one with sub-keys of its own stops that, so the key stays.
        KRUtils().createRegKey(HKEY_CURRENT_USER, recentDocsKey + "\\.pdf\\Deeper");
        Lists lists;
        const Clear c = clear({FileExplorerRecentFiles, FileExplorerTypedPaths}, lists);
        QCOMPARE(c.events, QStringList({"recent(0)", "typed(0)", "processFinish(0)"}));
        QVERIFY(!keyExists(recentDocsKey + "\\.docx")); // before ".pdf"
        QVERIFY(keyExists(recentDocsKey + "\\.pdf\\Deeper"));
        QVERIFY(keyExists(recentDocsKey + "\\.txt")); // after it
        QVERIFY(valueCount(recentDocsKey) > 0);
        // The files go all the same.
        QVERIFY(QDir(recentFolder()).entryList(QDir::Files).isEmpty());
    }

    void listedFilesAreDeleted_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("event");
        QTest::newRow("log files") << int(WindowsLogFiles) << "logs(0,0)";
        QTest::newRow("error reports") << int(WindowsErrorReporting) << "errors(0,0)";
        QTest::newRow("network data") << int(WindowsNetworkData) << "network(0,0)";
        QTest::newRow("temporary files") << int(WindowsTempFiles) << "temp(0,0)";
    }

    void listedFilesAreDeleted()
    {
        QFETCH(int, kind);
        QFETCH(QString, event);
        Lists lists;
        analyze({TrackCleanerKind(kind)}, lists);
        const QStringList listed = lists.of[kind];
        QVERIFY(!listed.isEmpty());
        // A file that came after the analysis is not on the list and stays.
        const QString later = writeFile(temp() + "/after-analysis.log");
        const Clear c = clear({TrackCleanerKind(kind)}, lists);
        QCOMPARE(c.events, QStringList({event, "processFinish(0)"}));
        for (const QString &path : listed)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        QVERIFY(QFileInfo::exists(later));
    }

    void clearingWithoutAnAnalysisDeletesNoFile()
    {
        const QStringList before = filesBelow(machine::windowsFolder()) + filesBelow(temp());
        Lists lists;
        const Clear c = clear({WindowsLogFiles, WindowsErrorReporting, WindowsNetworkData, WindowsTempFiles}, lists);
        QCOMPARE(c.cannotDelete, 0);
        QCOMPARE(filesBelow(machine::windowsFolder()) + filesBelow(temp()), before);
    }

    void failedDeletionsAreCounted_data()
    {
        QTest::addColumn<int>("locked");
        QTest::addColumn<int>("vanished");
        QTest::addColumn<int>("readOnly");
        QTest::newRow("none") << 0 << 0 << 0;
        QTest::newRow("three in use") << 3 << 0 << 0;
        QTest::newRow("one gone since the analysis") << 0 << 1 << 0;
        QTest::newRow("one read-only") << 0 << 0 << 1;
        QTest::newRow("all sorts") << 2 << 2 << 1;
    }

    void failedDeletionsAreCounted()
    {
        QFETCH(int, locked);
        QFETCH(int, vanished);
        QFETCH(int, readOnly);
        removeSeededTraces();
        for (int i = 0; i < 8; ++i)
            writeFile(temp() + QStringLiteral("/f%1.tmp").arg(i));
        Lists lists;
        analyze({WindowsTempFiles}, lists);
        const QStringList listed = lists.of[WindowsTempFiles];
        QCOMPARE(listed.size(), 8);
        int next = 0;
        for (int i = 0; i < locked; ++i)
            m->injectFileFault(hostPath(listed.at(next++)), QStringLiteral("locked"));
        for (int i = 0; i < vanished; ++i)
            QVERIFY(QFile::remove(hostPath(listed.at(next++))));
        for (int i = 0; i < readOnly; ++i)
            QVERIFY(QFile::setPermissions(hostPath(listed.at(next++)), QFile::ReadOwner));
        const Clear c = clear({WindowsTempFiles}, lists);
        QCOMPARE(c.cannotDelete, locked + vanished + readOnly);
        // The failures do not stop the walk: every other file is gone.
        const QStringList left = filesBelow(temp());
        QCOMPARE(left.size(), locked + readOnly);
    }

    void lockedRecentFilesAreCounted()
    {
        const QStringList files = QDir(recentFolder()).entryList(QDir::Files);
        QCOMPARE(files.size(), 3);
        // Marks go by the path the program uses, which names the folder in lower case.
        m->injectFileFault(machine::roamingAppData() + "/Microsoft/Windows/recent/" + files.first(),
                           QStringLiteral("locked"));
        Lists lists;
        const Clear c = clear({FileExplorerRecentFiles}, lists);
        QCOMPARE(c.cannotDelete, 1);
        QCOMPARE(QDir(recentFolder()).entryList(QDir::Files), QStringList({files.first()}));
    }

    void linksLeadNowhereOutsideTheirFolder()
    {
        // A linked folder and a linked file in the temporary folder point outside it: clearing removes the
        // file link itself, and nothing that either link points at.
        QTemporaryDir outside;
        const QString secretFolder = outside.path() + "/private";
        writeFile(secretFolder + "/letter.docx", 5000);
        const QString secretFile = writeFile(outside.path() + "/single.txt", 10);
        QVERIFY(QFile::link(secretFolder, temp() + "/linked"));
        QVERIFY(QFile::link(secretFile, temp() + "/shortcut.txt"));
        QVERIFY(QFile::link(secretFolder, machine::windowsFolder() + "/LinkedLogs"));
        writeFile(secretFolder + "/trace.log", 10);

        Lists lists;
        analyze({WindowsLogFiles, WindowsTempFiles}, lists);
        for (const QString &path : lists.of[WindowsTempFiles] + lists.of[WindowsLogFiles])
            QVERIFY2(!path.contains(QLatin1String("\\linked\\")) && !path.contains(QLatin1String("LinkedLogs")),
                     qPrintable(path));
        QVERIFY(lists.of[WindowsTempFiles].contains(fromHostPath(temp() + "/shortcut.txt")));
        const Clear c = clear({WindowsLogFiles, WindowsTempFiles}, lists);
        QCOMPARE(c.cannotDelete, 0);
        QVERIFY(QFileInfo::exists(secretFolder + "/letter.docx"));
        QVERIFY(QFileInfo::exists(secretFolder + "/trace.log"));
        QVERIFY(QFileInfo::exists(secretFile));
        QVERIFY(QFileInfo(temp() + "/linked").isSymLink());
        QVERIFY(!QFileInfo(temp() + "/shortcut.txt").isSymLink());
    }

    // Temporary files whose host names Windows could not hold are listed and cleared as themselves; a name made
    // of "..\\" parts ("@": the way from the temporary folder to a file outside) never reaches that file.
    void hostNamesAreClearedAsThemselves_data()
    {
        QTest::addColumn<QByteArrayList>("names");
        QTest::newRow("climbing name") << QByteArrayList{"@", "plain.tmp"};
        QTest::newRow("not UTF-8 and forbidden") << QByteArrayList{"c-\xFF.tmp", "\xE9t\xE9/", "\xE9t\xE9/a:b*?<|>"};
    }
    void hostNamesAreClearedAsThemselves()
    {
        QFETCH(QByteArrayList, names);
        QTemporaryDir outside;
        const QString victim = writeFile(outside.path() + "/victim.txt", 6, "victim");
        emptyFolder(temp());
        const QByteArray tempBytes = QFile::encodeName(temp());
        const std::unique_ptr<const QByteArray, void (*)(const QByteArray *)> sweep(
            &tempBytes, [](const QByteArray *folder) { rawnames::walk(*folder, true); });
        for (QByteArray name : std::as_const(names)) {
            name.replace("@", QFile::encodeName(QDir(temp()).relativeFilePath(victim)).replace('/', '\\'));
            QVERIFY(rawnames::make(tempBytes + '/' + name.chopped(name.endsWith('/')),
                                   name.endsWith('/') ? QByteArray() : name));
        }
        const int files = rawnames::walk(tempBytes);
        Lists lists;
        analyze({WindowsTempFiles}, lists);
        QCOMPARE(lists.of[WindowsTempFiles].size(), files);
        QCOMPARE(clear({WindowsTempFiles}, lists).cannotDelete, 0);
        QCOMPARE(rawnames::walk(tempBytes), 0);
        QCOMPARE(rawnames::read(QFile::encodeName(victim)), QByteArray("victim"));
    }

    void everythingClearedLiesInTheMachine()
    {
        QTemporaryDir hostFiles;
        const QString sentinel = writeFile(hostFiles.path() + "/keep.log", 10);
        Lists lists;
        analyze(allKinds, lists);
        const QString root = machine::folder() + "/";
        for (int kind = WindowsLogFiles; kind < TrackCleanerKindCount; ++kind)
            for (const QString &path : lists.of[kind])
                QVERIFY2(path.startsWith(QLatin1String("C:\\")) && hostPath(path).startsWith(root), qPrintable(path));
        const Clear c = clear(allKinds, lists);
        QCOMPARE(c.cannotDelete, 0);
        QVERIFY(QFileInfo::exists(sentinel));
        // A second analysis of the cleared machine finds nothing left.
        Lists again;
        analyze(allKinds, again);
        for (const QStringList &list : again.of)
            QVERIFY(list.isEmpty());
    }

    void aFileOnTwoListsFailsTheSecondTime()
    {
        // A log file of the usage monitor is both a log file and network data: the second deletion finds it
        // gone, and that counts.
        removeSeededTraces();
        writeFile(networkData() + "/SRU.log", 10);
        Lists lists;
        analyze({WindowsLogFiles, WindowsNetworkData}, lists);
        const QString sru = fromHostPath(networkData() + "/SRU.log");
        QCOMPARE(lists.of[WindowsLogFiles], QStringList({sru}));
        QCOMPARE(lists.of[WindowsNetworkData], QStringList({sru}));
        const Clear c = clear({WindowsLogFiles, WindowsNetworkData}, lists);
        QCOMPARE(c.cannotDelete, 1);
        QVERIFY(!QFileInfo::exists(networkData() + "/SRU.log"));
    }

    void changedSinceTheAnalysisIsLeftAlone_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("folder");  // below the kind's place, holding the two traced files
        QTest::addColumn<bool>("swapFolder"); // the folder's first part becomes a link to a folder outside
        QTest::newRow("temp folder swapped for a link") << int(WindowsTempFiles) << "sub" << true;
        QTest::newRow("parent of a parent swapped") << int(WindowsTempFiles) << "sub/deeper" << true;
        QTest::newRow("error report folder swapped") << int(WindowsErrorReporting) << "Report1" << true;
        QTest::newRow("log folder swapped") << int(WindowsLogFiles) << "Cache" << true;
        QTest::newRow("recent jump lists swapped") << int(FileExplorerRecentFiles) << "AutomaticDestinations" << true;
        QTest::newRow("temp files replaced") << int(WindowsTempFiles) << "sub" << false;
        QTest::newRow("log files replaced") << int(WindowsLogFiles) << "Cache" << false;
    }

    void changedSinceTheAnalysisIsLeftAlone()
    {
        QFETCH(int, kind);
        QFETCH(QString, folder);
        QFETCH(bool, swapFolder);
        removeSeededTraces();
        const QString place = kind == WindowsTempFiles        ? temp()
                              : kind == WindowsErrorReporting ? errorReports()
                              : kind == WindowsLogFiles       ? localMicrosoft()
                                                              : recentFolder();
        const QString kept = writeFile(place + "/first.log");
        const QStringList traced{writeFile(place + "/" + folder + "/a.log"),
                                 writeFile(place + "/" + folder + "/b.log")};
        Lists lists;
        analyze({TrackCleanerKind(kind)}, lists);
        if (kind != FileExplorerRecentFiles)
            QCOMPARE(lists.of[kind].size(), 3);

        QTemporaryDir outside;
        QStringList mustStay; // real files that the clearing must not touch, with the text each holds
        if (swapFolder) {
            const QString top = folder.section('/', 0, 0);
            QVERIFY(QDir(place + "/" + top).removeRecursively());
            for (const QString &path : traced) {
                const QString there = outside.path() + "/" + path.mid(place.size() + top.size() + 2);
                writeFile(there, 7, "private");
                mustStay << there;
            }
            QVERIFY(QFile::link(outside.path(), place + "/" + top));
        } else {
            // Each listed file gives way to another one under its name (made first, so it cannot reuse the
            // listed file's index).
            for (const QString &path : traced) {
                const QString other = writeFile(path + ".new", 7, "private");
                QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
                mustStay << path;
            }
        }
        const Clear c = clear({TrackCleanerKind(kind)}, lists);
        QCOMPARE(c.cannotDelete, 2);
        QCOMPARE(c.toClear, 3);
        QCOMPARE(c.cleared, 1);
        QVERIFY(!QFileInfo::exists(kept));
        for (const QString &path : mustStay) {
            QFile f(path);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
            QCOMPARE(f.readAll(), QByteArray("private"));
        }
    }

    // A second thread keeps swapping a traced folder, or each traced file, for a link to a folder outside
    // holding files of the same names while the clearing runs, run after run: nothing outside ever goes or
    // changes, and only files that really went count as cleared.
    void swappedForLinksWhileClearing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("folder"); // below the kind's place, holding the traced files
        QTest::addColumn<bool>("swapFiles"); // each file swapped, else the folder
        QTest::newRow("listed temp folder") << int(WindowsTempFiles) << "sub" << false;
        QTest::newRow("listed temp files") << int(WindowsTempFiles) << "sub" << true;
        QTest::newRow("recent jump lists folder") << int(FileExplorerRecentFiles) << "AutomaticDestinations" << false;
    }
    void swappedForLinksWhileClearing()
    {
        QFETCH(int, kind);
        QFETCH(QString, folder);
        QFETCH(bool, swapFiles);
        const QString traced = (kind == WindowsTempFiles ? temp() : recentFolder()) + "/" + folder;
        QTemporaryDir outside;
        QStringList names;
        for (int i = 0; i < 6; ++i)
            names << QStringLiteral("t%1.log").arg(i);
        for (const QString &name : names)
            writeFile(outside.path() + "/" + name, 7, "private");
        QElapsedTimer clock;
        clock.start();
        int runs = 0, linked = 0;
        while (clock.elapsed() < 1500) {
            ++runs;
            removeSeededTraces();
            for (const QString &name : names)
                writeFile(traced + "/" + name, 10, "trace");
            Lists lists;
            if (kind != FileExplorerRecentFiles)
                analyze({TrackCleanerKind(kind)}, lists);
            SwapRacer racer;
            if (swapFiles)
                for (const QString &name : names)
                    racer.add(traced + "/" + name, outside.path() + "/" + name);
            else
                racer.add(traced, outside.path());
            racer.start();
            const Clear c = clear({TrackCleanerKind(kind)}, lists);
            racer.stop();
            linked += racer.links();
            const QString changed = changedOutside(outside.path(), names, "private");
            QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(runs).arg(changed)));
            const int present = int(QDir(traced).entryList(QDir::Files).size());
            QVERIFY2(c.cleared == int(names.size()) - present,
                     qPrintable(QStringLiteral("run %1: %2 cleared, %3 of %4 still there")
                                    .arg(runs)
                                    .arg(c.cleared)
                                    .arg(present)
                                    .arg(names.size())));
        }
        QVERIFY2(linked > runs, "the swaps never raced the clearing");
    }

    void withoutAProfileNoRecentFileIsTouched()
    {
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        const QStringList before = QDir(recentFolder()).entryList(QDir::Files);
        Lists lists;
        const Clear c = clear({FileExplorerRecentFiles}, lists);
        QCOMPARE(c.events, QStringList({"recent(0)", "processFinish(0)"}));
        QCOMPARE(QDir(recentFolder()).entryList(QDir::Files), before);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestTrackCleanerClearThread)
#include "tst_trackcleanerclearthread.moc"
