// The pending list, Save with its backup and follow-up steps, Cancel Changes and the save question when
// the main window closes.
#include "cataloguehelpers.h"
#include "mainwindow.h"
#include "reviewchangesdialog.h"
#include "testmachine.h"
#include "whenmodal.h"

#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
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
        QCOMPARE(backupRecords(QStringLiteral("backup0001.bak")), pending);
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

    void theThemeRefreshLeavesTheAppsModeAsItWas_data()
    {
        QTest::addColumn<int>("mode"); // -1: no value
        QTest::newRow("light") << 1;
        QTest::newRow("dark") << 0;
        QTest::newRow("2") << 2;
        QTest::newRow("none") << -1;
    }
    void theThemeRefreshLeavesTheAppsModeAsItWas()
    {
        QFETCH(int, mode);
        const SettingCase &apps = settingCase(401);
        if (mode < 0)
            makeAbsent(apps);
        else
            setRegistryValue(fullKey(apps), QLatin1String(apps.value), REG_DWORD, dwordData(quint32(mode)));
        const std::optional<RegValue> before = storedValue(apps);
        HushdeckForm catalog;
        show(catalog, 402, 1);
        catalog.saveAction->trigger();
        QCOMPARE(storedValue(settingCase(402)), encodedShown(settingCase(402), 1));
        QCOMPARE(storedValue(apps), before);
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

    void withoutABackupTheUserDecides_data()
    {
        QTest::addColumn<QString>("cause"); // file: a file where the folder should be; none: no application-data
                                            // folder; full: the disk fills while the backup is written
        QTest::addColumn<QString>("answer");
        for (const char *cause : {"file", "none", "full"})
            for (const char *answer : {"IDNO", "IDYES"})
                QTest::addRow("%s, %s", cause, answer) << cause << answer;
    }
    void withoutABackupTheUserDecides()
    {
        QFETCH(QString, cause);
        QFETCH(QString, answer);
        if (cause == QLatin1String("full")) {
            m->injectFileFault(backupFolderHost() + QStringLiteral("/backup0001.bak"), QStringLiteral("diskfull"));
        } else {
            QVERIFY(QDir(backupFolderHost()).removeRecursively());
            if (cause == QLatin1String("file")) {
                QFile blocker(backupFolderHost());
                QVERIFY(blocker.open(QIODevice::WriteOnly));
            } else {
                machine::setSetting(QStringLiteral("fail.SHGetFolderPathW"), QStringLiteral("1"));
            }
        }
        const QMap<QString, RegValue> before = registrySnapshot();
        HushdeckForm catalog;
        show(catalog, 402, 1);
        show(catalog, 205, 10);
        m->answerMessageBox(answer);
        const bool yes = answer == QLatin1String("IDYES");
        QCOMPARE(catalog.OnSave(), yes);
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 QStringList{QStringLiteral("Confirm Changes Without Backup|No backup file could be written, so these "
                                            "changes could not be undone with Restore Backup.\nDo you want to apply "
                                            "them without a backup?")});
        QCOMPARE(pendingIds(catalog), yes ? QList<int>{} : (QList<int>{402, 205}));
        QCOMPARE(catalog.saveAction->isEnabled(), !yes);
        QCOMPARE(registrySnapshot() == before, !yes);
        QCOMPARE(storedValue(settingCase(205)),
                 std::optional<RegValue>(encodedShown(settingCase(205), yes ? 10 : 1125)));
        QCOMPARE(shown(catalog, 205), 10);
        QCOMPARE(backupIndex(), DWORD(0));
        QVERIFY(!themeRefreshPending);
        // A backup that could not be written whole leaves nothing behind.
        if (cause == QLatin1String("full"))
            QCOMPARE(backupFiles(), QStringList());
    }

    // The Backup folder, or the product's folder above it, is a link to a folder outside: nothing is made or
    // written there, and Save says no backup could be written.
    void aBackupNeverGoesThroughALink_data()
    {
        QTest::addColumn<int>("levelsUp"); // 0: the Backup folder, 1: the folder above it
        QTest::newRow("Backup folder a link") << 0;
        QTest::newRow("folder above a link") << 1;
    }
    void aBackupNeverGoesThroughALink()
    {
        QFETCH(int, levelsUp);
        QTemporaryDir outside;
        const QString linked = levelsUp ? QFileInfo(backupFolderHost()).path() : backupFolderHost();
        HushdeckForm catalog;
        show(catalog, 402, 1);
        QVERIFY(QDir(linked).removeRecursively());
        QVERIFY(QFile::link(outside.path(), linked));
        m->answerMessageBox(QStringLiteral("IDNO"));
        QVERIFY(!catalog.OnSave());
        const QStringList boxes = m->logged(QStringLiteral("MessageBox"));
        QVERIFY(boxes.size() == 1 && boxes.first().startsWith(QLatin1String("Confirm Changes Without Backup|")));
        QVERIFY(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        QVERIFY(QFile::remove(linked));
    }

    // A setting whose earlier text is longer than a backup record holds: the user is asked before anything is
    // written. No (the default) keeps that change pending with nothing of it written, not even its record;
    // Yes applies it and its record holds the first 1023 units. The other change is applied either way.
    void aTextLongerThanABackupHoldsIsAskedFor_data()
    {
        QTest::addColumn<bool>("viaReview");
        QTest::addColumn<QString>("answer"); // empty: the box's default button, taken with Enter
        QTest::newRow("save, no") << false << "IDNO";
        QTest::newRow("save, yes") << false << "IDYES";
        QTest::newRow("save, the default") << false << "";
        QTest::newRow("review, no") << true << "IDNO";
        QTest::newRow("review, yes") << true << "IDYES";
    }
    void aTextLongerThanABackupHoldsIsAskedFor()
    {
        QFETCH(bool, viaReview);
        QFETCH(QString, answer);
        const bool yes = answer == QLatin1String("IDYES");
        const QString key =
            QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
        const QString name = QStringLiteral("legalnoticetext");
        QString message;
        for (int i = 0; message.size() < 2430; ++i)
            message += QStringLiteral("Line %1 of the notice. ").arg(i);
        message.truncate(2430);
        setRegistryValue(key, name, REG_SZ, registrystore::stringData(message));
        HushdeckForm catalog;
        show(catalog, 402, 1);
        auto *content = catalog.findChild<QPlainTextEdit *>(QStringLiteral("SignInMessageContentPlainTextEdit"));
        content->setPlainText(QStringLiteral("Welcome"));
        const QList<KRGlobal::SettingsData> pending = catalog.settingChangeList;
        QCOMPARE(pendingIds(catalog), (QList<int>{402, 505}));

        bool noIsDefault = false;
        if (answer.isEmpty()) {
            whenModal<QMessageBox>([&noIsDefault](QMessageBox *box) {
                noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
                QTest::keyClick(box, Qt::Key_Return);
            });
        } else {
            m->answerMessageBox(answer);
        }
        if (viaReview) {
            onNextDialog<ReviewChangesDialog>(&catalog, [](ReviewChangesDialog *dialog) {
                dialog->findChild<QPushButton *>("ApplyPushButton")->click();
            });
            catalog.reviewChangesAction->trigger();
        } else {
            QCOMPARE(catalog.OnSave(), yes);
        }

        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 QStringList{QStringLiteral(
                     "Confirm Changes Without Full Backup|A backup keeps the first 1023 characters of a text. The "
                     "earlier text of these settings is longer, so Restore Backup could not give it back whole:\n"
                     "- Set sign-in message content to \"Welcome\".\n\nDo you want to apply these changes all the "
                     "same? Choose No to keep them pending.")});
        QCOMPARE(noIsDefault, answer.isEmpty());
        QCOMPARE(storedValue(settingCase(402)), std::optional<RegValue>(encodedShown(settingCase(402), 1)));
        QCOMPARE(
            registryValue(key, name),
            std::optional<RegValue>({REG_SZ, registrystore::stringData(yes ? QStringLiteral("Welcome") : message)}));
        QCOMPARE(pendingIds(catalog), yes ? QList<int>{} : QList<int>{505});
        QCOMPARE(catalog.saveAction->isEnabled(), !yes);
        QCOMPARE(content->toPlainText(), QStringLiteral("Welcome"));
        QList<KRGlobal::SettingsData> recorded = pending.mid(0, yes ? 2 : 1);
        if (yes) {
            recorded[1].oldValue = message.left(1023);
            recorded[1].oldDesc = recorded[1].oldDesc.left(1023);
            recorded[1].reserved = true; // read back as cut
        }
        QCOMPARE(backupFiles(), QStringList{QStringLiteral("backup0001.bak")});
        QCOMPARE(backupRecords(QStringLiteral("backup0001.bak")), recorded);
    }

    void aRefusedWriteStopsTheApply_data()
    {
        QTest::addColumn<bool>("viaReview");
        QTest::newRow("save") << false;
        QTest::newRow("review") << true;
    }
    void aRefusedWriteStopsTheApply()
    {
        QFETCH(bool, viaReview);
        logRegistryWrites(QStringLiteral("AppsUseLightTheme"));
        const SettingCase &computer = settingCase(200);
        const QString classicKey =
            fullKey(computer).replace(QStringLiteral("NewStartPanel"), QStringLiteral("ClassicStartMenu"));
        const auto classicBefore = registryValue(classicKey, QLatin1String(computer.value));
        const auto computerBefore = storedValue(computer);
        const auto spacingBefore = storedValue(settingCase(205));
        HushdeckForm catalog;
        show(catalog, 402, 1);
        show(catalog, 206, 600); // written; its page also holds a setting that waits
        show(catalog, 200, 1);   // refused; its page asks for a shell notification
        show(catalog, 205, 750);
        const QList<KRGlobal::SettingsData> pending = catalog.settingChangeList;
        m->denyKey(fullKey(computer), false, true);
        m->answerMessageBox(QStringLiteral("IDOK"));
        if (viaReview) {
            onNextDialog<ReviewChangesDialog>(&catalog, [](ReviewChangesDialog *dialog) {
                dialog->findChild<QPushButton *>("ApplyPushButton")->click();
            });
            catalog.reviewChangesAction->trigger();
        } else {
            QVERIFY(!catalog.OnSave());
        }

        QCOMPARE(
            m->logged(QStringLiteral("MessageBox")),
            QStringList{QStringLiteral("Error|\"Show Computer icon on the desktop.\" could not be written.\nIt and "
                                       "the changes after it were not applied.")});
        QCOMPARE(storedValue(settingCase(402)), std::optional<RegValue>(encodedShown(settingCase(402), 1)));
        QCOMPARE(storedValue(settingCase(206)), std::optional<RegValue>(encodedShown(settingCase(206), 600)));
        QCOMPARE(storedValue(computer), computerBefore);
        QCOMPARE(registryValue(classicKey, QLatin1String(computer.value)), classicBefore);
        QCOMPARE(storedValue(settingCase(205)), spacingBefore);
        // What waits is still shown as chosen and still pending, as recorded.
        QCOMPARE(shown(catalog, 200), 1);
        QCOMPARE(shown(catalog, 205), 750);
        QCOMPARE(catalog.settingChangeList, pending.mid(2));
        QVERIFY(catalog.saveAction->isEnabled() && catalog.cancelAction->isEnabled() &&
                catalog.reviewChangesAction->isEnabled());
        QCOMPARE(backupRecords(QStringLiteral("backup0001.bak")), pending);
        // The theme refresh ran for the setting written; nothing runs for the one refused.
        QCOMPARE(m->logged(QStringLiteral("RegWrite")).size(), 2);
        QVERIFY(m->logged(QStringLiteral("SHChangeNotify")).isEmpty());
        QVERIFY(!themeRefreshPending && !shellRefreshPending);

        // Once the key takes writes again, Save writes what is left.
        m->denyKey(fullKey(computer), false, false);
        QVERIFY(catalog.OnSave());
        QCOMPARE(storedValue(computer), std::optional<RegValue>(encodedShown(computer, 1)));
        QCOMPARE(storedValue(settingCase(205)), std::optional<RegValue>(encodedShown(settingCase(205), 750)));
        QVERIFY(catalog.settingChangeList.isEmpty());
        QCOMPARE(backupRecords(QStringLiteral("backup0002.bak")), pending.mid(2));
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")).size(), 1);
    }

    void aFullStoreLeavesEachSettingWrittenOrPending()
    {
        // The disk fills at every point of a Save in turn. Whatever point it is, each setting is either written
        // and gone from the list, or still old and pending, and the first one not written is named.
        const QList<int> ids{402, 206, 205};
        const QList<int> chosen{1, 600, 750};
        bool sawPartial = false;
        for (qint64 room = 0;; room += 2048) {
            QVERIFY2(room < 512 * 1024, "the Save never completed");
            m.reset(new TestMachine);
            HushdeckForm catalog;
            for (int i = 0; i < ids.size(); ++i)
                show(catalog, ids[i], chosen[i]);
            QList<std::optional<RegValue>> before;
            for (int id : ids)
                before << storedValue(settingCase(id));
            const QList<KRGlobal::SettingsData> pending = catalog.settingChangeList;
            m->answerMessageBox(QStringLiteral("IDOK"));
            m->failStore(room ? QStringLiteral("full:%1").arg(room) : QStringLiteral("full"));
            const bool saved = catalog.OnSave();
            m->failStore(QString());

            const int left = int(catalog.settingChangeList.size());
            QCOMPARE(catalog.settingChangeList, pending.mid(pending.size() - left));
            for (int i = 0; i < ids.size(); ++i) {
                const bool written = i < ids.size() - left;
                QCOMPARE(storedValue(settingCase(ids[i])),
                         written ? std::optional<RegValue>(encodedShown(settingCase(ids[i]), chosen[i])) : before[i]);
            }
            QCOMPARE(saved, left == 0);
            if (saved)
                break;
            const QStringList boxes = m->logged(QStringLiteral("MessageBox"));
            QVERIFY2(!boxes.isEmpty() && boxes.last().startsWith(QStringLiteral("Error|")),
                     qPrintable(boxes.join(QLatin1Char('\n'))));
            QVERIFY(boxes.last().contains(catalog.settingChangeList.first().desc) ||
                    boxes.last().contains(QStringLiteral("backup")));
            sawPartial = sawPartial || left < ids.size();
        }
        QVERIFY(sawPartial);
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

    void closingWithAFailedSaveStaysOpen()
    {
        MainWindow w;
        w.show();
        w.findChild<QToolButton *>(QStringLiteral("hushdeckButton"))->click();
        auto *catalog = static_cast<HushdeckForm *>(w.modulePage(MainWindow::HushdeckPage));
        show(*catalog, 207, 1);
        m->denyKey(fullKey(settingCase(207)), false, true);
        m->answerMessageBox(QStringLiteral("IDYES"));
        m->answerMessageBox(QStringLiteral("IDOK"));
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(m->logged(QStringLiteral("MessageBox")).size(), 2);
        QCOMPARE(pendingIds(*catalog), QList<int>{207});
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
