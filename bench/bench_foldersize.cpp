// The Folder Size Analyzer's scan against the usual disk-usage walkers, on trees made by make-tree.py.
// usage: bench_foldersize TREE [LARGER_TREE]
// Every tool is a whole process, timed alike (5 runs each, taking turns, warm cache): the scan from start to
// results on screen (worker and its three models; this program started with --scan), find -printf '%s\n'
// (a walk that stats every entry), du -s, ncdu -0 -o /dev/null and gdu -npc. The scan's answer (files,
// folders, bytes of the root row) is checked against the tree's manifest. Goals: at most find's time, at
// most twice gdu's, at most 1 KiB of peak memory per file, and twice the files in at most 2.1 times the time.
// The exit code is 1 when an answer is wrong or a goal is missed.
// The timed scan process ends as soon as its answer is printed and flushed, without freeing the page and its
// models (as a compiler skips freeing at exit): a user's scan ends with its results on screen, and the page
// frees its models later, when the user leaves it. The freeing is timed on its own, in-process, and printed.
#include "benchchecks.h"
#include "benchengines.h"
#include "benchsupport.h"
#include "scanprogressform.h"
#include "testmachine.h"

#include <QApplication>
#include <QFileInfo>
#include <QSet>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using benchcheck::Answer;
using benchcheck::describe;
using benchcheck::fromManifest;
using benchcheck::parse;

// One scan, from its start to its results on screen; the root row's totals. The page is handed back, to be
// freed or not.
Answer scanOnce(const QString &tree, ScanProgressForm **scanned)
{
    return benchengine::folderTotals(tree, scanned);
}

struct TreeResult
{
    double scan = -1;
    qint64 files = 0;
};

TreeResult measure(const QString &tree, bool *ok)
{
    const Answer expected = fromManifest(tree);
    // Warm the cache with one walk before anything is timed.
    bench::runOnce({QStringLiteral("find"), tree, QStringLiteral("-printf"), QStringLiteral("%s\\n")}, false);
    std::vector<bench::Timing> tools{
        bench::tool(QStringLiteral("scan (worker, models)"), bench::self({QStringLiteral("--scan"), tree}), true),
        bench::tool(QStringLiteral("find -printf"),
                    {QStringLiteral("find"), tree, QStringLiteral("-printf"), QStringLiteral("%s\\n")}),
        bench::tool(QStringLiteral("du -s"), {QStringLiteral("du"), QStringLiteral("-s"), tree}),
        bench::tool(QStringLiteral("ncdu -0 -o"), {QStringLiteral("ncdu"), QStringLiteral("-0"), QStringLiteral("-o"),
                                                   QStringLiteral("/dev/null"), tree}),
        bench::tool(QStringLiteral("gdu -npc"), {QStringLiteral("gdu"), QStringLiteral("-npc"), tree}),
    };
    bench::timeAll(tools);
    std::printf("tree %s: %s by its manifest\n", qPrintable(tree), qPrintable(describe(expected)));
    bench::printTimes(tools);
    // What the timed scan process leaves out: the page freeing its models, as it does when the user leaves it.
    ScanProgressForm *page = nullptr;
    scanOnce(tree, &page);
    const double freeing = bench::now();
    delete page;
    std::printf("  %-22s %8.3f s  (in-process, once; not in the scan's time above)\n", "freeing the models",
                bench::now() - freeing);
    const bench::Timing &scan = tools.at(0);
    const Answer got = parse(scan.output);
    const bool right = scan.ok() && expected.files > 0 && got == expected;
    bench::answer("totals against the manifest", right, right ? QString() : describe(got));
    auto ratio = [&](int peer) {
        return scan.ok() && tools.at(peer).ok() ? scan.median() / tools.at(peer).median() : -1;
    };
    const bool fast = bench::goal("scan / find -printf", ratio(1), "<=", 1.0);
    std::printf("  %-40s %8.2f\n", "scan / du -s", ratio(2));
    std::printf("  %-40s %8.2f\n", "scan / ncdu", ratio(3));
    const bool nearGdu = bench::goal("scan / gdu", ratio(4), "<=", 2.0);
    const double perFile = scan.ok() && expected.files > 0 ? scan.peakKiB * 1024.0 / double(expected.files) : -1;
    const bool small = bench::goal("peak memory, bytes per file", perFile, "<=", 1024);
    *ok = *ok && right && fast && nearGdu && small;
    return TreeResult{scan.ok() ? scan.median() : -1, expected.files};
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--scan")) {
        // One scan on the machine the parent made; its answer on the standard output.
        ScanProgressForm *page = nullptr;
        const Answer a = scanOnce(args.at(1), &page);
        std::printf("%lld %lld %lld\n", static_cast<long long>(a.files), static_cast<long long>(a.folders),
                    static_cast<long long>(a.bytes));
        std::fflush(stdout);
        // Ends without freeing the page (see the top of this file); the worker has ended with the scan.
        std::_Exit(std::ferror(stdout) ? 1 : 0);
    }
    if (args.isEmpty() || args.size() > 2) {
        std::fprintf(stderr, "usage: bench_foldersize TREE [LARGER_TREE]\n");
        return 2;
    }
    TestMachine machine;
    bool ok = true;
    const TreeResult small = measure(QFileInfo(args.at(0)).absoluteFilePath(), &ok);
    if (args.size() > 1) {
        const TreeResult large = measure(QFileInfo(args.at(1)).absoluteFilePath(), &ok);
        const double files = small.files > 0 ? double(large.files) / double(small.files) : 0;
        std::printf("growth: %.2f times the files\n", files);
        // The goal is for twice the files; other trees scale it.
        const double time = small.scan > 0 && large.scan > 0 ? large.scan / small.scan : -1;
        ok = bench::goal("time for the larger tree / the smaller", time, "<=", 1.05 * files) && ok;
    }
    return bench::verdict(ok);
}
