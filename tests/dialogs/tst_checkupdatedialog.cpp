// The update check: the update file's parser and the version comparison as pure functions, and whole runs
// against a local server reached through the machine's URL override: an update, none, and failed requests
// (an HTTP error, a refused connection, a server that never answers), which must not read as "no update".
#include "checkupdatedialog.h"
#include "localhttpserver.h"
#include "mainwindow.h"
#include "productinfo.h"
#include "testmachine.h"
#include "toolbarrun.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QtTest>

namespace {

const QString checking = QStringLiteral("Checking for update ...");
const QString noUpdate = QStringLiteral("There are no software updates available at this time.");
const QString failed = QStringLiteral("Could not check for updates. Please try again later.");
const QString requestLine = QStringLiteral("GET /Hushdeck10Plus/update.txt HTTP/1.1");

} // namespace

class TestCheckUpdateDialog : public QObject
{
    Q_OBJECT

private:
    static QLabel *label(QWidget *d, const char *name) { return d->findChild<QLabel *>(QLatin1String(name)); }
    static QPushButton *button(QWidget *d, const char *name)
    {
        return d->findChild<QPushButton *>(QLatin1String(name));
    }

    // Sends the update host to the local server.
    void pointUpdateHostAt(const QString &base) { m->overrideUrl(QStringLiteral("http://" HUSHDECK_MAKER_HOST), base); }

    // Waits until the dialog's request has ended, however it ended.
    static bool waitForReply(CheckUpdateDialog *d)
    {
        auto *manager = d->findChild<QNetworkAccessManager *>();
        if (!manager)
            return false;
        if (label(d, "messageLabel")->text() != checking)
            return true;
        QSignalSpy spy(manager, &QNetworkAccessManager::finished);
        return spy.wait(10000);
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        CheckUpdateDialog::requestTimeout = 20000;
        CheckUpdateDialog::checkDeadline = 30000;
    }
    void cleanup() { m.reset(); }

    void parser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("complete");
        QTest::newRow("plain") << "majorVersion=3;minorVersion=4" << 3 << 4 << true;
        QTest::newRow("trailing CRLF") << "majorVersion=3;minorVersion=4\r\n" << 3 << 4 << true;
        QTest::newRow("CRLF between items") << "majorVersion=3;\r\nminorVersion=4\r\n" << 3 << 4 << true;
        QTest::newRow("CRLF inside an item") << "major\r\nVersion=5;minorVersion=1\r\n0" << 5 << 10 << true;
        // A bare line feed is not dropped: the key after it keeps it and is not recognised.
        QTest::newRow("LF between items") << "majorVersion=3;\nminorVersion=4\n" << 3 << 0 << false;
        QTest::newRow("trailing LF") << "majorVersion=3;minorVersion=4\n" << 3 << 4 << true;
        QTest::newRow("lone CR before key") << "majorVersion=3;\rminorVersion=4" << 3 << 0 << false;
        QTest::newRow("key case") << "MajorVersion=4;minorversion=1" << 0 << 0 << false;
        QTest::newRow("blank before =") << "majorVersion =4;minorVersion=5" << 0 << 5 << false;
        QTest::newRow("only minor") << "minorVersion=9" << 0 << 9 << false;
        QTest::newRow("empty values") << "majorVersion=;minorVersion=" << 0 << 0 << false;
        QTest::newRow("not a number") << "majorVersion=x;minorVersion=4" << 0 << 4 << false;
        QTest::newRow("value holds =") << "majorVersion=3=4;minorVersion=2" << 0 << 2 << false;
        QTest::newRow("key given twice") << "majorVersion=2;majorVersion=5;majorVersion=" << 0 << 0 << false;
        QTest::newRow("major given, then not a number")
            << "majorVersion=4;minorVersion=1;majorVersion=4a" << 0 << 1 << false;
        QTest::newRow("last of two") << "minorVersion=2;minorVersion=7" << 0 << 7 << false;
        QTest::newRow("empty file") << "" << 0 << 0 << false;
        QTest::newRow("other items") << ";;foo;=;bar=1;majorVersion=4;" << 4 << 0 << false;
        QTest::newRow("negative") << "majorVersion=-1;minorVersion=-2" << -1 << -2 << true;
        QTest::newRow("html page") << "<html><body>Not Found</body></html>" << 0 << 0 << false;
    }

    void parser()
    {
        QFETCH(QString, text);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(bool, complete);
        const CheckUpdateDialog::RemoteVersion v = CheckUpdateDialog::parseUpdateFile(text);
        QCOMPARE(v.majorVersion, major);
        QCOMPARE(v.minorVersion, minor);
        QCOMPARE(v.complete(), complete);
    }

    void newer_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("newer");
        QTest::newRow("3.4") << 3 << 4 << true;
        QTest::newRow("4.0") << 4 << 0 << true;
        QTest::newRow("3.3") << 3 << 3 << false;
        QTest::newRow("2.9") << 2 << 9 << false;
        QTest::newRow("0.9") << 0 << 9 << false;
        QTest::newRow("-1.99") << -1 << 99 << false;
        QTest::newRow("3.-1") << 3 << -1 << false;
        QTest::newRow("10.0") << 10 << 0 << true;
    }

    void newer()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(bool, newer);
        QCOMPARE(CheckUpdateDialog::isNewer({major, minor}), newer);
    }

    void form()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.stayQuiet();
        pointUpdateHostAt(server.base());
        CheckUpdateDialog d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Check Update"));
        QCOMPARE(d.size(), QSize(419, 217));
        QCOMPARE(label(&d, "label")->text(), QStringLiteral("Check Update"));
        QCOMPARE(label(&d, "installVersionLabel")->text(), QStringLiteral("Installed Version: 3.3"));
        QCOMPARE(label(&d, "messageLabel")->text(), checking);
        QVERIFY(!label(&d, "label_4")->pixmap().isNull());
        QVERIFY(button(&d, "downloadButton")->isHidden());
        QCOMPARE(button(&d, "downloadButton")->text(), QStringLiteral("Download update"));
        QCOMPARE(button(&d, "closeButton")->text(), QStringLiteral("Close"));
    }

    void run_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("download");
        QTest::newRow("update") << 200 << QByteArray("majorVersion=3;\r\nminorVersion=4\r\n")
                                << "Version 3.4 is available to download." << true;
        QTest::newRow("new major") << 200 << QByteArray("majorVersion=4;minorVersion=0")
                                   << "Version 4.0 is available to download." << true;
        QTest::newRow("same version") << 200 << QByteArray("majorVersion=3;minorVersion=3\n") << noUpdate << false;
        QTest::newRow("older") << 200 << QByteArray("majorVersion=2;minorVersion=9") << noUpdate << false;
        // An answer that names no version is a failed check, not "no update".
        QTest::newRow("empty") << 200 << QByteArray() << failed << false;
        QTest::newRow("HTML page") << 200
                                   << QByteArray(
                                          "<!DOCTYPE html>\n<html><body><p>Sign in to continue</p></body></html>")
                                   << failed << false;
        QTest::newRow("only minor") << 200 << QByteArray("minorVersion=9") << failed << false;
        QTest::newRow("only major") << 200 << QByteArray("majorVersion=4\r\n") << failed << false;
        QTest::newRow("major not a number") << 200 << QByteArray("majorVersion=four;minorVersion=0") << failed << false;
        QTest::newRow("minor empty") << 200 << QByteArray("majorVersion=4;minorVersion=") << failed << false;
        // An error page that happens to hold a newer version is still an error.
        QTest::newRow("not found") << 404 << QByteArray("majorVersion=9;minorVersion=9") << failed << false;
        QTest::newRow("forbidden") << 403 << QByteArray("Forbidden") << failed << false;
        QTest::newRow("server error") << 500 << QByteArray() << failed << false;
        // The update file is tiny: an answer beyond its cap is none, whatever it starts with.
        const QByteArray update = "majorVersion=3;minorVersion=4;";
        QTest::newRow("at the cap") << 200 << update + QByteArray(4096 - update.size(), ';')
                                    << "Version 3.4 is available to download." << true;
        QTest::newRow("beyond the cap") << 200 << update + QByteArray(4097 - update.size(), ';') << failed << false;
    }

    void run()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        QFETCH(bool, download);

        LocalHttpServer server;
        QVERIFY(server.start());
        server.answer(status, body);
        pointUpdateHostAt(server.base());

        auto *d = new CheckUpdateDialog;
        QPointer<CheckUpdateDialog> guard(d);
        QVERIFY(waitForReply(d));
        QCOMPARE(server.requestLines, QStringList{requestLine});
        QCOMPARE(label(d, "messageLabel")->text(), message);
        QCOMPARE(!button(d, "downloadButton")->isHidden(), download);
        button(d, "closeButton")->click();
        QTRY_VERIFY(guard.isNull());
    }

    void refusedConnection()
    {
        // A port that was just free and is closed again: the connection is refused.
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        pointUpdateHostAt(QStringLiteral("http://127.0.0.1:%1").arg(port));
        CheckUpdateDialog d;
        QVERIFY(waitForReply(&d));
        QCOMPARE(label(&d, "messageLabel")->text(), failed);
        QVERIFY(button(&d, "downloadButton")->isHidden());
    }

    void silentServerTimesOut()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.stayQuiet();
        pointUpdateHostAt(server.base());
        CheckUpdateDialog::requestTimeout = 300;
        CheckUpdateDialog d;
        QSignalSpy asked(&server, &LocalHttpServer::requestReceived);
        QVERIFY(asked.wait(5000));
        QCOMPARE(label(&d, "messageLabel")->text(), checking);
        QVERIFY(waitForReply(&d));
        QCOMPARE(label(&d, "messageLabel")->text(), failed);
        QVERIFY(button(&d, "downloadButton")->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 30000); // given up, not left hanging
    }

    // An answer that never ends, fast or a byte at a time, ends the check as failed: the fast one at the size
    // cap, the slow one (which no transfer time-out trips) at the check's deadline.
    void endlessAnswerFails_data()
    {
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<int>("deadline");
        QTest::newRow("fast") << QByteArray("majorVersion=3;minorVersion=4;").repeated(64) << 0 << 30000;
        QTest::newRow("a byte at a time") << QByteArray(";") << 50 << 500;
    }
    void endlessAnswerFails()
    {
        QFETCH(QByteArray, piece);
        QFETCH(int, intervalMs);
        QFETCH(int, deadline);
        LocalHttpServer server;
        QVERIFY(server.start());
        server.trickle(piece, intervalMs);
        pointUpdateHostAt(server.base());
        CheckUpdateDialog::requestTimeout = 300;
        CheckUpdateDialog::checkDeadline = deadline;
        QElapsedTimer clock;
        clock.start();
        CheckUpdateDialog d;
        QVERIFY(waitForReply(&d));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(label(&d, "messageLabel")->text(), failed);
        QVERIFY(button(&d, "downloadButton")->isHidden());
        // The server hears of the close only once what it had sent is gone: a slow build under load takes seconds.
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 30000);
    }

    void closeBeforeTheReplyAbandonsTheRequest()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.stayQuiet();
        pointUpdateHostAt(server.base());
        auto *d = new CheckUpdateDialog;
        QPointer<CheckUpdateDialog> guard(d);
        QSignalSpy asked(&server, &LocalHttpServer::requestReceived);
        QVERIFY(asked.wait(5000));
        QCOMPARE(server.openConnections(), 1);
        button(d, "closeButton")->click();
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 30000);
    }

    void downloadOpensTheProductPage()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.answer(200, "majorVersion=3;minorVersion=4");
        pointUpdateHostAt(server.base());
        CheckUpdateDialog d;
        QVERIFY(waitForReply(&d));
        QVERIFY(!button(&d, "downloadButton")->isHidden());
        button(&d, "downloadButton")->click();
        QCOMPARE(m->logged(QStringLiteral("Start")).size(), 1);
        QVERIFY(m->logged(QStringLiteral("Start")).first().contains(QStringLiteral(HUSHDECK_PRODUCT_PAGE)));
    }

    // From the main window's toolbar: a modal dialog made anew, freed when closed with the close box.
    void fromTheMainWindow_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("close box") << true;
        QTest::newRow("Close button") << false;
    }

    void fromTheMainWindow()
    {
        QFETCH(bool, closeBox);
        LocalHttpServer server;
        QVERIFY(server.start());
        server.answer(200, "majorVersion=3;minorVersion=5");
        pointUpdateHostAt(server.base());

        MainWindow w;
        w.show();
        for (int round = 0; round < 2; ++round) {
            bool replied = false;
            QString message;
            const auto run =
                runFromToolbar<CheckUpdateDialog>(w, QStringLiteral("Check Update"), [&](CheckUpdateDialog *d) {
                    replied = waitForReply(d);
                    message = label(d, "messageLabel")->text();
                    if (closeBox)
                        d->close();
                    else
                        button(d, "closeButton")->click();
                });
            QVERIFY(run.ran);
            QVERIFY(run.modal);
            QVERIFY(replied);
            QCOMPARE(message, QStringLiteral("Version 3.5 is available to download."));
            QTRY_VERIFY(run.dialog.isNull());
            QVERIFY(w.findChildren<CheckUpdateDialog *>().isEmpty());
        }
        QCOMPARE(server.requestLines.size(), 2);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestCheckUpdateDialog)
#include "tst_checkupdatedialog.moc"
