// The duplicate scan, contents compared, against a duplicate finder that compares contents too (`jdupes -r -q`)
// and, for scale, a walk that only stats every entry (`find -printf '%s %T@'`). Takes a tree made by
// make-tree.py and, optionally, one with twice the files; prints the times (best of a few runs, warm cache)
// and the ratios: scan/jdupes (at most 1), scan/find, and larger/smaller tree (at most 2.2; the peers' own
// for comparison). Debug output is off, as in a release build nobody watches.
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

// Best time of a peer program over a number of runs, its output thrown away; negative when it cannot run.
double bestPeer(const QString &program, const QStringList &arguments, int count)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -1;
    double best = 1e9;
    for (int i = 0; i < count; ++i) {
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
    const QStringList trees = app.arguments().mid(1);
    if (trees.isEmpty() || trees.size() > 2) {
        std::fprintf(stderr, "usage: bench_finddup TREE [TREE_WITH_TWICE_THE_FILES]\n");
        return 2;
    }
    TestMachine machine;
    const QStringList walk{QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-printf"),
                           QStringLiteral("%s %T@\\n")};

    // One walk first, so every tool meets a warm cache; then the runs of each tool on each tree take turns,
    // so that a busy moment of the machine does not fall on one of them only.
    for (const QString &tree : trees)
        bestPeer(QStringLiteral("find"), QStringList{tree} + walk, 1);
    QList<double> scan, find, jdupes;
    QList<ScanResult> results;
    for (int t = 0; t < trees.size(); ++t) {
        scan << 1e9;
        find << 1e9;
        jdupes << 1e9;
        results << ScanResult();
    }
    for (int run = 0; run < runs; ++run)
        for (int t = 0; t < trees.size(); ++t) {
            results[t] = scanOnce(trees.at(t));
            scan[t] = std::min(scan[t], results[t].seconds);
            find[t] = std::min(find[t], bestPeer(QStringLiteral("find"), QStringList{trees.at(t)} + walk, 1));
            jdupes[t] = std::min(jdupes[t], bestPeer(QStringLiteral("jdupes"),
                                                     {QStringLiteral("-r"), QStringLiteral("-q"), trees.at(t)}, 1));
        }

    bool ok = true;
    for (int t = 0; t < trees.size(); ++t) {
        std::printf("tree %s: %d groups, %lld files in groups\n", qPrintable(trees.at(t)), results[t].groups,
                    qint64(results[t].filesInGroups));
        std::printf("  duplicate scan %.3f s\n", scan[t]);
        if (jdupes[t] > 0) {
            std::printf("  jdupes -r -q   %.3f s   ratio scan/jdupes %.2f (limit 1.00)\n", jdupes[t],
                        scan[t] / jdupes[t]);
            ok = ok && scan[t] <= jdupes[t];
        } else {
            std::printf("  jdupes could not run (install it: apt-get install jdupes)\n");
            ok = false;
        }
        if (find[t] > 0)
            std::printf("  find           %.3f s   ratio scan/find %.2f\n", find[t], scan[t] / find[t]);
        else
            std::printf("  find could not run\n");
    }
    if (trees.size() == 2) {
        std::printf("twice the files: scan %.2f (limit 2.20)", scan[1] / scan[0]);
        if (find[0] > 0 && find[1] > 0)
            std::printf(", find %.2f", find[1] / find[0]);
        if (jdupes[0] > 0 && jdupes[1] > 0)
            std::printf(", jdupes %.2f", jdupes[1] / jdupes[0]);
        std::printf("\n");
        ok = ok && scan[1] / scan[0] <= 2.2;
    }
    std::printf("%s\n", ok ? "within limits" : "OUTSIDE LIMITS");
    return ok ? 0 : 1;
}
