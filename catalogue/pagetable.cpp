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
        page<WindowsColorModeForm>(T::Appearance, 0, ids(400, 401), always, always),
        page<AccentColorOnTitleBarsForm>(T::Appearance, 1, {402}, always, always),
        page<TitleBarSizeForm>(T::Appearance, 2, {403}, always, always),
        page<AdvertisingIDForm>(T::Privacy, 0, {300}, always, always),
        page<ManageTelemetryForm>(T::Privacy, 1, ids(301, 302), always, always),
        page<OemInfoForm>(T::OemInfo, 0, ids(700, 703), always, always),
        page<ComputerModelForm>(T::OemInfo, 1, {704}, always, always),
        page<RegisteredOwnerForm>(T::OemInfo, 2, ids(705, 706), always, always),
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
