// Secure Delete on host names that Windows could not hold: a dropped file or folder is shredded as itself, and
// a name with backslashes in it never leads the shredding out of what was dropped.
#include "linux/files/hostnames.h"
#include "rawnames.h"
#include "securedeleteform.h"
#include "shredsupport.h"
#include "testmachine.h"
#include "ui_securedeleteform.h"

#include <QSet>
#include <QStandardItemModel>
#include <QtTest>

class TestShredNames : public QObject
{
    Q_OBJECT

private slots:
    void droppedItemIsShreddedAsItself_data()
    {
        QTest::addColumn<QByteArrayList>("made"); // in order; a name ending in '/' is a folder
        QTest::addColumn<QByteArray>("dropped");
        QTest::addColumn<int>("kept"); // files left outside what was dropped
        QTest::newRow("folder holding ..\\victim.txt")
            << QByteArrayList{"victim.txt", "in/", "in/..\\victim.txt", "in/plain.txt"} << QByteArray("in") << 1;
        QTest::newRow("folder holding ..\\..\\victim.txt")
            << QByteArrayList{"victim.txt", "o/", "o/victim.txt", "o/in/", "o/in/..\\..\\victim.txt"}
            << QByteArray("o/in") << 2;
        QTest::newRow("file named ..\\victim.txt")
            << QByteArrayList{"victim.txt", "in/", "in/..\\victim.txt"} << QByteArray("in/..\\victim.txt") << 1;
        // What Qt would make of the name (U+FFFD for each stray byte) is another file, which stays.
        QTest::newRow("file not UTF-8") << QByteArrayList{"r\xE9s.txt", "r\xEF\xBF\xBDs.txt"}
                                        << QByteArray("r\xE9s.txt") << 1;
        QTest::newRow("folder not UTF-8")
            << QByteArrayList{"\xE9t\xE9/", "\xE9t\xE9/a:b.txt", "\xE9t\xE9/d\xFF/", "\xE9t\xE9/d\xFF/<?>"}
            << QByteArray("\xE9t\xE9") << 0;
    }
    void droppedItemIsShreddedAsItself()
    {
        QFETCH(QByteArrayList, made);
        QFETCH(QByteArray, dropped);
        QFETCH(int, kept);
        TestMachine m;
        rawnames::Scratch s;
        for (const QByteArray &name : made)
            QVERIFY(rawnames::make(s.root + '/' + name.chopped(name.endsWith('/')),
                                   name.endsWith('/') ? QByteArray() : name));
        const QByteArray target = s.root + '/' + dropped;
        const int inside = qMax(1, rawnames::walk(target));

        SecureDeleteForm form;
        form.options.DeleteMode = 2;
        WriteRecorder recorder;
        emit form.ui->ffTreeView->addURL(fromFileUrl(QUrl::fromEncoded("file://" + target.toPercentEncoding("/"))));
        form.ui->ffDeleteButton->click();
        QTRY_VERIFY(!form.deleteRunning);
        QCOMPARE(form.listModel->rowCount(), 0);
        QCOMPARE(rawnames::read(target), QByteArray("<none>"));
        QCOMPARE(rawnames::walk(s.root), kept);
        for (const QByteArray &name : made)
            if (!name.startsWith(dropped) && !name.endsWith('/'))
                QCOMPARE(rawnames::read(s.root + '/' + name), name);
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
