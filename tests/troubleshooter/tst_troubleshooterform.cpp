// The Troubleshooter page: cache files deleted and counted as they really went, a file in use counted apart,
// nothing outside the cache folder touched, the DNS program's output shown and the Store program's start.
#include "linux/machine/machine.h"
#include "swapracer.h"
#include "testmachine.h"
#include "troubleshooterform.h"
#include "whenmodal.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Box
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
};

// Clicks OK on every message box the page shows and keeps what each said.
class BoxAnswerer : public QObject
{
public:
    QList<Box> boxes;
    BoxAnswerer()
    {
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes.append(Box{box->windowTitle(), box->text(), box->icon(), box->textFormat()});
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer.start();
    }

private:
    QTimer timer;
};

QString cacheFolder()
{
    return machine::userProfile() + QStringLiteral("/AppData/Local/Microsoft/Windows/Explorer");
}

void write(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("CMMM") != 4)
        qFatal("cannot write %s", qPrintable(path));
}

void click(TroubleshooterForm &page, const char *button)
{
    page.findChild<QPushButton *>(QLatin1String(button))->click();
}

const QString restartIcon =
    QStringLiteral("\n Restart your computer to force Windows to build new icon cache database files.");

} // namespace

class TestTroubleshooter : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;

private slots:
    void init() { m = std::make_unique<TestMachine>(); }
    void cleanup() { m.reset(); }

    void texts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("text");
        QTest::newRow("icon title") << "IconCacheTitle"
                                    << "Rebuild Icon Cache ";
        QTest::newRow("thumbnail title") << "ThumbnailCacheTitle"
                                         << "Rebuild Thumbnail  Cache ";
        QTest::newRow("dns second") << "DNSCacheDesc2"
                                    << " In this case clearing the DNS cache will solve your problem.";
        QTest::newRow("thumbnail second") << "ThumbnailCacheDesc2"
                                          << " To fix this problem simply clear the  thumbnail database and force "
                                             "Windows to create a new one. ";
        QTest::newRow("store button") << "MicrosoftStoreCachePushButton"
                                      << "Clear Microsoft Store Cache";
    }

    void texts()
    {
        QFETCH(QString, object);
        QFETCH(QString, text);
        TroubleshooterForm page;
        QObject *w = page.findChild<QWidget *>(object);
        QVERIFY(w);
        QCOMPARE(w->property("text").toString(), text);
    }

    void seededCachesAreCleared_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("icons") << "IconCachePushButton"
                               << "3 icon cache database files have been successfully cleared." + restartIcon;
        QTest::newRow("thumbnails") << "ThumbnailCachePushButton"
                                    << "3 thumbnail cache database files have been successfully cleared.\n Restart "
                                       "your computer to force Windows to build new thumbnail cache database files.";
    }

    void seededCachesAreCleared()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        const QStringList before = QDir(cacheFolder()).entryList(QDir::Files);
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, qPrintable(button));
        QCOMPARE(answers.boxes.size(), 1);
        QCOMPARE(answers.boxes.first().title, QStringLiteral("Keelrun Hushdeck Plus!"));
        QCOMPARE(answers.boxes.first().text, text);
        // The other kind's files are still there.
        QCOMPARE(QDir(cacheFolder()).entryList(QDir::Files).size(), before.size() - 3);
    }

    void cacheFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("locked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("left");
        const QString one = QStringLiteral("Icon cache database files have been successfully cleared.") + restartIcon;
        QTest::newRow("one file") << QStringList{"iconcache_16.db"} << QStringList() << one << QStringList();
        QTest::newRow("two files") << QStringList{"iconcache_16.db", "iconcache_32.db"} << QStringList()
                                   << "2 icon cache database files have been successfully cleared." + restartIcon
                                   << QStringList();
        QTest::newRow("nothing matches") << QStringList{"iconcache.txt", "thumbcache_96.db"} << QStringList() << one
                                         << QStringList{"iconcache.txt", "thumbcache_96.db"};
        QTest::newRow("one of three in use")
            << QStringList{"iconcache_16.db", "iconcache_32.db", "iconcache_48.db"} << QStringList{"iconcache_32.db"}
            << "2 icon cache database files have been successfully cleared." + restartIcon +
                   "\n1 icon cache database file could not be deleted."
            << QStringList{"iconcache_32.db"};
        QTest::newRow("all in use") << QStringList{"iconcache_16.db", "iconcache_32.db"}
                                    << QStringList{"iconcache_16.db", "iconcache_32.db"}
                                    << "2 icon cache database files could not be deleted."
                                    << QStringList{"iconcache_16.db", "iconcache_32.db"};
        QTest::newRow("one deleted, one in use")
            << QStringList{"iconcache_16.db", "iconcache_32.db"} << QStringList{"iconcache_16.db"}
            << one + "\n1 icon cache database file could not be deleted." << QStringList{"iconcache_16.db"};
    }

    void cacheFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, locked);
        QFETCH(QString, text);
        QFETCH(QStringList, left);
        QDir folder(cacheFolder());
        for (const QString &name : folder.entryList(QDir::Files))
            QVERIFY(folder.remove(name));
        for (const QString &name : files)
            write(folder.filePath(name));
        for (const QString &name : locked)
            m->injectFileFault(folder.filePath(name), QStringLiteral("locked"));
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, "IconCachePushButton");
        QCOMPARE(answers.boxes.size(), 1);
        QCOMPARE(answers.boxes.first().text, text);
        QStringList remaining = folder.entryList(QDir::Files);
        remaining.sort();
        QCOMPARE(remaining, left);
    }

    // A link in the cache folder, in the Explorer folder's place or in a folder's place above it leads to
    // files outside the profile: none of them is deleted, and the box counts them as not deleted.
    void linksAreNotFollowed_data()
    {
        QTest::addColumn<QString>("link"); // below the profile, made a link to the same place outside
        QTest::newRow("in the cache folder") << "AppData/Local/Microsoft/Windows/Explorer/iconcache_99.db";
        QTest::newRow("the Explorer folder") << "AppData/Local/Microsoft/Windows/Explorer";
        QTest::newRow("the folder above Explorer") << "AppData/Local/Microsoft/Windows";
        QTest::newRow("the Local folder") << "AppData/Local";
    }
    void linksAreNotFollowed()
    {
        QFETCH(QString, link);
        QTemporaryDir outside;
        const QString target =
            outside.filePath(QStringLiteral("AppData/Local/Microsoft/Windows/Explorer/iconcache_99.db"));
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        write(target);
        QDir folder(cacheFolder());
        for (const QString &name : folder.entryList(QDir::Files))
            QVERIFY(folder.remove(name));
        const QString at = machine::userProfile() + QLatin1Char('/') + link;
        QVERIFY(!QFileInfo(at).isDir() || QDir(at).removeRecursively());
        QVERIFY(QFile::link(outside.filePath(link), at));
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, "IconCachePushButton");
        QVERIFY(QFile::exists(target));
        QCOMPARE(answers.boxes.size(), 1);
        QCOMPARE(answers.boxes.first().text, QStringLiteral("1 icon cache database file could not be deleted."));
    }

    // A second thread keeps swapping the cache files, the Explorer folder or the folder above it for links to
    // the same names outside while the repair runs, run after run: nothing outside goes, and the count is of
    // the files that really went.
    void swappedForLinksWhileClearing_data()
    {
        QTest::addColumn<QString>("swapped"); // below the profile; "" for each cache file
        QTest::newRow("files swapped") << "";
        QTest::newRow("Explorer swapped") << "AppData/Local/Microsoft/Windows/Explorer";
        QTest::newRow("folder above swapped") << "AppData/Local/Microsoft/Windows";
    }
    void swappedForLinksWhileClearing()
    {
        QFETCH(QString, swapped);
        QTemporaryDir outside;
        const QString explorer = QStringLiteral("AppData/Local/Microsoft/Windows/Explorer");
        const QString outsideCaches = outside.filePath(explorer);
        QVERIFY(QDir().mkpath(outsideCaches));
        const QStringList names{"iconcache_16.db", "iconcache_32.db", "iconcache_48.db", "iconcache_96.db"};
        for (const QString &name : names) {
            QFile f(outsideCaches + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("private") == 7);
        }
        const QString folder = cacheFolder();
        const bool raced = raceRepeatedly([&](int run, SwapRacer &racer) {
            for (const QString &name : names)
                write(folder + QLatin1Char('/') + name);
            if (swapped.isEmpty())
                for (const QString &name : names)
                    racer.add(folder + QLatin1Char('/') + name, outsideCaches + QLatin1Char('/') + name);
            else
                racer.add(machine::userProfile() + QLatin1Char('/') + swapped, outside.filePath(swapped));
            racer.start();
            const TroubleshooterForm::ClearResult result = TroubleshooterForm::clearCacheFiles(
                TroubleshooterForm::explorerCacheFolder(), QStringLiteral("iconcache_*.db"));
            racer.stop();
            const QString changed = changedOutside(outsideCaches, names, "private");
            QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(run).arg(changed)));
            const qsizetype left = QDir(folder).entryList({QStringLiteral("iconcache_*.db")}, QDir::Files).size();
            QCOMPARE(result.deleted, names.size() - left);
            QVERIFY(result.deleted + result.failed <= names.size());
        });
        QVERIFY2(raced || QTest::currentTestFailed(), "the swaps never raced the repair");
    }

    void emptyProfileRepairsNothing()
    {
        // A cache folder relative to the current folder must not be taken for the profile's.
        QTemporaryDir current;
        const QString relative = current.filePath(QStringLiteral("AppData/Local/Microsoft/Windows/Explorer"));
        QVERIFY(QDir().mkpath(relative));
        write(relative + QStringLiteral("/iconcache_16.db"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(current.path());
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, "IconCachePushButton");
        QDir::setCurrent(previous);
        QVERIFY(QFile::exists(relative + QStringLiteral("/iconcache_16.db")));
        QVERIFY(answers.boxes.isEmpty());
    }

    void dnsOutputIsShown()
    {
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, "DNSCachePushButton");
        QTRY_COMPARE_WITH_TIMEOUT(answers.boxes.size(), 1, 20000);
        QCOMPARE(
            answers.boxes.first().text,
            QStringLiteral("\r\nWindows IP Configuration\r\n\r\nSuccessfully flushed the DNS Resolver Cache.\r\n"));
        // A program's output is shown as it came, never read as markup.
        QCOMPARE(answers.boxes.first().format, Qt::PlainText);
        QCOMPARE(m->logged(QStringLiteral("Run")), QStringList{"ipconfig.exe|/flushdns"});
        // A second run starts from empty output.
        click(page, "DNSCachePushButton");
        QTRY_COMPARE_WITH_TIMEOUT(answers.boxes.size(), 2, 20000);
        QCOMPARE(answers.boxes.at(1).text, answers.boxes.first().text);
    }

    void store_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("starts") << true;
        QTest::newRow("fails to start") << false;
    }

    void store()
    {
        QFETCH(bool, present);
        if (!present)
            QVERIFY(QFile::remove(machine::windowsFolder() + QStringLiteral("/System32/wsreset.exe")));
        TroubleshooterForm page;
        BoxAnswerer answers;
        click(page, "MicrosoftStoreCachePushButton");
        QCOMPARE(answers.boxes.size(), 1);
        if (present) {
            QCOMPARE(answers.boxes.first().icon, QMessageBox::Information);
            QCOMPARE(answers.boxes.first().text,
                     QStringLiteral("The cache cleaning process has been completed. Now Windows Store App will be "
                                    "opened in order to rebuild new cache files."));
            QTRY_COMPARE_WITH_TIMEOUT(m->logged(QStringLiteral("Run")), QStringList{"wsreset.exe"}, 20000);
        } else {
            QCOMPARE(answers.boxes.first().icon, QMessageBox::Warning);
            QVERIFY(!answers.boxes.first().text.contains(QLatin1String("has been completed")));
        }
    }
};

QTEST_MAIN(TestTroubleshooter)
#include "tst_troubleshooterform.moc"
