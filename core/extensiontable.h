// Which entry of a table a file name falls under by its extension: "." and everything after the first dot of
// the name, in any letter case. Looked up per listed file by both scans, so a look-up makes no copy of the name.
#pragma once

#include <QString>
#include <utility>
#include <vector>

class ExtensionTable
{
public:
    // A key as the category lists write it (".txt", ".tar.gz"), and what it stands for.
    void add(const QString &extension, int value);
    // Ready for look-ups; of equal keys, the one added first answers.
    void finish();
    bool isEmpty() const { return keys.empty(); }

    // The value of name's key, or -1. noDot: the key of a name without a dot.
    int find(QStringView name, QStringView noDot) const;

private:
    std::vector<std::pair<QString, int>> keys; // case-folded
};
