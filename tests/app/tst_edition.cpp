// The edition's own names, as the build was configured: the settings root the program records itself under,
// its window title and the folders the machine holds for its backups and wallpapers. The helper's keys and
// files, the About box and the backup and wallpaper paths are checked by their own suites in both editions.
#include "editionnames.h"
#include "krutils.h"
#include "startup.h"
#include "testmachine.h"

#include <QDir>
#include <QtTest>

class TestEdition : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("settings root") << QStringLiteral("root");
        QTest::newRow("window title") << QStringLiteral("title");
        QTest::newRow("backup folder") << QStringLiteral("Backup");
        QTest::newRow("wallpaper folder") << QStringLiteral("Wallpaper");
    }
    void names()
    {
        QFETCH(QString, what);
        TestMachine m;
        if (what == QLatin1String("root")) {
            recordInstallPath();
            WCHAR path[MAX_PATH];
            DWORD size = sizeof(path);
            QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, wstr(QStringLiteral(TEST_EDITION_ROOT)), WSTR("Path"),
                                  RRF_RT_REG_SZ, nullptr, path, &size),
                     LONG(ERROR_SUCCESS));
            QCOMPARE(fromWide(path), installPath);
        } else if (what == QLatin1String("title")) {
            QCOMPARE(mainWindowTitle(), QStringLiteral(TEST_EDITION_NAME " for Windows 10"));
        } else {
            // The installation provides both folders under the roaming application data; the machine has them.
            WCHAR appData[MAX_PATH];
            QVERIFY(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
            const QString folder = fromWide(appData) + QStringLiteral("\\" TEST_EDITION_NAME "\\") + what;
            QVERIFY2(QDir(hostPath(folder)).exists(), qPrintable(folder));
        }
    }
};

QTEST_MAIN(TestEdition)
#include "tst_edition.moc"
