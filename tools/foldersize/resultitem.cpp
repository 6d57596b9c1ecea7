#include "resultitem.h"

#include "workerthread.h"

namespace {

constexpr int columns = 6;
// Where a record's cells begin in its block, and the room of each.
constexpr size_t cellSize = sizeof(ResultItem);
constexpr size_t cellsAt =
    (sizeof(ResultItem::File) + alignof(ResultItem) - 1) / alignof(ResultItem) * alignof(ResultItem);
static_assert(alignof(ResultItem) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

void *cellRoom(ResultItem::File *file, int column)
{
    return reinterpret_cast<char *>(file) + cellsAt + size_t(column) * cellSize;
}

template <int shownColumn> class FileCell final : public ResultItem
{
public:
    explicit FileCell(File *file) : ResultItem(file) {}

    // Only ever placed in its record's block (setRow); deleting it gives the room back to the block, which
    // goes with the last of its cells.
    static void *operator new(size_t, void *room) { return room; }
    static void operator delete(void *cell)
    {
        auto *record = reinterpret_cast<File *>(static_cast<char *>(cell) - cellsAt - shownColumn * cellSize);
        if (--record->cells == 0)
            delete record;
    }

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
};

// A cell's copy: a plain item.
class PlainCell final : public QStandardItem
{
public:
    explicit PlainCell(const QStandardItem &other) : QStandardItem(other) {}
};

template <int column> void placeCell(QStandardItem *parent, int row, ResultItem::File *file)
{
    static_assert(sizeof(FileCell<column>) == cellSize && alignof(FileCell<column>) == alignof(ResultItem));
    parent->setChild(row, column, new (cellRoom(file, column)) FileCell<column>(file));
}

} // namespace

void *ResultItem::File::operator new(size_t size)
{
    return ::operator new(qMax(size, cellsAt + columns * cellSize));
}

void ResultItem::File::operator delete(void *block)
{
    ::operator delete(block);
}

void ResultItem::setRow(QStandardItem *parent, int row, File *file)
{
    // Every cell is counted before the first one can be deleted.
    file->cells = columns;
    placeCell<0>(parent, row, file);
    placeCell<1>(parent, row, file);
    placeCell<2>(parent, row, file);
    placeCell<3>(parent, row, file);
    placeCell<4>(parent, row, file);
    placeCell<5>(parent, row, file);
}

QStandardItem *ResultItem::clone() const
{
    auto *copy = new PlainCell(*this);
    copy->setData(data(Qt::DisplayRole), Qt::DisplayRole);
    const QVariant icon = data(Qt::DecorationRole);
    if (icon.isValid())
        copy->setData(icon, Qt::DecorationRole);
    return copy;
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
