#include "linux/machine/handles.h"

#include <QHash>
#include <QMutex>
#include <atomic>

namespace handles {

namespace {

// The table is split by handle value, so that threads working through handles of their own (a listing per
// thread, entry after entry) do not all wait on one lock.
constexpr quintptr shardCount = 32;

struct Shard
{
    QMutex mutex;
    QHash<quintptr, std::shared_ptr<Object>> objects;
};

struct Table
{
    Shard shards[shardCount];
    std::atomic<quintptr> next{0x100000};
};

Table &table()
{
    static Table t;
    return t;
}

Shard &shardOf(quintptr h)
{
    return table().shards[(h >> 2) % shardCount];
}

} // namespace

HANDLE add(std::shared_ptr<Object> object)
{
    const quintptr h = table().next.fetch_add(4);
    Shard &s = shardOf(h);
    QMutexLocker g(&s.mutex);
    s.objects.insert(h, std::move(object));
    return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<Object> get(HANDLE h)
{
    Shard &s = shardOf(reinterpret_cast<quintptr>(h));
    QMutexLocker g(&s.mutex);
    return s.objects.value(reinterpret_cast<quintptr>(h));
}

bool close(HANDLE h)
{
    std::shared_ptr<Object> object;
    {
        Shard &s = shardOf(reinterpret_cast<quintptr>(h));
        QMutexLocker g(&s.mutex);
        object = s.objects.take(reinterpret_cast<quintptr>(h));
    }
    // The object (and what it holds open) goes here, outside the table's lock.
    return object != nullptr;
}

} // namespace handles
