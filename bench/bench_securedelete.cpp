// Throughput of the shredding engine's DoD three-pass method against `shred -n 3` and `srm -l` on the same
// file, on the same disk, in one run. Every tool gets its own copy of the input and deletes it. Prints the
// rate of each in MiB of file per second and the engine's ratio to both; fails when the engine is slower
// than srm (which, like the engine, writes synchronously).
//
// usage: bench_securedelete INPUT-FILE (bench/bench_securedelete.sh makes it and installs the peer tools)
#include "securedeletethread.h"
#include "testmachine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

namespace {

bool copyInput(const QString &input, const QString &copy)
{
    QFile::remove(copy);
    if (!QFile::copy(input, copy))
        return false;
    ::sync(); // the copy's dirty pages must not be written back on a tool's time
    return true;
}

// Seconds one external tool takes to overwrite and delete its copy; negative when it failed.
double runTool(const QString &program, const QStringList &arguments, const QString &copy)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments + QStringList{copy});
    if (!process.waitForFinished(-1) || process.exitCode() != 0 || QFile::exists(copy))
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The method reports every write on the debug output; that is not what is measured.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (argc < 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        std::fprintf(stderr, "usage: bench_securedelete INPUT-FILE\n");
        return 2;
    }
    const QString input = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString folder = QFileInfo(input).absolutePath();
    const double mib = double(QFileInfo(input).size()) / (1024.0 * 1024.0);
    TestMachine machine;

    // The engine, on the worker's code path for one list row.
    const QString engineCopy = folder + QStringLiteral("/engine-copy.bin");
    if (!copyInput(input, engineCopy))
        return 2;
    SecureDeleteOptions options;
    options.DeleteMode = 2;
    SecureDeleteThread thread;
    thread.options = &options;
    QElapsedTimer timer;
    timer.start();
    const bool shredded = thread.shredFile(folder + QStringLiteral("\\engine-copy.bin"));
    const double engine = double(timer.nsecsElapsed()) / 1e9;
    if (!shredded || QFile::exists(engineCopy)) {
        std::fprintf(stderr, "the engine did not shred its copy\n");
        return 1;
    }

    const QString copy = folder + QStringLiteral("/peer-copy.bin");
    if (!copyInput(input, copy))
        return 2;
    const double shred =
        runTool(QStringLiteral("shred"), {QStringLiteral("-n"), QStringLiteral("3"), QStringLiteral("-u")}, copy);
    if (!copyInput(input, copy))
        return 2;
    const double srm = runTool(QStringLiteral("srm"), {QStringLiteral("-l")}, copy);
    QFile::remove(copy);
    if (shred < 0 || srm < 0) {
        std::fprintf(stderr, "a peer tool failed (is it installed?)\n");
        return 2;
    }

    std::printf("file                 %.0f MiB\n", mib);
    std::printf("engine DoD 3 passes  %7.2f s  %7.1f MiB/s\n", engine, mib / engine);
    std::printf("shred -n 3           %7.2f s  %7.1f MiB/s\n", shred, mib / shred);
    std::printf("srm -l               %7.2f s  %7.1f MiB/s\n", srm, mib / srm);
    std::printf("ratio engine/shred   %.2f\n", shred / engine);
    std::printf("ratio engine/srm     %.2f (at least 1.00)\n", srm / engine);
    return srm / engine >= 1.0 ? 0 : 1;
}
