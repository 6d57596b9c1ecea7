#include "graphdelegate.h"

#include <QPainter>
#include <QStandardItemModel>

#include <cmath>

GraphDelegate::GraphDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void GraphDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == 1) {
        // The share of the parent lives in column 6 of the same row.
        const QModelIndex share = index.sibling(index.row(), 6);
        const int percent = qBound(0, int(std::lround(share.data().toDouble())), 100);
        const int width = int(option.rect.width() * percent / 100.0);
        // Filled, not outlined: a share of 0 leaves no trace and 100 fills the cell exactly.
        if (width > 0)
            painter->fillRect(QRect(option.rect.left(), option.rect.top(), width, option.rect.height()),
                              QBrush(Qt::yellow, Qt::SolidPattern));
    }
    QStyledItemDelegate::paint(painter, option, index);
}
