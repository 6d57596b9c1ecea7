// What the benchmarks share: every tool, the project's engine included, is timed as a whole process (the
// benchmark starts itself for the engine), several runs taking turns so that a busy moment of the machine
// does not fall on one tool only; medians with their spread and the peak memory of the process; ratios
// printed beside their goals.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace bench {

const int runs = 5;

struct Run
{
    double seconds = -1; // negative: the process could not start or did not succeed
    long peakKiB = 0;    // the process's maximum resident set
    QByteArray output;   // its standard output, when asked for
};

inline double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// One run of a program; its standard error is thrown away, its standard output kept when asked for. The
// peak memory comes from GNU time around the program: a child started from this process would count this
// process's own pages as its peak (they are its pages until it runs the program), time's are few.
inline Run runOnce(const QStringList &command, bool keepOutput)
{
    Run r;
    QTemporaryFile out, peak;
    if ((keepOutput && !out.open()) || !peak.open())
        return r;
    const QByteArray outPath = keepOutput ? QFile::encodeName(out.fileName()) : QByteArray("/dev/null");
    QStringList timed = command;
    const QString time = QStringLiteral("/usr/bin/time");
    if (QFile::exists(time))
        timed = QStringList{time, QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), peak.fileName()} +
                command;
    std::vector<QByteArray> args;
    for (const QString &a : timed)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.constData(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const double start = now();
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return r;
    int status = 0;
    rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return r;
    const double seconds = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return r;
    r.seconds = seconds;
    bool measured = false;
    r.peakKiB = peak.readAll().trimmed().split('\n').last().toLong(&measured);
    if (!measured)
        r.peakKiB = usage.ru_maxrss; // an upper bound: at least this process's own peak at the start

    if (keepOutput)
        r.output = out.readAll();
    return r;
}

struct Timing
{
    QString name;
    QStringList command;
    bool keepOutput = false;
    std::vector<double> seconds;
    long peakKiB = 0;
    QByteArray output; // of the last run
    bool failed = false;

    double median() const
    {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s.empty() ? -1 : s[s.size() / 2];
    }
    double low() const { return seconds.empty() ? -1 : *std::min_element(seconds.begin(), seconds.end()); }
    double high() const { return seconds.empty() ? -1 : *std::max_element(seconds.begin(), seconds.end()); }
    bool ok() const { return !failed && !seconds.empty(); }
};

inline Timing tool(const QString &name, const QStringList &command, bool keepOutput = false)
{
    Timing t;
    t.name = name;
    t.command = command;
    t.keepOutput = keepOutput;
    return t;
}

// The benchmark itself in a mode that runs the engine once: whole processes, as the peers are.
inline QStringList self(const QStringList &arguments)
{
    return QStringList{QCoreApplication::applicationFilePath()} + arguments;
}

inline bool installed(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// Runs every tool `runs` times, the tools taking turns; before is called before each single run (a fresh
// input, outside the time). A tool that is not installed or fails is marked failed.
template <typename Before> void timeAll(std::vector<Timing> &tools, Before before)
{
    for (Timing &t : tools)
        t.failed = !installed(t.command.first());
    for (int r = 0; r < runs; ++r)
        for (Timing &t : tools) {
            if (t.failed)
                continue;
            if (!before(t)) {
                t.failed = true;
                continue;
            }
            const Run run = runOnce(t.command, t.keepOutput);
            if (run.seconds < 0) {
                t.failed = true;
                continue;
            }
            t.seconds.push_back(run.seconds);
            t.peakKiB = std::max(t.peakKiB, run.peakKiB);
            t.output = run.output;
        }
}

inline void timeAll(std::vector<Timing> &tools)
{
    timeAll(tools, [](const Timing &) { return true; });
}

inline void printTimes(const std::vector<Timing> &tools)
{
    for (const Timing &t : tools) {
        if (!t.ok()) {
            std::printf("  %-22s failed or not installed\n", qPrintable(t.name));
            continue;
        }
        std::printf("  %-22s median %8.3f s  (%.3f to %.3f, %d runs)  peak %ld MiB\n", qPrintable(t.name), t.median(),
                    t.low(), t.high(), int(t.seconds.size()), t.peakKiB / 1024);
    }
}

// Prints a ratio beside its goal; false when the goal is missed or the ratio could not be measured.
inline bool goal(const char *what, double ratio, const char *relation, double limit)
{
    const bool atMost = relation[0] == '<';
    const bool measured = ratio > 0;
    const bool met = measured && (atMost ? ratio <= limit : ratio >= limit);
    std::printf("  %-40s %8.2f   goal %s %.2f   %s\n", what, measured ? ratio : 0.0, relation, limit,
                met        ? "met"
                : measured ? "MISSED"
                           : "NOT MEASURED");
    return met;
}

// Prints the outcome of an answer check; false when the answer is wrong.
inline bool answer(const char *what, bool right, const QString &detail = QString())
{
    std::printf("  answer: %-32s %s%s%s\n", what, right ? "right" : "WRONG", detail.isEmpty() ? "" : "  ",
                qPrintable(detail));
    return right;
}

inline int verdict(bool ok)
{
    std::printf("%s\n", ok ? "all answers right, all goals met" : "ANSWER WRONG OR GOAL MISSED");
    return ok ? 0 : 1;
}

} // namespace bench
