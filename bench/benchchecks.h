// The answer checks of the benchmarks, apart from the timing so that a test can show each one rejecting a
// wrong answer: a fast wrong answer must never pass.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QString>

#include <map>
#include <set>

namespace benchcheck {

// ---- shredding ----

// What is left where the overwrite went: a single 64 KiB block repeated from the start, the last byte the
// block's first, not one byte value throughout (the last DoD pass is random), and not the input's bytes.
inline QString lastPassProblem(const QByteArray &after, const QByteArray &input)
{
    const qsizetype block = 65536;
    if (after.size() != input.size())
        return QStringLiteral("size changed");
    if (after.isEmpty())
        return QString();
    const QByteArray first = after.left(block);
    for (qsizetype at = block; at + 1 < after.size(); at += block)
        if (after.mid(at, qMin(block, after.size() - 1 - at)) != first.left(qMin(block, after.size() - 1 - at)))
            return QStringLiteral("block at %1 is not the pattern").arg(at);
    if (after.back() != first.front())
        return QStringLiteral("last byte is not the pattern's first");
    if (first.count(first.front()) == first.size())
        return QStringLiteral("one byte value throughout: not the random last pass");
    if (after.left(block) == input.left(block))
        return QStringLiteral("input bytes left");
    return QString();
}

// ---- folder scan ----

struct Answer
{
    qint64 files = 0;
    qint64 folders = 0;
    qint64 bytes = 0;
    bool operator==(const Answer &o) const { return files == o.files && folders == o.folders && bytes == o.bytes; }
};

inline QString describe(const Answer &a)
{
    return QStringLiteral("%1 files, %2 folders, %3 bytes").arg(a.files).arg(a.folders).arg(a.bytes);
}

// What the manifest says: every file with its size; the folders are those that hold files (each folder of a
// make-tree tree does).
inline Answer fromManifest(const QString &tree)
{
    Answer a;
    QFile f(tree + QStringLiteral(".manifest.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return a;
    QSet<QByteArray> folders;
    while (!f.atEnd()) {
        const QList<QByteArray> fields = f.readLine().split('\t');
        if (fields.size() < 3)
            continue;
        ++a.files;
        a.bytes += fields.at(1).toLongLong();
        folders.insert(fields.at(0).left(fields.at(0).lastIndexOf('/')));
    }
    a.folders = folders.size();
    return a;
}

inline Answer parse(const QByteArray &output)
{
    const QList<QByteArray> n = output.trimmed().split(' ');
    Answer a;
    if (n.size() == 3)
        a = Answer{n.at(0).toLongLong(), n.at(1).toLongLong(), n.at(2).toLongLong()};
    return a;
}

// ---- duplicate scan ----

using Groups = std::set<std::set<QString>>;

// Groups of paths separated by empty lines, as both the scan and jdupes print them; a group keeps only the
// files that belong and one-file groups go.
template <typename Key> Groups parseGroups(const QByteArray &output, Key key)
{
    Groups groups;
    std::map<QString, std::set<QString>> current;
    auto close = [&] {
        for (auto &[k, files] : current)
            if (!k.isNull() && files.size() > 1)
                groups.insert(files);
        current.clear();
    };
    for (const QByteArray &line : output.split('\n')) {
        if (line.isEmpty()) {
            close();
            continue;
        }
        const QString path = QString::fromUtf8(line);
        current[key(path)].insert(path);
    }
    close();
    return groups;
}

// The files of equal contents below a folder (links not followed), in groups as jdupes prints them: the
// reference where jdupes is not at hand.
inline QByteArray sameContents(const QString &tree)
{
    QHash<QByteArray, QStringList> byContents;
    QDirIterator it(tree, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray key = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
        byContents[key] << path;
    }
    QByteArray out;
    for (const QStringList &files : std::as_const(byContents)) {
        if (files.size() < 2)
            continue;
        for (const QString &path : files)
            out += path.toUtf8() + '\n';
        out += '\n';
    }
    return out;
}

// One key for every file but an empty one.
inline QString nonEmpty(const QString &path)
{
    return QFileInfo(path).size() > 0 ? QStringLiteral("file") : QString();
}

// What makes two files of equal contents one group of the scan: their category and last-write time (and a
// size above zero: jdupes passes over empty files). A null key: the scan does not take the file.
inline QString groupKey(const QString &path, const QHash<QString, int> &categoryOf)
{
    const QFileInfo info(path);
    if (info.size() == 0)
        return QString();
    const QString name = info.fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString ext = (dot < 0 ? QStringLiteral(".") : name.mid(dot)).toCaseFolded();
    const auto category = categoryOf.constFind(ext);
    if (category == categoryOf.constEnd())
        return QString();
    return QString::number(*category) + QLatin1Char(' ') + QString::number(info.lastModified().toMSecsSinceEpoch());
}

} // namespace benchcheck
