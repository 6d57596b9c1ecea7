// Host names that a Windows name could not hold: their spelling to the program (forbidden characters as
// U+F000 + the character, stray bytes as lone surrogates), the way back to the same bytes, and the file calls
// reaching each such file as itself and no other.
#include "linux/files/hostnames.h"
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
