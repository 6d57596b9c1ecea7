// The extension look-up of both scans: the key is "." and all after the first dot, in any letter case.
#include "extensiontable.h"

#include <QtTest>

class TestExtensionTable : public QObject
{
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        const QString longExtension = QStringLiteral(".") + QString(80, QLatin1Char('x'));
        QTest::newRow("plain") << QStringLiteral("a.txt") << 1;
        QTest::newRow("any case, first added wins") << QStringLiteral("A.TXT") << 1;
        QTest::newRow("all after the first dot") << QStringLiteral("b.tar.gz") << 3;
        QTest::newRow("only the last part listed") << QStringLiteral("b.old.gz") << -1;
        QTest::newRow("no dot") << QStringLiteral("README") << 4;
        QTest::newRow("a dot alone") << QStringLiteral("x.") << 5;
        QTest::newRow("longer than a short key") << QStringLiteral("f") + longExtension.toUpper() << 6;
        QTest::newRow("unknown") << QStringLiteral("c.doc") << -1;
    }

    void find()
    {
        QFETCH(QString, name);
        QFETCH(int, expected);
        ExtensionTable table;
        table.add(QStringLiteral(".Txt"), 1);
        table.add(QStringLiteral(".txt"), 2);
        table.add(QStringLiteral(".tar.gz"), 3);
        table.add(QStringLiteral("<none>"), 4);
        table.add(QStringLiteral("."), 5);
        table.add(QStringLiteral(".") + QString(80, QLatin1Char('x')), 6);
        table.finish();
        QCOMPARE(table.find(name, u"<none>"), expected);
    }
};

QTEST_GUILESS_MAIN(TestExtensionTable)
#include "tst_extensiontable.moc"
