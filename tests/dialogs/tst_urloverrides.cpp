// The machine's URL overrides: which addresses they rewrite and how, and that a request sent through
// them reaches the local server.
#include "localhttpserver.h"
#include "testmachine.h"
#include "win32.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

class TestUrlOverrides : public QObject
{
    Q_OBJECT

private slots:
    // Only the overrides each case sets: not the test machine's own closed port for every other address.
    void init()
    {
        m.reset(new TestMachine);
        m->clearUrlOverrides();
    }
    void cleanup() { m.reset(); }

    void rewrite_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("expected");
        QTest::newRow("host") << "http://www.example.com/a/b.txt?x=1"
                              << "http://127.0.0.1:1234/a/b.txt?x=1";
        QTest::newRow("longer prefix wins") << "http://www.example.com/archive/img.xml?idx=0"
                                            << "http://127.0.0.1:5678/img.xml?idx=0";
        QTest::newRow("root only") << "http://www.example.com"
                                   << "http://127.0.0.1:1234";
        QTest::newRow("other host") << "http://www.example.org/a"
                                    << "http://www.example.org/a";
        QTest::newRow("other scheme") << "https://www.example.com/a"
                                      << "https://www.example.com/a";
        QTest::newRow("host as prefix of another host") << "http://www.example.community/a"
                                                        << "http://www.example.community/a";
    }

    void rewrite()
    {
        QFETCH(QString, url);
        QFETCH(QString, expected);
        m->overrideUrl(QStringLiteral("http://www.example.com/archive/"), QStringLiteral("http://127.0.0.1:5678/"));
        m->overrideUrl(QStringLiteral("http://www.example.com/"), QStringLiteral("http://127.0.0.1:1234/"));
        m->overrideUrl(QStringLiteral("http://www.example.com"), QStringLiteral("http://127.0.0.1:1234"));
        QCOMPARE(machineUrl(QUrl(url)).toString(), expected);
    }

    void noOverrideLeavesTheUrl()
    {
        const QUrl url(QStringLiteral("http://www.example.com/x?y=%20z"));
        QCOMPARE(machineUrl(url), url);
    }

    void aRequestReachesTheLocalServer()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.answer(200, "hello");
        m->overrideUrl(QStringLiteral("http://www.example.com/"), server.base() + QLatin1Char('/'));
        QNetworkAccessManager manager;
        QNetworkReply *reply =
            manager.get(QNetworkRequest(machineUrl(QUrl(QStringLiteral("http://www.example.com/f.txt")))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(10000));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(reply->readAll(), QByteArray("hello"));
        QCOMPARE(server.requestLines, QStringList{QStringLiteral("GET /f.txt HTTP/1.1")});
        delete reply;
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestUrlOverrides)
#include "tst_urloverrides.moc"
