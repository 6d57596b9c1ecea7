// The checks made at the moment of deleting: a path still reached without a link below its folder, and a
// file told apart from another one under the same name, from a link to it, and from its other names.
#include "filecheck.h"
#include "testmachine.h"

#include <QtTest>

#include <memory>
#include <unistd.h>

class TestFileCheck : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        dir.reset(new QTemporaryDir);
        root = dir->path();
        QVERIFY(QDir(root).mkpath(QStringLiteral("base/a/b")));
        QVERIFY(QDir(root).mkpath(QStringLiteral("outside/b")));
        QVERIFY(QFile::link(root + QStringLiteral("/outside"), root + QStringLiteral("/base/link")));
        QVERIFY(QFile::link(root + QStringLiteral("/outside/b"), root + QStringLiteral("/base/a/blink")));
    }
    void cleanup()
    {
        dir.reset();
        m.reset();
    }

    void linkFreeBelow_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("free");
        QTest::newRow("file in the base") << "base"
                                          << "base/f.txt" << true;
        QTest::newRow("deep, backslashes") << "base"
                                           << "base\\a\\b\\f.txt" << true;
        QTest::newRow("base with its separator") << "base/"
                                                 << "base/a/f.txt" << true;
        QTest::newRow("the last name a link") << "base"
                                              << "base/a/blink" << true;
        QTest::newRow("through a link") << "base"
                                        << "base/link/b/f.txt" << false;
        QTest::newRow("through a deeper link") << "base"
                                               << "base/a/blink/f.txt" << false;
        QTest::newRow("a folder gone") << "base"
                                       << "base/gone/f.txt" << false;
        QTest::newRow("climbing out") << "base"
                                      << "base/a/../../outside/f.txt" << false;
        QTest::newRow("another folder") << "base/a"
                                        << "base/ab/f.txt" << false;
        QTest::newRow("the base itself") << "base"
                                         << "base" << false;
        QTest::newRow("a folder's name ending in a separator") << "base"
                                                               << "base/a/" << false;
        QTest::newRow("no base") << ""
                                 << "/f.txt" << false;
        QTest::newRow("the root as base") << "/"
                                          << "base/a/f.txt" << true;
        QTest::newRow("the root, through a link") << "/"
                                                  << "base/link/f.txt" << false;
    }
    void linkFreeBelow()
    {
        QFETCH(QString, base);
        QFETCH(QString, path);
        QFETCH(bool, free);
        // The root as base takes the whole path below it.
        const QString full = root + QLatin1Char('/') + path;
        const QString from = base.isEmpty() || base == QLatin1String("/") ? base : root + QLatin1Char('/') + base;
        QCOMPARE(filecheck::linkFreeBelow(from, full), free);
    }

    void identity_data()
    {
        QTest::addColumn<QString>("change"); // what happens to base/a/f.txt after it is identified
        QTest::addColumn<bool>("same");
        QTest::addColumn<int>("links");
        QTest::newRow("nothing") << "" << true << 1;
        QTest::newRow("rewritten in place") << "rewrite" << true << 1;
        QTest::newRow("a second name") << "hardlink" << true << 2;
        QTest::newRow("replaced by another file") << "replace" << false << 1;
        QTest::newRow("replaced by a link to it") << "symlink" << false << 1;
        QTest::newRow("gone") << "remove" << false << 0;
    }
    void identity()
    {
        QFETCH(QString, change);
        QFETCH(bool, same);
        QFETCH(int, links);
        const QString path = root + QStringLiteral("/base/a/f.txt");
        const QString moved = root + QStringLiteral("/outside/f.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("listed") == 6);
        f.close();
        const filecheck::FileIdentity listed = filecheck::identify(path);
        QVERIFY(listed.known);
        QCOMPARE(listed.links, DWORD(1));
        const QByteArray p = QFile::encodeName(path);
        if (change == QLatin1String("rewrite")) {
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write("new") == 3);
            f.close();
        } else if (change == QLatin1String("hardlink")) {
            QCOMPARE(::link(p.constData(), QFile::encodeName(moved).constData()), 0);
        } else if (change == QLatin1String("replace")) {
            // Made before the old one goes, so it cannot take the old one's index.
            QFile other(path + QStringLiteral(".new"));
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.close();
            QCOMPARE(::rename(QFile::encodeName(other.fileName()).constData(), p.constData()), 0);
        } else if (change == QLatin1String("symlink")) {
            QCOMPARE(::rename(p.constData(), QFile::encodeName(moved).constData()), 0);
            QVERIFY(QFile::link(moved, path));
        } else if (change == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        }
        const filecheck::FileIdentity now = filecheck::identify(path);
        QCOMPARE(now.sameFile(listed), same);
        QCOMPARE(filecheck::stillListed(root + QStringLiteral("/base"), path, listed), same);
        QCOMPARE(int(now.links), links);
    }

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
};

QTEST_GUILESS_MAIN(TestFileCheck)
#include "tst_filecheck.moc"
