// The stand-in's menus, as tests and the record of a shown menu see them.
#pragma once

#include "win32.h"

#include <QList>
#include <QString>

namespace menus {

struct Item
{
    QString path; // "Set App Color mode/Light Mode"; separators are "-"
    UINT_PTR id;  // command id; 0 for a sub-menu
    bool checked;
    bool separator;
    bool popup;
};

// Every item of a menu and its sub-menus, depth first; empty for a handle that is not a live menu.
QList<Item> items(HMENU menu);
// One line for the machine's record: "path#id" per command item, "*" after checked ones, joined by ";".
QString describe(HMENU menu);

} // namespace menus
