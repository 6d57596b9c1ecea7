// The program's names of the Windows process priority classes. The first five, in this order, are the
// choice lists of the priority dialog and of Smart Shortcut; "Real Time Priority" is only ever shown.
#pragma once

#include "win32.h"

#include <QString>
#include <QStringList>

namespace PriorityNames {

struct Entry
{
    DWORD priorityClass;
    const char *name;
};

inline constexpr Entry entries[6] = {
    {IDLE_PRIORITY_CLASS, "Low Priority"},      {BELOW_NORMAL_PRIORITY_CLASS, "Below Normal Priority"},
    {NORMAL_PRIORITY_CLASS, "Normal Priority"}, {ABOVE_NORMAL_PRIORITY_CLASS, "Above Normal Priority"},
    {HIGH_PRIORITY_CLASS, "High Priority"},     {REALTIME_PRIORITY_CLASS, "Real Time Priority"},
};
inline constexpr int choiceCount = 5;

// The name of a class; "" for any other value (0 included, what a failed query gives).
QString name(DWORD priorityClass);
// The five names offered, index 0 "Low Priority" to 4 "High Priority".
QStringList choices();
// The class of a choice index; 0 outside 0..4.
DWORD choiceClass(int index);

} // namespace PriorityNames
