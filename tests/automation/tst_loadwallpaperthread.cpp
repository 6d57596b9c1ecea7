// The preview download against a local image archive: what a good, short, empty or silent answer gives,
// and how an abort ends a download without spoiling the next one.
#include "editionnames.h"
#include "archiveserver.h"
#include "boundedtransfer.h"
#include "imageaddress.h"
#include "loadwallpaperthread.h"
#include "testmachine.h"
#include "testpictures.h"
#include "win32.h"

#include "linux/machine/machine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString Request = QStringLiteral("https://www.bing.com/HPImageArchive.aspx?format=xml&idx=0&n=1&mkt=en-US");
const QString ImagePath = QStringLiteral("/th?id=OHR.Sample_1920x1080.jpg&rf=x_1920x1080.jpg&pid=hp");

// Runs one download and returns its signals in order: "desc:<text>", "complete", "fail", "finish".
QStringList runDownload(LoadWallpaperThread &thread)
{
    QStringList events;
    QObject::connect(&thread, &LoadWallpaperThread::showDesc, &thread,
                     [&](const QString &text) { events << QStringLiteral("desc:") + text; });
    QObject::connect(&thread, &LoadWallpaperThread::downloadComplete, &thread,
                     [&] { events << QStringLiteral("complete"); });
    QObject::connect(&thread, &LoadWallpaperThread::downloadFail, &thread, [&] { events << QStringLiteral("fail"); });
    QObject::connect(&thread, &LoadWallpaperThread::processFinish, &thread,
                     [&] { events << QStringLiteral("finish"); });
    thread.start();
    if (!QTest::qWaitFor([&] { return events.contains(QStringLiteral("finish")); }, 15000))
        events << QStringLiteral("(no finish)");
    thread.wait();
    return events;
}

// An answer of exactly `size` bytes, padded inside a comment before the closing tag.
QByteArray answerOfSize(const QByteArray &answer, int size)
{
    QByteArray out = answer;
    if (out.size() < size)
        out.append(QByteArray(size - out.size(), ' '));
    return out.left(size);
}

} // namespace

class TestLoadWallpaperThread : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestMachine> m;
    std::unique_ptr<ArchiveServer> archive;

private slots:
    void init()
    {
        m = std::make_unique<TestMachine>();
        archive = std::make_unique<ArchiveServer>();
        m->overrideUrl(QStringLiteral("https://www.bing.com"), archive->base());
        m->overrideUrl(QStringLiteral("https://bing.com"), archive->base());
        downloadAbortRequested = false;
        downloadedImagePath.clear();
    }

    void cleanup()
    {
        // Closing the server ends the transfers that a download gave up on, those still waiting for an answer
        // and those not yet asking; none may outlive the machine it works on.
        archive.reset();
        QTRY_COMPARE(transfersRunning(), 0);
        m.reset();
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("imageRequests");

        const QByteArray good = ArchiveServer::archiveAnswer(ImagePath);
        QByteArray noUrl = good;
        noUrl.replace("<url>", "<uri>");
        QByteArray noCopyright = good;
        noCopyright.replace("<copyright>", "<copy>");
        // The image address ends beyond the part of the answer that is read.
        QByteArray late = good;
        late.insert(late.indexOf("<url>"), QByteArray(1100, ' '));
        const QString desc = QStringLiteral("desc:A sample (c) Someone");

        QTest::newRow("good") << good << true << QStringList{desc, "complete", "finish"} << 1;
        QTest::newRow("no copyright") << noCopyright << true << QStringList{"complete", "finish"} << 1;
        QTest::newRow("no image address") << noUrl << true << QStringList{desc, "fail", "finish"} << 0;
        QTest::newRow("address beyond the read part") << late << true << QStringList{"fail", "finish"} << 0;
        QTest::newRow("199 bytes") << answerOfSize(good, 199) << true << QStringList{"fail", "finish"} << 0;
        QTest::newRow("200 bytes, address cut")
            << answerOfSize(good, 200) << true << QStringList{"fail", "finish"} << 0;
        QTest::newRow("image not a picture") << good << false << QStringList{desc, "fail", "finish"} << 1;
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, image);
        QFETCH(QStringList, events);
        QFETCH(int, imageRequests);
        archive->answer(QStringLiteral("/HPImageArchive"), answer);
        archive->answer(QStringLiteral("/th?id=OHR.Sample"),
                        image ? ArchiveServer::jpeg(64, 36) : QByteArray("<html>"));
        LoadWallpaperThread thread;
        thread.url = Request;
        QCOMPARE(runDownload(thread), events);
        QCOMPARE(archive->count(QStringLiteral("/th?id=OHR.Sample")), imageRequests);
        if (events.contains(QStringLiteral("complete"))) {
            // The address's "&amp;" became "&" again, and the picture is in the main program's own file.
            QCOMPARE(archive->requests().last(), ImagePath);
            QVERIFY(downloadedImagePath.endsWith(QStringLiteral("\\" TEST_EDITION_NAME "\\Wallpaper\\image2.jpg")));
            QCOMPARE(QImage(hostPath(downloadedImagePath)).size(), QSize(64, 36));
        }
    }

    void failedRequestReportsFailure()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), QByteArray(), ArchiveServer::NotFound);
        LoadWallpaperThread thread;
        thread.url = Request;
        QCOMPARE(runDownload(thread), (QStringList{"fail", "finish"}));
    }

    // A server that stops answering holds the transfer until the network's own time-out; the download's
    // time limit ends it first, and the picture already there stays as it was.
    void stalledTransferTimesOut_data()
    {
        QTest::addColumn<int>("answerKind");
        QTest::addColumn<int>("imageKind");
        QTest::addColumn<QStringList>("events");
        const QString desc = QStringLiteral("desc:A sample (c) Someone");
        QTest::newRow("archive silent") << int(ArchiveServer::Silent) << int(ArchiveServer::Complete)
                                        << QStringList{"fail", "finish"};
        QTest::newRow("archive stalls") << int(ArchiveServer::Stalling) << int(ArchiveServer::Complete)
                                        << QStringList{"fail", "finish"};
        QTest::newRow("image silent") << int(ArchiveServer::Complete) << int(ArchiveServer::Silent)
                                      << QStringList{desc, "fail", "finish"};
        QTest::newRow("image stalls") << int(ArchiveServer::Complete) << int(ArchiveServer::Stalling)
                                      << QStringList{desc, "fail", "finish"};
    }
    void stalledTransferTimesOut()
    {
        QFETCH(int, answerKind);
        QFETCH(int, imageKind);
        QFETCH(QStringList, events);
        machine::setSetting(QStringLiteral("url.timeout"), QStringLiteral("2000"));
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath),
                        ArchiveServer::Kind(answerKind));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(), ArchiveServer::Kind(imageKind));
        WCHAR appData[MAX_PATH];
        QVERIFY(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
        const QString folder = hostPath(fromWide(appData) + QStringLiteral("/" TEST_EDITION_NAME "/Wallpaper"));
        QVERIFY(QDir().mkpath(folder));
        QFile old(folder + QStringLiteral("/image2.jpg"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("yesterday's picture");
        old.close();

        LoadWallpaperThread thread;
        thread.url = Request;
        thread.answerLimitMs = 300;
        thread.imageLimitMs = 300;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runDownload(thread), events);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));

        // The transfer given up on ends with the network's time-out and leaves nothing behind.
        QTRY_COMPARE(transfersRunning(), 0);
        QCOMPARE(m->logged(QStringLiteral("Url")).size(), archive->requests().size());
        QTRY_COMPARE(QDir(folder).entryList(QDir::Files), QStringList{"image2.jpg"});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("yesterday's picture"));
    }

    // An abort while the image transfer waits ends it; a later download, after the flag is cleared, works.
    void abortThenDownloadAgain()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), QByteArray(), ArchiveServer::Silent);
        LoadWallpaperThread first;
        first.url = Request;
        QStringList events;
        connect(&first, &LoadWallpaperThread::downloadFail, this, [&] { events << QStringLiteral("fail"); });
        connect(&first, &LoadWallpaperThread::processFinish, this, [&] { events << QStringLiteral("finish"); });
        first.start();
        QTRY_COMPARE(archive->count(QStringLiteral("/th?id=OHR.Sample")), 1);
        QElapsedTimer clock;
        clock.start();
        downloadAbortRequested = true;
        QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"fail", "finish"}), 3000);
        QVERIFY(clock.elapsed() < 3000);
        first.wait();

        // Still set: the next download stops at once.
        LoadWallpaperThread blocked;
        blocked.url = Request;
        QCOMPARE(runDownload(blocked), (QStringList{"fail", "finish"}));

        downloadAbortRequested = false;
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg());
        LoadWallpaperThread second;
        second.url = Request;
        QCOMPARE(runDownload(second), (QStringList{"desc:A sample (c) Someone", "complete", "finish"}));
    }

    // The one rule both programs build the image address by: the path from the answer leads to the image host.
    void addressRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("address");
        QTest::newRow("archive path") << "/th?id=OHR.A_1920x1080.jpg&amp;rf=x.jpg&amp;pid=hp"
                                      << "https://bing.com/th?id=OHR.A_1920x1080.jpg&rf=x.jpg&pid=hp";
        QTest::newRow("entities") << "/a&lt;&gt;&quot;&apos;&amp;amp;"
                                  << "https://bing.com/a<>\"'&amp;";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("user and host") << "@other.test/x.jpg"
                                       << "";
        QTest::newRow("escaped user and host") << "&#64;other.test/x.jpg"
                                               << "";
        QTest::newRow("host extended") << ".other.test/x.jpg"
                                       << "";
        QTest::newRow("port") << ":8443/x.jpg"
                              << "";
        QTest::newRow("another host") << "//other.test/x.jpg"
                                      << "";
        QTest::newRow("backslash") << "/\\other.test/x.jpg"
                                   << "";
        QTest::newRow("@ later") << "/x@other.test"
                                 << "";
        QTest::newRow("tab") << "/\t/other.test/x.jpg"
                             << "";
        QTest::newRow("blank") << "/x y.jpg"
                               << "";
        QTest::newRow("not ASCII") << "/x\u00e9.jpg"
                                   << "";
        QTest::newRow("longest") << "/" + QString(1023 - 17, 'a') << "https://bing.com/" + QString(1023 - 17, 'a');
        QTest::newRow("too long") << "/" + QString(1024 - 17, 'a') << "";
    }
    void addressRule()
    {
        QFETCH(QString, path);
        QFETCH(QString, address);
        QCOMPARE(QString::fromStdString(imageaddress::build("https://bing.com", path.toStdString())), address);
    }

    // An image path that would send the request elsewhere is refused: nothing is asked of any host.
    void addressToAnotherHostRefused()
    {
        ArchiveServer other;
        m->overrideUrl(QStringLiteral("https://bing.com@other.test"), other.base());
        other.answer(QStringLiteral("/"), ArchiveServer::jpeg());
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer("@other.test/x.jpg"));
        LoadWallpaperThread thread;
        thread.url = Request;
        QCOMPARE(runDownload(thread), (QStringList{"desc:A sample (c) Someone", "fail", "finish"}));
        QCOMPARE(other.requests(), QStringList());
        QCOMPARE(archive->requests().size(), 1);
    }

    // An answer that is no whole picture leaves the picture on view in its file, so that it can still be set.
    void notAPictureKeepsThePreviousFile_data()
    {
        QTest::addColumn<QByteArray>("answer");
        const QByteArray jpeg = ArchiveServer::jpeg(64, 36);
        QTest::newRow("a portal's page") << QByteArray("<!DOCTYPE html><html>Sign in</html>");
        QTest::newRow("a bare JPEG header") << testpictures::jpegHeaderOnly();
        QTest::newRow("an SVG document") << testpictures::svg();
        QTest::newRow("a JPEG cut short") << jpeg.left(jpeg.size() / 2);
        QTest::newRow("a PNG cut before its end") << testpictures::picture("PNG").chopped(12);
        // Every chunk sound, the compressed data not: only decoding the whole picture finds it.
        QTest::newRow("a PNG whose image data does not decode") << testpictures::pngWithBadImageData();
    }
    void notAPictureKeepsThePreviousFile()
    {
        QFETCH(QByteArray, answer);
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(64, 36));
        LoadWallpaperThread first;
        first.url = Request;
        QCOMPARE(runDownload(first).filter("complete").size(), 1);
        const QString path = hostPath(downloadedImagePath);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray picture = file.readAll();
        file.close();

        archive->answer(QStringLiteral("/th?id=OHR.Sample"), answer);
        LoadWallpaperThread second;
        second.url = Request;
        QCOMPARE(runDownload(second), (QStringList{"desc:A sample (c) Someone", "fail", "finish"}));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), picture);
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList{"image2.jpg"});
    }

    // A link in the Wallpaper folder's place, in its parent's, or at the names the download writes first leads
    // outside: the picture is never written there, and the download fails.
    void linksNeverTakeThePicture_data()
    {
        QTest::addColumn<QString>("link"); // below the roaming application data, to the same place outside
        QTest::newRow("the Wallpaper folder") << TEST_EDITION_NAME "/Wallpaper";
        QTest::newRow("the program's folder") << TEST_EDITION_NAME;
        QTest::newRow("the download's own file") << TEST_EDITION_NAME "/Wallpaper/image2.jpg.download";
    }
    void linksNeverTakeThePicture()
    {
        QFETCH(QString, link);
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(64, 36));
        QTemporaryDir outside;
        const QString kept = outside.filePath(QStringLiteral(TEST_EDITION_NAME "/Wallpaper/image2.jpg"));
        QVERIFY(QDir().mkpath(QFileInfo(kept).path()));
        QFile f(kept);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        f.close();
        const QString at = machine::roamingAppData() + QLatin1Char('/') + link;
        if (link.endsWith(QLatin1String(".download"))) {
            // Every name the process's downloads take in turn.
            for (int n = 1; n <= 256; ++n)
                QVERIFY(QFile::link(kept, at + QString::number(n)));
        } else {
            QVERIFY(QDir(at).removeRecursively());
            QVERIFY(QFile::link(outside.filePath(link), at));
        }
        LoadWallpaperThread thread;
        thread.url = Request;
        QVERIFY(runDownload(thread).contains(QStringLiteral("fail")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
        QCOMPARE(QDir(QFileInfo(kept).path()).entryList(QDir::Files), QStringList{"image2.jpg"});
    }

    // While the server holds the picture's body, another program puts a link to an outside file in the place
    // of the download's own file: the picture is never written there, and the link never becomes the picture.
    void ownFileSwappedWhileTheServerAnswers()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(64, 36), ArchiveServer::Held);
        QTemporaryDir outside;
        const QString kept = outside.filePath(QStringLiteral("kept.jpg"));
        QFile f(kept);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        f.close();
        LoadWallpaperThread thread;
        thread.url = Request;
        QSignalSpy finished(&thread, &LoadWallpaperThread::processFinish);
        thread.start();
        QTRY_COMPARE(archive->count(QStringLiteral("/th?id=OHR.Sample")), 1);
        const QDir folder(machine::roamingAppData() + QStringLiteral("/" TEST_EDITION_NAME "/Wallpaper"));
        const QStringList own = folder.entryList({QStringLiteral("image2.jpg.download*")}, QDir::Files);
        QCOMPARE(own.size(), 1);
        QVERIFY(QFile::remove(folder.filePath(own.first())));
        QVERIFY(QFile::link(kept, folder.filePath(own.first())));
        archive->release();
        QTRY_COMPARE(finished.count(), 1);
        thread.wait();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
        QVERIFY(!QFileInfo(folder.filePath(QStringLiteral("image2.jpg"))).isSymLink());
    }

    // A program that ended mid-download left its own files: the next download passes their names over, and
    // what is left afterwards is the picture alone.
    void leftoversOfAnEarlierProgram()
    {
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath));
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(64, 36));
        const QString folder = machine::roamingAppData() + QStringLiteral("/" TEST_EDITION_NAME "/Wallpaper");
        QVERIFY(QDir().mkpath(folder));
        for (int n = 1; n <= 80; ++n) {
            QFile leftover(folder + QStringLiteral("/image2.jpg.download%1").arg(n));
            QVERIFY(leftover.open(QIODevice::WriteOnly));
        }
        LoadWallpaperThread thread;
        thread.url = Request;
        QVERIFY(runDownload(thread).contains(QStringLiteral("complete")));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"image2.jpg"});
        QCOMPARE(QImage(folder + QStringLiteral("/image2.jpg")).size(), QSize(64, 36));
    }

    // Answers without end are cut off at their caps, long before any time limit.
    void endlessAnswersCutOff_data()
    {
        QTest::addColumn<bool>("archiveEndless");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("archive answer") << true << QStringList{"fail", "finish"};
        QTest::newRow("image") << false << QStringList{"desc:A sample (c) Someone", "fail", "finish"};
    }
    void endlessAnswersCutOff()
    {
        QFETCH(bool, archiveEndless);
        QFETCH(QStringList, events);
        archive->answer(QStringLiteral("/HPImageArchive"), ArchiveServer::archiveAnswer(ImagePath),
                        archiveEndless ? ArchiveServer::Endless : ArchiveServer::Complete);
        archive->answer(QStringLiteral("/th?id=OHR.Sample"), ArchiveServer::jpeg(),
                        archiveEndless ? ArchiveServer::Complete : ArchiveServer::Endless);
        LoadWallpaperThread thread;
        thread.url = Request;
        thread.imageByteLimit = 1024 * 1024; // quicker than the real cap, the same path
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runDownload(thread), events);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    // A stop request before the start skips both steps: nothing is asked for and no result is reported.
    void stopBeforeStart()
    {
        LoadWallpaperThread thread;
        thread.url = Request;
        thread.stopRequested = true;
        QCOMPARE(runDownload(thread), QStringList{"finish"});
        QCOMPARE(archive->requests(), QStringList());
    }
};

QTEST_MAIN(TestLoadWallpaperThread)
#include "tst_loadwallpaperthread.moc"
