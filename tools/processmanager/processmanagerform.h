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
    static QString devicePathToDosPath(const QString &devicePath);
    // Whether an open process is the one a row showed: once that one has ended, its id may have gone to
    // another process, of the same program too. Same program and same creation time: the same process.
    static bool isListedProcess(HANDLE process, const QString &path, quint64 created);
    // Says that the row's process has ended and its id went to another process, which is left alone.
    static void reportIdReused(const QString &name, LPCWSTR title);
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
    static QString imagePathOf(HANDLE process);
    // False, once said, when the row's id now names another process; true otherwise (also when the
    // process cannot be opened: the act itself then fails and says so).
    bool rowStillListed(int row, LPCWSTR title);
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
