// Host names that a Windows name could not hold: how they are spelled to the program (the characters Windows
// forbids as U+F000 + the character, stray bytes as lone surrogates), that the spelling comes back to the same
// bytes, and that the file calls reach each such file as itself and no other.
#include "linux/hostnames.h"
#include "rawnames.h"
#include "testmachine.h"
#include "win32.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Text with code units written as {XXXX}: lone surrogates cannot be written in a literal.
QString spelled(const char *text)
{
    QString out;
    const QString s = QString::fromUtf8(text);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('{')) {
            const qsizetype end = s.indexOf(QLatin1Char('}'), i);
            out.append(QChar(char16_t(s.mid(i + 1, end - i - 1).toUInt(nullptr, 16))));
            i = end;
        } else {
            out.append(s.at(i));
        }
    }
    return out;
}

QStringList listed(const QString &pattern)
{
    QStringList out;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(wstr(pattern), &data);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do
        out << fromWide(data.cFileName);
    while (FindNextFileW(h, &data));
    FindClose(h);
    return out;
}

QByteArray readWhole(const QString &path)
{
    HANDLE h = CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return QByteArray();
    char buffer[256];
    DWORD got = 0;
    const BOOL ok = ReadFile(h, buffer, sizeof(buffer), &got, nullptr);
    CloseHandle(h);
    return ok ? QByteArray(buffer, int(got)) : QByteArray();
}

} // namespace

class TestHostNames : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<rawnames::Scratch> scratch;
    QString root;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        scratch.reset(new rawnames::Scratch);
        root = scratch->path();
    }
    void cleanup()
    {
        scratch.reset();
        m.reset();
    }

    void names_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QString>("windows");
        QTest::newRow("plain") << QByteArray("report 2024.txt") << spelled("report 2024.txt");
        QTest::newRow("unicode") << QByteArray("caf\xC3\xA9 \xF0\x9F\x98\x80.txt") << QStringLiteral("café 😀.txt");
        QTest::newRow("backslash") << QByteArray("..\\victim.txt") << spelled("..{F05C}victim.txt");
        QTest::newRow("colon") << QByteArray("a:b") << spelled("a{F03A}b");
        QTest::newRow("star") << QByteArray("a*") << spelled("a{F02A}");
        QTest::newRow("question") << QByteArray("what?") << spelled("what{F03F}");
        QTest::newRow("quote") << QByteArray("\"q\"") << spelled("{F022}q{F022}");
        QTest::newRow("angles") << QByteArray("<a>") << spelled("{F03C}a{F03E}");
        QTest::newRow("bar") << QByteArray("a|b") << spelled("a{F07C}b");
        QTest::newRow("latin-1") << QByteArray("\xE9t\xE9") << spelled("{DCE9}t{DCE9}");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << spelled("{DCC0}{DCAF}");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << spelled("{DCED}{DCA0}{DC80}");
        QTest::newRow("cut sequence") << QByteArray("x\xE2\x82") << spelled("x{DCE2}{DC82}");
        QTest::newRow("stray after pair") << QByteArray("\xF0\x9F\x98\x80\x80") << spelled("{D83D}{DE00}{DC80}");
        QTest::newRow("mixed") << QByteArray("a\\b\xFF:c") << spelled("a{F05C}b{DCFF}{F03A}c");
        // A name that holds a mapped character itself must not come back as "a*".
        QTest::newRow("mapped character") << QByteArray("a\xEF\x80\xAA") << spelled("a{DCEF}{DC80}{DCAA}");
    }
    void names()
    {
        QFETCH(QByteArray, host);
        QFETCH(QString, windows);
        QCOMPARE(hostnames::windowsName(host), windows);
        QCOMPARE(hostnames::encode(hostnames::toHost(windows)), host);
    }

    // Each name lists as its Windows spelling, and that spelling opens, reads and deletes that file only.
    void filesReachedByTheirSpelling_data() { names_data(); }
    void filesReachedByTheirSpelling()
    {
        QFETCH(QByteArray, host);
        QFETCH(QString, windows);
        const QByteArray folder = rawnames::bytesOf(root);
        QVERIFY(rawnames::writeFile(folder + '/' + host, host));
        // The places a misread name would lead to.
        QVERIFY(rawnames::writeFile(folder + "/a", "decoy"));
        QVERIFY(rawnames::writeFile(folder + "/victim.txt", "decoy"));
        QVERIFY(listed(root + QStringLiteral("\\*")).contains(windows));
        const QString path = root + QLatin1Char('\\') + windows;
        QCOMPARE(listed(path), QStringList{windows});
        QCOMPARE(readWhole(path), host);
        QVERIFY(GetFileAttributesW(wstr(path)) != INVALID_FILE_ATTRIBUTES);
        SHFILEINFOW info = {};
        QVERIFY(SHGetFileInfoW(wstr(path), 0, &info, sizeof(info), SHGFI_DISPLAYNAME));
        QCOMPARE(fromWide(info.szDisplayName), windows);
        QVERIFY(DeleteFileW(wstr(path)));
        QVERIFY(!rawnames::exists(folder + '/' + host));
        QCOMPARE(rawnames::countFiles(folder), 2);
    }

    // A '?' or '*' that is part of a name is no wildcard: the lookup of that one name finds it alone.
    void mappedWildcardsMatchOnlyThemselves()
    {
        const QByteArray folder = rawnames::bytesOf(root);
        for (const char *name : {"what?.txt", "whatX.txt", "a*", "ab"})
            QVERIFY(rawnames::writeFile(folder + '/' + name, name));
        QCOMPARE(listed(root + spelled("/what{F03F}.txt")), QStringList{spelled("what{F03F}.txt")});
        QCOMPARE(listed(root + spelled("/a{F02A}")), QStringList{spelled("a{F02A}")});
        QCOMPARE(listed(root + QStringLiteral("/what?.txt")).size(), 2);
    }

    // The door: Win32 spellings to the host's for Qt, and paths that Qt or a drop give to the Win32 spelling.
    void doorConversions_data()
    {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("qt");
        QTest::addColumn<QByteArray>("url");
        QTest::newRow("backslash") << spelled("/t/..{F05C}v.txt") << QStringLiteral("/t/..\\v.txt")
                                   << QByteArray("file:///t/..%5Cv.txt");
        QTest::newRow("forbidden") << spelled("/t/a{F03A}b{F03F}/c{F07C}") << QStringLiteral("/t/a:b?/c|")
                                   << QByteArray("file:///t/a:b%3F/c%7C");
        QTest::newRow("plain") << QStringLiteral("/t/caf\u00e9/x") << QStringLiteral("/t/caf\u00e9/x")
                               << QByteArray("file:///t/caf%C3%A9/x");
    }
    void doorConversions()
    {
        QFETCH(QString, windows);
        QFETCH(QString, qt);
        QFETCH(QByteArray, url);
        QCOMPARE(hostPath(windows), qt);
        QCOMPARE(fromHostPath(qt), windows);
        QCOMPARE(fromFileUrl(QUrl::fromEncoded(url)), windows);
        // Windows separators in the Win32 spelling are still separators.
        QCOMPARE(hostPath(QString(windows).replace(QLatin1Char('/'), QLatin1Char('\\'))), qt);
    }

    // A dropped file whose name is not UTF-8 keeps its bytes, which Qt's own decoding of the URL loses.
    void droppedNameThatIsNotUtf8()
    {
        const QByteArray host = rawnames::bytesOf(root) + "/r\xE9sum\xE9.txt";
        QVERIFY(rawnames::writeFile(host, "cv"));
        const QUrl url = QUrl::fromEncoded("file://" + host.toPercentEncoding("/"));
        const QString path = fromFileUrl(url);
        QCOMPARE(path, root + spelled("/r{DCE9}sum{DCE9}.txt"));
        QCOMPARE(readWhole(path), QByteArray("cv"));
    }

    // The folder browser hands back the Win32 spelling of what was chosen.
    void folderBrowserGivesTheWin32Spelling()
    {
        const QByteArray host = rawnames::bytesOf(root) + "/a\\b:";
        QVERIFY(rawnames::makeFolder(host));
        m->answerFolderBrowser(root + spelled("/a{F05C}b{F03A}"));
        BROWSEINFOW info = {};
        PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
        QVERIFY(item);
        WCHAR path[MAX_PATH] = {};
        QVERIFY(SHGetPathFromIDListW(item, path));
        CoTaskMemFree(item);
        QCOMPARE(fromWide(path), root + spelled("/a{F05C}b{F03A}"));
        QVERIFY(GetFileAttributesW(path) & FILE_ATTRIBUTE_DIRECTORY);
    }
};

QTEST_GUILESS_MAIN(TestHostNames)
#include "tst_hostnames.moc"
