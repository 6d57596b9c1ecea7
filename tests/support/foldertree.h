#pragma once

#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <sys/stat.h>

// What a folder holds, all the way down, as one text: each entry's path below it and what it is (its bytes, "ro"
// when read-only, "n2" for a second name; "dir"; "link"), links never followed.
inline QString folderTree(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        QString what = S_ISLNK(st.st_mode) ? QStringLiteral("link") : S_ISDIR(st.st_mode) ? QStringLiteral("dir") : "";
        if (S_ISREG(st.st_mode)) {
            QFile f(path);
            what = f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QStringLiteral("?");
            what += QLatin1String(st.st_mode & 0200 ? "" : " ro") + QLatin1String(st.st_nlink > 1 ? " n2" : "");
        }
        out << path.mid(folder.size() + 1) + QLatin1Char(':') + what;
    }
    out.sort();
    return out.join(QLatin1Char(' '));
}
