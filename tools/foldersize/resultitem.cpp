#include "resultitem.h"

ResultItem::ResultItem(const QVariant &value) : value(value) {}

QVariant ResultItem::shownValue() const
{
    return value;
}

QVariant ResultItem::data(int role) const
{
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return shownValue();
    return QStandardItem::data(role);
}

void ResultItem::multiData(QModelRoleDataSpan roleDataSpan) const
{
    for (QModelRoleData &roleData : roleDataSpan)
        roleData.setData(data(roleData.role()));
}

void ResultItem::setData(const QVariant &newValue, int role)
{
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        QStandardItem::setData(newValue, role);
        return;
    }
    value = newValue;
    emitDataChanged();
}

QStandardItem *ResultItem::clone() const
{
    auto *item = new ResultItem(shownValue());
    item->QStandardItem::setData(QStandardItem::data(Qt::DecorationRole), Qt::DecorationRole);
    return item;
}
