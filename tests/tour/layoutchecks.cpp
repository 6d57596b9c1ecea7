#include "layoutchecks.h"

#include <QAbstractItemView>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTreeView>

namespace LayoutChecks {

bool isPlaceholder(const QString &text)
{
    static const QSet<QString> designerTexts = {
        QStringLiteral("TextLabel"), QStringLiteral("PushButton"),  QStringLiteral("ToolButton"),
        QStringLiteral("CheckBox"),  QStringLiteral("RadioButton"), QStringLiteral("GroupBox"),
        QStringLiteral("Form"),      QStringLiteral("Dialog"),      QStringLiteral("MainWindow"),
        QStringLiteral("Tab 1"),     QStringLiteral("Tab 2"),       QStringLiteral("Page"),
        QStringLiteral("New Item"),  QStringLiteral("New Column"),  QStringLiteral("New Row")};
    return designerTexts.contains(text.trimmed());
}

bool isPlaceholderCard(const QImage &picture)
{
    // Icons and glyphs are no cards.
    if (picture.width() < 64 || picture.height() < 48)
        return false;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    // A card is framed: its four edges meet the picture's edges in one colour...
    const int w = image.width(), h = image.height();
    const QRgb frame = image.pixel(w / 2, 0);
    if (qAlpha(frame) < 255 || image.pixel(w / 2, h - 1) != frame || image.pixel(0, h / 2) != frame ||
        image.pixel(w - 1, h / 2) != frame)
        return false;
    // ...and within the frame one flat ground holds nearly everything: a title is all it has, where a drawing
    // has shapes.
    QHash<QRgb, int> counts;
    for (int y = 1; y < h - 1; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 1; x < w - 1; ++x)
            ++counts[line[x]];
    }
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            ground = it.key();
        }
    return ground != frame && most >= (w - 2) * (h - 2) * 19 / 20;
}

QList<CutCell> cellsCutBesideRoom(const QTreeView *view)
{
    QList<CutCell> cut;
    const QAbstractItemModel *model = view->model();
    const QHeaderView *header = view->header();
    if (!model || !view->isVisible())
        return cut;
    const QAbstractItemView *base = view; // QTreeView's measure of a column, made public by its base
    struct Column
    {
        int spare;      // what the column has beyond its widest text
        int short_ = 0; // how much its most cut text lacks
        QString text;
    };
    QHash<int, Column> columns;
    int used = 0;
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        // Measured over the rows the view measures its columns by, also those scrolled out of sight.
        const int need = qMax(header->sectionSizeHint(c), base->sizeHintForColumn(c));
        columns.insert(c, Column{header->sectionSize(c) - need, 0, QString()});
        used += header->sectionSize(c);
    }
    const int height = view->viewport()->height();
    for (QModelIndex row = view->indexAt(QPoint(0, 0)).siblingAtColumn(0);
         row.isValid() && view->visualRect(row).top() < height; row = view->indexBelow(row)) {
        for (auto it = columns.begin(); it != columns.end(); ++it) {
            const QModelIndex cell = row.siblingAtColumn(it.key());
            const QString text = cell.data().toString();
            if (text.isEmpty())
                continue;
            // The delegate's measure of the cell (text, icon, margins) against the cell's own rectangle, which
            // leaves out a tree's indentation.
            const int lack = view->sizeHintForIndex(cell).width() - view->visualRect(cell).width();
            if (lack > it->short_) {
                it->short_ = lack;
                it->text = text;
            }
        }
    }
    const int unused = qMax(0, view->viewport()->width() - used);
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (it->short_ <= 0)
            continue;
        int room = unused;
        for (auto other = columns.cbegin(); other != columns.cend(); ++other)
            if (other.key() != it.key())
                room += qMax(0, other->spare);
        if (it->short_ <= room)
            cut << CutCell{model->headerData(it.key(), Qt::Horizontal).toString(), it->text, it->short_, room};
    }
    return cut;
}

bool showsHostPath(const QString &text, const QStringList &hostFolders)
{
    for (const QString &folder : hostFolders) {
        if (folder.size() < 2)
            continue;
        // The folder's host spelling, unless a drive letter names it ("Z:/tmp/x" is a path of drive Z:).
        for (qsizetype at = text.indexOf(folder); at >= 0; at = text.indexOf(folder, at + 1))
            if (at < 2 || text.at(at - 1) != QLatin1Char(':') || !text.at(at - 2).isLetter())
                return true;
    }
    // "/usr/bin/bash", "(/tmp/x)": a slash that starts a path of two or more names. A drive's "C:/..." (as
    // QFileInfo gives Windows paths), a web address and "and/or" have no slash at such a start.
    static const QRegularExpression startOfHostPath(QStringLiteral("(?:^|[\\s\"'(=\\[])/[^/\\s]+/[^/\\s]"));
    return startOfHostPath.match(text).hasMatch();
}

} // namespace LayoutChecks
