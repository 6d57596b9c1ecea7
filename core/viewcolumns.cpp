#include "viewcolumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QSet>
#include <QTreeView>

namespace {

// The widest a column grows to its texts by itself.
constexpr int widestFitted = 300;

int lastShown(const QHeaderView *header)
{
    for (int visual = header->count() - 1; visual >= 0; --visual)
        if (!header->isSectionHidden(header->logicalIndex(visual)))
            return header->logicalIndex(visual);
    return -1;
}

// Keeps one column as wide as the room the other columns leave in the view, and never narrower than its
// own width: a header's Stretch mode would squeeze it to nothing in a narrow window.
class ColumnFiller : public QObject
{
public:
    ColumnFiller(QTreeView *view, int column, int least) : QObject(view), view(view), column(column), least(least)
    {
        setObjectName(QStringLiteral("columnFiller"));
        view->viewport()->installEventFilter(this);
        // A column the user widens or narrows takes its room from the filling one, or gives it back.
        connect(view->header(), &QHeaderView::sectionResized, this, [this](int resized) {
            if (resized != this->column)
                fill();
        });
    }

    void fill() const
    {
        QHeaderView *header = view->header();
        int others = 0;
        for (int c = 0; c < header->count(); ++c)
            if (c != column && !header->isSectionHidden(c))
                others += header->sectionSize(c);
        header->resizeSection(column, qMax(least, view->viewport()->width() - others));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            fill();
        return false;
    }

private:
    QTreeView *view;
    int column;
    int least;
};

} // namespace

namespace viewcolumns {

void setWidths(QTreeView *view, const QList<QPair<int, int>> &widths, int fillColumn)
{
    QHeaderView *header = view->header();
    QSet<int> given;
    for (const auto &width : widths) {
        header->resizeSection(width.first, width.second);
        given.insert(width.first);
    }
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        // A column without a width of its own takes the width of its texts, up to a limit beyond which
        // its long texts lose their middle.
        if (!given.contains(column) && column != fillColumn &&
            !(header->stretchLastSection() && column == lastShown(header))) {
            const int before = header->sectionSize(column);
            view->resizeColumnToContents(column);
            header->resizeSection(column, qMax(before, qMin(header->sectionSize(column), widestFitted)));
        }
        if (header->sectionSize(column) < header->sectionSizeHint(column))
            header->resizeSection(column, header->sectionSizeHint(column));
    }
    view->setTextElideMode(Qt::ElideMiddle);
    if (fillColumn < 0)
        return;
    // The filler is the view's only child of that name.
    auto *filler = static_cast<ColumnFiller *>(
        view->findChild<QObject *>(QStringLiteral("columnFiller"), Qt::FindDirectChildrenOnly));
    if (!filler)
        filler = new ColumnFiller(view, fillColumn, header->sectionSize(fillColumn));
    header->setStretchLastSection(false);
    filler->fill();
}

} // namespace viewcolumns
