// The cells of a file's row in the Data Files. The six cells of a row share one record of the file and each
// shows its own part of it; the record and its row's six cells are one allocation, so that a scan of many
// files makes (and later frees) per row one block besides Qt's own part of each cell, and writes a text (size,
// last access time) only the first time someone looks at it or sorts by it. All files of a category show one
// picture, which their category's row keeps for them.
#pragma once

#include "win32.h"

#include <QStandardItem>
#include <atomic>

class ResultItem : public QStandardItem
{
public:
    // One listed file, as its row shows it. A record made with new has the room of its row's cells after it;
    // once setRow has placed them, the block goes with the last of them.
    struct File
    {
        static void *operator new(size_t size);
        static void operator delete(void *block);

        QString name;
        QString folder; // shown, native separators
        quint64 size = 0;
        FILETIME lastAccess = {0, 0};
        int dataNumber = 0;
        mutable QString sizeText; // written when first asked for
        mutable QString timeText;
        std::atomic<int> cells{0}; // cells placed in the block and not yet deleted
    };

    // The role under which a category's row keeps the picture of its files.
    static constexpr int fileIconRole = Qt::UserRole + 0x4649;

    // Fills row of parent with the six cells of file (made with new): "Name", "Size", "Last Access Time",
    // "Path", "Raw Size", "Index". The cells take the record over.
    static void setRow(QStandardItem *parent, int row, File *file);

    QVariant data(int role = Qt::UserRole + 1) const override;
    void multiData(QModelRoleDataSpan roleDataSpan) const override;
    // A copy stands alone: a plain item with what this cell shows.
    QStandardItem *clone() const override;

protected:
    explicit ResultItem(File *file) : file(file) {}
    // The shown value of the cell.
    virtual QVariant shownValue() const = 0;
    // True for the cell that shows the file's picture.
    virtual bool showsIcon() const = 0;

    File *const file;
};
