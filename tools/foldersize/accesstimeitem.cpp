#include "accesstimeitem.h"

#include "workerthread.h"

AccessTimeItem::AccessTimeItem(const FILETIME &time) : time(time) {}

QVariant AccessTimeItem::shownValue() const
{
    if (text.isNull())
        text = WorkerThread::accessTimeText(time);
    return text;
}

QStandardItem *AccessTimeItem::clone() const
{
    return new AccessTimeItem(time);
}
