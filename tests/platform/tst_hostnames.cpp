// Host names that a Windows name could not hold: their spelling to the program (forbidden characters as
// U+F000 + the character, stray bytes as lone surrogates), the way back to the same bytes, and the file calls
// reaching each such file as itself and no other.
#include "linux/files/hostnames.h"
#include "linux/machine/machine.h"
#include "rawnames.h"
#include "testmachine.h"
#include "win32.h"

#include <QtTest>

namespace {

// Text with code units written as {XXXX}: lone surrogates cannot be written in a literal.
QString spelled(const char *text)
{
    QString out = QString::fromUtf8(text);
    for (qsizetype i; (i = out.indexOf(QLatin1Char('{'))) >= 0;)
        out.replace(i, 6, QChar(char16_t(out.mid(i + 1, 4).toUInt(nullptr, 16))));
    return out;
}

QStringList listed(const QString &pattern)
{
    QStringList out;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(wstr(pattern), &data);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &data))
        out << fromWide(data.cFileName);
    FindClose(h);
    return out;
}

} // namespace

class TestHostNames : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QString>("windows");
        QTest::newRow("plain") << QByteArray("report 2024.txt") << spelled("report 2024.txt");
        QTest::newRow("unicode") << QByteArray("caf\xC3\xA9 \xF0\x9F\x98\x80") << QStringLiteral("café 😀");
        QTest::newRow("backslash") << QByteArray("..\\victim.txt") << spelled("..{F05C}victim.txt");
        QTest::newRow("forbidden") << QByteArray("a:*?\"<>|") << spelled("a{F03A}{F02A}{F03F}{F022}{F03C}{F03E}{F07C}");
        QTest::newRow("latin-1") << QByteArray("\xE9t\xE9") << spelled("{DCE9}t{DCE9}");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << spelled("{DCC0}{DCAF}");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << spelled("{DCED}{DCA0}{DC80}");
        QTest::newRow("cut sequence") << QByteArray("x\xE2\x82") << spelled("x{DCE2}{DC82}");
        QTest::newRow("stray after pair") << QByteArray("\xF0\x9F\x98\x80\x80") << spelled("{D83D}{DE00}{DC80}");
        QTest::newRow("mixed") << QByteArray("a\\b\xFF:c") << spelled("a{F05C}b{DCFF}{F03A}c");
        // A name holding a mapped character itself must not come back as "a*".
        QTest::newRow("mapped character") << QByteArray("a\xEF\x80\xAA") << spelled("a{DCEF}{DC80}{DCAA}");
    }
    // Each spelling comes back to its bytes, and the file calls list, read and delete that file only.
    void names()
    {
        QFETCH(QByteArray, host);
        QFETCH(QString, windows);
        QCOMPARE(hostnames::windowsName(host), windows);
        QCOMPARE(hostnames::encode(hostnames::toHost(windows)), host);

        TestMachine m;
        rawnames::Scratch s;
        for (const QByteArray &name : {host, QByteArray("a"), QByteArray("victim.txt")})
            QVERIFY(rawnames::make(s.root + '/' + name, name));
        const QString path = s.dir.path() + QLatin1Char('\\') + windows;
        QCOMPARE(listed(path), QStringList{windows});
        QVERIFY(listed(s.dir.path() + QStringLiteral("\\*")).contains(windows));
        SHFILEINFOW info = {};
        QVERIFY(SHGetFileInfoW(wstr(path), 0, &info, sizeof(info), SHGFI_DISPLAYNAME));
        QCOMPARE(fromWide(info.szDisplayName), windows);
        QVERIFY(DeleteFileW(wstr(path)));
        QCOMPARE(rawnames::read(s.root + '/' + host), QByteArray("<none>"));
        QCOMPARE(rawnames::walk(s.root), 2); // the two names a misread spelling would reach
    }

    // Names Windows would cut short (a final dot or blank) beside the names they would become, on the machine's
    // drive and on the host's: each is listed as its own name, and opened, shredded (overwritten, renamed,
    // deleted) by that name it reaches its own file, never the one beside it. A folder's name reaches what it
    // holds, not what its folder holds.
    void listedNamesReachTheirOwnFiles_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("folder");
        const struct
        {
            const char *row, *host, *listed;
            bool folder;
        } names[] = {
            {"final dot", "report.", "report{F02E}", false},
            {"final blank", "memo ", "memo{F020}", false},
            {"several dots", "v1..", "v1.{F02E}", false},
            {"dot and blank", "x. ", "x.{F020}", false},
            {"three dots", "...", "..{F02E}", false},
            {"forbidden and dot", "a:b?.", "a{F03A}b{F03F}{F02E}", false},
            {"stray byte and dot", "q\xFF.", "q{DCFF}{F02E}", false},
            {"folder of three dots", "...", "..{F02E}", true},
            {"folder with a final blank", "dir ", "dir{F020}", true},
        };
        for (const char *drive : {"C", "Z"})
            for (const auto &n : names)
                QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(drive), QLatin1String(n.row))))
                    << QString::fromLatin1(drive) << QByteArray(n.host) << spelled(n.listed) << n.folder;
    }
    void listedNamesReachTheirOwnFiles()
    {
        QFETCH(QString, drive);
        QFETCH(QByteArray, host);
        QFETCH(QString, shown);
        QFETCH(bool, folder);
        TestMachine m;
        rawnames::Scratch s;
        // The scratch folder on the drive: the machine's drive holds one of its own.
        const QByteArray root =
            drive == QLatin1String("C") ? QFile::encodeName(machine::systemDrive()) + "/names" : s.root;
        QVERIFY(drive == QLatin1String("Z") || rawnames::make(root));
        const QString windows = fromHostPath(QFile::decodeName(root));
        QVERIFY(windows.startsWith(drive + QLatin1String(":\\")));
        // What a dropped dot or blank would reach: the shorter name, and for a folder, its own folder's entry.
        QByteArray shorter = host;
        while (shorter.endsWith('.') || shorter.endsWith(' '))
            shorter.chop(1);
        for (const QByteArray &decoy : {shorter, QByteArray("inner.txt")})
            if (!decoy.isEmpty())
                QVERIFY(rawnames::make(root + '/' + decoy, "decoy"));
        QByteArray file = root + '/' + host;
        QString path = windows + QLatin1Char('\\') + shown;
        if (folder) {
            QVERIFY(rawnames::make(file));
            file += "/inner.txt";
            path += QStringLiteral("\\inner.txt");
        }
        QVERIFY(rawnames::make(file, "own"));
        const QByteArray folderOfFile = file.left(file.lastIndexOf('/'));
        QVERIFY(listed(windows + QStringLiteral("\\*")).contains(shown));

        HANDLE h = CreateFileW(wstr(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        char read[8] = {};
        DWORD n = 0;
        QVERIFY(ReadFile(h, read, sizeof(read), &n, nullptr));
        QCOMPARE(QByteArray(read, int(n)), QByteArray("own"));
        LARGE_INTEGER start = {};
        QVERIFY(SetFilePointerEx(h, start, nullptr, FILE_BEGIN));
        QVERIFY(WriteFile(h, "\0\0\0", 3, &n, nullptr));
        QVERIFY(CloseHandle(h));
        QCOMPARE(rawnames::read(file), QByteArray("\0\0\0", 3));
        const QString scrambled = path.left(path.lastIndexOf(QLatin1Char('\\'))) + QStringLiteral("\\ZZZ.ZZZ");
        QVERIFY(MoveFileW(wstr(path), wstr(scrambled)));
        QVERIFY(DeleteFileW(wstr(scrambled)));
        QCOMPARE(rawnames::read(folderOfFile + "/ZZZ.ZZZ"), QByteArray("<none>"));
        for (const QByteArray &decoy : {shorter, QByteArray("inner.txt")})
            if (!decoy.isEmpty())
                QCOMPARE(rawnames::read(root + '/' + decoy), QByteArray("decoy"));
        if (drive == QLatin1String("C"))
            rawnames::walk(root, true);
    }

    // A '?' that is part of a name is no wildcard: looking that name up finds it alone.
    void mappedWildcardMatchesOnlyItself()
    {
        TestMachine m;
        rawnames::Scratch s;
        QVERIFY(rawnames::make(s.root + "/what?.txt", "1") && rawnames::make(s.root + "/whatX.txt", "2"));
        QCOMPARE(listed(s.dir.path() + spelled("/what{F03F}.txt")), QStringList{spelled("what{F03F}.txt")});
        QCOMPARE(listed(s.dir.path() + QStringLiteral("/what?.txt")).size(), 2);
    }

    // The door: Win32 spellings to the host's for Qt, and Qt's paths and dropped URLs to the Win32 spelling.
    void door_data()
    {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("qt");
        QTest::addColumn<QByteArray>("url");
        QTest::newRow("backslash") << spelled("Z:\\t\\..{F05C}v") << QStringLiteral("/t/..\\v")
                                   << QByteArray("file:///t/..%5Cv");
        QTest::newRow("forbidden") << spelled("Z:\\t\\a{F03A}b{F03F}\\c{F07C}") << QStringLiteral("/t/a:b?/c|")
                                   << QByteArray("file:///t/a:b%3F/c%7C");
    }
    void door()
    {
        QFETCH(QString, windows);
        QFETCH(QString, qt);
        QFETCH(QByteArray, url);
        TestMachine m;
        QCOMPARE(hostPath(windows), qt);
        QCOMPARE(hostPath(QString(windows).replace(QLatin1Char('/'), QLatin1Char('\\'))), qt);
        QCOMPARE(fromHostPath(qt), windows);
        QCOMPARE(fromFileUrl(QUrl::fromEncoded(url)), windows);
        QCOMPARE(fromFileUrl(QUrl::fromEncoded(url + "%FF")), windows + QChar(char16_t(0xDCFF)));
    }
};

QTEST_GUILESS_MAIN(TestHostNames)
#include "tst_hostnames.moc"
