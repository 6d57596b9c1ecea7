// The shredding engine's DoD three-pass method against `shred -n 3 -u` on copies of one input file, on the
// same disk, each tool a whole process (the engine: this program started with --shred, shredding the copy as
// a row of the page's list). Every engine run is checked: the copy and every scrambled name of it are gone,
// and the bytes read back through a handle held open are the last pass's pattern (one 64 KiB block repeated
// from the start, the last byte its first byte, random, nothing of the input). Goal: at least shred's rate.
//
// usage: bench_securedelete INPUT-FILE (bench/run-securedelete.sh makes a 64 MiB one and installs shred)
#include "benchchecks.h"
#include "benchengines.h"
#include "benchsupport.h"
#include "securedeletethread.h"
#include "testmachine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>

#include <unistd.h>

namespace {

// The engine on one file, as the page runs it on a list row; exit code 0 when the file was shredded.
int shredOne(const QString &file)
{
    return benchengine::shredOne(file) ? 0 : 1;
}

bool copyInput(const QString &input, const QString &copy)
{
    QFile::remove(copy);
    if (!QFile::copy(input, copy))
        return false;
    ::sync(); // the copy's dirty pages must not be written back on a tool's time
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--shred"))
        return shredOne(args.at(1)); // on the machine the parent made
    if (args.size() != 1 || !QFileInfo(args.at(0)).isFile()) {
        std::fprintf(stderr, "usage: bench_securedelete INPUT-FILE\n");
        return 2;
    }
    const QString input = QFileInfo(args.at(0)).absoluteFilePath();
    const double mib = double(QFileInfo(input).size()) / (1024.0 * 1024.0);
    QFile inputFile(input);
    if (!inputFile.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray inputBytes = inputFile.readAll();
    // The copies lie in a folder of their own beside the input, so that a scrambled name left over shows.
    const QString work = QFileInfo(input).absolutePath() + QStringLiteral("/shred-run");
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    const QString copy = work + QStringLiteral("/copy.bin");
    TestMachine machine;

    std::vector<bench::Timing> tools{
        bench::tool(QStringLiteral("engine DoD 3 passes"), bench::self({QStringLiteral("--shred"), copy})),
        bench::tool(QStringLiteral("shred -n 3 -u"),
                    {QStringLiteral("shred"), QStringLiteral("-n"), QStringLiteral("3"), QStringLiteral("-u"), copy})};
    bool right = true;
    QString problem;
    for (int r = 0; r < bench::runs; ++r)
        for (bench::Timing &t : tools) {
            if (t.failed || !copyInput(input, copy)) {
                t.failed = true;
                continue;
            }
            // Held open, the bytes stay readable after the file is gone.
            QFile kept(copy);
            kept.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            const bench::Run run = bench::runOnce(t.command, false);
            const QStringList left = QDir(work).entryList(QDir::Files | QDir::Hidden | QDir::System);
            if (run.seconds < 0 || !left.isEmpty()) {
                t.failed = true;
                problem = left.isEmpty() ? QStringLiteral("%1 failed").arg(t.name)
                                         : QStringLiteral("%1 left %2").arg(t.name, left.join(QLatin1Char(' ')));
                QDir(work).removeRecursively();
                QDir().mkpath(work);
                continue;
            }
            t.seconds.push_back(run.seconds);
            t.peakKiB = std::max(t.peakKiB, run.peakKiB);
            if (&t == &tools.front()) {
                const QString wrong = benchcheck::lastPassProblem(kept.readAll(), inputBytes);
                if (!wrong.isEmpty())
                    problem = wrong;
                right = right && wrong.isEmpty();
            }
        }
    QDir(work).removeRecursively();

    std::printf("shredding %.0f MiB, %d runs each\n", mib, bench::runs);
    bench::printTimes(tools);
    bool ok = bench::answer("file gone, last pass read back", right && tools.front().ok(), problem);
    const double engine = tools.at(0).ok() ? tools.at(0).median() : -1;
    const double shred = tools.at(1).ok() ? tools.at(1).median() : -1;
    if (engine > 0)
        std::printf("  engine rate %.1f MiB/s, shred -n 3 rate %.1f MiB/s\n", mib / engine,
                    shred > 0 ? mib / shred : 0);
    ok = bench::goal("engine rate / shred -n 3 rate", engine > 0 && shred > 0 ? shred / engine : -1, ">=", 1.0) && ok;
    return bench::verdict(ok);
}
