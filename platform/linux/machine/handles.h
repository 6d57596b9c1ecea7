// Kernel-object handles of the stand-in (files, find handles, processes, ...): one table, so that
// CloseHandle closes whatever a handle stands for.
#pragma once

#include "linux/machine/w32types.h"

#include <memory>

namespace handles {

struct Object
{
    virtual ~Object() = default;
};

HANDLE add(std::shared_ptr<Object> object);
std::shared_ptr<Object> get(HANDLE h);
template <typename T> std::shared_ptr<T> getAs(HANDLE h)
{
    return std::dynamic_pointer_cast<T>(get(h));
}
// Removes the handle; false when it was not in the table.
bool close(HANDLE h);

} // namespace handles
