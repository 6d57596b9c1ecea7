// The lists of the review and restore dialogs: one row per change, a check box in its first column.
#pragma once

#include <QStandardItemModel>
#include <QStringList>

namespace tickedrows {

// Appends a row: task with a ticked check box, then the other cells.
inline void append(QStandardItemModel *model, const QString &task, const QStringList &cells)
{
    auto *first = new QStandardItem(task);
    first->setCheckable(true);
    first->setCheckState(Qt::Checked);
    QList<QStandardItem *> row{first};
    for (const QString &cell : cells)
        row << new QStandardItem(cell);
    model->appendRow(row);
}

inline bool isTicked(const QStandardItemModel *model, int row)
{
    return model->item(row, 0)->checkState() == Qt::Checked;
}

// Counted afresh each time: a change of any other role of an item must not move the count.
inline int count(const QStandardItemModel *model)
{
    int ticked = 0;
    for (int row = 0; row < model->rowCount(); ++row)
        if (isTicked(model, row))
            ++ticked;
    return ticked;
}

} // namespace tickedrows
