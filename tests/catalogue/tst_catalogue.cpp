// The catalogue window: its toolbar, tabs and pages in their places, the keyword search and Back, and the
// page table that decides which pages exist where.
#include "cataloguehelpers.h"
#include "testmachine.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

namespace {

const QStringList appearancePages = {"WindowsColorModeForm", "AccentColorOnTitleBarsForm", "TitleBarSizeForm"};
const QStringList desktopPages = {"DesktopIconForm", "IconSpacingForm", "WinVersionOnDesktopForm"};
// The machine runs build 22631: the old toolbar page is built but not placed.
const QStringList fileExplorerPages = {"HideFileExtForm",     "HiddenFilesForm",     "FullFolderPathForm",
                                       "NavigationPaneForm",  "MyComputerIconsForm", "MyComputerDevicesForm",
                                       "MyComputerDrivesForm"};
// Windows 11: the basic edition adds its transparency page (its button-grouping page is for Windows 10).
const QStringList basicOnly = plusEdition ? QStringList() : QStringList{"TransparentTaskbarForm"};
const QStringList taskbarPages =
    QStringList{"TaskbarSizeForm", "TaskbarAlignmentForm", "TaskbarItemsForm", "TaskbarPositionForm"} + basicOnly +
    QStringList{"AppSwitchBehaviourForm", "TaskbarThumbnailPreviewsForm", "TwoRowsNotifAreaForm", "SecondInClockForm"};
const QStringList privacyPages = {"AdvertisingIDForm", "ManageTelemetryForm"};
const QStringList oemInfoPages = {"OemInfoForm", "ComputerModelForm", "RegisteredOwnerForm"};
const QStringList systemPages = {"BootScreenAnimationForm", "VerboseStatusForm", "LockScreenDisableForm",
                                 "SignInMessageForm",       "IconCacheSizeForm", "TimeOutParamForm",
                                 "TaskManagerDisableForm",  "VBSFeatureForm",    "AutoUpdatesDisableForm"};
const QStringList othersPages = {"SnapAssistForm",    "OldContextMenuForm",    "MenuShowDelayForm",
                                 "GameModeForm",      "ScreenshotCounterForm", "ScreenshotLocationForm",
                                 "BingStartMenuForm", "CortanaDisableForm"};
const QStringList allPages = appearancePages + desktopPages + fileExplorerPages + taskbarPages + privacyPages +
                             oemInfoPages + systemPages + othersPages;

// The order in which a search lists the pages, tab by tab; a page a system does not show is left out.
const QStringList searchOrder =
    QStringLiteral("DesktopIconForm IconSpacingForm WinVersionOnDesktopForm "
                   "AdvertisingIDForm ManageTelemetryForm "
                   "WindowsColorModeForm AccentColorOnTitleBarsForm TitleBarSizeForm "
                   "OemInfoForm ComputerModelForm RegisteredOwnerForm "
                   "HideFileExtForm HiddenFilesForm FullFolderPathForm OldFileExplorerToolbarForm NavigationPaneForm "
                   "MyComputerIconsForm MyComputerDevicesForm MyComputerDrivesForm "
                   "BootScreenAnimationForm VerboseStatusForm LockScreenDisableForm SignInMessageForm "
                   "IconCacheSizeForm TimeOutParamForm TaskManagerDisableForm VBSFeatureForm AutoUpdatesDisableForm "
                   "SnapAssistForm OldContextMenuForm MenuShowDelayForm GameModeForm ScreenshotCounterForm "
                   "ScreenshotLocationForm BingStartMenuForm CortanaDisableForm "
                   "TaskbarSizeForm TaskbarAlignmentForm AppSwitchBehaviourForm TaskbarItemsForm TaskbarPositionForm "
                   "TransparentTaskbarForm UngroupTaskbarIconsForm TaskbarThumbnailPreviewsForm TwoRowsNotifAreaForm "
                   "SecondInClockForm")
        .split(QLatin1Char(' '));

QStringList without(QStringList pages, const QStringList &absent)
{
    for (const QString &page : absent)
        pages.removeAll(page);
    return pages;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

    static QStringList tabPages(HushdeckForm &catalog, const char *contents)
    {
        return classNames(layoutWidgets(catalog.findChild<QWidget *>(QLatin1String(contents))->layout()));
    }
    static QStringList results(HushdeckForm &catalog)
    {
        return classNames(
            layoutWidgets(catalog.findChild<QWidget *>(QStringLiteral("searchScrollAreaWidgetContents"))->layout()));
    }
    static void search(HushdeckForm &catalog, const QString &text)
    {
        catalog.findChild<QLineEdit *>(QStringLiteral("searchLineEdit"))->setText(text);
        catalog.searchAction->trigger();
    }
    static QTabWidget *tabs(HushdeckForm &catalog)
    {
        return catalog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    }
    static QWidget *searchWidget(HushdeckForm &catalog)
    {
        return catalog.findChild<QWidget *>(QStringLiteral("searchWidget"));
    }

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void opensOnAppearanceWithNothingPending()
    {
        HushdeckForm catalog;
        QCOMPARE(catalog.objectName(), QStringLiteral("HushdeckForm"));
        QCOMPARE(catalog.windowTitle(), QStringLiteral("Form"));
        QCOMPARE(tabs(catalog)->currentIndex(), 0);
        QStringList titles;
        for (int i = 0; i < tabs(catalog)->count(); ++i)
            titles << tabs(catalog)->tabText(i);
        QCOMPARE(titles, (QStringList{"Appearance", "Desktop", "File Explorer", "Privacy", "System", "Taskbar",
                                      "OEM Info", "Others"}));
        QVERIFY(catalog.settingChangeList.isEmpty());
        QVERIFY(!catalog.saveAction->isEnabled());
        QVERIFY(!catalog.cancelAction->isEnabled());
        QVERIFY(!catalog.reviewChangesAction->isEnabled());
        QVERIFY(catalog.restoreBackupAction->isEnabled());
        QVERIFY(catalog.searchAction->isEnabled());
        QVERIFY(!catalog.backAction->isVisible());
        QVERIFY(searchWidget(catalog)->isHidden());
        QVERIFY(catalog.isWindows11); // the seed is a Windows 11 profile
        QVERIFY(windowsBuildNumber >= 22000);

        auto *toolbar = catalog.findChild<QToolBar *>(QStringLiteral("toolbar"));
        QVERIFY(toolbar);
        QVERIFY(!toolbar->isMovable());
        QCOMPARE(toolbar->iconSize(), QSize(24, 24));
        QStringList items;
        for (QAction *a : toolbar->actions()) {
            if (a->isSeparator())
                items << QStringLiteral("|");
            else if (toolbar->widgetForAction(a) == catalog.findChild<QLineEdit *>(QStringLiteral("searchLineEdit")))
                items << QStringLiteral("[search text]");
            else
                items << a->text();
        }
        QCOMPARE(items, (QStringList{"Back", "Save", "Cancel Changes", "Review Changes", "Restore Backup", "|",
                                     "[search text]", ""}));
        QVERIFY(!catalog.searchAction->icon().isNull());
    }

    void tabsHoldTheirPagesInDisplayOrder()
    {
        HushdeckForm catalog;
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_5"), appearancePages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_3"), desktopPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_7"), fileExplorerPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents"), taskbarPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_4"), privacyPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_8"), oemInfoPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_6"), systemPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_2"), othersPages);
        for (const char *area : {"scrollArea_5", "scrollArea"})
            QVERIFY(catalog.findChild<QScrollArea *>(QLatin1String(area))->widgetResizable());
        // A page is built once; the catalogue owns it.
        QCOMPARE(catalog.findChildren<WindowsColorModeForm *>().size(), 1);
        QCOMPARE(catalog.page<IconSpacingForm>()->parentWidget(),
                 catalog.findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents_3")));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("empty lists every placed page in search order")
            << QString()
            << desktopPages + privacyPages + appearancePages + oemInfoPages + fileExplorerPages + systemPages +
                   othersPages +
                   QStringList{"TaskbarSizeForm", "TaskbarAlignmentForm", "AppSwitchBehaviourForm", "TaskbarItemsForm",
                               "TaskbarPositionForm"} +
                   basicOnly + QStringList{"TaskbarThumbnailPreviewsForm", "TwoRowsNotifAreaForm", "SecondInClockForm"};
        QTest::newRow("icon") << "icon"
                              << QStringList{"DesktopIconForm", "IconSpacingForm", "IconCacheSizeForm",
                                             "TaskbarItemsForm", "TwoRowsNotifAreaForm"};
        QTest::newRow("capitals") << "WINDOWS"
                                  << QStringList{"WinVersionOnDesktopForm", "WindowsColorModeForm",
                                                 "AutoUpdatesDisableForm"};
        QTest::newRow("title") << "title"
                               << QStringList{"AccentColorOnTitleBarsForm", "TitleBarSizeForm", "FullFolderPathForm"};
        QTest::newRow("untrimmed") << "desktop "
                                   << QStringList{"DesktopIconForm", "IconSpacingForm", "MyComputerIconsForm"};
        QTest::newRow("nothing") << "zzz" << QStringList{};
        QTest::newRow("privacy") << "PRIVACY" << privacyPages;
        QTest::newRow("about") << "about" << QStringList{"OemInfoForm", "RegisteredOwnerForm"};
        QTest::newRow("service") << "diagtrack" << QStringList{"ManageTelemetryForm"};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        HushdeckForm catalog;
        search(catalog, text);
        QCOMPARE(results(catalog), found);
        QVERIFY(tabs(catalog)->isHidden());
        QVERIFY(!searchWidget(catalog)->isHidden());
        QVERIFY(catalog.backAction->isVisible());
        // The pages not found stay in their tabs; every page is in exactly one place.
        const QStringList inTabs =
            tabPages(catalog, "scrollAreaWidgetContents_5") + tabPages(catalog, "scrollAreaWidgetContents_3") +
            tabPages(catalog, "scrollAreaWidgetContents_7") + tabPages(catalog, "scrollAreaWidgetContents") +
            tabPages(catalog, "scrollAreaWidgetContents_4") + tabPages(catalog, "scrollAreaWidgetContents_8") +
            tabPages(catalog, "scrollAreaWidgetContents_6") + tabPages(catalog, "scrollAreaWidgetContents_2");
        QCOMPARE(inTabs.size() + found.size(), allPages.size());
        for (const QString &page : found)
            QVERIFY(!inTabs.contains(page));
    }

    void searchOrderOnEachSystem_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<QStringList>("absent"); // pages the system does not show
        const QStringList eleven = {"TaskbarSizeForm",           "TaskbarAlignmentForm", "TaskbarItemsForm",
                                    "BootScreenAnimationForm",   "SnapAssistForm",       "OldContextMenuForm",
                                    "OldFileExplorerToolbarForm"};
        // The basic edition's pages; its button-grouping page shows on Windows 10 only.
        const QStringList basic = {"TransparentTaskbarForm", "UngroupTaskbarIconsForm"};
        const QStringList notThisEdition = plusEdition ? basic : QStringList();
        QTest::newRow("Windows 10") << "19045" << eleven + notThisEdition;
        QTest::newRow("Windows 11 22000") << "22000" << notThisEdition + QStringList{"UngroupTaskbarIconsForm"};
        QTest::newRow("Windows 11 22631")
            << "22631" << notThisEdition + QStringList{"UngroupTaskbarIconsForm", "OldFileExplorerToolbarForm"};
    }
    void searchOrderOnEachSystem()
    {
        QFETCH(QString, build);
        QFETCH(QStringList, absent);
        setRegistryValue(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                         QStringLiteral("CurrentBuildNumber"), REG_SZ, registrystore::stringData(build));
        HushdeckForm catalog;
        QCOMPARE(windowsBuildNumber, build.toUInt());
        search(catalog, QString());
        QCOMPARE(results(catalog), without(searchOrder, absent));
    }

    void searchingAgainReplacesTheResults()
    {
        HushdeckForm catalog;
        search(catalog, QStringLiteral("icon"));
        search(catalog, QStringLiteral("title"));
        QCOMPARE(results(catalog),
                 (QStringList{"AccentColorOnTitleBarsForm", "TitleBarSizeForm", "FullFolderPathForm"}));
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_3"), desktopPages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_5"), QStringList{"WindowsColorModeForm"});
    }

    void searchWithoutMatchSaysSo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("no match") << QStringLiteral("zzqx") << QStringList{};
        QTest::newRow("a match") << QStringLiteral("spacing") << QStringList{"IconSpacingForm"};
        QTest::newRow("markup is quoted as typed") << QStringLiteral("<b>zz</b><img src=\"x\">") << QStringList{};
    }
    void searchWithoutMatchSaysSo()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        HushdeckForm catalog;
        // A search without a match, then the one under test: the line follows the latest search.
        search(catalog, QStringLiteral("qqzz"));
        search(catalog, text);
        QCOMPARE(results(catalog), found);
        auto *line = catalog.findChild<QLabel *>(QStringLiteral("noMatchLabel"));
        QVERIFY(line);
        QCOMPARE(line->isVisibleTo(&catalog), found.isEmpty());
        if (found.isEmpty()) {
            QCOMPARE(line->text(), QStringLiteral("No setting matches \"%1\".").arg(text));
            QCOMPARE(line->textFormat(), Qt::PlainText);
        }
        catalog.backAction->trigger();
        search(catalog, QStringLiteral("spacing"));
        QVERIFY(!line->isVisibleTo(&catalog));
    }

    void returnInTheSearchFieldSearches()
    {
        HushdeckForm catalog;
        auto *field = catalog.findChild<QLineEdit *>(QStringLiteral("searchLineEdit"));
        field->setText(QStringLiteral("spacing"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(results(catalog), QStringList{"IconSpacingForm"});
    }

    void backRestoresTheTabs()
    {
        HushdeckForm catalog;
        tabs(catalog)->setCurrentIndex(1);
        search(catalog, QString());
        catalog.backAction->trigger();
        QVERIFY(!tabs(catalog)->isHidden());
        QVERIFY(searchWidget(catalog)->isHidden());
        QVERIFY(!catalog.backAction->isVisible());
        QCOMPARE(tabs(catalog)->currentIndex(), 1);
        QVERIFY(results(catalog).isEmpty());
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_5"), appearancePages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_3"), desktopPages);
    }

    void aPageChangedInTheResultsKeepsItsChoice()
    {
        HushdeckForm catalog;
        search(catalog, QStringLiteral("accent"));
        show(catalog, 402, 1);
        catalog.backAction->trigger();
        QCOMPARE(shown(catalog, 402), 1);
        QCOMPARE(pendingIds(catalog), QList<int>{402});
        QVERIFY(catalog.saveAction->isEnabled());
    }

    void windows10()
    {
        setRegistryValue(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                         QStringLiteral("CurrentBuildNumber"), REG_SZ,
                         registrystore::stringData(QStringLiteral("19045")));
        HushdeckForm catalog;
        QVERIFY(!catalog.isWindows11);
        QCOMPARE(windowsBuildNumber, 19045u);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_5"), appearancePages);
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_3"), desktopPages);
        // The Windows 11 pages are not built.
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_6"), systemPages.mid(1));
        QCOMPARE(tabPages(catalog, "scrollAreaWidgetContents_2"), othersPages.mid(2));
        QVERIFY(!catalog.page<BootScreenAnimationForm>());
        QVERIFY(!catalog.page<SnapAssistForm>());
    }

    void pageConditions_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("windows11");
        QTest::addColumn<uint>("build");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<bool>("holds");
        QTest::newRow("always") << "always" << false << 19045u << true << true;
        QTest::newRow("w11 on w10") << "onWindows11" << false << 19045u << true << false;
        QTest::newRow("w11 on w11") << "onWindows11" << true << 22000u << true << true;
        QTest::newRow("w10 on w11") << "onWindows10" << true << 22631u << true << false;
        QTest::newRow("old toolbar on 22000") << "beforeBuild22621" << true << 22000u << true << true;
        QTest::newRow("old toolbar on 22621") << "beforeBuild22621" << true << 22621u << true << false;
        QTest::newRow("basic in plus") << "basicEdition" << true << 22631u << true << false;
        QTest::newRow("basic in basic") << "basicEdition" << false << 19045u << false << true;
    }
    void pageConditions()
    {
        QFETCH(QString, condition);
        QFETCH(bool, windows11);
        QFETCH(uint, build);
        QFETCH(bool, plus);
        QFETCH(bool, holds);
        const QMap<QString, PageCondition> conditions = {{"always", always},
                                                         {"onWindows10", onWindows10},
                                                         {"onWindows11", onWindows11},
                                                         {"beforeBuild22621", beforeBuild22621},
                                                         {"basicEdition", basicEdition}};
        PageEnvironment e;
        e.windows11 = windows11;
        e.buildNumber = build;
        e.plusEdition = plus;
        QCOMPARE(conditions.value(condition)(e), holds);
    }

    void thePageTableIsConsistent()
    {
        // Each id belongs to one page, in its tab's hundreds; each place in a tab is taken once.
        const QMap<CatalogueTab, int> hundreds = {{CatalogueTab::Taskbar, 0},        {CatalogueTab::Others, 100},
                                                  {CatalogueTab::Desktop, 200},      {CatalogueTab::Privacy, 300},
                                                  {CatalogueTab::Appearance, 400},   {CatalogueTab::System, 500},
                                                  {CatalogueTab::FileExplorer, 600}, {CatalogueTab::OemInfo, 700}};
        QSet<int> ids;
        QSet<QPair<int, int>> places;
        const QList<PageRow> &rows = pageTable();
        for (int row = 0; row < rows.size(); ++row) {
            const PageRow &r = rows.at(row);
            QVERIFY(!places.contains({int(r.tab), r.position}));
            places.insert({int(r.tab), r.position});
            for (int id : r.ids) {
                QVERIFY2(!ids.contains(id), qPrintable(QString::number(id)));
                ids.insert(id);
                QCOMPARE(id / 100 * 100, hundreds.value(r.tab));
                QCOMPARE(pageRowOfId(id), row);
            }
            std::unique_ptr<SettingPage> page(r.create());
            QCOMPARE(page->metaObject(), r.meta);
            QCOMPARE(QList<int>(page->settingIds()), r.ids);
        }
        QCOMPARE(pageRowOfId(14), -1);
        QCOMPARE(pageRowOfId(-1), -1);
    }

    void idsThatReachNoPageAreSkipped()
    {
        HushdeckForm catalog;
        QVERIFY(!catalog.writeDataById(699, false, false, QString()));
        QVERIFY(!catalog.writeDataById(50, true, true, QString()));
        catalog.loadSettingById(99);
        QVERIFY(catalog.settingChangeList.isEmpty());
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
