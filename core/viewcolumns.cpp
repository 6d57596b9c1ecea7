#include "viewcolumns.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QTreeView>

namespace {

// Keeps a view's columns fitted: on every change of the view's size and, once per pass of the event loop, of its
// rows. The widths of the texts are measured only when the rows changed, not on every resize.
class ColumnFitter : public QObject
{
public:
    explicit ColumnFitter(QTreeView *view) : QObject(view), view(view)
    {
        setObjectName(QStringLiteral("columnFitter"));
        view->viewport()->installEventFilter(this);
        connect(view->header(), &QHeaderView::sectionResized, this, [this](int column) {
            // A column the user widens or narrows keeps that width and the filling one takes the difference; the
            // filling column itself may be widened beyond the view until the view's size changes.
            if (fitting || column == filler())
                return;
            userSized.insert(column);
            fit();
        });
        connect(view, &QTreeView::expanded, this, &ColumnFitter::rowsChanged);
        connect(view, &QTreeView::collapsed, this, &ColumnFitter::rowsChanged);
    }

    void start(const QList<QPair<int, int>> &widths, int fillColumn)
    {
        given.clear();
        for (const auto &width : widths)
            given.insert(width.first, width.second);
        fill = fillColumn;
        userSized.clear();
        needs.clear();
        watch(view->model());
        view->header()->setStretchLastSection(false);
        view->setTextElideMode(Qt::ElideMiddle);
        fit();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            fit();
        return false;
    }

private:
    void watch(QAbstractItemModel *model)
    {
        if (model == watched)
            return;
        if (watched)
            disconnect(watched, nullptr, this, nullptr);
        watched = model;
        if (!model)
            return;
        connect(model, &QAbstractItemModel::rowsInserted, this, &ColumnFitter::rowsChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &ColumnFitter::rowsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &ColumnFitter::rowsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ColumnFitter::rowsChanged);
        connect(model, &QAbstractItemModel::dataChanged, this, &ColumnFitter::rowsChanged);
        connect(model, &QAbstractItemModel::headerDataChanged, this, &ColumnFitter::rowsChanged);
    }

    void rowsChanged()
    {
        needs.clear();
        if (pending)
            return;
        pending = true;
        QTimer::singleShot(0, this, [this] {
            pending = false;
            fit();
        });
    }

    QList<int> shownColumns() const
    {
        const QHeaderView *header = view->header();
        QList<int> shown;
        for (int visual = 0; visual < header->count(); ++visual)
            if (!header->isSectionHidden(header->logicalIndex(visual)))
                shown << header->logicalIndex(visual);
        return shown;
    }

    int filler() const
    {
        const QList<int> shown = shownColumns();
        if (fill >= 0 && shown.contains(fill))
            return fill;
        return shown.isEmpty() ? -1 : shown.last();
    }

    // The width that shows a column's texts and header text whole.
    int need(int column)
    {
        auto known = needs.constFind(column);
        if (known != needs.constEnd())
            return *known;
        // QTreeView's own measure, with the indentation of its first column; its base class makes it public.
        const QAbstractItemView *base = view;
        const int width = qMax(base->sizeHintForColumn(column), view->header()->sectionSizeHint(column));
        needs.insert(column, width);
        return width;
    }

    void fit()
    {
        QHeaderView *header = view->header();
        const int filling = filler();
        if (!view->model() || filling < 0)
            return;
        QHash<int, int> width;
        int others = 0;
        int spare = 0; // what the other columns have beyond their texts and could give back
        for (int column : shownColumns()) {
            if (column == filling)
                continue;
            if (userSized.contains(column)) {
                width[column] = header->sectionSize(column);
            } else {
                width[column] = qMax(given.value(column, 0), need(column));
                spare += width[column] - need(column);
            }
            others += width[column];
        }
        const int room = view->viewport()->width();
        const int wanted = need(filling);
        // The room of a view not shown yet is no measure: the widths given stand until it is.
        if (view->isVisible() && room - others < wanted && spare > 0) {
            int give = qMin(spare, wanted - (room - others));
            others -= give;
            for (auto it = width.begin(); it != width.end() && spare > 0; ++it) {
                if (userSized.contains(it.key()))
                    continue;
                const int extra = it.value() - need(it.key());
                const int part = int(qint64(give) * extra / spare);
                it.value() -= part;
                give -= part;
                spare -= extra;
            }
        }
        const int least =
            qMax(header->sectionSizeHint(filling), qMin(wanted, given.value(filling, header->defaultSectionSize())));
        width[filling] = qMax(room - others, least);
        fitting = true;
        for (auto it = width.cbegin(); it != width.cend(); ++it)
            if (header->sectionSize(it.key()) != it.value())
                header->resizeSection(it.key(), it.value());
        fitting = false;
    }

    QTreeView *view;
    QPointer<QAbstractItemModel> watched;
    QHash<int, int> given;
    QHash<int, int> needs;
    QSet<int> userSized;
    int fill = -1;
    bool fitting = false;
    bool pending = false;
};

} // namespace

namespace viewcolumns {

void setWidths(QTreeView *view, const QList<QPair<int, int>> &widths, int fillColumn)
{
    // The fitter is the view's only child of that name.
    auto *fitter = static_cast<ColumnFitter *>(
        view->findChild<QObject *>(QStringLiteral("columnFitter"), Qt::FindDirectChildrenOnly));
    if (!fitter)
        fitter = new ColumnFitter(view);
    fitter->start(widths, fillColumn);
}

} // namespace viewcolumns
