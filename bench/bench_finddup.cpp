// The duplicate scan against two walks of the same tree that stat every entry: `find -printf '%s %T@'` and
// ncdu. Takes a tree made by make-tree.py and, optionally, one with twice the files; prints the times (best
// of a few runs, warm cache) and the ratios: scan/find (at most 1), scan/ncdu, and larger/smaller tree
// (at most 2.2). Debug output is off, as in a release build nobody watches.
#include "findduplicatethread.h"
#include "krutils.h"
#include "testmachine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

namespace {

const int runs = 5;

struct ScanResult
{
    double seconds = 0;
    int groups = 0;
    qint64 filesInGroups = 0;
};

ScanResult scanOnce(const QString &tree)
{
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);
    QList<ScanCategory> scan;
    QList<CategoryResult> results;
    for (const FileCategory &c : categories) {
        ScanCategory s;
        s.extensions = c.extensions;
        scan << s;
        CategoryResult r;
        r.name = c.name;
        results << r;
    }
    FindDuplicateThread thread;
    thread.rootFolder = tree;
    thread.scanCategories = &scan;
    thread.categoryResults = &results;
    QElapsedTimer t;
    t.start();
    thread.start();
    thread.wait();
    ScanResult r;
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    for (const CategoryResult &c : results) {
        r.groups += int(c.groups.size());
        for (const DuplicateGroup &g : c.groups)
            r.filesInGroups += g.files.size();
    }
    return r;
}

double bestScan(const QString &tree, ScanResult *last)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        *last = scanOnce(tree);
        best = std::min(best, last->seconds);
    }
    return best;
}

// Best time of a peer program, its output thrown away; negative when it cannot run.
double bestPeer(const QString &program, const QStringList &arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -1;
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, arguments);
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            return -1;
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_finddup TREE [TREE_WITH_TWICE_THE_FILES]\n");
        return 2;
    }
    TestMachine machine;
    bool ok = true;

    const QString tree = args.at(0);
    // One walk first, so every tool meets a warm cache.
    bestPeer(QStringLiteral("find"), {tree, QStringLiteral("-type"), QStringLiteral("f")});
    ScanResult result;
    const double scan = bestScan(tree, &result);
    const double find = bestPeer(QStringLiteral("find"), {tree, QStringLiteral("-type"), QStringLiteral("f"),
                                                          QStringLiteral("-printf"), QStringLiteral("%s %T@\\n")});
    const double ncdu = bestPeer(QStringLiteral("ncdu"),
                                 {QStringLiteral("-0"), QStringLiteral("-o"), QStringLiteral("/dev/null"), tree});
    std::printf("tree %s: %d groups, %lld files in groups\n", qPrintable(tree), result.groups,
                qint64(result.filesInGroups));
    std::printf("  duplicate scan %.3f s\n", scan);
    if (find > 0) {
        std::printf("  find           %.3f s\n", find);
        std::printf("  ratio scan/find %.2f (limit 1.00)\n", scan / find);
        ok = ok && scan <= find;
    } else {
        std::printf("  find could not run\n");
        ok = false;
    }
    if (ncdu > 0) {
        std::printf("  ncdu           %.3f s\n", ncdu);
        std::printf("  ratio scan/ncdu %.2f\n", scan / ncdu);
    } else {
        std::printf("  ncdu could not run (install it: apt-get install ncdu)\n");
    }

    if (args.size() > 1) {
        const QString twice = args.at(1);
        bestPeer(QStringLiteral("find"), {twice, QStringLiteral("-type"), QStringLiteral("f")});
        ScanResult larger;
        const double scan2 = bestScan(twice, &larger);
        std::printf("tree %s: %d groups, %lld files in groups\n", qPrintable(twice), larger.groups,
                    qint64(larger.filesInGroups));
        std::printf("  duplicate scan %.3f s\n", scan2);
        std::printf("  ratio twice the files %.2f (limit 2.20)\n", scan2 / scan);
        ok = ok && scan2 / scan <= 2.2;
    }
    std::printf("%s\n", ok ? "within limits" : "OUTSIDE LIMITS");
    return ok ? 0 : 1;
}
