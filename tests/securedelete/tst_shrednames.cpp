// Secure Delete on host names that Windows could not hold: a dropped file or folder is shredded as itself,
// whatever its name, and a name with backslashes inside it never leads the shredding out of what was chosen.
#include "linux/hostnames.h"
#include "rawnames.h"
#include "securedeleteform.h"
#include "shredsupport.h"
#include "testmachine.h"
#include "ui_securedeleteform.h"

#include <QSet>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

class TestShredNames : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<rawnames::Scratch> scratch;
    QByteArray root;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        scratch.reset(new rawnames::Scratch);
        root = scratch->root;
    }
    void cleanup()
    {
        scratch.reset();
        m.reset();
    }

    void droppedItemIsShreddedAsItself_data()
    {
        QTest::addColumn<QByteArrayList>("folders"); // made first, in order
        QTest::addColumn<QByteArrayList>("files");   // each holds its own name
        QTest::addColumn<QByteArray>("dropped");
        QTest::addColumn<QByteArrayList>("kept"); // files outside what was dropped
        QTest::newRow("folder holding ..\\victim.txt")
            << QByteArrayList{"outer", "outer/chosen"}
            << QByteArrayList{"outer/victim.txt", "outer/chosen/..\\victim.txt", "outer/chosen/plain.txt"}
            << QByteArray("outer/chosen") << QByteArrayList{"outer/victim.txt"};
        QTest::newRow("folder holding ..\\..\\victim.txt two deep")
            << QByteArrayList{"outer", "outer/chosen", "outer/chosen/sub"}
            << QByteArrayList{"victim.txt", "outer/victim.txt", "outer/chosen/sub/..\\..\\victim.txt",
                              "outer/chosen/sub/..\\..\\..\\victim.txt"}
            << QByteArray("outer/chosen") << QByteArrayList{"victim.txt", "outer/victim.txt"};
        QTest::newRow("file named ..\\victim.txt")
            << QByteArrayList{"outer", "outer/chosen"}
            << QByteArrayList{"outer/victim.txt", "outer/chosen/..\\victim.txt", "outer/chosen/other.txt"}
            << QByteArray("outer/chosen/..\\victim.txt")
            << QByteArrayList{"outer/victim.txt", "outer/chosen/other.txt"};
        // The name Qt would make of it (U+FFFD for each stray byte) is another file, which stays.
        QTest::newRow("file not UTF-8") << QByteArrayList{}
                                        << QByteArrayList{"r\xE9sum\xE9.txt", "r\xEF\xBF\xBDsum\xEF\xBF\xBD.txt"}
                                        << QByteArray("r\xE9sum\xE9.txt")
                                        << QByteArrayList{"r\xEF\xBF\xBDsum\xEF\xBF\xBD.txt"};
        QTest::newRow("folder not UTF-8 holding forbidden characters")
            << QByteArrayList{"\xE9t\xE9", "\xE9t\xE9/d\xFF"}
            << QByteArrayList{"\xE9t\xE9/a:b.txt", "\xE9t\xE9/d\xFF/what?.txt", "\xE9t\xE9/d\xFF/<|>"}
            << QByteArray("\xE9t\xE9") << QByteArrayList{};
    }
    void droppedItemIsShreddedAsItself()
    {
        QFETCH(QByteArrayList, folders);
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArray, dropped);
        QFETCH(QByteArrayList, kept);
        for (const QByteArray &f : folders)
            QVERIFY(rawnames::makeFolder(root + '/' + f));
        for (const QByteArray &f : files)
            QVERIFY(rawnames::writeFile(root + '/' + f, secretBytes(3000) + f));
        const QByteArray target = root + '/' + dropped;
        const int inside = rawnames::countFiles(target) + (rawnames::countFiles(target) == 0 ? 1 : 0);

        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        WriteRecorder recorder;
        // Dropped as a file manager gives it: a URL of the host bytes.
        emit form.ui->ffTreeView->addURL(fromFileUrl(QUrl::fromEncoded("file://" + target.toPercentEncoding("/"))));
        QCOMPARE(form.listModel->rowCount(), 1);
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);

        QCOMPARE(form.listModel->rowCount(), 0);
        QVERIFY(!rawnames::exists(target));
        for (const QByteArray &f : kept)
            QCOMPARE(rawnames::readFile(root + '/' + f), secretBytes(3000) + f);
        // Every file of what was dropped was overwritten, and nothing else was written.
        const QString below = hostnames::decode(target);
        QSet<QString> written;
        for (const WriteRecorder::Write &w : recorder.writes()) {
            QVERIFY2(w.path == below || w.path.startsWith(below + QLatin1Char('/')), qPrintable(w.path));
            written.insert(w.path);
        }
        QCOMPARE(written.size(), inside);
    }
};

QTEST_MAIN(TestShredNames)
#include "tst_shrednames.moc"
