// Column widths of the list views: the widths a view is given are where its columns start, but every shown
// column is as wide as its texts (and its header text) in the host's fonts where the view has room for them.
// One column, the path where a view shows one, takes the room the others leave; only when there is too little
// room does it lose the middle of its texts, after the other columns gave back what they had beyond their texts.
// So a path keeps its drive and its file name, and no name is cut beside an empty column.
#pragma once

#include <QList>
#include <QPair>

class QTreeView;

namespace viewcolumns {

// Sets the widths (column, pixels) the columns start at and keeps the columns fitted as the view's size and rows
// change. fillColumn takes the room the view leaves (by default the last shown column). A column the user
// resizes keeps the user's width. Called again after each setModel, which resets the header.
void setWidths(QTreeView *view, const QList<QPair<int, int>> &widths, int fillColumn = -1);

} // namespace viewcolumns
