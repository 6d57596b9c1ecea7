#include "resultitem.h"

#include "workerthread.h"

namespace {

template <int shownColumn> class FileCell final : public ResultItem
{
public:
    explicit FileCell(File *file) : ResultItem(file) {}

    QStandardItem *clone() const override { return new FileCell(*this); }

protected:
    QVariant shownValue() const override
    {
        if constexpr (shownColumn == 0)
            return file->name;
        if constexpr (shownColumn == 1) {
            if (file->sizeText.isNull())
                file->sizeText = WorkerThread::sizeText(file->size);
            return file->sizeText;
        }
        if constexpr (shownColumn == 2) {
            if (file->timeText.isNull())
                file->timeText = WorkerThread::accessTimeText(file->lastAccess);
            return file->timeText;
        }
        if constexpr (shownColumn == 3)
            return file->folder;
        if constexpr (shownColumn == 4)
            return qint64(file->size);
        return file->dataNumber;
    }

    bool showsIcon() const override { return shownColumn == 0; }

private:
    FileCell(const FileCell &other) = default;
};

} // namespace

ResultItem::ResultItem(File *file) : file(file)
{
    ++file->cells;
}

ResultItem::ResultItem(const ResultItem &other) : QStandardItem(other), file(other.file)
{
    ++file->cells;
}

ResultItem::~ResultItem()
{
    if (--file->cells == 0)
        delete file;
}

void ResultItem::setRow(QStandardItem *parent, int row, File *file)
{
    parent->setChild(row, 0, new FileCell<0>(file));
    parent->setChild(row, 1, new FileCell<1>(file));
    parent->setChild(row, 2, new FileCell<2>(file));
    parent->setChild(row, 3, new FileCell<3>(file));
    parent->setChild(row, 4, new FileCell<4>(file));
    parent->setChild(row, 5, new FileCell<5>(file));
}

QVariant ResultItem::data(int role) const
{
    // A value set on the cell itself comes first, as with any item.
    QVariant own = QStandardItem::data(role);
    if (own.isValid())
        return own;
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return shownValue();
    if (role == Qt::DecorationRole && showsIcon() && parent())
        return parent()->data(fileIconRole);
    return own;
}

void ResultItem::multiData(QModelRoleDataSpan roleDataSpan) const
{
    for (QModelRoleData &roleData : roleDataSpan)
        roleData.setData(data(roleData.role()));
}
