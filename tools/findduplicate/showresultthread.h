// Turns the scan's category results into the rows of the result tree, off the GUI thread.
#pragma once

#include "findduplicatethread.h"

#include <QList>
#include <QThread>

class QStandardItem;
class QStandardItemModel;

class ShowResultThread : public QThread
{
    Q_OBJECT

public:
    explicit ShowResultThread(QObject *parent = nullptr);
    ~ShowResultThread() override;

    QList<CategoryResult> **categoryResults = nullptr;
    QStandardItemModel *model = nullptr;

    // On the GUI thread after processFinish(): hands the built rows to the model. The rows are made here
    // without a model, so the model itself only ever changes on the thread it belongs to.
    void moveRowsToModel();

signals:
    void processFinish();

protected:
    void run() override;

private:
    void fillCategory(CategoryResult result);

    QList<QList<QStandardItem *>> rows;
};
