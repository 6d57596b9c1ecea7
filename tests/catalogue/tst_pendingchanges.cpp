// The pending list, Save with its backup and follow-up steps, Cancel Changes and the save question when
// the main window closes.
#include "cataloguehelpers.h"
#include "mainwindow.h"
#include "testmachine.h"

#include <QFile>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

class TestPendingChanges : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
    }
    void cleanup() { m.reset(); }

    void aSettingChangedThreeTimesIsOneEntryAtTheEnd()
    {
        storeShown(settingCase(205), 1125);
        HushdeckForm catalog;
        QSignalSpy enabled(&catalog, &HushdeckForm::enableSaveButton);
        show(catalog, 205, 700);
        show(catalog, 402, 1);
        show(catalog, 205, 800);
        show(catalog, 205, 900);
        QCOMPARE(pendingIds(catalog), (QList<int>{402, 205}));
        const KRGlobal::SettingsData &e = catalog.settingChangeList.last();
        QCOMPARE(e.desc, QStringLiteral("Change desktop horizontal icon spacing to 900."));
        QCOMPARE(e.oldValue, QStringLiteral("1125"));
        QCOMPARE(e.oldDesc, QStringLiteral("Change desktop horizontal icon spacing to 1125 (default)."));
        QCOMPARE(e.location, QStringLiteral("Desktop"));
        QVERIFY(!e.reserved);
        QCOMPARE(enabled.count(), 4);
        QVERIFY(catalog.saveAction->isEnabled() && catalog.cancelAction->isEnabled() &&
                catalog.reviewChangesAction->isEnabled());
    }

    void aChangeBackIsStillSavedAndRaisesItsFlag()
    {
        HushdeckForm catalog;
        show(catalog, 207, 1);
        show(catalog, 207, 0);
        QCOMPARE(pendingIds(catalog), QList<int>{207});
        QCOMPARE(catalog.settingChangeList.first().desc, catalog.settingChangeList.first().oldDesc);
        catalog.saveAction->trigger();
        QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), 0)));
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")), QStringList{QStringLiteral("0x08000000|0x3000||")});
    }

    void saveBacksUpWritesReloadsAndEmpties()
    {
        const QMap<QString, RegValue> before = registrySnapshot();
        HushdeckForm catalog;
        QSignalSpy disabled(&catalog, &HushdeckForm::disableSaveButton);
        show(catalog, 400, 0);
        show(catalog, 205, 750);
        show(catalog, 206, 600);
        show(catalog, 403, 9);
        const QList<KRGlobal::SettingsData> pending = catalog.settingChangeList;
        catalog.saveAction->trigger();

        QCOMPARE(storedValue(settingCase(400)), std::optional<RegValue>(encodedShown(settingCase(400), 0)));
        QCOMPARE(storedValue(settingCase(205)), std::optional<RegValue>(encodedShown(settingCase(205), 750)));
        QCOMPARE(storedValue(settingCase(206)), std::optional<RegValue>(encodedShown(settingCase(206), 600)));
        QCOMPARE(storedValue(settingCase(403)), std::optional<RegValue>(encodedShown(settingCase(403), 9)));
        QVERIFY(registrySnapshot() != before);
        QVERIFY(catalog.settingChangeList.isEmpty());
        QVERIFY(!catalog.saveAction->isEnabled() && !catalog.cancelAction->isEnabled() &&
                !catalog.reviewChangesAction->isEnabled());
        QCOMPARE(disabled.count(), 1);

        QCOMPARE(backupFiles(), QStringList{QStringLiteral("backup0001.bak")});
        QList<KRGlobal::SettingsData> recorded;
        QVERIFY(BackupRecord::readFile(backupFolderHost() + QStringLiteral("/backup0001.bak"), &recorded));
        QCOMPARE(recorded, pending);
        QCOMPARE(QFileInfo(backupFolderHost() + QStringLiteral("/backup0001.bak")).size(), 4 * 8200);
        QCOMPARE(backupIndex(), DWORD(2));
        // No follow-up was asked for.
        QVERIFY(m->logged(QStringLiteral("SHChangeNotify")).isEmpty());
        QVERIFY(m->logged(QStringLiteral("TerminateProcess")).isEmpty());
    }

    void twoSettingsOfOnePageAreBothWritten()
    {
        HushdeckForm catalog;
        show(catalog, 200, 1);
        show(catalog, 204, 1);
        show(catalog, 203, 0);
        catalog.saveAction->trigger();
        QCOMPARE(storedValue(settingCase(200)), std::optional<RegValue>(encodedShown(settingCase(200), 1)));
        QCOMPARE(storedValue(settingCase(204)), std::optional<RegValue>(encodedShown(settingCase(204), 1)));
        QCOMPARE(storedValue(settingCase(203)), std::optional<RegValue>(encodedShown(settingCase(203), 0)));
        QCOMPARE(shown(catalog, 200), 1);
        QCOMPARE(shown(catalog, 203), 0);
        // Three writes raised the flag; the shell hears of it once.
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")).size(), 1);
    }

    void followUpsRunOnceInOrder()
    {
        storeShown(settingCase(401), 1);
        const auto [oldTaskbar, oldExplorer] = taskbar();
        QVERIFY(oldTaskbar && oldExplorer >= windowtable::firstSimulatedPid);
        logRegistryWrites(QStringLiteral("AppsUseLightTheme"));
        HushdeckForm catalog;
        show(catalog, 402, 1);
        show(catalog, 200, 1);
        show(catalog, 207, 1);
        // The pages that end Explorer belong to other tabs; their writes raise this same flag.
        restartExplorerPending = true;
        catalog.saveAction->trigger();

        QCOMPARE(timeline({"RegWrite", "SHChangeNotify", "TerminateProcess", "ShellRestart"}),
                 (QStringList{"RegWrite", "RegWrite", "SHChangeNotify", "TerminateProcess", "ShellRestart"}));
        // The theme was flipped and back: light stays light.
        QCOMPARE(m->logged(QStringLiteral("RegWrite")),
                 (QStringList{"AppsUseLightTheme=00000000", "AppsUseLightTheme=01000000"}));
        QCOMPARE(m->logged(QStringLiteral("TerminateProcess")),
                 QStringList{QStringLiteral("explorer.exe|%1|2").arg(oldExplorer)});
        QVERIFY(!windowtable::processAlive(oldExplorer));
        const auto [newTaskbar, newExplorer] = taskbar();
        QVERIFY(newTaskbar && newTaskbar != oldTaskbar);
        QVERIFY(newExplorer != oldExplorer && windowtable::processAlive(newExplorer));
        QVERIFY(!themeRefreshPending && !shellRefreshPending && !restartExplorerPending);

        // Nothing raised: nothing runs.
        catalog.finishApply();
        QCOMPARE(m->logged(QStringLiteral("TerminateProcess")).size(), 1);
        QCOMPARE(m->logged(QStringLiteral("RegWrite")).size(), 2);
    }

    void themeRefreshKeepsDark()
    {
        storeShown(settingCase(401), 0);
        HushdeckForm catalog;
        themeRefreshPending = true;
        catalog.finishApply();
        QCOMPARE(storedValue(settingCase(401)), std::optional<RegValue>(encodedShown(settingCase(401), 0)));
    }

    void withoutATaskbarTheRestartDoesNothing()
    {
        const DWORD explorer = taskbar().second;
        windowtable::endSimulatedProcess(explorer);
        HushdeckForm catalog;
        restartExplorerPending = true;
        catalog.finishApply();
        QVERIFY(!restartExplorerPending);
        QVERIFY(m->logged(QStringLiteral("TerminateProcess")).isEmpty());
        QVERIFY(!taskbar().first);
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("no") << "IDNO";
        QTest::newRow("yes") << "IDYES";
    }
    void cancel()
    {
        QFETCH(QString, answer);
        const QMap<QString, RegValue> before = registrySnapshot();
        HushdeckForm catalog;
        QSignalSpy disabled(&catalog, &HushdeckForm::disableSaveButton);
        show(catalog, 401, 0);
        show(catalog, 206, 40);
        m->answerMessageBox(answer);
        catalog.cancelAction->trigger();
        QCOMPARE(
            m->logged(QStringLiteral("MessageBox")),
            QStringList{QStringLiteral("Confirm Changes Cancellation|Are you sure you want to cancel all changes?")});
        if (answer == QLatin1String("IDNO")) {
            QCOMPARE(pendingIds(catalog), (QList<int>{401, 206}));
            QCOMPARE(shown(catalog, 401), 0);
            QCOMPARE(shown(catalog, 206), 40);
            QVERIFY(catalog.saveAction->isEnabled());
            QCOMPARE(disabled.count(), 0);
        } else {
            QVERIFY(catalog.settingChangeList.isEmpty());
            QCOMPARE(shown(catalog, 401), 1);
            QCOMPARE(shown(catalog, 206), 1125);
            QVERIFY(!catalog.saveAction->isEnabled() && !catalog.cancelAction->isEnabled() &&
                    !catalog.reviewChangesAction->isEnabled());
            QCOMPARE(disabled.count(), 1);
        }
        QCOMPARE(registrySnapshot(), before);
        QVERIFY(backupFiles().isEmpty());
    }

    void backupNames_data()
    {
        QTest::addColumn<int>("index"); // 0: absent
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("next");
        QTest::newRow("fresh") << 0 << QStringList{} << "backup0001.bak" << 2;
        QTest::newRow("existing skipped")
            << 5 << QStringList{"backup0005.bak", "backup0006.bak"} << "backup0007.bak" << 8;
        QTest::newRow("older files ignored") << 3 << QStringList{"backup0001.bak"} << "backup0003.bak" << 4;
        QTest::newRow("five digits") << 12345 << QStringList{} << "backup12345.bak" << 12346;
    }
    void backupNames()
    {
        QFETCH(int, index);
        QFETCH(QStringList, existing);
        QFETCH(QString, written);
        QFETCH(int, next);
        KRUtils u;
        if (index)
            u.writeRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("BackupIndex"),
                            DWORD(index));
        for (const QString &name : existing) {
            QFile f(backupFolderHost() + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        HushdeckForm catalog;
        show(catalog, 402, 1);
        catalog.saveAction->trigger();
        QVERIFY(backupFiles().contains(written));
        QCOMPARE(QFileInfo(backupFolderHost() + QLatin1Char('/') + written).size(), 8200);
        QCOMPARE(backupIndex(), DWORD(next));
    }

    void twoSavesMakeTwoFiles()
    {
        HushdeckForm catalog;
        show(catalog, 402, 1);
        catalog.saveAction->trigger();
        show(catalog, 402, 0);
        catalog.saveAction->trigger();
        QCOMPARE(backupFiles(), (QStringList{"backup0001.bak", "backup0002.bak"}));
        QCOMPARE(backupIndex(), DWORD(3));
    }

    void aMissingBackupFolderIsMadeAgain()
    {
        QVERIFY(QDir(backupFolderHost()).removeRecursively());
        HushdeckForm catalog;
        show(catalog, 402, 1);
        catalog.saveAction->trigger();
        QCOMPARE(backupFiles(), QStringList{QStringLiteral("backup0001.bak")});
        QCOMPARE(storedValue(settingCase(402)), std::optional<RegValue>(encodedShown(settingCase(402), 1)));
    }

    void withoutABackupNothingIsSaved()
    {
        // A file where the backup folder should be: no backup can be written.
        QVERIFY(QDir(backupFolderHost()).removeRecursively());
        {
            QFile blocker(backupFolderHost());
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QMap<QString, RegValue> before = registrySnapshot();
        HushdeckForm catalog;
        show(catalog, 402, 1);
        show(catalog, 205, 10);
        m->answerMessageBox(QStringLiteral("IDOK"));
        catalog.saveAction->trigger();
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 QStringList{QStringLiteral("Error|The backup file could not be written, so no change was saved.")});
        QCOMPARE(registrySnapshot(), before);
        QCOMPARE(pendingIds(catalog), (QList<int>{402, 205}));
        QVERIFY(catalog.saveAction->isEnabled());
        QCOMPARE(shown(catalog, 205), 10);
        QCOMPARE(backupIndex(), DWORD(0));
        QVERIFY(!themeRefreshPending);
    }

    void closingAsksToSave_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("yes") << "IDYES";
        QTest::newRow("no") << "IDNO";
    }
    void closingAsksToSave()
    {
        QFETCH(QString, answer);
        MainWindow w;
        w.show();
        w.findChild<QToolButton *>(QStringLiteral("hushdeckButton"))->click();
        auto *catalog = static_cast<HushdeckForm *>(w.modulePage(MainWindow::HushdeckPage));
        QVERIFY(catalog);
        show(*catalog, 207, 1);
        m->answerMessageBox(answer);
        QVERIFY(w.close());
        QCOMPARE(m->logged(QStringLiteral("MessageBox")).size(), 1);
        QVERIFY(m->logged(QStringLiteral("MessageBox")).first().startsWith(QStringLiteral("Confirm Save Changes|")));
        const bool saved = answer == QLatin1String("IDYES");
        QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), saved ? 1 : 0)));
        QCOMPARE(backupFiles().size(), saved ? 1 : 0);
    }

    void closingWithNothingPendingAsksNothing()
    {
        MainWindow w;
        w.show();
        w.findChild<QToolButton *>(QStringLiteral("hushdeckButton"))->click();
        QVERIFY(w.close());
        QVERIFY(m->logged(QStringLiteral("MessageBox")).isEmpty());
    }
};

QTEST_MAIN(TestPendingChanges)
#include "tst_pendingchanges.moc"
