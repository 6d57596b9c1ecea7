// Column widths of the list views: the widths a view is given are where its columns start, but no shown
// column stays narrower than its header text in the host's fonts, and long texts (paths above all) lose
// their middle rather than their end, so a path keeps its drive and its file name.
#pragma once

#include <QList>
#include <QPair>

class QTreeView;

namespace viewcolumns {

// Sets the widths (column, pixels), fits the other shown columns to their texts up to a limit, widens every
// shown column narrower than its header text, and elides in the middle. A fillColumn >= 0 takes the room the view
// leaves, instead of the last column. Called again after each setModel, which resets the header.
void setWidths(QTreeView *view, const QList<QPair<int, int>> &widths, int fillColumn = -1);

} // namespace viewcolumns
