// Helpers of the Find Duplicate tests: files with chosen sizes and times, scans run to their end, and the
// results written as text ("Category|a,b,c" per group, paths relative to the scanned folder).
#pragma once

#include "findduplicatethread.h"
#include "krutils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

namespace fdtest {

// A fixed moment well inside one 2^32-tick half of a FILETIME, so that a few milliseconds more change only
// the low half.
inline QDateTime baseTime()
{
    return QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC);
}

// A file of these bytes, last written at the given moment.
inline bool makeFileWith(const QString &path, const QByteArray &bytes, const QDateTime &written)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size())
        return false;
    // Buffered bytes written at close would move the time again.
    return f.flush() && f.setFileTime(written, QFileDevice::FileModificationTime);
}

inline bool makeFile(const QString &path, qint64 size, const QDateTime &written)
{
    return makeFileWith(path, QByteArray(int(size), 'd'), written);
}

// The thirteen categories of the page: the built-in ones, then the custom one.
inline QList<FileCategory> pageCategories(const QStringList &custom = {QString()})
{
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);
    FileCategory c;
    c.name = QStringLiteral("Custom file types");
    c.extensions = custom;
    categories.append(c);
    return categories;
}

struct Scan
{
    QList<ScanCategory> scanCategories;
    QList<CategoryResult> categoryResults;
    QList<int> totals;
    QStringList paths;
    int steps = 0;
    int finishes = 0;
};

// Gives a thread the page's lists of the enabled categories, as the page does before a scan.
inline void prepare(FindDuplicateThread &t, Scan &s, const QString &root, const QList<FileCategory> &categories)
{
    for (const FileCategory &c : categories) {
        if (!c.enabled)
            continue;
        ScanCategory sc;
        sc.extensions = c.extensions;
        s.scanCategories << sc;
        CategoryResult r;
        r.name = c.name;
        s.categoryResults << r;
    }
    t.rootFolder = fromHostPath(root); // as the page's folder browser names it
    t.scanCategories = &s.scanCategories;
    t.categoryResults = &s.categoryResults;
}

// Runs one scan of root over the enabled categories and waits for its end.
inline void run(Scan &s, const QString &root, const QList<FileCategory> &categories, bool cancelFirst = false)
{
    FindDuplicateThread t;
    prepare(t, s, root, categories);
    t.cancel = cancelFirst;
    QSignalSpy total(&t, &FindDuplicateThread::updateTotalSubFolder);
    QSignalSpy path(&t, &FindDuplicateThread::updatePath);
    QSignalSpy step(&t, &FindDuplicateThread::updateScanProgress);
    QSignalSpy finish(&t, &FindDuplicateThread::scanFinish);
    t.start();
    QVERIFY(t.wait(60000));
    for (const QList<QVariant> &a : total)
        s.totals << a.at(0).toInt();
    for (const QList<QVariant> &a : path)
        s.paths << a.at(0).toString();
    s.steps = int(step.size());
    s.finishes = int(finish.size());
}

inline QStringList groupsText(const Scan &s, const QString &root)
{
    QStringList out;
    const QDir base(root);
    for (const CategoryResult &r : s.categoryResults)
        for (const DuplicateGroup &g : r.groups) {
            QStringList files;
            for (const DuplicateFileRecord &f : g.files)
                files << base.relativeFilePath(hostPath(f.fullPath));
            out << r.name + QLatin1Char('|') + files.join(QLatin1Char(','));
        }
    return out;
}

} // namespace fdtest
