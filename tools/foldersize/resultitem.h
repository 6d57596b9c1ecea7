// The cells of a file's row in the Data Files. The six cells of a row share one record of the file and each
// shows its own part of it, so that a scan of many files makes per row one record and six small cells, and
// writes a text (size, last access time) only the first time someone looks at it or sorts by it. All files of
// a category show one picture, which their category's row keeps for them.
#pragma once

#include "win32.h"

#include <QStandardItem>
#include <atomic>

class ResultItem : public QStandardItem
{
public:
    // One listed file, as its row shows it.
    struct File
    {
        QString name;
        QString folder; // shown, native separators
        quint64 size = 0;
        FILETIME lastAccess = {0, 0};
        int dataNumber = 0;
        mutable QString sizeText; // written when first asked for
        mutable QString timeText;
        std::atomic<int> cells{0}; // the record goes with the last cell that shows it
    };

    // The role under which a category's row keeps the picture of its files.
    static constexpr int fileIconRole = Qt::UserRole + 0x4649;

    // Fills row of parent with the six cells of file: "Name", "Size", "Last Access Time", "Path", "Raw Size",
    // "Index". The row takes the record over.
    static void setRow(QStandardItem *parent, int row, File *file);

    ~ResultItem() override;
    QVariant data(int role = Qt::UserRole + 1) const override;
    void multiData(QModelRoleDataSpan roleDataSpan) const override;

protected:
    explicit ResultItem(File *file);
    ResultItem(const ResultItem &other);
    // The shown value of the cell.
    virtual QVariant shownValue() const = 0;
    // True for the cell that shows the file's picture.
    virtual bool showsIcon() const = 0;

    File *const file;
};
