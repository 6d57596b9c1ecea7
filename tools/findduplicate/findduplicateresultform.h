// The result page of Find Duplicate: a tree of categories, groups of duplicates and files, built off the GUI
// thread, where the user checks files to move to the Recycle Bin, or shows or opens one.
#pragma once

#include "findduplicatethread.h"

#include <QItemSelection>
#include <QPersistentModelIndex>
#include <QStandardItemModel>
#include <QWidget>
#include <vector>

namespace Ui {
class FindDuplicateResultForm;
}

class QLabel;
class ShowResultThread;

class FindDuplicateResultForm : public QWidget
{
    Q_OBJECT

public:
    explicit FindDuplicateResultForm(QWidget *parent = nullptr);
    ~FindDuplicateResultForm() override;

    bool filling = false;
    QStandardItemModel model;
    ShowResultThread *fillThread = nullptr;
    QList<CategoryResult> *categoryResults = nullptr;
    // The folder the scan walked; no file outside it, or reached through a link below it, is moved.
    QString scanFolder;
    int checkedCount = 0;
    // Checked files are being moved to the Recycle Bin, off the GUI thread.
    bool moving = false;

    // Called by the Find Duplicate page once categoryResults is set.
    void startFill();

signals:
    void backToMain();

private slots:
    void on_backButton_clicked();
    void onProcessFinish();
    void onItemChanged(QStandardItem *item);
    void on_RecycleBinButton_clicked();
    void on_explorerButton_clicked();
    void mySelectionChanged(QItemSelection selected, QItemSelection deselected);
    void on_openButton_clicked();
    void onMoveFinish();

private:
    QString selectedFilePath() const;
    // Moves one checked file to the Recycle Bin while it is still the file the scan found there.
    bool moveChecked(const QString &path) const;

    struct PendingMove
    {
        QPersistentModelIndex item;
        QString path;
        bool moved = false;
    };
    // Written by the move thread, read here only after it has finished.
    std::vector<PendingMove> pendingMoves;
    QThread *moveThread = nullptr;
    QLabel *noneLabel = nullptr;

    Ui::FindDuplicateResultForm *ui;
};
