// Empties the three result models of a scan off the GUI thread, at high priority, before the result page
// goes away. Only a close of the main window cuts it short: the page then goes with the window.
#pragma once

#include <QThread>
#include <atomic>

class QStandardItemModel;

class ClearRamThread : public QThread
{
    Q_OBJECT

public:
    explicit ClearRamThread(QObject *parent = nullptr);
    ~ClearRamThread() override;

    QStandardItemModel *folderModel = nullptr;
    QStandardItemModel *biggestFilesModel = nullptr;
    QStandardItemModel *dataFilesModel = nullptr;
    std::atomic<bool> cancel{false};

signals:
    void updateScanProgress();
    void processFinish();

protected:
    void run() override;
};
