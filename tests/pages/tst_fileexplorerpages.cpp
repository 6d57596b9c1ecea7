// The File Explorer pages: texts and pictures, values without a choice of their own, the NoDrives mask
// written bit by bit, settings kept as keys, and what depends on the Windows build.
#include "pagetable.h"
#include "settingcases.h"
#include "testmachine.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString policyKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
const QString classKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{d93ed569-3b3e-4bff-8355-3c44f6a52bb5}");
const QString advancedKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced");

std::optional<quint32> noDrives()
{
    const std::optional<RegValue> v = registryValue(policyKey, QStringLiteral("NoDrives"));
    if (!v || v->type != REG_DWORD || v->data.size() != 4)
        return std::nullopt;
    return quint32(quint8(v->data[0])) | quint32(quint8(v->data[1])) << 8 | quint32(quint8(v->data[2])) << 16 |
           quint32(quint8(v->data[3])) << 24;
}

bool keyExists(const QString &fullPath)
{
    machine::Lock lock;
    return registrystore::findKey(fullPath) != 0;
}

} // namespace

class TestFileExplorerPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<QTemporaryDir> driveRoots;

    std::unique_ptr<SettingPage> build(int id) { return std::unique_ptr<SettingPage>(settingCase(id).create()); }

    // Only drives C, D and E, each a folder of its own.
    void mapDrives()
    {
        driveRoots.reset(new QTemporaryDir);
        machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            machine::setSetting(QStringLiteral("drive.") + QLatin1Char(letter), QString());
        for (const char *letter : {"C", "D", "E"}) {
            const QString root = driveRoots->path() + QLatin1Char('/') + QLatin1String(letter);
            QDir().mkpath(root);
            const QString key = QStringLiteral("drive.") + QLatin1String(letter);
            machine::setSetting(key, root);
            machine::setSetting(key + QStringLiteral(".type"), QStringLiteral("fixed"));
            machine::setSetting(key + QStringLiteral(".label"), QStringLiteral("Disk ") + QLatin1String(letter));
        }
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
        windowsBuildNumber = 22000;
    }
    void cleanup()
    {
        m.reset();
        driveRoots.reset();
        windowsBuildNumber = 0;
    }

    void texts_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("item"); // a combo box's item, or -1 for the widget's own text
        QTest::addColumn<QString>("text");
        QTest::newRow("600 title") << 600 << "HideFileExtGroupBox" << -1 << "File Extensions ";
        QTest::newRow("600 desc") << 600 << "HideFileExtDescLabel" << -1
                                  << "Show or hide file extensions in File Explorer (need to restart File Exporer)";
        QTest::newRow("600 desc 2") << 600 << "HideFileExtDescLabel2" << -1
                                    << "File Extensions is usually three, four or more characters that comes after "
                                       "the period at the end of file namefile extensions .";
        QTest::newRow("600 item 0") << 600 << "HideFileExtComboBox" << 0 << "Hide (default)";
        QTest::newRow("600 item 1") << 600 << "HideFileExtComboBox" << 1 << "Show";
        QTest::newRow("601 desc") << 601 << "HiddenFilesDescLabel" << -1
                                  << "Show or hide hidden files, folders and drives in File Explorer (need to restart "
                                     "File Exporer)";
        QTest::newRow("601 item 0") << 601 << "HiddenFilesComboBox" << 0 << "Show hidden files, folders and drives";
        QTest::newRow("601 item 1") << 601 << "HiddenFilesComboBox" << 1
                                    << "Don't show hidden files, folders or drives (default)";
        QTest::newRow("602 title") << 602 << "oldFileExplorerToolbarGroupBox" << -1 << "File Explorer Toolbar";
        QTest::newRow("602 new") << 602 << "oldFileExplorerToolbarLabel1" << -1 << "New";
        QTest::newRow("602 old") << 602 << "oldFileExplorerToolbarLabel2" << -1 << "Old";
        QTest::newRow("602 item 1") << 602 << "oldFileExplorerToolbarComboBox" << 1
                                    << "Enable Old File Explorer Toolbar";
        QTest::newRow("603 title") << 603 << "FullFolderPathGroupBox" << -1
                                   << "Full Folder Path on File Explorer Title Bar";
        QTest::newRow("603 item 0") << 603 << "FullFolderPathComboBox" << 0 << "Show Folder Name (Default)";
        QTest::newRow("604 quick access")
            << 604 << "QuickAccessCheckBox" << -1 << "Quick access (need to restart File Exporer)";
        QTest::newRow("605 tab") << 605 << "OneDriveCheckBox" << -1 << "\tOneDrive";
        QTest::newRow("607 title") << 607 << "MyComputerIconsGroupBox" << -1 << "User Folders in This PC";
        QTest::newRow("613 box") << 613 << "_3dObjectsCheckBox" << -1 << "3D Objects";
        QTest::newRow("620 title") << 620 << "MyComputerIconsGroupBox" << -1 << "Devices and drives in This PC";
        QTest::newRow("620 desc") << 620 << "MyComputerIconsDescLabel" << -1 << "Show or hide items from This PC.";
        QTest::newRow("621 box") << 621 << "ControlPanelCheckBox" << -1 << "ControlPanel";
        QTest::newRow("632 desc") << 632 << "MyComputerDrivesDescLabel" << -1
                                  << "Show or hide drives from This PC. Please note that hidden drives can still be "
                                     "accessed through address bar or command line.";
    }
    void texts()
    {
        QFETCH(int, id);
        QFETCH(QString, object);
        QFETCH(int, item);
        QFETCH(QString, text);
        auto page = build(id);
        QWidget *w = child<QWidget>(page.get(), qPrintable(object));
        if (auto *box = qobject_cast<QGroupBox *>(w))
            QCOMPARE(box->title(), text);
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            QCOMPARE(combo->itemText(item), text);
        else
            QCOMPARE(w->property("text").toString(), text);
        // Every page's Set Default button may grow to its text in the host's fonts.
        for (QPushButton *b : page->findChildren<QPushButton *>()) {
            QCOMPARE(b->text(), QStringLiteral("Set Default"));
            QVERIFY(b->maximumWidth() >= b->sizeHint().width());
        }
    }

    void pictures_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("image");
        QTest::newRow("new toolbar") << 602 << "oldFileExplorerToolbarImage1"
                                     << "ExplorerToolbarNew.png";
        QTest::newRow("old toolbar") << 602 << "oldFileExplorerToolbarImage2"
                                     << "ExplorerToolbarOld.png";
        QTest::newRow("pane") << 604 << "NavigationPaneImage"
                              << "NavigationPane.png";
        QTest::newRow("quick access") << 604 << "QuickAccessLabel"
                                      << "QuickAccess.png";
        QTest::newRow("folders") << 607 << "MyComputerIconsImage"
                                 << "MyComputerIcons.png";
        QTest::newRow("3d objects") << 613 << "_3dObjectsLabel"
                                    << "3DObjects24.png";
        QTest::newRow("devices") << 620 << "MyComputerIconsImage"
                                 << "MyComputerDevices.png";
        QTest::newRow("drives") << 632 << "MyComputerDrivesImage"
                                << "MyComputerDrives.png";
    }
    void pictures()
    {
        QFETCH(int, id);
        QFETCH(QString, label);
        QFETCH(QString, image);
        auto page = build(id);
        const QImage shown = child<QLabel>(page.get(), qPrintable(label))->pixmap().toImage();
        const QImage expected(QStringLiteral(":/resources/images/") + image);
        QVERIFY(!expected.isNull());
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
    }

    void valuesWithoutAChoiceOfTheirOwn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint32>("raw");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("oldValue");
        QTest::newRow("extensions 5 hides") << 600 << 5u << 0 << "0";
        QTest::newRow("extensions 0 shows") << 600 << 0u << 1 << "1";
        QTest::newRow("hidden 2") << 601 << 2u << 1 << "2";
        QTest::newRow("hidden 0") << 601 << 0u << 1 << "0";
        QTest::newRow("hidden 7") << 601 << 7u << 1 << "7";
        QTest::newRow("hidden 1 shows") << 601 << 1u << 0 << "1";
    }
    void valuesWithoutAChoiceOfTheirOwn()
    {
        QFETCH(int, id);
        QFETCH(quint32, raw);
        QFETCH(int, shown);
        QFETCH(QString, oldValue);
        const SettingCase &c = settingCase(id);
        setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(raw));
        auto page = build(id);
        QCOMPARE(shownValue(page.get(), c), shown);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        showValue(page.get(), c, 1 - shown);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(3).toString(), oldValue);
        // A restore writes the value back as the page reported it.
        QVERIFY(page->writeSetting(id, true, false, oldValue));
        const quint32 back = id == 600 ? (raw != 0 ? 1u : 0u) : raw;
        QCOMPARE(storedValue(c), std::optional<RegValue>(RegValue{REG_DWORD, dwordData(back)}));
    }

    void noDrivesChangesOnlyTheDrivesBit_data()
    {
        QTest::addColumn<qint64>("start"); // -1: no value
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("oldValue");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("none, hide E") << qint64(-1) << "E"
                                      << "hide"
                                      << "1" << qint64(0x10);
        QTest::newRow("D hidden, hide E") << qint64(8) << "E"
                                          << "hide"
                                          << "1" << qint64(24);
        QTest::newRow("D hidden, show D") << qint64(8) << "D"
                                          << "show"
                                          << "0" << qint64(0);
        QTest::newRow("all 32 bits, show D") << qint64(0xFFFFFFFF) << "D"
                                             << "show"
                                             << "0" << qint64(0xFFFFFFF7);
        QTest::newRow("absent F stays hidden") << qint64(0x28) << "C"
                                               << "hide"
                                               << "1" << qint64(0x2C);
        QTest::newRow("bit 31 stays") << qint64(0x80000000) << "D"
                                      << "hide"
                                      << "1" << qint64(0x80000008);
        QTest::newRow("restore shown") << qint64(0x18) << "D"
                                       << "restore 1"
                                       << "0" << qint64(0x10);
        QTest::newRow("restore hidden") << qint64(0x10) << "D"
                                        << "restore 0"
                                        << "1" << qint64(0x18);
        QTest::newRow("restore absent Z shown") << qint64(0x02000008) << "Z"
                                                << "restore 1"
                                                << "" << qint64(8);
        QTest::newRow("restore absent Z hidden") << qint64(-1) << "Z"
                                                 << "restore 0"
                                                 << "" << qint64(0x02000000);
    }
    void noDrivesChangesOnlyTheDrivesBit()
    {
        QFETCH(qint64, start);
        QFETCH(QString, letter);
        QFETCH(QString, action);
        QFETCH(QString, oldValue);
        QFETCH(qint64, expected);
        mapDrives();
        if (start >= 0)
            setRegistryValue(policyKey, QStringLiteral("NoDrives"), REG_DWORD, dwordData(quint32(start)));
        MyComputerDrivesForm page;
        // Every present drive shows as the mask read says.
        for (const char *present : {"C", "D", "E"}) {
            const bool hidden = start >= 0 && (quint64(start) >> (present[0] - 'A') & 1);
            QCOMPARE(driveItem(&page, present)->checkState(0), hidden ? Qt::Unchecked : Qt::Checked);
        }
        const int id = 630 + (letter.at(0).unicode() - 'A');
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        bool written = false;
        if (action.startsWith(QLatin1String("restore"))) {
            written = page.writeData(id, true, false, action.right(1));
        } else {
            QTreeWidgetItem *item = driveItem(&page, qPrintable(letter));
            item->setCheckState(0, action == QLatin1String("show") ? Qt::Checked : Qt::Unchecked);
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.last().at(0).toInt(), id);
            QCOMPARE(spy.last().at(3).toString(), oldValue);
            QCOMPARE(spy.last().at(4).toBool(), false);
            written = page.writeData(id, false, false, QString());
        }
        QVERIFY(written);
        QCOMPARE(noDrives(), std::optional<quint32>(quint32(expected)));
        QVERIFY(restartExplorerPending);
    }

    void aDriveThatIsGoneWritesNothing()
    {
        mapDrives();
        setRegistryValue(policyKey, QStringLiteral("NoDrives"), REG_DWORD, dwordData(0x10));
        MyComputerDrivesForm page;
        machine::setSetting(QStringLiteral("drive.E"), QString());
        page.loadSetting();
        QVERIFY(!page.writeData(634, false, false, QString()));
        QCOMPARE(noDrives(), std::optional<quint32>(0x10));
    }

    void aMaskThatCannotBeReadIsNotWrittenOver()
    {
        mapDrives();
        setRegistryValue(policyKey, QStringLiteral("NoDrives"), REG_DWORD, dwordData(0x80000020));
        MyComputerDrivesForm page;
        m->denyKey(policyKey, true, false);
        driveItem(&page, "D")->setCheckState(0, Qt::Unchecked);
        QVERIFY(!page.writeData(633, false, false, QString()));
        QVERIFY(!page.writeData(633, true, false, QStringLiteral("0")));
        m->denyKey(policyKey, false, false);
        QCOMPARE(noDrives(), std::optional<quint32>(0x80000020));
    }

    void setDefaultShowsEveryDrive()
    {
        mapDrives();
        setRegistryValue(policyKey, QStringLiteral("NoDrives"), REG_DWORD, dwordData(24));
        MyComputerDrivesForm page;
        auto *tree = child<QTreeWidget>(&page, "MyComputerDrivesTreeWidget");
        QVERIFY(tree->isColumnHidden(1));
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Disk D (D:)"));
        QVERIFY(!tree->topLevelItem(1)->icon(0).isNull());
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        child<QPushButton>(&page, "MyComputerDrivesPushButton")->click();
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 633);
        QCOMPARE(spy.at(1).at(0).toInt(), 634);
        QCOMPARE(spy.at(1).at(1).toString(),
                 QStringLiteral("Show Disk E (E:) in the Devices and drives section of This PC (default)."));
        QCOMPARE(spy.at(1).at(5).toString(),
                 QStringLiteral("Hide Disk E (E:) in the Devices and drives section of This PC."));
        QVERIFY(page.writeData(633, false, false, QString()));
        QCOMPARE(noDrives(), std::optional<quint32>(16));
        QVERIFY(page.writeData(634, false, false, QString()));
        QCOMPARE(noDrives(), std::optional<quint32>(0));
        // Reloading one drive keeps the other's choice that still waits.
        driveItem(&page, "C")->setCheckState(0, Qt::Unchecked);
        spy.clear();
        page.reloadSetting(633);
        QCOMPARE(driveItem(&page, "D")->checkState(0), Qt::Checked);
        QCOMPARE(driveItem(&page, "C")->checkState(0), Qt::Unchecked);
        QCOMPARE(spy.count(), 0);
    }

    void settingsKeptAsKeys_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("state"); // "none", "bare" (a key without a default value), "named"
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("missing");
        QTest::newRow("toolbar none") << 602 << "none" << 0 << false;
        QTest::newRow("toolbar bare key is off") << 602 << "bare" << 0 << false;
        QTest::newRow("toolbar named") << 602 << "named" << 1 << false;
        QTest::newRow("OneDrive none") << 605 << "none" << 0 << false;
        QTest::newRow("OneDrive bare key is shown") << 605 << "bare" << 1 << false;
        QTest::newRow("OneDrive other name") << 605 << "named" << 1 << false;
        QTest::newRow("control panel none") << 620 << "none" << 0 << true;
        QTest::newRow("control panel bare") << 620 << "bare" << 1 << false;
    }
    void settingsKeptAsKeys()
    {
        QFETCH(int, id);
        QFETCH(QString, state);
        QFETCH(int, shown);
        QFETCH(bool, missing);
        const SettingCase &c = settingCase(id);
        makeAbsent(c);
        if (state != QLatin1String("none")) {
            machine::Lock lock;
            const qint64 node = registrystore::ensureKey(fullKey(c));
            if (state == QLatin1String("named"))
                registrystore::writeValue(node, QString(), REG_SZ, registrystore::stringData(QStringLiteral("Other")));
        }
        auto page = build(id);
        QCOMPARE(shownValue(page.get(), c), shown);
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        showValue(page.get(), c, 1 - shown);
        QCOMPARE(spy.last().at(4).toBool(), missing);

        // On creates the key with its own default text, off deletes it.
        QVERIFY(page->writeSetting(id, false, false, QString()));
        QCOMPARE(storedValue(c), encodedShown(c, 1 - shown));
        showValue(page.get(), c, shown);
        QVERIFY(page->writeSetting(id, false, false, QString()));
        QCOMPARE(storedValue(c), encodedShown(c, shown));
        QVERIFY(restartExplorerPending);
    }

    void toolbarOffKeepsAClassKeyWithOtherSubKeys_data()
    {
        QTest::addColumn<bool>("sibling");
        QTest::newRow("alone") << false;
        QTest::newRow("with a sibling") << true;
    }
    void toolbarOffKeepsAClassKeyWithOtherSubKeys()
    {
        QFETCH(bool, sibling);
        const SettingCase &c = settingCase(602);
        storeShown(c, 1);
        if (sibling) {
            machine::Lock lock;
            registrystore::ensureKey(classKey + QStringLiteral("\\TreatAs"));
        }
        OldFileExplorerToolbarForm page;
        showValue(&page, c, 0);
        QVERIFY(page.writeData(false, false, QString()));
        QVERIFY(!keyExists(fullKey(c)));
        QCOMPARE(keyExists(classKey), sibling);
    }

    void buildConditions_data()
    {
        QTest::addColumn<bool>("windows11");
        QTest::addColumn<uint>("build");
        QTest::addColumn<bool>("toolbarBuilt");
        QTest::addColumn<bool>("toolbarPlaced");
        QTest::addColumn<QString>("firstPaneEntry");
        QTest::newRow("Windows 10") << false << 19045u << false << true
                                    << "Quick access (need to restart File Exporer)";
        QTest::newRow("22000") << true << 22000u << true << true << "Quick access (need to restart File Exporer)";
        QTest::newRow("22620") << true << 22620u << true << true << "Quick access (need to restart File Exporer)";
        QTest::newRow("22621") << true << 22621u << true << false << "Home";
        QTest::newRow("22631") << true << 22631u << true << false << "Home";
    }
    void buildConditions()
    {
        QFETCH(bool, windows11);
        QFETCH(uint, build);
        QFETCH(bool, toolbarBuilt);
        QFETCH(bool, toolbarPlaced);
        QFETCH(QString, firstPaneEntry);
        PageEnvironment e;
        e.windows11 = windows11;
        e.buildNumber = build;
        const PageRow &row = pageTable().at(pageRowOfId(602));
        QCOMPARE(row.meta, &OldFileExplorerToolbarForm::staticMetaObject);
        QCOMPARE(row.built(e), toolbarBuilt);
        QCOMPARE(row.placed(e), toolbarPlaced);
        for (int id : {600, 601, 603, 604, 607, 620, 630}) {
            const PageRow &other = pageTable().at(pageRowOfId(id));
            QVERIFY(other.built(e) && other.placed(e));
        }

        windowsBuildNumber = build;
        NavigationPaneForm page;
        QCOMPARE(child<QCheckBox>(&page, "QuickAccessCheckBox")->text(), firstPaneEntry);
        const QString picture =
            firstPaneEntry == QLatin1String("Home") ? QStringLiteral("Home.png") : QStringLiteral("QuickAccess.png");
        QCOMPARE(child<QLabel>(&page, "QuickAccessLabel")->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(QStringLiteral(":/resources/images/") + picture).convertToFormat(QImage::Format_ARGB32));
        // Whatever the label, the entry is HubMode.
        const SettingCase &c = settingCase(604);
        showValue(&page, c, 0);
        QVERIFY(page.writeData(604, false, false, QString()));
        QCOMPARE(storedValue(c), encodedShown(c, 0));
    }

    void quickAccessNeverWritesLaunchTo_data()
    {
        QTest::addColumn<bool>("fromStored");
        QTest::addColumn<bool>("removeValue");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("hubMode"); // -1: absent
        QTest::newRow("live") << false << false << QString() << 1;
        QTest::newRow("restore 1") << true << false << "1" << 1;
        QTest::newRow("restore 0") << true << false << "0" << 0;
        QTest::newRow("restore absent") << true << true << "0" << -1;
    }
    void quickAccessNeverWritesLaunchTo()
    {
        QFETCH(bool, fromStored);
        QFETCH(bool, removeValue);
        QFETCH(QString, stored);
        QFETCH(int, hubMode);
        const SettingCase &c = settingCase(604);
        storeShown(c, 1);
        const std::optional<RegValue> launchTo = registryValue(advancedKey, QStringLiteral("LaunchTo"));
        QVERIFY(launchTo); // the machine has one of its own
        NavigationPaneForm page;
        showValue(&page, c, 0);
        QVERIFY(page.writeData(604, fromStored, removeValue, stored));
        QCOMPARE(storedValue(c),
                 hubMode < 0 ? std::nullopt : std::optional<RegValue>(RegValue{REG_DWORD, dwordData(hubMode)}));
        QCOMPARE(registryValue(advancedKey, QStringLiteral("LaunchTo")), launchTo);
    }
};

QTEST_MAIN(TestFileExplorerPages)
#include "tst_fileexplorerpages.moc"
