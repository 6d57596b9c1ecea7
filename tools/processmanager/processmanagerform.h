// The Process Manager module page: one row per process the program can open with full access, and the
// actions Set Priority, More Info, Terminate Application and Refresh. Everything runs on the GUI thread; the
// list is read at construction and on Refresh only.
#pragma once

#include "win32.h"

#include <QHash>
#include <QIcon>
#include <QItemSelection>
#include <QList>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QWidget>

namespace Ui {
class ProcessManagerForm;
}

class ProcessManagerForm : public QWidget
{
    Q_OBJECT

public:
    explicit ProcessManagerForm(QWidget *parent = nullptr);
    ~ProcessManagerForm() override;

    bool loadProcesses();
    QString devicePathToDosPath(const QString &devicePath);
    // A working set as the "Memory Usage" column shows it: MB with two decimals.
    static QString memoryUsageText(quint64 workingSetBytes);

    QStandardItemModel *processModel() { return &model; }

public slots:
    void on_refreshButton_clicked();
    void OnSectionClicked(int index);
    void OnTreeViewSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void on_setPriorityButton_clicked();
    void on_moreInfoButton_clicked();
    void on_terminateApplicationButton_clicked();
    void onPriorityLevelChanged(QString priorityLevel);

private:
    QList<QStandardItem *> processRow(DWORD pid, const PROCESSENTRY32W &entry);
    QIcon iconOf(const QString &path);
    QIcon shellIconOf(const QString &path);
    QString imagePathOf(HANDLE process);
    // When the process was created (FILETIME as a number); 0 when it cannot be read.
    static quint64 creationTimeOf(HANDLE process);
    void setRowActionsEnabled(bool enabled);

    Ui::ProcessManagerForm *ui;
    QStandardItemModel model; // no Qt parent: the page owns it
    bool sortOrder = false;
    QModelIndexList rememberedSelection;
    QVBoxLayout *layout = nullptr;
    bool connected = false;
    // Icons by system image-list index: processes of one kind of file share one.
    QHash<int, QIcon> iconCache;
    QHash<QString, QIcon> iconByPath;
};
