// The Folder Size Analyzer's scan against the usual disk-usage walkers, on trees made by make-tree.py.
// usage: bench_foldersize TREE [LARGER_TREE]
// For each tree: the scan from start to results on screen (worker and its three models), find -printf '%s\n'
// (a walk that stats every entry), du -s, ncdu -0 -o /dev/null and gdu -npc; best of three runs each on a warm
// cache, then the ratios. With a second tree (twice the files) it also prints how the scan's time grows. The
// scan's memory is the growth of the process's peak resident set over its first scan, per file.
// Limits: the scan within 1.5 times the find walk, at most 2.2 times the time for twice the files, under
// 2 KiB per file. The exit code is 1 when one of them is missed.
#include "scanprogressform.h"
#include "testmachine.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int runs = 3;

qint64 statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    return 0;
}

double cpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Seconds of one scan from its start to its results on screen; files counted by the scan.
double scanOnce(const QString &tree, QList<FileCategory> &categories, qint64 *fileCount, bool report = true)
{
    auto *page = new ScanProgressForm;
    page->categories = &categories;
    QSignalSpy finished(page, &ScanProgressForm::scanFinish);
    QElapsedTimer t;
    const double cpuBefore = cpuSeconds();
    t.start();
    page->startScan(tree);
    while (finished.isEmpty())
        finished.wait(60000);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (report)
        std::printf("    one scan: %.3f s, %.3f s of processor time on all threads\n", seconds,
                    cpuSeconds() - cpuBefore);
    if (fileCount && !page->rootRow.isEmpty()) {
        const QModelIndex root = page->folderModel->indexFromItem(page->rootRow.first());
        *fileCount = root.siblingAtColumn(2).data().toLongLong();
    }
    delete page;
    return seconds;
}

double peerOnce(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, arguments);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    return t.nsecsElapsed() / 1e9;
}

double best(const std::function<double()> &run)
{
    double b = -1;
    for (int i = 0; i < runs; ++i) {
        const double s = run();
        if (s >= 0 && (b < 0 || s < b))
            b = s;
    }
    return b;
}

struct TreeResult
{
    double scan = 0;
    double find = 0;
    qint64 files = 0;
};

TreeResult measure(const QString &tree, bool *ok)
{
    TreeResult r;
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);

    // Warm the cache with one walk before anything is timed.
    peerOnce(QStringLiteral("find"), {tree, QStringLiteral("-printf"), QStringLiteral("%s\\n")});

    const double first = scanOnce(tree, categories, &r.files);
    r.scan = qMin(first, best([&] { return scanOnce(tree, categories, nullptr); }));

    struct Peer
    {
        const char *name;
        QString program;
        QStringList arguments;
    };
    const Peer peers[] = {
        {"find -printf", QStringLiteral("find"), {tree, QStringLiteral("-printf"), QStringLiteral("%s\\n")}},
        {"du -s", QStringLiteral("du"), {QStringLiteral("-s"), tree}},
        {"ncdu -0 -o",
         QStringLiteral("ncdu"),
         {QStringLiteral("-0"), QStringLiteral("-o"), QStringLiteral("/dev/null"), tree}},
        {"gdu -npc", QStringLiteral("gdu"), {QStringLiteral("-npc"), tree}},
    };
    std::printf("tree %s: %lld files\n", qPrintable(tree), static_cast<long long>(r.files));
    std::printf("  scan (worker and models)  %8.3f s\n", r.scan);
    for (const Peer &p : peers) {
        if (QStandardPaths::findExecutable(p.program).isEmpty()) {
            std::printf("  %-25s  not installed\n", p.name);
            continue;
        }
        const double s = best([&] { return peerOnce(p.program, p.arguments); });
        if (s <= 0) {
            std::printf("  %-25s  failed\n", p.name);
            continue;
        }
        if (p.program == QLatin1String("find"))
            r.find = s;
        std::printf("  %-25s  %8.3f s   scan / %s = %.2f\n", p.name, s, p.name, r.scan / s);
    }
    // Memory in a process of its own, so that no earlier scan has raised the peak already.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), tree});
    child.waitForFinished(600000);
    const double perFile = child.readAllStandardOutput().trimmed().toDouble();
    const bool fast = r.find > 0 && r.scan <= 1.5 * r.find;
    const bool small = perFile > 0 && perFile < 2048;
    std::printf("  scan / find -printf = %.2f (limit 1.50) %s\n", r.find > 0 ? r.scan / r.find : 0.0,
                fast ? "ok" : "MISSED");
    std::printf("  peak memory growth %.0f bytes per file (limit 2048) %s\n", perFile, small ? "ok" : "MISSED");
    *ok = *ok && fast && small;
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_foldersize TREE [LARGER_TREE]\n");
        return 2;
    }
    TestMachine machine;
    if (args.size() == 2 && args.at(0) == QLatin1String("--memory")) {
        // The growth of the peak resident set over one scan, per file.
        QList<FileCategory> categories;
        KRUtils().buildFileCategories(categories);
        const qint64 before = qMax(statusKiB("VmHWM"), statusKiB("VmRSS"));
        qint64 files = 0;
        scanOnce(args.at(1), categories, &files, false);
        const qint64 peak = statusKiB("VmHWM");
        std::printf("%.1f\n", files > 0 ? double(peak - before) * 1024.0 / double(files) : 0.0);
        return 0;
    }
    bool ok = true;
    const TreeResult small = measure(args.at(0), &ok);
    if (args.size() > 1) {
        const TreeResult large = measure(args.at(1), &ok);
        const double files = small.files > 0 ? double(large.files) / double(small.files) : 0;
        const double time = small.scan > 0 ? large.scan / small.scan : 0;
        const bool linear = time <= 1.1 * files;
        std::printf("growth: %.2f times the files took %.2f times the scan time (limit %.2f) %s\n", files, time,
                    1.1 * files, linear ? "ok" : "MISSED");
        if (large.find > 0 && small.find > 0)
            std::printf("growth of find -printf for comparison: %.2f\n", large.find / small.find);
        ok = ok && linear;
    }
    return ok ? 0 : 1;
}
