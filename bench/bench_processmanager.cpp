// Time to fill the Process Manager's list on a host with 500 or more processes: starts that many children
// (sleep) when the host has fewer, times the first fill (page construction) and the median Refresh with the
// list shown, and runs `ps -e` on the same host for comparison. The limit is 300 ms. Every child started
// must be in the list after the refreshes, under its process ID.
#include "processmanagerform.h"
#include "testmachine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

int hostProcessCount()
{
    int n = 0;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        name.toInt(&numeric);
        n += numeric;
    }
    return n;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    TestMachine machine;

    // Children without pipes: a few hundred QProcess objects would run out of file descriptors.
    std::vector<pid_t> children;
    char sleep[] = "sleep";
    char seconds[] = "600";
    char *args[] = {sleep, seconds, nullptr};
    while (hostProcessCount() < 520) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "sleep", nullptr, nullptr, args, environ) != 0)
            break;
        children.push_back(pid);
    }
    const int processes = hostProcessCount();

    QElapsedTimer t;
    t.start();
    auto *page = new ProcessManagerForm;
    const double first = double(t.nsecsElapsed()) / 1e6;
    const int rows = page->processModel()->rowCount();
    page->resize(823, 540);
    page->show();
    QApplication::processEvents();
    std::vector<double> refresh;
    for (int i = 0; i < 11; ++i) {
        t.restart();
        page->on_refreshButton_clicked();
        QApplication::processEvents();
        refresh.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    QSet<qint64> listed;
    for (int r = 0; r < page->processModel()->rowCount(); ++r)
        listed.insert(page->processModel()->index(r, 4).data().toLongLong());
    int missing = 0;
    for (pid_t pid : children)
        missing += !listed.contains(qint64(pid));
    delete page;

    std::vector<double> ps;
    for (int i = 0; i < 11; ++i) {
        QProcess p;
        t.restart();
        p.start(QStringLiteral("ps"), {QStringLiteral("-e")});
        p.waitForFinished();
        p.readAllStandardOutput();
        ps.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    for (pid_t pid : children) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    const double limit = 300.0;
    const double refreshMedian = median(refresh);
    const double psMedian = median(ps);
    std::printf("process list: %d host processes, %d rows; first fill %.1f ms, median Refresh %.1f ms "
                "(limit %.0f ms); ps -e median %.1f ms; Refresh / ps -e = %.2f\n",
                processes, rows, first, refreshMedian, limit, psMedian, refreshMedian / psMedian);
    std::printf("answer: %zu children started, %d of them missing from the list: %s\n", children.size(), missing,
                missing == 0 ? "right" : "WRONG");
    return first <= limit && refreshMedian <= limit && missing == 0 ? 0 : 1;
}
