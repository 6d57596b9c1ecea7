#include "handles.h"

#include <QHash>
#include <QMutex>

namespace handles {

namespace {

struct Table
{
    QMutex mutex;
    QHash<quintptr, std::shared_ptr<Object>> objects;
    quintptr next = 0x100000;
};

Table &table()
{
    static Table t;
    return t;
}

} // namespace

HANDLE add(std::shared_ptr<Object> object)
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    const quintptr h = t.next;
    t.next += 4;
    t.objects.insert(h, std::move(object));
    return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<Object> get(HANDLE h)
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    return t.objects.value(reinterpret_cast<quintptr>(h));
}

bool close(HANDLE h)
{
    std::shared_ptr<Object> object;
    {
        Table &t = table();
        QMutexLocker g(&t.mutex);
        object = t.objects.take(reinterpret_cast<quintptr>(h));
    }
    // The object (and what it holds open) goes here, outside the table's lock.
    return object != nullptr;
}

} // namespace handles
