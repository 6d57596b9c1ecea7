// A cell of a scan's results whose shown value is fixed when the scan makes it. It keeps the value in itself
// rather than in the item's role list, which saves an allocation and a role search per cell: a scan makes
// six of them for every file it lists by category.
#pragma once

#include <QStandardItem>

class ResultItem : public QStandardItem
{
public:
    explicit ResultItem(const QVariant &value = QVariant());

    QVariant data(int role = Qt::UserRole + 1) const override;
    void multiData(QModelRoleDataSpan roleDataSpan) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;
    QStandardItem *clone() const override;

protected:
    // The shown value; a subclass may make it on demand.
    virtual QVariant shownValue() const;

private:
    QVariant value;
};
