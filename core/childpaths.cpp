#include "childpaths.h"

namespace childpaths {

bool isSelfOrParent(const QString &name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

bool staysBelow(const QString &name)
{
    if (name.isEmpty() || isSelfOrParent(name))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull())
            return false;
    }
    return true;
}

QString join(const QString &folder, const QString &name, QChar separator)
{
    // Without a folder the name would hang off the root or the working folder.
    if (folder.isEmpty() || !staysBelow(name))
        return QString();
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + separator + name;
}

} // namespace childpaths
