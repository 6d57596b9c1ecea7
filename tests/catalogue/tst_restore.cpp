// Restoring from backup files and applying reviewed changes: the dialogs, what reaches the registry, when
// a backup file goes, and that no page is left showing a choice the system does not hold.
#include "cataloguehelpers.h"
#include "restorebackupdialog.h"
#include "reviewchangesdialog.h"
#include "testmachine.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>

namespace {

QTreeView *view(QWidget *dialog, const char *name)
{
    return dialog->findChild<QTreeView *>(QLatin1String(name));
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QLatin1String(name));
}

QStandardItemModel *model(QWidget *dialog, const char *viewName)
{
    return qobject_cast<QStandardItemModel *>(view(dialog, viewName)->model());
}

void selectFile(RestoreBackupDialog *dialog, const QString &name)
{
    QTreeView *files = view(dialog, "RestoreBackupTreeView");
    QStandardItemModel *m = model(dialog, "RestoreBackupTreeView");
    for (int row = 0; row < m->rowCount(); ++row)
        if (m->item(row, 0)->text() == name)
            files->selectionModel()->select(m->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void writeBackupFile(const QString &name, const QList<KRGlobal::SettingsData> &entries)
{
    QVERIFY(BackupRecord::writeFile(backupFolderHost() + QLatin1Char('/') + name, entries));
}

KRGlobal::SettingsData record(int index, const QString &oldValue, bool isDefault, const QString &oldDesc)
{
    KRGlobal::SettingsData e;
    e.index = index;
    e.desc = QStringLiteral("new");
    e.location = QStringLiteral("Desktop");
    e.oldValue = oldValue;
    e.isDefault = isDefault;
    e.oldDesc = oldDesc;
    return e;
}

// A dialog as the catalogue opens it, on the named file, showing its records.
RestoreBackupDialog *openOn(HushdeckForm &catalog, const QString &name)
{
    auto *dialog = new RestoreBackupDialog(&catalog);
    QObject::connect(dialog, SIGNAL(restoreBackup(QList<KRGlobal::SettingsData>)), &catalog,
                     SLOT(on_restoreBackup(QList<KRGlobal::SettingsData>)));
    dialog->loadBackupList();
    selectFile(dialog, name);
    button(dialog, "RestorePushButton")->click();
    return dialog;
}

// Restores every record of a file through the action, as the user does.
void restoreThroughTheAction(HushdeckForm &catalog, const QString &name)
{
    onNextDialog<RestoreBackupDialog>(&catalog, [name](RestoreBackupDialog *dialog) {
        selectFile(dialog, name);
        button(dialog, "RestorePushButton")->click();
        button(dialog, "ApplyPushButton")->click();
    });
    catalog.restoreBackupAction->trigger();
}

// A sign-in message of length characters, the same words each time.
QString notice(int length)
{
    QString message;
    for (int i = 0; message.size() < length; ++i)
        message += QStringLiteral("Line %1 of the notice. ").arg(i);
    message.truncate(length);
    return message;
}

const QString noticeKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

// The restore's question about records that may hold only the beginning of a text, listing one setting.
QString shortenedTextQuestion(const QString &listed)
{
    return QStringLiteral("Confirm Restore Of Shortened Text|A backup keeps the first 1023 characters of a text. It "
                          "may hold only the beginning of the earlier text of these settings, so restoring them "
                          "could write that beginning in place of what they hold now:\n- ") +
           listed +
           QStringLiteral("\n\nDo you want to restore these settings all the same? Choose No to leave them as they "
                          "are and keep the backup file.");
}

void setChecked(QWidget *dialog, const char *viewName, int row, bool checked)
{
    model(dialog, viewName)->item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    QTemporaryDir noInstall;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
        // The basic edition's transparency page is restored too: the helper it starts is never really started.
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(noInstall.path()));
    }
    void cleanup() { m.reset(); }

    void saveThenRestoreGivesTheRegistryBack_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void saveThenRestoreGivesTheRegistryBack()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        // A random starting state: each setting absent or at some value the registry may hold.
        for (const SettingCase &c : settingCases()) {
            // The taskbar's blob is always there (a page never deletes it); a parameter the system cannot read
            // is restored to its default, not to what it held.
            if (!readAction(c) && absentIsMissing(c) && random.bounded(3) == 0) {
                makeAbsent(c);
                continue;
            }
            switch (c.encoding) {
            case Encoding::Dword:
                storeShown(c, random.bounded(3)); // 2 has no choice
                break;
            case Encoding::InvertedDword:
            case Encoding::InvertedChoice:
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(random.bounded(3)));
                break;
            case Encoding::NegatedText:
            case Encoding::BorderTwips:
                storeShown(c, random.bounded(c.encoding == Encoding::BorderTwips ? 51 : 2001));
                break;
            case Encoding::HideFlag: // the page keeps the choice: 1 stands for every nonzero value
            case Encoding::KeyDefault:
            case Encoding::NameSpaceKey:
            case Encoding::KeyAlone:
                storeShown(c, random.bounded(2));
                break;
            case Encoding::HiddenFiles:
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(random.bounded(4)));
                break;
            case Encoding::DriveBit: // bits of other and absent drives, and above Z, too
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(random.generate()));
                break;
            case Encoding::EdgeByte:
            case Encoding::RowsByte: {
                // Any edge byte, 4 being none of the choices; the rows byte as the taskbar writes it (its
                // page keeps the choice, not the byte, so a 0 or 3 there comes back as 2).
                QByteArray data = registryValue(fullKey(c), QLatin1String(c.value))->data;
                if (c.encoding == Encoding::EdgeByte)
                    data[12] = char(random.bounded(5));
                else
                    data[44] = char(1 + random.bounded(2));
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_BINARY, data);
                break;
            }
            case Encoding::HelperSwitch:
                break; // off, as on a new machine
            case Encoding::DwordFromOne:
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(random.bounded(5)));
                break;
            case Encoding::ServiceStart: // auto, demand or disabled
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(2 + random.bounded(3)));
                break;
            case Encoding::Text:
                storeShown(c, random.bounded(3));
                break;
            case Encoding::DecimalText:
            case Encoding::ParameterText:
                storeShown(c, random.bounded(20000)); // beyond the slider's end too
                break;
            }
        }
        const QMap<QString, RegValue> before = registrySnapshot();

        HushdeckForm catalog;
        for (const SettingCase &c : settingCases()) {
            if (random.bounded(4) == 0 || !pageOf(catalog, c))
                continue;
            switch (c.control) {
            case Control::Combo:
            case Control::Check:
                show(catalog, c.id, random.bounded(2));
                break;
            case Control::Slider:
                show(catalog, c.id, random.bounded(51));
                break;
            case Control::Spin:
                show(catalog, c.id, random.bounded(2001));
                break;
            case Control::DriveItem:
                show(catalog, c.id, random.bounded(2));
                break;
            case Control::Line:
                show(catalog, c.id, random.bounded(3));
                break;
            }
        }
        QVERIFY(!catalog.settingChangeList.isEmpty());
        catalog.saveAction->trigger();
        QCOMPARE(backupFiles(), QStringList{QStringLiteral("backup0001.bak")});

        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));

        // Every setting is back. The icons' second key is only ever written, as a copy of the first: the
        // backup records the first, and the copy follows it.
        QMap<QString, RegValue> after = registrySnapshot();
        const QString classic = QStringLiteral("ClassicStartMenu|");
        const QString newStart = QStringLiteral("NewStartPanel|");
        for (const QString &key : after.keys()) {
            if (!key.contains(classic))
                continue;
            QString first = key;
            first.replace(classic, newStart);
            QVERIFY2(after.value(key) == after.value(first) && after.contains(first), qPrintable(key));
            after.remove(key);
        }
        QCOMPARE(after.keys(), before.keys());
        for (const QString &key : before.keys())
            QVERIFY2(after.value(key) == before.value(key),
                     qPrintable(key + " " + QString::number(before.value(key).type) + ":" +
                                QString::fromLatin1(before.value(key).data.toHex()) + " vs " +
                                QString::number(after.value(key).type) + ":" +
                                QString::fromLatin1(after.value(key).data.toHex())));
        QVERIFY(backupFiles().isEmpty()); // everything went back: the file goes
        QVERIFY(catalog.settingChangeList.isEmpty());
        QVERIFY(catalog.findChildren<RestoreBackupDialog *>().isEmpty());
    }

    void privacyAndOemInfoComeBackExactly_data()
    {
        QTest::addColumn<bool>("absent"); // every value that can be is absent, or else present without a choice
        QTest::newRow("absent") << true;
        QTest::newRow("present") << false;
    }
    void privacyAndOemInfoComeBackExactly()
    {
        QFETCH(bool, absent);
        const QList<int> ids = {300, 301, 302, 700, 701, 702, 703, 704, 705, 706};
        for (int id : ids) {
            const SettingCase &c = settingCase(id);
            if (c.encoding == Encoding::ServiceStart)
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(absent ? 4 : 3));
            else if (absent)
                makeAbsent(c);
            else if (c.encoding == Encoding::Text)
                storeShown(c, id == 706 ? 0 : 2); // 706 present and empty
            else
                setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(id == 300 ? 2 : 0));
        }
        const QMap<QString, RegValue> before = registrySnapshot();

        HushdeckForm catalog;
        for (int id : ids) {
            if (settingCase(id).encoding == Encoding::Text)
                show(catalog, id, id == 701 ? 0 : 1);
            else
                show(catalog, id, shown(catalog, id) == 1 ? 0 : 1);
        }
        if (absent)
            show(catalog, 701, 3);
        QCOMPARE(catalog.settingChangeList.size(), ids.size());
        catalog.saveAction->trigger();
        QCOMPARE(storedValue(settingCase(302)), std::optional<RegValue>(encodedShown(settingCase(302), 1)));
        QCOMPARE(storedValue(settingCase(301)), std::optional<RegValue>(encodedShown(settingCase(301), 1)));
        // A cleared field is written as an empty text, not deleted.
        QCOMPARE(storedValue(settingCase(701)),
                 std::optional<RegValue>(encodedShown(settingCase(701), absent ? 3 : 0)));

        onNextDialog<RestoreBackupDialog>(&catalog, [](RestoreBackupDialog *dialog) {
            selectFile(dialog, QStringLiteral("backup0001.bak"));
            button(dialog, "RestorePushButton")->click();
            button(dialog, "ApplyPushButton")->click();
        });
        catalog.restoreBackupAction->trigger();
        const QMap<QString, RegValue> after = registrySnapshot();
        QCOMPARE(after.keys(), before.keys());
        for (const QString &key : before.keys())
            QVERIFY2(after.value(key) == before.value(key), qPrintable(key));
        QCOMPARE(shown(catalog, 302), 0); // disabled again, shown as "Disable"
    }

    // A text kept as an expandable string is shown, recorded and restored as stored, its variables and its
    // type with it; a plain string naming a variable stays plain.
    void textsComeBackWithTheirType_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        const QString oem =
            QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation");
        const QString policies =
            QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
        QTest::newRow("OEM manufacturer") << oem << "Manufacturer"
                                          << "ManufacturerLineEdit"
                                          << "%COMPUTERNAME% Ltd" << int(REG_EXPAND_SZ);
        QTest::newRow("sign-in title") << policies << "legalnoticecaption"
                                       << "SignInMessageTitleLineEdit"
                                       << "Welcome %USERNAME%" << int(REG_EXPAND_SZ);
        QTest::newRow("plain, naming a variable") << oem << "Manufacturer"
                                                  << "ManufacturerLineEdit"
                                                  << "%COMPUTERNAME% Ltd" << int(REG_SZ);
    }
    void textsComeBackWithTheirType()
    {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, type);
        setRegistryValue(key, name, DWORD(type), registrystore::stringData(text));
        HushdeckForm catalog;
        auto *edit = catalog.findChild<QLineEdit *>(field);
        QVERIFY(edit);
        QCOMPARE(edit->text(), text);
        edit->setText(QStringLiteral("Contoso"));
        catalog.saveAction->trigger();
        QCOMPARE(registryValue(key, name),
                 std::optional<RegValue>({DWORD(type), registrystore::stringData(QStringLiteral("Contoso"))}));
        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));
        QCOMPARE(registryValue(key, name), std::optional<RegValue>({DWORD(type), registrystore::stringData(text)}));
        QCOMPARE(edit->text(), text);
    }

    void theFileExplorerTabComesBackExactly()
    {
        // Every setting of the tab from an uncommon start: absent, or away from its default.
        QList<int> ids;
        for (const SettingCase &c : settingCases()) {
            if (c.id / 100 != 6)
                continue;
            if (ids.size() % 2 == 0)
                makeAbsent(c);
            else
                storeShown(c, c.otherShown);
            ids << c.id;
        }
        // A value without a choice of its own; C: hidden, with hidden drives that are not present, above Z too.
        setRegistryValue(fullKey(settingCase(601)), QStringLiteral("Hidden"), REG_DWORD, dwordData(3));
        setRegistryValue(fullKey(settingCase(632)), QStringLiteral("NoDrives"), REG_DWORD, dwordData(0x82000024));
        const QMap<QString, RegValue> before = registrySnapshot();

        HushdeckForm catalog;
        for (int id : std::as_const(ids))
            show(catalog, id, 1 - shown(catalog, id));
        QCOMPARE(pendingIds(catalog), ids);
        catalog.saveAction->trigger();
        QVERIFY(catalog.settingChangeList.isEmpty());
        const QMap<QString, RegValue> saved = registrySnapshot();
        for (int id : std::as_const(ids)) {
            const SettingCase &c = settingCase(id);
            const QString where = keptAsKey(c) ? fullKey(c) + QStringLiteral("|(key)")
                                               : fullKey(c) + QLatin1Char('|') + QLatin1String(c.value);
            QVERIFY2(!(saved.value(where) == before.value(where)) || saved.contains(where) != before.contains(where),
                     qPrintable(where));
        }

        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));
        const QMap<QString, RegValue> after = registrySnapshot();
        QCOMPARE(after.keys(), before.keys());
        for (const QString &key : before.keys())
            QVERIFY2(after.value(key) == before.value(key), qPrintable(key));
        QVERIFY(catalog.settingChangeList.isEmpty());
    }

    // An empty list says there is nothing to restore; a listed backup file takes the words away.
    void anEmptyListSaysSo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rows");
        QTest::newRow("no file") << QString() << 0;
        QTest::newRow("no backup file") << QStringLiteral("notes.txt") << 0;
        QTest::newRow("a backup file") << QStringLiteral("backup0001.bak") << 1;
    }
    void anEmptyListSaysSo()
    {
        QFETCH(QString, file);
        QFETCH(int, rows);
        if (!file.isEmpty())
            writeBackupFile(file, {record(207, QStringLiteral("1"), false, QStringLiteral("b"))});
        HushdeckForm catalog;
        QPointer<RestoreBackupDialog> dialog = new RestoreBackupDialog(&catalog);
        auto *none = dialog->findChild<QLabel *>(QStringLiteral("noneLabel"));
        QVERIFY(none);
        dialog->loadBackupList();
        QCOMPARE(model(dialog, "RestoreBackupTreeView")->rowCount(), rows);
        QCOMPARE(none->isHidden(), rows > 0);
        QCOMPARE(none->text(), QStringLiteral("No backup files were found."));
        delete dialog;
    }

    void theDialogListsFilesAndTheRecordsOfOne()
    {
        writeBackupFile(QStringLiteral("backup0002.bak"),
                        {record(207, QStringLiteral("1"), false, QStringLiteral("b"))});
        writeBackupFile(QStringLiteral("Backup0001.bak"),
                        {record(402, QStringLiteral("0"), true, QStringLiteral("Accent off")),
                         record(205, QStringLiteral("750"), false, QStringLiteral("Spacing 750"))});
        QFile other(backupFolderHost() + QStringLiteral("/notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        HushdeckForm catalog;
        QPointer<RestoreBackupDialog> dialog = new RestoreBackupDialog(&catalog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Restore Backup"));
        dialog->loadBackupList();
        QStandardItemModel *files = model(dialog, "RestoreBackupTreeView");
        QCOMPARE(files->rowCount(), 2);
        QCOMPARE(files->item(0, 0)->text(), QStringLiteral("Backup0001.bak"));
        QCOMPARE(files->item(1, 0)->text(), QStringLiteral("backup0002.bak"));
        QCOMPARE(files->item(1, 2)->text(), QStringLiteral("1"));
        QCOMPARE(files->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Created On"));
        QVERIFY(!files->item(0, 1)->text().isEmpty());
        QVERIFY(view(dialog, "RestoreBackupTreeView")->isColumnHidden(2));
        QVERIFY(!button(dialog, "RestorePushButton")->isEnabled());
        QVERIFY(button(dialog, "ApplyPushButton")->isHidden());
        QVERIFY(view(dialog, "DetailTreeView")->isHidden());

        selectFile(dialog, QStringLiteral("Backup0001.bak"));
        QVERIFY(button(dialog, "RestorePushButton")->isEnabled());
        view(dialog, "RestoreBackupTreeView")->selectionModel()->clearSelection();
        QVERIFY(!button(dialog, "RestorePushButton")->isEnabled());
        selectFile(dialog, QStringLiteral("Backup0001.bak"));
        button(dialog, "RestorePushButton")->click();

        QVERIFY(view(dialog, "RestoreBackupTreeView")->isHidden());
        QVERIFY(button(dialog, "RestorePushButton")->isHidden());
        QVERIFY(!button(dialog, "ApplyPushButton")->isHidden());
        QStandardItemModel *records = model(dialog, "DetailTreeView");
        QCOMPARE(records->rowCount(), 2);
        QCOMPARE(records->item(0, 0)->text(), QStringLiteral("Accent off"));
        QCOMPARE(records->item(0, 0)->checkState(), Qt::Checked);
        QCOMPARE(records->item(0, 1)->text(), QStringLiteral("Desktop"));
        QCOMPARE(records->item(0, 2)->text(), QStringLiteral("402"));
        QCOMPARE(records->item(0, 4)->text(), QStringLiteral("1"));
        QCOMPARE(records->item(1, 3)->text(), QStringLiteral("750"));
        for (int column : {2, 3, 4})
            QVERIFY(view(dialog, "DetailTreeView")->isColumnHidden(column));

        QVERIFY(button(dialog, "ApplyPushButton")->isEnabled());
        setChecked(dialog, "DetailTreeView", 0, false);
        setChecked(dialog, "DetailTreeView", 1, false);
        QVERIFY(!button(dialog, "ApplyPushButton")->isEnabled());
        setChecked(dialog, "DetailTreeView", 1, true);
        QVERIFY(button(dialog, "ApplyPushButton")->isEnabled());

        button(dialog, "ClosePushButton")->click();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(backupFiles().size(), 2);
        QCOMPARE(storedValue(settingCase(205)), std::optional<RegValue>(encodedShown(settingCase(205), 1125)));
    }

    void restoringEveryRowDeletesTheFile_data()
    {
        QTest::addColumn<bool>("uncheckOne");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("fileKept");
        QTest::newRow("all rows") << false << false << false;
        QTest::newRow("one row unchecked") << true << false << true;
        QTest::newRow("a record the system refuses") << false << true << true;
    }
    void restoringEveryRowDeletesTheFile()
    {
        QFETCH(bool, uncheckOne);
        QFETCH(bool, refused);
        QFETCH(bool, fileKept);
        QList<KRGlobal::SettingsData> records = {
            record(205, QStringLiteral("300"), false, QString()),
            record(402, QString(), true, QString()),
            record(203, QStringLiteral("1"), false, QString()),
        };
        storeShown(settingCase(400), 1);
        if (refused) {
            records.append(record(400, QStringLiteral("0"), false, QStringLiteral("Dark windows")));
            m->denyKey(fullKey(settingCase(400)), false, true);
            m->answerMessageBox(QStringLiteral("IDOK"));
        }
        writeBackupFile(QStringLiteral("backup0001.bak"), records);
        storeShown(settingCase(402), 1);
        HushdeckForm catalog;
        QPointer<RestoreBackupDialog> dialog = openOn(catalog, QStringLiteral("backup0001.bak"));
        if (uncheckOne)
            setChecked(dialog, "DetailTreeView", 0, false);
        QSignalSpy restored(dialog.data(), &RestoreBackupDialog::restoreBackup);
        button(dialog, "ApplyPushButton")->click();
        QCOMPARE(restored.count(), 1);

        QCOMPARE(storedValue(settingCase(205)), uncheckOne
                                                    ? std::optional<RegValue>(encodedShown(settingCase(205), 1125))
                                                    : std::optional<RegValue>(encodedShown(settingCase(205), 300)));
        QVERIFY(!storedValue(settingCase(402))); // it was absent: deleted again
        QCOMPARE(storedValue(settingCase(203)), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(1)}));
        QCOMPARE(shown(catalog, 402), 0);
        QCOMPARE(shown(catalog, 203), 0);
        QCOMPARE(backupFiles().isEmpty(), !fileKept);
        // The refused setting is named as the list showed it, and stays as it was.
        QCOMPARE(m->logged(QStringLiteral("MessageBox")),
                 refused ? QStringList{QStringLiteral("Error|\"Dark windows\" could not be written.\nIt and the "
                                                      "changes after it were not applied.")}
                         : QStringList{});
        QCOMPARE(storedValue(settingCase(400)), std::optional<RegValue>(encodedShown(settingCase(400), 1)));
        QVERIFY(themeRefreshPending == false && shellRefreshPending == false);
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")).size(), 1);
        QTRY_VERIFY(dialog.isNull());
    }

    void aReadOnlyBackupRestores()
    {
        writeBackupFile(QStringLiteral("backup0001.bak"), {record(207, QStringLiteral("1"), false, QString())});
        const QString path = backupFolderHost() + QStringLiteral("/backup0001.bak");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        HushdeckForm catalog;
        RestoreBackupDialog *dialog = openOn(catalog, QStringLiteral("backup0001.bak"));
        QCOMPARE(model(dialog, "DetailTreeView")->rowCount(), 1);
        button(dialog, "ApplyPushButton")->click();
        QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), 1)));
        QCOMPARE(shown(catalog, 207), 1);
    }

    // A backup an earlier version made names the screenshot folder by its host path, inside the machine's
    // first layout or elsewhere on the host; once the machine is carried over, the restore writes the
    // Windows path naming that folder now.
    void oldBackupsRestoreWindowsPaths_data()
    {
        QTest::addColumn<QString>("stored"); // {m}: the machine folder, {o}: a host folder outside it
        QTest::addColumn<QString>("written");
        QTest::newRow("in the machine") << "{m}/Users/User/Pictures"
                                        << "C:\\Users\\User\\Pictures";
        QTest::newRow("outside it") << "{o}/shots"
                                    << "{O}\\shots";
    }
    void oldBackupsRestoreWindowsPaths()
    {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        const QString root = machine::folder();
        QTemporaryDir outside;
        stored.replace(QLatin1String("{m}"), root).replace(QLatin1String("{o}"), outside.path());
        written.replace(QLatin1String("{O}"), fromHostPath(outside.path()));
        writeBackupFile(QStringLiteral("backup0001.bak"), {record(105, stored, false, QStringLiteral("old"))});
        m->makeFirstLayout();

        HushdeckForm catalog;
        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));
        const QString shellFolders = QStringLiteral(
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
        QCOMPARE(registryValue(shellFolders, QStringLiteral("{B7BEDE81-DF94-4682-A7D8-57A52620B86F}")),
                 std::optional<RegValue>(RegValue{REG_EXPAND_SZ, registrystore::stringData(written)}));
    }

    void damagedFilesAreNotOffered_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // of backup0002.bak
        QTest::addColumn<qint64>("sparseSize"); // or a file of zeros this large
        QTest::addColumn<bool>("afterListing"); // damaged only once the list shows it
        const QByteArray good = BackupRecord::encode(record(207, QStringLiteral("1"), false, QStringLiteral("x")));
        QByteArray unknownId = good;
        unknownId[0] = 50; // an id that belongs to no page
        QByteArray unterminated = good;
        for (int unit = 0; unit < 1024; ++unit)
            unterminated[BackupRecord::locationOffset + 2 * unit] = 'L';
        QTest::newRow("empty") << QByteArray() << qint64(0) << false;
        QTest::newRow("truncated") << (good + good).left(12300) << qint64(0) << false;
        QTest::newRow("shorter than a record") << good.left(8199) << qint64(0) << false;
        QTest::newRow("more records than settings") << good.repeated(pageTableIds().size() + 1) << qint64(0) << false;
        QTest::newRow("200 MB of zeros") << QByteArray() << qint64(200) * 1024 * 1024 << false;
        QTest::newRow("unknown id") << good + unknownId << qint64(0) << false;
        QTest::newRow("unterminated field") << unterminated << qint64(0) << false;
        QTest::newRow("truncated after listing") << (good + good).left(12300) << qint64(0) << true;
        // The reserved byte: a value no writer writes, or a mark on a text that does not fill its field.
        const QByteArray full =
            BackupRecord::encode(record(505, QString(1023, QLatin1Char('n')), false, QStringLiteral("x")));
        for (int value : {3, 128, 255}) {
            QByteArray marked = full;
            marked[BackupRecord::reservedOffset] = char(value);
            QTest::addRow("reserved byte %d", value) << marked << qint64(0) << false;
        }
        for (int value : {1, 2}) {
            QByteArray number = good;
            number[BackupRecord::reservedOffset] = char(value);
            QTest::addRow("mark %d on a number", value) << number << qint64(0) << false;
        }
        QByteArray empty = BackupRecord::encode(record(505, QString(), true, QStringLiteral("x")));
        empty[BackupRecord::reservedOffset] = BackupRecord::cutMark;
        QTest::newRow("cut mark on an empty text") << empty << qint64(0) << false;
    }
    void damagedFilesAreNotOffered()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(bool, afterListing);
        writeBackupFile(QStringLiteral("backup0001.bak"), {record(205, QStringLiteral("300"), false, QString())});
        auto damage = [&] {
            QFile f(backupFolderHost() + QStringLiteral("/backup0002.bak"));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(bytes), bytes.size());
            QVERIFY(!sparseSize || f.resize(sparseSize));
        };
        if (afterListing)
            writeBackupFile(QStringLiteral("backup0002.bak"), {record(207, QStringLiteral("1"), false, QString())});
        else
            damage();
        HushdeckForm catalog;
        QPointer<RestoreBackupDialog> dialog = new RestoreBackupDialog(&catalog);
        QObject::connect(dialog, SIGNAL(restoreBackup(QList<KRGlobal::SettingsData>)), &catalog,
                         SLOT(on_restoreBackup(QList<KRGlobal::SettingsData>)));
        dialog->loadBackupList();
        QStandardItemModel *files = model(dialog, "RestoreBackupTreeView");
        QCOMPARE(files->rowCount(), 2);
        QCOMPARE(files->item(1, 1)->text().endsWith(QStringLiteral(" (damaged, cannot be restored)")), !afterListing);
        QVERIFY(!files->item(0, 1)->text().contains(QStringLiteral("damaged")));
        QCOMPARE(bool(files->item(1, 0)->flags() & Qt::ItemIsSelectable), afterListing);

        selectFile(dialog, QStringLiteral("backup0002.bak"));
        if (afterListing) {
            damage();
            button(dialog, "RestorePushButton")->click();
            QVERIFY(!view(dialog, "DetailTreeView")->isHidden());
            QStandardItemModel *records = model(dialog, "DetailTreeView");
            QVERIFY(!records || records->rowCount() == 0);
            QVERIFY(!button(dialog, "ApplyPushButton")->isEnabled());
            QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), 0)));
            return;
        }
        QVERIFY(!button(dialog, "RestorePushButton")->isEnabled());
        // The good file beside it restores.
        selectFile(dialog, QStringLiteral("backup0001.bak"));
        button(dialog, "RestorePushButton")->click();
        QCOMPARE(model(dialog, "DetailTreeView")->rowCount(), 1);
        button(dialog, "ApplyPushButton")->click();
        QCOMPARE(storedValue(settingCase(205)), std::optional<RegValue>(encodedShown(settingCase(205), 300)));
        QCOMPARE(backupFiles(), QStringList{QStringLiteral("backup0002.bak")});
    }

    void aRestoreReloadsThePagesOfPendingChanges()
    {
        writeBackupFile(QStringLiteral("backup0001.bak"), {record(402, QStringLiteral("1"), false, QString())});
        HushdeckForm catalog;
        show(catalog, 207, 1);
        show(catalog, 206, 300);
        RestoreBackupDialog *dialog = openOn(catalog, QStringLiteral("backup0001.bak"));
        button(dialog, "ApplyPushButton")->click();
        QCOMPARE(storedValue(settingCase(402)), std::optional<RegValue>(encodedShown(settingCase(402), 1)));
        QVERIFY(catalog.settingChangeList.isEmpty());
        QVERIFY(!catalog.saveAction->isEnabled());
        // The pending changes were dropped: their pages show what the system holds.
        QCOMPARE(shown(catalog, 207), 0);
        QCOMPARE(shown(catalog, 206), 1125);
        QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), 0)));
    }

    void reviewListsThePendingChanges()
    {
        HushdeckForm catalog;
        show(catalog, 400, 0);
        show(catalog, 204, 1);
        QPointer<ReviewChangesDialog> dialog = new ReviewChangesDialog(&catalog);
        dialog->setSettingChangeList(&catalog.settingChangeList);
        dialog->loadChanges();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Review Changes"));
        QCOMPARE(button(dialog, "ApplyPushButton")->text(), QStringLiteral("Apply All Changes"));
        QStandardItemModel *rows = model(dialog, "ReviewChangesTreeView");
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->item(0, 0)->text(), QStringLiteral("Change the colors that appear in Windows to dark."));
        QCOMPARE(rows->item(0, 1)->text(), QStringLiteral("Appearance"));
        QCOMPARE(rows->item(1, 2)->text(), QStringLiteral("204"));
        QVERIFY(view(dialog, "ReviewChangesTreeView")->isColumnHidden(2));
        QVERIFY(button(dialog, "ApplyPushButton")->isEnabled());
        setChecked(dialog, "ReviewChangesTreeView", 0, false);
        setChecked(dialog, "ReviewChangesTreeView", 1, false);
        QVERIFY(!button(dialog, "ApplyPushButton")->isEnabled());
        setChecked(dialog, "ReviewChangesTreeView", 0, true);
        QVERIFY(button(dialog, "ApplyPushButton")->isEnabled());
        button(dialog, "ClosePushButton")->click();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(pendingIds(catalog), (QList<int>{400, 204}));
        QVERIFY(catalog.saveAction->isEnabled());
        QVERIFY(backupFiles().isEmpty());
    }

    void applyingEveryReviewedChangeIsASave()
    {
        auto changeThree = [](HushdeckForm &catalog) {
            show(catalog, 401, 0);
            show(catalog, 202, 1);
            show(catalog, 403, 5);
        };
        QMap<QString, RegValue> saved;
        QByteArray savedBackup;
        {
            HushdeckForm catalog;
            changeThree(catalog);
            catalog.saveAction->trigger();
            saved = registrySnapshot();
            QFile f(backupFolderHost() + QStringLiteral("/backup0001.bak"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            savedBackup = f.readAll();
        }
        // A second fresh machine: the first must be gone before it comes (each restores the one before).
        m.reset();
        m.reset(new TestMachine);
        HushdeckForm catalog;
        changeThree(catalog);
        onNextDialog<ReviewChangesDialog>(
            &catalog, [](ReviewChangesDialog *dialog) { button(dialog, "ApplyPushButton")->click(); });
        catalog.reviewChangesAction->trigger();
        QCOMPARE(registrySnapshot(), saved);
        QFile f(backupFolderHost() + QStringLiteral("/backup0001.bak"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), savedBackup);
        QVERIFY(catalog.settingChangeList.isEmpty());
        QVERIFY(!catalog.reviewChangesAction->isEnabled());
        QCOMPARE(m->logged(QStringLiteral("SHChangeNotify")).size(), 1);
    }

    // A sign-in message longer than a backup record holds: its restore asks before writing the beginning,
    // also when the message was left out of a reviewed apply (nothing tells it from one changed past the
    // beginning), and No leaves the message whole.
    void aCutRecordIsRestoredOnlyWithTheUsersWord_data()
    {
        QTest::addColumn<bool>("leftOut");
        QTest::addColumn<QString>("answer"); // to the restore's question
        QTest::newRow("left out in review") << true << "IDNO";
        QTest::newRow("applied, restore refused") << false << "IDNO";
        QTest::newRow("applied, restore agreed") << false << "IDYES";
    }
    void aCutRecordIsRestoredOnlyWithTheUsersWord()
    {
        QFETCH(bool, leftOut);
        QFETCH(QString, answer);
        const QString &key = noticeKey;
        const QString message = notice(2430);
        setRegistryValue(key, QStringLiteral("legalnoticetext"), REG_SZ, registrystore::stringData(message));
        const auto before402 = storedValue(settingCase(402));
        HushdeckForm catalog;
        show(catalog, 402, 1);
        catalog.findChild<QPlainTextEdit *>(QStringLiteral("SignInMessageContentPlainTextEdit"))
            ->setPlainText(QStringLiteral("Welcome"));
        if (leftOut) {
            onNextDialog<ReviewChangesDialog>(&catalog, [](ReviewChangesDialog *dialog) {
                setChecked(dialog, "ReviewChangesTreeView", 1, false);
                button(dialog, "ApplyPushButton")->click();
            });
            catalog.reviewChangesAction->trigger();
        } else {
            m->answerMessageBox(QStringLiteral("IDYES")); // Save's own question about the short backup
            QVERIFY(catalog.OnSave());
        }
        const QString now = leftOut ? message : QStringLiteral("Welcome");
        QCOMPARE(registryValue(key, QStringLiteral("legalnoticetext")),
                 std::optional<RegValue>({REG_SZ, registrystore::stringData(now)}));

        m->answerMessageBox(answer);
        const QStringList boxesBefore = m->logged(QStringLiteral("MessageBox"));
        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));
        const QStringList asked = m->logged(QStringLiteral("MessageBox")).mid(boxesBefore.size());
        const bool yes = answer == QLatin1String("IDYES");
        QCOMPARE(asked, QStringList{shortenedTextQuestion(QStringLiteral(
                            "Set sign-in message content to \"Line 0 of the notice. Line 1 of the notice. L..."))});
        // The other setting is back either way; the message is whole, or what the user chose.
        QCOMPARE(storedValue(settingCase(402)), before402);
        const QString restored = yes ? message.left(1023) : leftOut ? message : QStringLiteral("Welcome");
        QCOMPARE(registryValue(key, QStringLiteral("legalnoticetext")),
                 std::optional<RegValue>({REG_SZ, registrystore::stringData(restored)}));
        // The file goes only when everything in it is back.
        QCOMPARE(backupFiles(), answer == QLatin1String("IDNO") ? QStringList{"backup0001.bak"} : QStringList());
    }

    // A sign-in message changed after its backup was saved: a record that holds the earlier text whole puts it
    // back without a question; one that may hold only its beginning (cut, or a full record of a file from
    // before records were marked) is asked about, however the message begins now, and No keeps the file.
    void aMessageChangedSinceItsBackupIsPutBackOrAsked_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("changedAt"); // -1: words added at the end
        QTest::addColumn<bool>("olderFile");
        QTest::addColumn<bool>("asked");
        QTest::newRow("1000, added to") << 1000 << -1 << false << false;
        QTest::newRow("1022, added to") << 1022 << -1 << false << false;
        QTest::newRow("1023, added to") << 1023 << -1 << false << false;
        QTest::newRow("1023, changed at its end") << 1023 << 1020 << false << false;
        QTest::newRow("1022, added to, older file") << 1022 << -1 << true << true;
        QTest::newRow("1023, added to, older file") << 1023 << -1 << true << true;
        QTest::newRow("2430, added to") << 2430 << -1 << false << true;
        QTest::newRow("2430, changed past 1023") << 2430 << 2000 << false << true;
    }
    void aMessageChangedSinceItsBackupIsPutBackOrAsked()
    {
        QFETCH(int, length);
        QFETCH(int, changedAt);
        QFETCH(bool, olderFile);
        QFETCH(bool, asked);
        const QString message = notice(length);
        QString changed = message;
        if (changedAt < 0)
            changed += QStringLiteral(" Words added later.");
        else
            changed[changedAt] = QLatin1Char('#');
        setRegistryValue(noticeKey, QStringLiteral("legalnoticetext"), REG_SZ, registrystore::stringData(message));
        HushdeckForm catalog;
        catalog.findChild<QPlainTextEdit *>(QStringLiteral("SignInMessageContentPlainTextEdit"))->setPlainText(changed);
        if (length > 1023)
            m->answerMessageBox(QStringLiteral("IDYES")); // Save's own question about the short backup
        QVERIFY(catalog.OnSave());
        if (olderFile) {
            QFile f(backupFolderHost() + QStringLiteral("/backup0001.bak"));
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(BackupRecord::reservedOffset) && f.write("\0", 1) == 1);
        }

        m->answerMessageBox(QStringLiteral("IDNO"));
        const qsizetype boxesBefore = m->logged(QStringLiteral("MessageBox")).size();
        restoreThroughTheAction(catalog, QStringLiteral("backup0001.bak"));
        const QStringList boxes = m->logged(QStringLiteral("MessageBox")).mid(boxesBefore);
        QCOMPARE(boxes, asked ? QStringList{shortenedTextQuestion(QStringLiteral("Set sign-in message content to "
                                                                                 "\"Line 0 of the notice. Line 1 of "
                                                                                 "the notice. L..."))}
                              : QStringList());
        QCOMPARE(registryValue(noticeKey, QStringLiteral("legalnoticetext")),
                 std::optional<RegValue>({REG_SZ, registrystore::stringData(asked ? changed : message)}));
        QCOMPARE(backupFiles(), asked ? QStringList{"backup0001.bak"} : QStringList());
    }

    void applyingSomeReviewedChanges()
    {
        HushdeckForm catalog;
        show(catalog, 401, 0);
        show(catalog, 205, 10);
        show(catalog, 207, 1);
        onNextDialog<ReviewChangesDialog>(&catalog, [](ReviewChangesDialog *dialog) {
            setChecked(dialog, "ReviewChangesTreeView", 1, false);
            button(dialog, "ApplyPushButton")->click();
        });
        catalog.reviewChangesAction->trigger();
        QCOMPARE(storedValue(settingCase(401)), std::optional<RegValue>(encodedShown(settingCase(401), 0)));
        QCOMPARE(storedValue(settingCase(207)), std::optional<RegValue>(encodedShown(settingCase(207), 1)));
        QCOMPARE(storedValue(settingCase(205)), std::optional<RegValue>(encodedShown(settingCase(205), 1125)));
        // The change left out is gone from the list and from its page.
        QCOMPARE(shown(catalog, 205), 1125);
        QVERIFY(catalog.settingChangeList.isEmpty());
        // The backup holds every pending change, applied or not.
        const QList<KRGlobal::SettingsData> recorded = backupRecords(QStringLiteral("backup0001.bak"));
        QCOMPARE(recorded.size(), 3);
        QCOMPARE(recorded.at(1).index, 205);
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
