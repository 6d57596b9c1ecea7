// The stand-in's simulated raw volumes, extent queries, volume roots and virtual memory, as the shredding
// engine relies on them: Windows' answers, buffer rules and failures.
#include "shredsupport.h"
#include "testmachine.h"
#include "win32.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <vector>

class TestRawVolume : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> tmp;
    QString image;
    QString file;

    HANDLE openVolume(const char16_t *name)
    {
        return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        tmp.reset(new QTemporaryDir);
        onlyMappedDrives();
        mapDrive(QLatin1Char('Q'), tmp->path() + QStringLiteral("/drive"));
        image = tmp->path() + QStringLiteral("/volume.img");
        file = tmp->path() + QStringLiteral("/drive/data.bin");
        QByteArray volume(8192, 'v');
        volume.replace(4096, 4, "DATA");
        QVERIFY(writeFile(image, volume));
        QVERIFY(writeFile(file, "contents"));
    }
    void cleanup()
    {
        tmp.reset();
        m.reset();
    }

    void volumeOpensForAnAdministrator()
    {
        // A host drive's volume opens; its file system is in use, so every write is refused, even one declared
        // unmounted, and nothing reaches the host.
        rawvolume::declareMounted(QLatin1Char('Q'), false);
        HANDLE host = openVolume(u"\\\\.\\Q:");
        QVERIFY(host != INVALID_HANDLE_VALUE);
        DWORD done = 7;
        QVERIFY(!WriteFile(host, "ZZ", 2, &done, nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QCOMPARE(done, DWORD(0));
        QVERIFY(CloseHandle(host));
        rawvolume::declareMounted(QLatin1Char('Q'), true);
        QCOMPARE(openVolume(u"\\\\.\\K:"), INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
        QCOMPARE(openVolume(u"\\\\.\\PhysicalDrive0"), INVALID_HANDLE_VALUE);

        rawvolume::declareVolume(QLatin1Char('Q'), image);
        HANDLE volume = openVolume(u"\\\\.\\q:");
        QVERIFY(volume != INVALID_HANDLE_VALUE);
        LARGE_INTEGER at;
        at.QuadPart = 4096;
        QVERIFY(SetFilePointerEx(volume, at, nullptr, FILE_BEGIN));
        char buffer[4] = {};
        DWORD read = 0;
        QVERIFY(ReadFile(volume, buffer, 4, &read, nullptr));
        QCOMPARE(QByteArray(buffer, int(read)), QByteArray("DATA"));
        // A mounted file system's sectors refuse writes through the volume (it is neither locked nor
        // dismounted); a volume without one takes them.
        DWORD written = 7;
        QVERIFY(!WriteFile(volume, "ZZ", 2, &written, nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        QCOMPARE(written, DWORD(0));
        QVERIFY(CloseHandle(volume));
        rawvolume::declareMounted(QLatin1Char('Q'), false);
        volume = openVolume(u"\\\\.\\q:");
        at.QuadPart = 4100;
        QVERIFY(SetFilePointerEx(volume, at, nullptr, FILE_BEGIN));
        QVERIFY(WriteFile(volume, "ZZ", 2, &written, nullptr));
        QCOMPARE(written, DWORD(2));
        QCOMPARE(WaitForSingleObject(volume, INFINITE), DWORD(WAIT_OBJECT_0));
        QVERIFY(CloseHandle(volume));
        QCOMPARE(readFile(image).mid(4096, 6), QByteArray("DATAZZ"));
        QCOMPARE(WaitForSingleObject(volume, INFINITE), DWORD(WAIT_FAILED));

        // Raw access needs an administrator.
        m->setElevated(false);
        QCOMPARE(openVolume(u"\\\\.\\Q:"), INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }

    void clusterSize()
    {
        DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
        rawvolume::declareClusterSize(QLatin1Char('Q'), 16384);
        QVERIFY(GetDiskFreeSpaceW(u"Q:\\", &sectors, &bytes, &freeClusters, &total));
        QCOMPARE(quint64(sectors) * bytes, quint64(16384));
        QCOMPARE(bytes, DWORD(512));
        rawvolume::declareClusterSize(QLatin1Char('Q'), -1);
        QVERIFY(!GetDiskFreeSpaceW(u"Q:\\", &sectors, &bytes, &freeClusters, &total));
        rawvolume::declareClusterSize(QLatin1Char('Q'), 0);
        QVERIFY(GetDiskFreeSpaceW(u"Q:\\", &sectors, &bytes, &freeClusters, &total));
    }

    void volumeRoot_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("root");
        QTest::newRow("host path") << "/drive/data.bin"
                                   << "Q:\\";
        QTest::newRow("backslashes") << "/drive\\data.bin"
                                     << "Q:\\";
        QTest::newRow("drive path") << "Q:\\data.bin"
                                    << "Q:\\";
        QTest::newRow("outside every drive") << "/elsewhere/x" << QString();
    }
    void volumeRoot()
    {
        QFETCH(QString, path);
        QFETCH(QString, root);
        if (path.startsWith(QLatin1Char('/')))
            path.prepend(tmp->path());
        WCHAR buffer[MAX_PATH] = {};
        const BOOL ok = GetVolumePathNameW(wstr(path), buffer, MAX_PATH);
        QCOMPARE(bool(ok), !root.isEmpty());
        QCOMPARE(fromWide(buffer), root);
        if (ok) {
            QVERIFY(!GetVolumePathNameW(wstr(path), buffer, 3));
            QCOMPARE(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
        }
    }

    // A file of a host drive that the machine declares no runs for has the host's: none while it fits in its
    // file record, else runs to its last cluster (a simulated volume's file has only the runs declared:
    // tst_shredclusters, "no extents").
    void hostFileRuns_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("replaced"); // a small file takes the name once the handle is open
        QTest::addColumn<bool>("runs");
        QTest::newRow("resident") << 699 << false << false;
        QTest::newRow("outside its record") << 700 << false << true;
        QTest::newRow("the handle's file, not the name's") << (1 << 20) << true << true;
    }
    void hostFileRuns()
    {
        QFETCH(int, size);
        QFETCH(bool, replaced);
        QFETCH(bool, runs);
        QVERIFY(writeFile(file, QByteArray(size, 'r')));
        DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
        QVERIFY(GetDiskFreeSpaceW(u"Q:\\", &sectors, &bytes, &freeClusters, &total));
        HANDLE h = CreateFileW(wstr(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const QString small = tmp->path() + QStringLiteral("/drive/small.bin");
        if (replaced)
            QVERIFY(writeFile(small, "10 bytes..") && std::rename(qPrintable(small), qPrintable(file)) == 0);
        STARTING_VCN_INPUT_BUFFER input = {};
        std::vector<quint64> output(0x20010 / 8);
        IO_STATUS_BLOCK io = {};
        const NTSTATUS st = NtFsControlFile(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input,
                                            sizeof(input), output.data(), 0x20010);
        CloseHandle(h);
        QCOMPARE(st, runs ? STATUS_SUCCESS : STATUS_END_OF_FILE);
        const auto *p = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER *>(output.data());
        if (!runs)
            return;
        QVERIFY(p->ExtentCount > 0);
        QCOMPARE(qint64(p->Extents[p->ExtentCount - 1].NextVcn.QuadPart),
                 (size + qint64(sectors) * bytes - 1) / (qint64(sectors) * bytes));
    }

    // A host mount inside a drive is a volume mounted in a folder, the root of what lies below it.
    void volumeRootAtAMountPoint()
    {
        mapDrive(QLatin1Char('P'), QStringLiteral("/"));
        WCHAR buffer[MAX_PATH] = {};
        for (const char16_t *path : {u"P:\\proc\\self\\", u"P:\\proc"}) {
            QVERIFY(GetVolumePathNameW(path, buffer, MAX_PATH));
            QCOMPARE(fromWide(buffer), QStringLiteral("P:\\proc\\"));
        }
        QVERIFY(GetVolumePathNameW(u"P:\\nothing-here\\x", buffer, MAX_PATH));
        QCOMPARE(fromWide(buffer), QStringLiteral("P:\\"));
    }

    void extentAnswers_data()
    {
        QTest::addColumn<qint64>("startingVcn");
        QTest::addColumn<int>("outputSize");
        QTest::addColumn<qint64>("status");
        QTest::addColumn<qint64>("answerStart");
        QTest::addColumn<QList<qint64>>("answer"); // next VCN and LCN pairs
        const QList<qint64> all{2, 10, 3, -1, 4, 5};
        QTest::newRow("from 0") << qint64(0) << 0x20010 << qint64(STATUS_SUCCESS) << qint64(0) << all;
        QTest::newRow("inside the first run") << qint64(1) << 0x20010 << qint64(STATUS_SUCCESS) << qint64(0) << all;
        QTest::newRow("second run") << qint64(2) << 0x20010 << qint64(STATUS_SUCCESS) << qint64(2)
                                    << QList<qint64>{3, -1, 4, 5};
        QTest::newRow("last run") << qint64(3) << 0x20010 << qint64(STATUS_SUCCESS) << qint64(3) << QList<qint64>{4, 5};
        QTest::newRow("past the end") << qint64(4) << 0x20010 << qint64(STATUS_END_OF_FILE) << qint64(0)
                                      << QList<qint64>{};
        QTest::newRow("two fit") << qint64(0) << 48 << qint64(STATUS_BUFFER_OVERFLOW) << qint64(0)
                                 << QList<qint64>{2, 10, 3, -1};
        QTest::newRow("one fits") << qint64(1) << 40 << qint64(STATUS_BUFFER_OVERFLOW) << qint64(0)
                                  << QList<qint64>{2, 10};
        QTest::newRow("none fits") << qint64(0) << 31 << qint64(STATUS_BUFFER_TOO_SMALL) << qint64(0)
                                   << QList<qint64>{};
    }
    void extentAnswers()
    {
        QFETCH(qint64, startingVcn);
        QFETCH(int, outputSize);
        QFETCH(qint64, status);
        QFETCH(qint64, answerStart);
        QFETCH(QList<qint64>, answer);
        rawvolume::declareExtents(file, {{2, 10}, {3, -1}, {4, 5}});
        HANDLE h = CreateFileW(wstr(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        auto call = reinterpret_cast<NtFsControlFilePtr>(
            reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(u"ntdll.dll"), "NtFsControlFile")));
        QVERIFY(call);
        STARTING_VCN_INPUT_BUFFER input;
        input.StartingVcn.QuadPart = startingVcn;
        std::vector<quint64> output(0x20010 / 8, 0xAAAAAAAAAAAAAAAAull);
        IO_STATUS_BLOCK io = {};
        const NTSTATUS st = call(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof(input),
                                 output.data(), ULONG(outputSize));
        CloseHandle(h);
        QCOMPARE(qint64(st), status);
        if (answer.isEmpty())
            return;
        QCOMPARE(qint64(io.Status), status);
        const auto *pointers = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER *>(output.data());
        QCOMPARE(int(pointers->ExtentCount), int(answer.size() / 2));
        QCOMPARE(qint64(io.Information), qint64(16 + 16 * pointers->ExtentCount));
        QCOMPARE(qint64(pointers->StartingVcn.QuadPart), answerStart);
        for (DWORD i = 0; i < pointers->ExtentCount; ++i) {
            QCOMPARE(qint64(pointers->Extents[i].NextVcn.QuadPart), answer.at(int(2 * i)));
            QCOMPARE(qint64(pointers->Extents[i].Lcn.QuadPart), answer.at(int(2 * i + 1)));
        }
        // Nothing is written past what the answer says it holds.
        QCOMPARE(output.at(io.Information / 8), 0xAAAAAAAAAAAAAAAAull);
    }

    void extentQueryRefusals()
    {
        STARTING_VCN_INPUT_BUFFER input = {};
        quint64 output[8] = {};
        IO_STATUS_BLOCK io = {};
        QCOMPARE(NtFsControlFile(reinterpret_cast<HANDLE>(quintptr(0x4321)), nullptr, nullptr, nullptr, &io,
                                 FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof(input), output, sizeof(output)),
                 STATUS_INVALID_HANDLE);
        HANDLE h = CreateFileW(wstr(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QCOMPARE(
            NtFsControlFile(h, nullptr, nullptr, nullptr, &io, 0x90064, &input, sizeof(input), output, sizeof(output)),
            STATUS_INVALID_DEVICE_REQUEST);
        QCOMPARE(NtFsControlFile(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, 4, output,
                                 sizeof(output)),
                 STATUS_INVALID_PARAMETER);
        // A file whose data lives in its file record has no runs.
        QCOMPARE(NtFsControlFile(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof(input),
                                 output, sizeof(output)),
                 STATUS_END_OF_FILE);
        // A pending answer: the result waits in the status block.
        rawvolume::declareExtents(file, {{1, 7}});
        machine::setSetting(QStringLiteral("fsctl.pending"), QStringLiteral("1"));
        QCOMPARE(NtFsControlFile(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof(input),
                                 output, sizeof(output)),
                 STATUS_PENDING);
        QCOMPARE(io.Status, STATUS_SUCCESS);
        CloseHandle(h);
    }

    void virtualMemory()
    {
        auto *p = static_cast<unsigned char *>(VirtualAlloc(nullptr, 65536, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        QVERIFY(p);
        QCOMPARE(quintptr(p) % 4096, quintptr(0));
        for (int i = 0; i < 65536; ++i)
            QCOMPARE(p[i], 0);
        std::memset(p, 0x5A, 65536);
        QVERIFY(!VirtualFree(p, 65536, MEM_RELEASE));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        QVERIFY(VirtualFree(p, 0, MEM_RELEASE));
        QVERIFY(!VirtualFree(p, 0, MEM_RELEASE));
        QVERIFY(!VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE));

        machine::setSetting(QStringLiteral("memory.allocations.left"), QStringLiteral("2"));
        void *a = VirtualAlloc(nullptr, 100, MEM_COMMIT, PAGE_READWRITE);
        void *b = VirtualAlloc(nullptr, 100, MEM_COMMIT, PAGE_READWRITE);
        QVERIFY(a && b);
        QVERIFY(!VirtualAlloc(nullptr, 100, MEM_COMMIT, PAGE_READWRITE));
        QCOMPARE(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
        QVERIFY(VirtualFree(a, 0, MEM_RELEASE) && VirtualFree(b, 0, MEM_RELEASE));
    }

    void writesAreObserved()
    {
        WriteRecorder recorder;
        HANDLE h = CreateFileW(wstr(file), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = 3;
        QVERIFY(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
        DWORD written = 0;
        QVERIFY(WriteFile(h, "XY", 2, &written, nullptr));
        m->injectFileFault(file, QStringLiteral("diskfull"));
        QVERIFY(!WriteFile(h, "Q", 1, &written, nullptr));
        CloseHandle(h);
        const QList<WriteRecorder::Write> writes = recorder.writes();
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.at(0).path, QDir::cleanPath(file));
        QCOMPARE(writes.at(0).offset, qint64(3));
        QCOMPARE(writes.at(0).data, QByteArray("XY"));
        QCOMPARE(readFile(file), QByteArray("conXYnts"));
    }
};

QTEST_GUILESS_MAIN(TestRawVolume)
#include "tst_rawvolume.moc"
