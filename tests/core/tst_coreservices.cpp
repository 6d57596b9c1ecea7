// Drives and their display texts, the file-category table, the shell helpers, the progress panel and the
// drop targets. Paths are shown with the host's native separators.
#include "krframe.h"
#include "krtreeview.h"
#include "krutils.h"
#include "linux/machine/machine.h"
#include "scaninfoform.h"
#include "shellhelpers.h"
#include "testmachine.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

void mapDrive(QChar letter, const QString &folder, const QString &type = QStringLiteral("fixed"))
{
    const QString key = QStringLiteral("drive.") + letter;
    machine::setSetting(key, folder);
    machine::setSetting(key + QStringLiteral(".type"), type);
}

} // namespace

class TestCoreServices : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        // Only the letters a test maps exist.
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        for (char c = 'A'; c <= 'Z'; ++c)
            machine::setSetting(QStringLiteral("drive.") + QLatin1Char(c), QString());
    }
    void cleanup() { m.reset(); }

    void driveTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("free");
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("serialText");
        QTest::addColumn<QString>("totalText");
        QTest::addColumn<QString>("freeText");
        QTest::addColumn<QString>("percentText");
        QTest::newRow("full serial") << "Data"
                                     << "1a2b3c4d" << (qint64(1) << 31) << (qint64(1) << 29) << "Data (D:)"
                                     << "1A2B-3C4D"
                                     << "2.00 GB"
                                     << "0.50 GB"
                                     << "25.00%";
        QTest::newRow("leading zeros") << "Data"
                                       << "00ab12cd" << (qint64(1) << 30) << qint64(0) << "Data (D:)"
                                       << "00AB-12CD"
                                       << "1.00 GB"
                                       << "0.00 GB"
                                       << "0.00%";
        QTest::newRow("no label") << ""
                                  << "0" << (qint64(3) << 29) << (qint64(3) << 29) << "Local Disk (D:)"
                                  << "0000-0000"
                                  << "1.50 GB"
                                  << "1.50 GB"
                                  << "100.00%";
        QTest::newRow("empty volume") << "Empty"
                                      << "ffffffff" << qint64(0) << qint64(0) << "Empty (D:)"
                                      << "FFFF-FFFF"
                                      << "0.00 GB"
                                      << "0.00 GB"
                                      << "0.00%";
    }

    void driveTexts()
    {
        QFETCH(QString, label);
        QFETCH(QString, serial);
        QFETCH(qint64, total);
        QFETCH(qint64, free);
        QTemporaryDir dir;
        mapDrive(QLatin1Char('D'), dir.path());
        machine::setSetting(QStringLiteral("drive.D.label"), label);
        machine::setSetting(QStringLiteral("drive.D.serial"), serial);
        machine::setSetting(QStringLiteral("drive.D.total"), QString::number(total));
        machine::setSetting(QStringLiteral("drive.D.free"), QString::number(free));
        machine::setSetting(QStringLiteral("drive.D.flags"), QStringLiteral("%1").arg(0x00040006, 0, 16));
        KRUtils u;
        DriveInfo info;
        u.getDriveInfo('D', QStringLiteral("D:\\"), info);
        QTEST(info.displayName, "displayName");
        QTEST(info.serialNumber, "serialText");
        QTEST(info.totalSize, "totalText");
        QTEST(info.freeSize, "freeText");
        QTEST(info.freePercentText, "percentText");
        QCOMPARE(info.rootPath, QStringLiteral("D:\\"));
        QCOMPARE(info.letter, 'D');
        QCOMPARE(info.fileSystem, QStringLiteral("NTFS"));
        QVERIFY(info.namedStreams && info.casePreservedNames && info.unicodeOnDisk);
        QVERIFY(!info.caseSensitiveSearch && !info.volumeQuotas && !info.readOnlyVolume);
        QVERIFY(info.bytesPerSector.toInt() > 0);
    }

    void failedVolumeQueriesGiveZeroedFields()
    {
        KRUtils u;
        DriveInfo info;
        u.getDriveInfo('Q', QStringLiteral("Q:\\"), info); // no such drive
        QCOMPARE(info.displayName, QStringLiteral("Local Disk (Q:)"));
        QCOMPARE(info.serialNumber, QStringLiteral("0000-0000"));
        QCOMPARE(info.totalSize, QStringLiteral("0.00 GB"));
        QCOMPARE(info.freePercent, 0.0f);
        QCOMPARE(info.freePercentText, QStringLiteral("0.00%"));
        QCOMPARE(info.totalClusters, QStringLiteral("0"));
        QVERIFY(!info.supportsHardLinks);
    }

    void driveLists()
    {
        QTemporaryDir c, e, g, k;
        mapDrive(QLatin1Char('K'), k.path(), QStringLiteral("network"));
        mapDrive(QLatin1Char('C'), c.path());
        mapDrive(QLatin1Char('G'), g.path(), QStringLiteral("removable"));
        mapDrive(QLatin1Char('E'), e.path());
        KRUtils u;
        QVector<DriveInfo> drives(5);
        u.listDrives(drives);
        QStringList letters;
        for (const DriveInfo &d : drives)
            letters << QString(QLatin1Char(d.letter));
        QCOMPARE(letters, (QStringList{"C", "E", "G", "K"}));
        u.listFixedDrives(drives);
        letters.clear();
        for (const DriveInfo &d : drives)
            letters << d.rootPath;
        QCOMPARE(letters, (QStringList{"C:\\", "E:\\"}));
        QStringList roots{QStringLiteral("stale")};
        u.listFixedDriveRoots(roots);
        QCOMPARE(roots, (QStringList{"C:\\", "E:\\"}));
    }

    void categories()
    {
        KRUtils u;
        QList<FileCategory> list;
        u.buildFileCategories(list);
        u.buildFileCategories(list); // a rebuild replaces, never grows
        QCOMPARE(list.size(), 12);
        const QStringList names = {
            "3D Image Files",     "Audio Files",        "Backup Files", "Compressed Files",
            "Disk Image Files",   "Document Files",     "Font Files",   "Installer and Executable Files",
            "Raster Image Files", "Vector Image Files", "Video Files",  "Web Files"};
        int extensions = 0;
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list.at(i).name, names.at(i));
            QVERIFY(list.at(i).enabled);
            QVERIFY(!list.at(i).icon);
            QCOMPARE(list.at(i).totalBytes, quint64(0));
            QVERIFY(list.at(i).extensions.size() >= 2 || i == 0);
            for (const QString &e : list.at(i).extensions)
                QVERIFY(e.startsWith(QLatin1Char('.')) && e == e.toLower());
            extensions += int(list.at(i).extensions.size());
        }
        QCOMPARE(extensions, 101);
        QVERIFY(list.at(1).extensions.contains(QStringLiteral(".mp4")));
        QVERIFY(list.at(10).extensions.contains(QStringLiteral(".mp4")));
        QVERIFY(list.at(3).extensions.contains(QStringLiteral(".tar.gz")));
        QVERIFY(list.at(3).extensions.contains(QStringLiteral(".gz")));
        QCOMPARE(list.at(8).extensions.first(), QStringLiteral(".bmp"));
    }

    void customFileTypes_data()
    {
        QTest::addColumn<int>("length"); // -1: value absent
        QTest::addColumn<bool>("replaced");
        QTest::newRow("absent") << -1 << false;
        QTest::newRow("empty") << 0 << true;
        QTest::newRow("short") << 12 << true;
        QTest::newRow("511 characters fit") << 511 << true;
        QTest::newRow("512 characters do not") << 512 << false;
        QTest::newRow("long") << 2000 << false;
    }

    void customFileTypes()
    {
        QFETCH(int, length);
        QFETCH(bool, replaced);
        KRUtils u;
        const QString key = QStringLiteral("Software\\Keelrun\\Folder Size Analyzer\\Find Duplicate");
        u.createRegKey(HKEY_CURRENT_USER, key);
        QString value;
        for (int i = 0; i < length; ++i)
            value += QLatin1Char(i % 5 == 0 ? ',' : char('a' + i % 26));
        if (length >= 0)
            u.writeRegString(HKEY_CURRENT_USER, key, QStringLiteral("CustomFileType"), value);
        QString types = QStringLiteral("kept");
        u.readCustomFileTypes(types);
        QCOMPARE(types, replaced ? value : QStringLiteral("kept"));
    }

    void fileIcons()
    {
        KRUtils u;
        QTemporaryDir dir;
        QFile f(dir.path() + QStringLiteral("/a.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QImage file = u.fileIconImage(f.fileName());
        const QImage folder = u.fileIconImage(dir.path());
        QCOMPARE(file.size(), QSize(48, 48));
        QCOMPARE(folder.size(), QSize(48, 48));
        QVERIFY(file != folder);
        QVERIFY(u.fileIconImage(dir.path() + QStringLiteral("/missing.txt")).isNull());
        QVERIFY(u.fileIcon(dir.path() + QStringLiteral("/missing.txt")).isNull());
        QVERIFY(!u.fileIcon(f.fileName()).isNull());
    }

    void knownFolders()
    {
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("0"));
        const QString root = machine::folder();
        for (const QString &path : {userProfilePath(), commonAppDataPath(), documentsPath(), desktopPath(),
                                    startupPath(), commonStartupPath(), commonProgramsPath()}) {
            QVERIFY2(!path.isEmpty(), "every known folder has a path");
            QVERIFY2(hostPath(path).startsWith(root), qPrintable(path));
            QVERIFY(!path.endsWith(QLatin1Char('\\')) && !path.endsWith(QLatin1Char('/')));
        }
        machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
        QCOMPARE(documentsPath(), QString());
    }

    void temporaryFolder()
    {
        const QString temp = tempPath();
        QVERIFY(!temp.isEmpty());
        QVERIFY(!temp.endsWith(QLatin1Char('\\')));
        QVERIFY(QDir(hostPath(temp)).exists());
        QVERIFY(hostPath(temp).startsWith(machine::folder()));
    }

    void privileges()
    {
        HANDLE token = nullptr;
        QVERIFY(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
        QVERIFY(setPrivilege(token, WSTR("SeDebugPrivilege"), true));
        QVERIFY(!setPrivilege(token, WSTR("SeNoSuchPrivilege"), true));
        m->setElevated(false);
        QVERIFY(!setPrivilege(token, WSTR("SeDebugPrivilege"), true));
        CloseHandle(token);
    }

    void showInExplorerPassesBackslashes()
    {
        QObject owner;
        showInExplorer(QStringLiteral("Z:/data/photos/a.jpg"), &owner);
        QCOMPARE(m->logged(QStringLiteral("Start")),
                 QStringList{QStringLiteral("explorer.exe|/select,|Z:\\data\\photos\\a.jpg")});
    }

    void progressPanel()
    {
        ScanInfoForm form;
        auto *bar = form.findChild<QProgressBar *>(QStringLiteral("progressBar"));
        auto *cancel = form.findChild<QPushButton *>(QStringLiteral("pushButton"));
        QVERIFY(bar && cancel);
        QCOMPARE(bar->maximum(), 100);
        form.setMaximum(3);
        for (int i = 0; i < 5; ++i)
            form.stepProgress();
        QCOMPARE(bar->value(), 3); // never past the maximum
        QSignalSpy spy(&form, &ScanInfoForm::scanCancel);
        cancel->click();
        QCOMPARE(spy.count(), 1);
        form.disableCancelButton();
        QVERIFY(!cancel->isEnabled());
        form.setMessageText(QStringLiteral("m"));
        form.setDetailText(QStringLiteral("d"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("label"))->text(), QStringLiteral("m"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("label_2"))->text(), QStringLiteral("d"));
    }

    void dropTargets_data()
    {
        QTest::addColumn<bool>("tree");
        QTest::addColumn<QStringList>("items"); // "d:" folder, "f:" file, "t" plain text only
        QTest::addColumn<bool>("accepted");
        QTest::newRow("frame: one file") << false << QStringList{"f:a.txt"} << false;
        QTest::newRow("frame: folder then file") << false << QStringList{"d:sub", "f:a.txt"} << true;
        QTest::newRow("frame: text") << false << QStringList{"t"} << false;
        QTest::newRow("tree: files") << true << QStringList{"f:a.txt", "f:b.txt", "d:sub"} << true;
        QTest::newRow("tree: text") << true << QStringList{"t"} << false;
    }

    void dropTargets()
    {
        QFETCH(bool, tree);
        QFETCH(QStringList, items);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        QFile(dir.path() + QStringLiteral("/a.txt")).open(QIODevice::WriteOnly);
        QFile(dir.path() + QStringLiteral("/b.txt")).open(QIODevice::WriteOnly);

        QMimeData data;
        QList<QUrl> urls;
        QStringList expected;
        for (const QString &item : items) {
            if (item == QLatin1String("t")) {
                data.setText(QStringLiteral("plain"));
                continue;
            }
            const QString path = dir.path() + QLatin1Char('/') + item.mid(2);
            urls << QUrl::fromLocalFile(path);
            expected << fromHostPath(path); // a drop names the file as the Win32 functions do
        }
        if (!urls.isEmpty())
            data.setUrls(urls);

        std::unique_ptr<QWidget> widget;
        if (tree)
            widget.reset(new KRTreeView);
        else
            widget.reset(new KRFrame);
        widget->setAcceptDrops(true);
        QSignalSpy spy(widget.get(), SIGNAL(addURL(QString)));
        // A view takes drags on its viewport, as a real drag arrives.
        QWidget *target = tree ? static_cast<KRTreeView *>(widget.get())->viewport() : widget.get();
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        if (!accepted)
            return;
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(spy.count(), expected.size());
        for (int i = 0; i < spy.count(); ++i)
            QCOMPARE(spy.at(i).at(0).toString(), expected.at(i));
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestCoreServices)
#include "tst_coreservices.moc"
