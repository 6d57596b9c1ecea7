// What the screenshot tour and the layout tests both look for in a window: designer placeholders, placeholder
// pictures, list cells cut short beside room, and host paths a user of the Windows program never sees.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QImage;
class QTreeView;

namespace LayoutChecks {

// Whether a text is one the form designer puts in new widgets, left in place.
bool isPlaceholder(const QString &text);

// Whether a picture is a blank card with a title where a drawing belongs: a frame along its edges around one
// flat ground that covers nearly all of it.
bool isPlaceholderCard(const QImage &picture);

// The cells of a view's shown rows cut short while the view has the room to show them whole (room no column
// needs, in the view or beside the texts of other columns): the most cut one of each column.
struct CutCell
{
    QString column;
    QString text;
    int lacks; // pixels
    int room;  // pixels
};
QList<CutCell> cellsCutBesideRoom(const QTreeView *view);

// Whether a text shows a host path: an absolute path with "/" separators that has no drive letter, or the host
// spelling of one of hostFolders.
bool showsHostPath(const QString &text, const QStringList &hostFolders);

} // namespace LayoutChecks
