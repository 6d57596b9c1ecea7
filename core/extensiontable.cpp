#include "extensiontable.h"

#include <QVarLengthArray>

#include <algorithm>

void ExtensionTable::add(const QString &extension, int value)
{
    keys.emplace_back(extension.toCaseFolded(), value);
}

void ExtensionTable::finish()
{
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
}

int ExtensionTable::find(QStringView name, QStringView noDot) const
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QStringView rest = dot < 0 ? noDot : name.mid(dot);
    QVarLengthArray<char16_t, 64> folded(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i)
        folded[i] = rest.at(i).toCaseFolded().unicode();
    const QStringView key(folded.constData(), rest.size());
    auto it = std::lower_bound(keys.begin(), keys.end(), key, [](const std::pair<QString, int> &e, QStringView k) {
        return QStringView(e.first) < k;
    });
    if (it == keys.end() || QStringView(it->first) != key)
        return -1;
    return it->second;
}
