// GetFileInformationByHandle: what tells one file or folder from another, whatever path led to it.
#include "testmachine.h"
#include "win32.h"

#include <QtTest>

namespace {

bool identify(const QString &path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE h = CreateFileW(wstr(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const BOOL ok = GetFileInformationByHandle(h, info);
    CloseHandle(h);
    return ok;
}

quint64 index(const BY_HANDLE_FILE_INFORMATION &info)
{
    return (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

} // namespace

class TestFileIdentity : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path();
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    void oneFolderByTwoPaths()
    {
        QVERIFY(QDir(root).mkpath(QStringLiteral("a/b")));
        QVERIFY(QDir(root).mkpath(QStringLiteral("c")));
        QVERIFY(QFile::link(root + QStringLiteral("/a"), root + QStringLiteral("/link")));
        BY_HANDLE_FILE_INFORMATION a, viaLink, c;
        QVERIFY(identify(root + QStringLiteral("/a"), &a));
        QVERIFY(identify(root + QStringLiteral("\\link"), &viaLink)); // links are followed on opening
        QVERIFY(identify(root + QStringLiteral("/c"), &c));
        QCOMPARE(index(viaLink), index(a));
        QCOMPARE(viaLink.dwVolumeSerialNumber, a.dwVolumeSerialNumber);
        QVERIFY(index(c) != index(a));
        QVERIFY(a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        QVERIFY(!(viaLink.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT));
        QCOMPARE(a.nFileSizeLow, DWORD(0));
    }

    void fileSizeAndAttributes()
    {
        QFile f(root + QStringLiteral("/data.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize((qint64(1) << 32) + 5));
        f.close();
        m->markFileAttributes(f.fileName(), FILE_ATTRIBUTE_HIDDEN);
        BY_HANDLE_FILE_INFORMATION info;
        QVERIFY(identify(f.fileName(), &info));
        QCOMPARE(info.nFileSizeHigh, DWORD(1));
        QCOMPARE(info.nFileSizeLow, DWORD(5));
        QCOMPARE(info.nNumberOfLinks, DWORD(1));
        QCOMPARE(info.dwFileAttributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY),
                 DWORD(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
    }

    void badHandle()
    {
        BY_HANDLE_FILE_INFORMATION info;
        QVERIFY(!GetFileInformationByHandle(INVALID_HANDLE_VALUE, &info));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
};

QTEST_MAIN(TestFileIdentity)
#include "tst_fileidentity.moc"
