#include "clearramthread.h"

#include <QStandardItemModel>

#include <functional>

ClearRamThread::ClearRamThread(QObject *parent) : QThread(parent) {}

ClearRamThread::~ClearRamThread()
{
    cancel = true;
    wait();
}

void ClearRamThread::run()
{
    QThread::currentThread()->setPriority(QThread::HighPriority);
    // Rows are released in the order in which they were made.
    const std::function<void()> steps[] = {
        [this] { folderModel->sort(7, Qt::AscendingOrder); },
        [this] { folderModel->clear(); },
        [this] { dataFilesModel->sort(5, Qt::AscendingOrder); },
        [this] { dataFilesModel->clear(); },
        [this] { biggestFilesModel->clear(); },
    };
    for (const auto &step : steps) {
        if (cancel)
            break;
        step();
        emit updateScanProgress();
    }
    emit processFinish();
}
