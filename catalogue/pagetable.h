// The catalogue's table of setting pages: which pages exist, on which tab, in which place, which setting
// ids each owns and on which systems it is built and shown. The catalogue builds its tabs, searches and
// reaches pages by setting id through this table alone.
#pragma once

#include <QList>
#include <QSet>

class SettingPage;
struct QMetaObject;

// The tabs, in the order the tab widget shows them.
enum class CatalogueTab { Appearance, Desktop, FileExplorer, Privacy, System, Taskbar, OemInfo, Others };
constexpr int catalogueTabCount = 8;

// What decides whether a page is built and shown.
struct PageEnvironment
{
    bool windows11 = false;
    quint32 buildNumber = 0;
    bool plusEdition = true;
};

using PageCondition = bool (*)(const PageEnvironment &);

struct PageRow
{
    const QMetaObject *meta; // the page class
    CatalogueTab tab;
    int position; // place in its tab, from the top
    QList<int> ids;
    PageCondition built;  // whether the page is created
    PageCondition placed; // whether a created page is shown in its tab and found by the search
    SettingPage *(*create)();
};

// Every page, in search order; the pages of one tab stand in the order their tab's builder creates them.
const QList<PageRow> &pageTable();
// The row of the page that owns a setting id; -1 for an id that belongs to no page.
int pageRowOfId(int id);
// Every setting id of the table, whether or not its page is built on this system.
QSet<int> pageTableIds();

// Conditions of the table.
bool always(const PageEnvironment &);
bool onWindows10(const PageEnvironment &e);
bool onWindows11(const PageEnvironment &e);
bool beforeBuild22621(const PageEnvironment &e);
bool basicEdition(const PageEnvironment &e);
