// Turns the scan's category results into the rows of the result tree, off the GUI thread. The page attaches
// the model to its view only after processFinish(), and touches it not before.
#pragma once

#include "findduplicatethread.h"

#include <QThread>

class QStandardItemModel;

class ShowResultThread : public QThread
{
    Q_OBJECT

public:
    explicit ShowResultThread(QObject *parent = nullptr);
    ~ShowResultThread() override;

    QList<CategoryResult> **categoryResults = nullptr;
    QStandardItemModel *model = nullptr;

signals:
    void processFinish();

protected:
    void run() override;

private:
    void fillCategory(CategoryResult result);
};
