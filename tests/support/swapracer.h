// A second thread that, while a tool works, keeps swapping host files or folders for symbolic links to places
// outside the tool's tree and back again, as a hostile program racing the tool's checks would. Each swap parks
// the entry under a hidden name, puts the link in its place, and restores it shortly after; a swap whose entry
// has gone (the tool deleted it) stops. stop() restores everything before it returns.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QString>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <sched.h>
#include <unistd.h>

class SwapRacer
{
public:
    ~SwapRacer() { stop(); }

    // path is swapped for a link to target (both host paths).
    void add(const QString &path, const QString &target)
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString parked = path.left(slash + 1) + QStringLiteral(".parked-") + path.mid(slash + 1);
        swaps.push_back({QFile::encodeName(path), QFile::encodeName(parked), QFile::encodeName(target), true});
    }

    void start()
    {
        running = true;
        worker = std::thread([this] {
            // All entries at once: each stands as a link for about half of the time, so a check and the act
            // after it fall into different phases as often as the tool's own pace allows.
            while (running) {
                bool any = false;
                for (Swap &s : swaps) {
                    s.parkedNow = s.live && ::rename(s.path.constData(), s.parked.constData()) == 0;
                    if (s.live && !s.parkedNow)
                        s.live = false; // gone: the tool deleted it
                    if (s.parkedNow && ::symlink(s.target.constData(), s.path.constData()) == 0)
                        ++linked;
                    any = any || s.parkedNow;
                }
                hold();
                for (Swap &s : swaps) {
                    if (!s.parkedNow)
                        continue;
                    ::unlink(s.path.constData()); // the link, unless the tool removed it
                    ::rename(s.parked.constData(), s.path.constData());
                }
                if (any)
                    hold();
                else
                    sched_yield();
            }
        });
    }

    void stop()
    {
        running = false;
        if (worker.joinable())
            worker.join();
    }

    // How many times a link stood in an entry's place.
    int links() const { return linked; }

private:
    struct Swap
    {
        QByteArray path, parked, target;
        bool live;
        bool parkedNow = false;
    };
    // Each phase lasts a few tens of microseconds, about as long as a check and the act after it.
    static void hold()
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(40);
        while (std::chrono::steady_clock::now() < until)
            sched_yield();
    }

    std::vector<Swap> swaps;
    std::thread worker;
    std::atomic<bool> running{false};
    std::atomic<int> linked{0};
};

// What became of the files a racing test keeps outside the tool's tree: empty while folder holds exactly
// names, each with text, else what changed.
inline QString changedOutside(const QString &folder, const QStringList &names, const QByteArray &text)
{
    const QStringList found = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    if (found != names)
        return QStringLiteral("%1 holds %2").arg(folder, found.join(QLatin1Char(' ')));
    for (const QString &name : names) {
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::ReadOnly) || f.readAll() != text)
            return QStringLiteral("%1 was changed").arg(name);
    }
    return QString();
}

// Races run after run for a second and a half, or until a check fails: run(number, racer) sets up one run,
// starts the racer, acts, stops it and checks what became of the files. True when the swaps raced the runs
// (more links stood than there were runs).
template <typename Run> bool raceRepeatedly(Run run)
{
    QElapsedTimer clock;
    clock.start();
    int runs = 0, linked = 0;
    while (clock.elapsed() < 1500 && !QTest::currentTestFailed()) {
        SwapRacer racer;
        run(++runs, racer);
        racer.stop();
        linked += racer.links();
    }
    return linked > runs;
}
