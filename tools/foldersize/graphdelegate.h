// Paints a yellow bar under each folder's "Size" cell, as wide as the folder's share of its parent.
#pragma once

#include <QStyledItemDelegate>

class QStandardItemModel;

class GraphDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GraphDelegate(QObject *parent = nullptr);

    QStandardItemModel *model = nullptr;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
