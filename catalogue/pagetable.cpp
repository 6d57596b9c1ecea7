#include "pagetable.h"

#include "settingpages.h"

#include <QHash>

namespace {

template <class Page>
PageRow page(CatalogueTab tab, int position, QList<int> ids, PageCondition built, PageCondition placed)
{
    return {&Page::staticMetaObject, tab, position, std::move(ids), built, placed, []() -> SettingPage * {
                return new Page(nullptr);
            }};
}

QList<int> ids(int first, int last)
{
    QList<int> out;
    for (int id = first; id <= last; ++id)
        out << id;
    return out;
}

using T = CatalogueTab;

} // namespace

bool always(const PageEnvironment &)
{
    return true;
}

bool onWindows10(const PageEnvironment &e)
{
    return !e.windows11;
}

bool onWindows11(const PageEnvironment &e)
{
    return e.windows11;
}

bool beforeBuild22621(const PageEnvironment &e)
{
    return e.buildNumber < 22621;
}

bool basicEdition(const PageEnvironment &e)
{
    return !e.plusEdition;
}

const QList<PageRow> &pageTable()
{
    // One row per page. A page's tab builder creates the pages of its tab in row order; the search asks
    // them in row order.
    static const QList<PageRow> rows = {
        page<DesktopIconForm>(T::Desktop, 0, ids(200, 204), always, always),
        page<IconSpacingForm>(T::Desktop, 1, ids(205, 206), always, always),
        page<WinVersionOnDesktopForm>(T::Desktop, 2, {207}, always, always),
        page<AdvertisingIDForm>(T::Privacy, 0, {300}, always, always),
        page<ManageTelemetryForm>(T::Privacy, 1, ids(301, 302), always, always),
        page<WindowsColorModeForm>(T::Appearance, 0, ids(400, 401), always, always),
        page<AccentColorOnTitleBarsForm>(T::Appearance, 1, {402}, always, always),
        page<TitleBarSizeForm>(T::Appearance, 2, {403}, always, always),
        page<OemInfoForm>(T::OemInfo, 0, ids(700, 703), always, always),
        page<ComputerModelForm>(T::OemInfo, 1, {704}, always, always),
        page<RegisteredOwnerForm>(T::OemInfo, 2, ids(705, 706), always, always),
        page<HideFileExtForm>(T::FileExplorer, 0, {600}, always, always),
        page<HiddenFilesForm>(T::FileExplorer, 1, {601}, always, always),
        page<FullFolderPathForm>(T::FileExplorer, 2, {603}, always, always),
        page<OldFileExplorerToolbarForm>(T::FileExplorer, 3, {602}, onWindows11, beforeBuild22621),
        page<NavigationPaneForm>(T::FileExplorer, 4, ids(604, 606), always, always),
        page<MyComputerIconsForm>(T::FileExplorer, 5, ids(607, 613), always, always),
        page<MyComputerDevicesForm>(T::FileExplorer, 6, ids(620, 622), always, always),
        page<MyComputerDrivesForm>(T::FileExplorer, 7, ids(630, 655), always, always),
        page<BootScreenAnimationForm>(T::System, 0, {500}, onWindows11, always),
        page<VerboseStatusForm>(T::System, 1, {501}, always, always),
        page<LockScreenDisableForm>(T::System, 2, ids(502, 503), always, always),
        page<SignInMessageForm>(T::System, 3, ids(504, 505), always, always),
        page<IconCacheSizeForm>(T::System, 4, {506}, always, always),
        page<TimeOutParamForm>(T::System, 5, ids(507, 509), always, always),
        page<TaskManagerDisableForm>(T::System, 6, {510}, always, always),
        page<VBSFeatureForm>(T::System, 7, {511}, always, always),
        page<AutoUpdatesDisableForm>(T::System, 8, {512}, always, always),
        page<SnapAssistForm>(T::Others, 0, {100}, onWindows11, always),
        page<OldContextMenuForm>(T::Others, 1, {101}, onWindows11, always),
        page<MenuShowDelayForm>(T::Others, 2, {102}, always, always),
        page<GameModeForm>(T::Others, 3, {103}, always, always),
        page<ScreenshotCounterForm>(T::Others, 4, {104}, always, always),
        page<ScreenshotLocationForm>(T::Others, 5, {105}, always, always),
        page<BingStartMenuForm>(T::Others, 6, {106}, always, always),
        page<CortanaDisableForm>(T::Others, 7, {107}, always, always),
        page<TaskbarSizeForm>(T::Taskbar, 0, {0}, onWindows11, always),
        page<TaskbarAlignmentForm>(T::Taskbar, 1, {1}, onWindows11, always),
        page<AppSwitchBehaviourForm>(T::Taskbar, 6, {2}, always, always),
        page<TaskbarItemsForm>(T::Taskbar, 2, ids(3, 6), onWindows11, always),
        page<TaskbarPositionForm>(T::Taskbar, 3, {7}, always, always),
        page<TransparentTaskbarForm>(T::Taskbar, 4, {8, 12}, basicEdition, always),
        page<UngroupTaskbarIconsForm>(T::Taskbar, 5, {9}, basicEdition, onWindows10),
        page<TaskbarThumbnailPreviewsForm>(T::Taskbar, 7, {10}, always, always),
        page<TwoRowsNotifAreaForm>(T::Taskbar, 8, {11}, always, always),
        page<SecondInClockForm>(T::Taskbar, 9, {13}, always, always),
    };
    return rows;
}

namespace {

const QHash<int, int> &rowOfId()
{
    static const QHash<int, int> map = [] {
        QHash<int, int> out;
        const QList<PageRow> &rows = pageTable();
        for (int row = 0; row < rows.size(); ++row)
            for (int id : rows.at(row).ids)
                out.insert(id, row);
        return out;
    }();
    return map;
}

} // namespace

int pageRowOfId(int id)
{
    return rowOfId().value(id, -1);
}

QSet<int> pageTableIds()
{
    const QList<int> ids = rowOfId().keys();
    return QSet<int>(ids.begin(), ids.end());
}
