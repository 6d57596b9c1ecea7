#include "prioritynames.h"

namespace PriorityNames {

QString name(DWORD priorityClass)
{
    for (const Entry &e : entries)
        if (e.priorityClass == priorityClass)
            return QString::fromLatin1(e.name);
    return QString();
}

QStringList choices()
{
    QStringList out;
    for (int i = 0; i < choiceCount; ++i)
        out << QString::fromLatin1(entries[i].name);
    return out;
}

DWORD choiceClass(int index)
{
    return index >= 0 && index < choiceCount ? entries[index].priorityClass : 0;
}

} // namespace PriorityNames
