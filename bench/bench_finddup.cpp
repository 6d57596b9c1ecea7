// The duplicate scan, contents compared, against a duplicate finder that compares contents too (`jdupes -r -q`)
// and, for scale, a walk that only stats every entry (`find -printf '%s %T@'`), on trees made by
// make-tree.py. Every tool is a whole process (the scan: this program started with --scan), timed alike:
// 5 runs each, taking turns, warm cache; medians with their spread. The scan's groups are checked against
// jdupes' groups, taken as the scan forms them: within one file category, of one last-write time, empty files
// left out on both sides. Goal: at most half of jdupes' time. Debug output is off, as in a release build
// nobody watches.
// usage: bench_finddup TREE [TREE_WITH_TWICE_THE_FILES]
#include "benchchecks.h"
#include "benchengines.h"
#include "benchsupport.h"
#include "krutils.h"
#include "testmachine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <map>
#include <set>

namespace {

using benchcheck::Groups;

// One scan; its groups on the standard output, a path a line, an empty line after each group.
int scanOnce(const QString &tree)
{
    const QByteArray out = benchengine::duplicateGroups(tree);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

struct TreeResult
{
    double scan = -1;
    double jdupes = -1;
    double find = -1;
};

TreeResult measure(const QString &tree, bool *ok)
{
    const QStringList walk{QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-printf"),
                           QStringLiteral("%s %T@\\n")};
    // A warm cache for everyone: jdupes reads the contents the scan compares.
    bench::runOnce({QStringLiteral("jdupes"), QStringLiteral("-r"), QStringLiteral("-q"), tree}, false);
    std::vector<bench::Timing> tools{
        bench::tool(QStringLiteral("duplicate scan"), bench::self({QStringLiteral("--scan"), tree}), true),
        bench::tool(QStringLiteral("jdupes -r -q"),
                    {QStringLiteral("jdupes"), QStringLiteral("-r"), QStringLiteral("-q"), tree}, true),
        bench::tool(QStringLiteral("find -printf"), QStringList{QStringLiteral("find"), tree} + walk),
    };
    bench::timeAll(tools);

    const QHash<QString, int> categoryOf = benchengine::categoryOfExtensions();
    // jdupes' groups are split as the scan forms them; the scan's own are taken as they come (empty files
    // aside), so that a group the scan got wrong is not mended here.
    const auto key = [&](const QString &path) { return benchcheck::groupKey(path, categoryOf); };
    const Groups scanned = benchcheck::parseGroups(tools.at(0).output, benchcheck::nonEmpty);
    const Groups expected = benchcheck::parseGroups(tools.at(1).output, key);
    qint64 files = 0;
    for (const auto &g : expected)
        files += qint64(g.size());

    std::printf("tree %s: jdupes finds %zu groups of %lld files (as the scan groups them)\n", qPrintable(tree),
                expected.size(), static_cast<long long>(files));
    bench::printTimes(tools);
    const bool right = tools.at(0).ok() && tools.at(1).ok() && !expected.empty() && scanned == expected;
    bench::answer("groups against jdupes", right,
                  right ? QString() : QStringLiteral("the scan gives %1 groups").arg(scanned.size()));
    TreeResult r;
    r.scan = tools.at(0).ok() ? tools.at(0).median() : -1;
    r.jdupes = tools.at(1).ok() ? tools.at(1).median() : -1;
    r.find = tools.at(2).ok() ? tools.at(2).median() : -1;
    const bool fast = bench::goal("scan / jdupes", r.scan > 0 && r.jdupes > 0 ? r.scan / r.jdupes : -1, "<=", 0.5);
    if (r.scan > 0 && r.find > 0)
        std::printf("  %-40s %8.2f\n", "scan / find", r.scan / r.find);
    *ok = *ok && right && fast;
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--scan"))
        return scanOnce(args.at(1)); // on the machine the parent made
    if (args.isEmpty() || args.size() > 2) {
        std::fprintf(stderr, "usage: bench_finddup TREE [TREE_WITH_TWICE_THE_FILES]\n");
        return 2;
    }
    TestMachine machine;
    bool ok = true;
    QList<TreeResult> results;
    for (const QString &tree : args)
        results << measure(QFileInfo(tree).absoluteFilePath(), &ok);
    if (results.size() == 2 && results.at(0).scan > 0 && results.at(1).scan > 0) {
        std::printf("twice the files: scan %.2f", results.at(1).scan / results.at(0).scan);
        if (results.at(0).jdupes > 0 && results.at(1).jdupes > 0)
            std::printf(", jdupes %.2f", results.at(1).jdupes / results.at(0).jdupes);
        if (results.at(0).find > 0 && results.at(1).find > 0)
            std::printf(", find %.2f", results.at(1).find / results.at(0).find);
        std::printf("\n");
    }
    return bench::verdict(ok);
}
