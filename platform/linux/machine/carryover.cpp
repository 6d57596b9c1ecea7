#include "linux/machine/carryover.h"

#include "win32.h"
#include "linux/files/hostnames.h"
#include "linux/machine/machine.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carryover {

namespace {

// The folders a machine of the first layout kept at the top of the machine folder, which now lie on C:.
const char *const topFolders[] = {"Windows", "Users", "ProgramData", "Program Files", "Program Files (x86)"};

QString driveOf(const QString &machineFolder)
{
    return machineFolder + QStringLiteral("/drive_c");
}

QByteArray bytesOf(const QString &hostText)
{
    return hostnames::encode(hostText);
}

bool present(const QString &path)
{
    struct stat st;
    return ::lstat(bytesOf(path).constData(), &st) == 0;
}

bool isFolder(const QString &path)
{
    struct stat st;
    return ::stat(bytesOf(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString canonical(const QString &path)
{
    char *real = ::realpath(bytesOf(path).constData(), nullptr);
    if (!real)
        return QString();
    const QString out = hostnames::decode(QByteArray(real));
    std::free(real);
    return out;
}

// The names of a host path: empty names and "." dropped, ".." taking back the name before it (never above
// the root), appended to names.
QStringList lexicalNames(const QString &path, QStringList names = QStringList())
{
    for (const QString &name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        names << name;
    }
    return names;
}

QString joined(const QStringList &names)
{
    return QLatin1Char('/') + names.join(QLatin1Char('/'));
}

int topFolderIndex(const QString &name, Qt::CaseSensitivity cs)
{
    for (int i = 0; i < int(std::size(topFolders)); ++i)
        if (name.compare(QLatin1String(topFolders[i]), cs) == 0)
            return i;
    return -1;
}

// How many leading names of a path name the machine folder: in its own spelling, differently cased where
// that spelling is no other place of the host, or through a link. 0 when the path is not in the machine.
qsizetype machinePrefix(const QString &root, const QStringList &names)
{
    const QStringList rootNames = lexicalNames(root);
    if (names.size() >= rootNames.size()) {
        const QStringList head = names.mid(0, rootNames.size());
        if (head == rootNames)
            return rootNames.size();
        if (head.join(QLatin1Char('/')).compare(rootNames.join(QLatin1Char('/')), Qt::CaseInsensitive) == 0 &&
            !present(joined(head)))
            return rootNames.size();
    }
    const QString real = canonical(root);
    if (real.isEmpty())
        return 0;
    for (qsizetype k = 1; k <= names.size(); ++k) {
        const QString place = canonical(joined(names.mid(0, k)));
        if (place.isEmpty())
            break; // nothing below a missing folder exists either
        if (place == real)
            return k;
    }
    return 0;
}

// Names appended to a host folder. A name holding a backslash is one name where the host has an entry of
// that name, and otherwise names joined by the earlier version's separator (it joined with backslashes).
QString appendNames(const QString &folder, const QStringList &names)
{
    QStringList out = lexicalNames(folder);
    for (const QString &name : names) {
        if (name.contains(QLatin1Char('\\')) && !present(joined(out + QStringList{name})))
            out = lexicalNames(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')), out);
        else
            out << name;
    }
    return joined(out);
}

// The host path that an earlier version's host path names today; null when the text is no host path.
// moved: it lay in the first layout's folders, which are on drive_c now.
QString hostPathNow(const QString &root, const QString &text, bool *moved)
{
    *moved = false;
    if (!text.startsWith(QLatin1Char('/')))
        return QString();
    const QStringList names = lexicalNames(text);
    if (const qsizetype k = machinePrefix(root, names)) {
        QStringList rest = names.mid(k);
        const int top = rest.isEmpty() ? -1 : topFolderIndex(rest.first(), Qt::CaseInsensitive);
        if (top >= 0) {
            rest[0] = QLatin1String(topFolders[top]);
            *moved = true;
            return appendNames(driveOf(root), rest);
        }
        if (!rest.isEmpty() && rest.first() == QLatin1String("drive_c"))
            return appendNames(driveOf(root), rest.mid(1));
        return appendNames(root, rest);
    }
    // Elsewhere on the host: what is there, or a place below one of the host's own top folders. A text that
    // merely begins with a slash ("/dev team") names neither.
    const QString path = appendNames(QStringLiteral("/"), names);
    const QStringList now = lexicalNames(path);
    if (present(path) || (now.size() >= 2 && isFolder(joined(now.mid(0, 1)))))
        return path;
    return QString();
}

QString windowsPathNow(const QString &root, const QString &text)
{
    bool moved = false;
    const QString host = hostPathNow(root, text, &moved);
    return host.isNull() ? text : fromHostPath(host);
}

// The folder a link lies in, reached from the machine folder root (host bytes) one name at a time and through no
// link, as raw bytes (a name that is not UTF-8 stays itself); -1 when the link is not below root or a folder on
// the way is missing or is a link. name: the link's own name there.
int openLinkFolder(const QByteArray &root, const QByteArray &link, QByteArray *name)
{
    if (!link.startsWith(root + '/'))
        return -1;
    QList<QByteArray> names = link.mid(root.size() + 1).split('/');
    names.removeAll(QByteArray());
    if (names.isEmpty() || names.contains(".") || names.contains(".."))
        return -1;
    *name = names.takeLast();
    int fd = ::open(root.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray &step : std::as_const(names)) {
        if (fd < 0)
            break;
        const int next = ::openat(fd, step.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

bool linkHolds(int folder, const QByteArray &name, const QByteArray &target)
{
    QByteArray held(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(folder, name.constData(), held.data(), size_t(held.size()));
    return n >= 0 && n < held.size() && held.left(n) == target;
}

// Points the link at link (below the machine folder root) from expected to target. Done in the link's own
// folder, reached through no link: a folder swapped for a link meanwhile takes nothing outside. The new link
// changes places with the entry, which is put back unless it is the link expected: what another program put
// under that name is never lost.
void replaceLink(const QByteArray &root, const QByteArray &link, const QByteArray &expected, const QByteArray &target)
{
    QByteArray name;
    const int folder = openLinkFolder(root, link, &name);
    if (folder < 0)
        return;
    const QByteArray temporary = name + ".carry-" + QByteArray::number(qint64(::getpid()));
    ::unlinkat(folder, temporary.constData(), 0);
    if (::symlinkat(target.constData(), folder, temporary.constData()) == 0) {
        if (::renameat2(folder, temporary.constData(), folder, name.constData(), RENAME_EXCHANGE) == 0) {
            if (!linkHolds(folder, temporary, expected))
                ::renameat2(folder, temporary.constData(), folder, name.constData(), RENAME_EXCHANGE);
        } else if (errno == EINVAL && linkHolds(folder, name, expected)) {
            // A file system that cannot exchange names: replaced once the entry was found to be the link.
            ::renameat(folder, temporary.constData(), folder, name.constData());
        }
        ::unlinkat(folder, temporary.constData(), 0); // the old link, or the new one not used
    }
    ::close(folder);
}

QByteArray readLink(const QByteArray &link)
{
    QByteArray target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.constData(), target.data(), size_t(target.size()));
    return n < 0 || n >= target.size() ? QByteArray() : target.left(n);
}

struct PinnedLink
{
    QString at;     // where the link lies after the move
    QString target; // the place it names, in full
};

// The walk's context: nftw takes no user pointer.
struct PinWalk
{
    QString root;              // the machine folder as the host resolves it: the walk sees no link above
    QString given;             // ... as it was named
    QList<PinnedLink> *pinned; // relative links named in full for the move
    QList<PinnedLink> *moved;  // full links into the moved folders, with the target they hold
};
thread_local PinWalk *pinWalk = nullptr;

int pinLink(const char *path, const struct stat *, int type, struct FTW *)
{
    if (type != FTW_SL)
        return 0;
    const QByteArray target = readLink(QByteArray(path));
    if (target.isEmpty())
        return 0;
    const QString link = hostnames::decode(QByteArray(path));
    const QString after = driveOf(pinWalk->root) + link.mid(pinWalk->root.size());
    if (target.startsWith('/')) {
        // One that names a place in the moved folders is pointed at that place's new name after the move.
        bool moved = false;
        hostPathNow(pinWalk->given, hostnames::decode(target), &moved);
        if (moved)
            pinWalk->moved->append({after, hostnames::decode(target)});
        return 0;
    }
    QStringList folder = lexicalNames(link);
    folder.removeLast();
    const QStringList reached = lexicalNames(hostnames::decode(target), folder);
    const QStringList rootNames = lexicalNames(pinWalk->root);
    // A target in the moved folders moves along; any other place is named in full for the move.
    if (reached.size() > rootNames.size() && reached.mid(0, rootNames.size()) == rootNames &&
        topFolderIndex(reached.at(rootNames.size()), Qt::CaseSensitive) >= 0)
        return 0;
    const QString full = joined(reached);
    replaceLink(bytesOf(pinWalk->root), QByteArray(path), target, bytesOf(full));
    pinWalk->pinned->append({after, full});
    return 0;
}

// A relative path from a link's folder to a place, for links that were named in full only for the move.
QString relativeTarget(const QString &link, const QString &target)
{
    QStringList from = lexicalNames(link);
    from.removeLast();
    const QStringList to = lexicalNames(target);
    qsizetype common = 0;
    while (common < from.size() && common < to.size() && from.at(common) == to.at(common))
        ++common;
    QStringList parts;
    for (qsizetype i = common; i < from.size(); ++i)
        parts << QStringLiteral("..");
    parts << to.mid(common);
    return parts.isEmpty() ? QStringLiteral(".") : parts.join(QLatin1Char('/'));
}

// A drive_c that is not a folder of the machine's own (a link to elsewhere, a file) is set aside under a free
// name and never entered: otherwise the machine's folders would be made, and moved, outside the machine.
void ownDrive(const QString &root)
{
    const QString drive = driveOf(root);
    struct stat st;
    if (::lstat(bytesOf(drive).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return;
    for (int n = 1; n < 100; ++n) {
        const QString aside = drive + QStringLiteral(".set-aside") + (n > 1 ? QString::number(n) : QString());
        if (::renameat2(AT_FDCWD, bytesOf(drive).constData(), AT_FDCWD, bytesOf(aside).constData(), RENAME_NOREPLACE) ==
            0) {
            qWarning() << "machine: drive_c was not a folder of the machine; it is kept as" << aside;
            return;
        }
        if (errno != EEXIST)
            return; // set aside by another start meanwhile, or beyond us: nothing is entered either way
    }
}

// Moves the entry name of the folder from into the folder to, entry by entry; an entry both hold is merged when
// both are folders and otherwise stays where it was, so nothing is overwritten. Each folder is entered through
// its descriptor, never through a link, so a folder swapped for a link meanwhile moves nothing from elsewhere.
// False when anything stayed behind.
bool moveInto(int from, const QByteArray &name, int to)
{
    if (::renameat2(from, name.constData(), to, name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    const int source = ::openat(from, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int target = ::openat(to, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int listed = source >= 0 && target >= 0 ? ::dup(source) : -1;
    DIR *dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    bool all = dir != nullptr;
    if (!dir && listed >= 0)
        ::close(listed);
    while (dir) {
        struct dirent *d = ::readdir(dir);
        if (!d)
            break;
        if (qstrcmp(d->d_name, ".") && qstrcmp(d->d_name, ".."))
            all = moveInto(source, QByteArray(d->d_name), target) && all;
    }
    if (dir)
        ::closedir(dir);
    for (const int fd : {source, target})
        if (fd >= 0)
            ::close(fd);
    return all && ::unlinkat(from, name.constData(), AT_REMOVEDIR) == 0;
}

// The rewrite of one registry value's text, in the spelling of the value's writer: the install folder
// "Path" in Qt's form ("Z:/..."), the helper's Run value as that folder, a backslash and the program name.
QString registryText(const QString &root, const QString &upperKey, const QString &name, const QString &text)
{
    const QString rewritten = windowsText(root, text);
    if (rewritten == text || !upperKey.startsWith(QLatin1String("HKEY_CURRENT_USER\\")))
        return rewritten;
    const QString key = upperKey.mid(18);
    // Either edition's settings root.
    if ((key == QLatin1String("SOFTWARE\\KEELRUN HUSHDECK PLUS!") ||
         key == QLatin1String("SOFTWARE\\KEELRUN HUSHDECK")) &&
        name.compare(QLatin1String("Path"), Qt::CaseInsensitive) == 0)
        return QString(rewritten).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (key == QLatin1String("SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN") &&
        name.compare(QLatin1String("TransparentTaskbar"), Qt::CaseInsensitive) == 0) {
        const qsizetype last = rewritten.lastIndexOf(QLatin1Char('\\'));
        return last < 0 ? rewritten
                        : rewritten.left(last).replace(QLatin1Char('\\'), QLatin1Char('/')) + rewritten.mid(last);
    }
    return rewritten;
}

} // namespace

QString windowsText(const QString &root, const QString &text)
{
    if (text.startsWith(QLatin1Char('/')))
        return windowsPathNow(root, text);
    // Paths in double quotes: a quoted command with its arguments, a description quoting a folder.
    QString out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1String("\"/"), at);
        if (open < 0)
            break;
        qsizetype close = text.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            close = text.size();
        out += text.mid(at, open + 1 - at) + windowsPathNow(root, text.mid(open + 1, close - open - 1));
        at = close;
    }
    return out + text.mid(at);
}

void carryOverFolders(const QString &root)
{
    // Only a machine is rearranged: the first layout's folders lie beside its machine.db. The same names in
    // any other folder (a copied Windows tree) are someone else's.
    struct stat db;
    if (::lstat(bytesOf(root + QStringLiteral("/machine.db")).constData(), &db) != 0)
        return;
    ownDrive(root);
    const QString drive = driveOf(root);
    // Links are read where the host resolves them: a relative link's ".." climbs from the real folder.
    const QString real = canonical(root);
    QList<PinnedLink> pinned;
    QList<PinnedLink> moved;
    PinWalk walk{real.isEmpty() ? root : real, root, &pinned, &moved};
    bool moving = false;
    for (const char *top : topFolders) {
        const QString old = root + QLatin1Char('/') + QLatin1String(top);
        struct stat st;
        if (::lstat(bytesOf(old).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (!moving) {
            ::mkdir(bytesOf(drive).constData(), 0755);
            if (::lstat(bytesOf(drive).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                return; // no drive of the machine's own to move into
            moving = true;
        }
        // Relative links are named in full first: a move that is cut short leaves each link reaching what it
        // reached, before the move and after it.
        pinWalk = &walk;
        ::nftw(bytesOf(walk.root + QLatin1Char('/') + QLatin1String(top)).constData(), pinLink, 32, FTW_PHYS);
        pinWalk = nullptr;
        const int from = ::open(bytesOf(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int to = ::open(bytesOf(drive).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const bool all = from >= 0 && to >= 0 && moveInto(from, QByteArray(top), to);
        for (const int fd : {from, to})
            if (fd >= 0)
                ::close(fd);
        if (!all)
            qWarning() << "machine: some of" << old << "is also on drive C: and stays where it was";
    }
    // Relative again, from where the links lie now; a link that stayed behind keeps its full target.
    for (const PinnedLink &link : std::as_const(pinned))
        if (readLink(bytesOf(link.at)) == bytesOf(link.target))
            replaceLink(bytesOf(walk.root), bytesOf(link.at), bytesOf(link.target),
                        bytesOf(relativeTarget(link.at, link.target)));
    for (const PinnedLink &link : std::as_const(moved)) {
        bool inMoved = false;
        const QString now = hostPathNow(root, link.target, &inMoved);
        if (inMoved && readLink(bytesOf(link.at)) == bytesOf(link.target))
            replaceLink(bytesOf(walk.root), bytesOf(link.at), bytesOf(link.target), bytesOf(now));
    }
}

void carryOverStoredPaths(const QString &root)
{
    using machine::Query;
    struct Value
    {
        qint64 id;
        QByteArray data;
        QString upperKey;
        QString name;
    };
    QList<Value> values;
    {
        Query q("SELECT v.id, v.data, k.upath, v.name FROM regvalues v JOIN regkeys k ON k.id = v.key "
                "WHERE v.type IN (1, 2, 7)");
        while (q.next())
            values.append({q.integer(0), q.blob(1), q.text(2), q.text(3)});
    }
    for (const Value &v : std::as_const(values)) {
        if (v.data.size() % 2 != 0)
            continue;
        const QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(v.data.constData()), v.data.size() / 2);
        // Each string of a list on its own; the terminators stay where they were.
        QStringList parts = text.split(QChar(0));
        for (QString &part : parts)
            part = registryText(root, v.upperKey, v.name, part);
        const QString rewritten = parts.join(QChar(0));
        if (rewritten == text)
            continue;
        Query u("UPDATE regvalues SET data=? WHERE id=?");
        u.bind(1, QByteArray(reinterpret_cast<const char *>(rewritten.utf16()), rewritten.size() * 2))
            .bind(2, v.id)
            .exec();
    }
    // The wallpaper of the session, stored with a leading mark.
    const QString session = machine::setting(QStringLiteral("session.WallPaper"));
    if (session.startsWith(QLatin1Char('=')))
        machine::setSetting(QStringLiteral("session.WallPaper"), QLatin1Char('=') + windowsText(root, session.mid(1)));

    // Marks on files keep host paths: those in the moved folders get their new ones. Compared here rather than
    // in SQL, whose substr counts characters where QString counts UTF-16 units.
    struct Mark
    {
        const char *select;
        const char *update;
    };
    const Mark marks[] = {
        {"SELECT rowid, path FROM filefaults", "UPDATE OR IGNORE filefaults SET path=? WHERE rowid=?"},
        {"SELECT rowid, path FROM fileattrs", "UPDATE OR IGNORE fileattrs SET path=? WHERE rowid=?"},
        {"SELECT rowid, path FROM volumeextents", "UPDATE OR IGNORE volumeextents SET path=? WHERE rowid=?"}};
    for (const Mark &mark : marks) {
        QList<QPair<qint64, QString>> moved;
        {
            Query q(mark.select);
            while (q.next()) {
                bool inMoved = false;
                const QString now = hostPathNow(root, q.text(1), &inMoved);
                if (inMoved)
                    moved.append({q.integer(0), now});
            }
        }
        for (const auto &[rowid, path] : std::as_const(moved))
            Query(mark.update).bind(1, path).bind(2, rowid).exec();
    }
    machine::setSetting(QStringLiteral("storedpaths.rewritten"), QString::number(QDateTime::currentMSecsSinceEpoch()));
}

} // namespace carryover

QString carriedOverText(const QString &text, const QDateTime &written)
{
    // Most texts name no host path: they need no machine to be read.
    if (!text.startsWith(QLatin1Char('/')) && !text.contains(QLatin1String("\"/")))
        return text;
    bool ok = false;
    const qint64 at = machine::setting(QStringLiteral("storedpaths.rewritten")).toLongLong(&ok);
    // What this version wrote after the carry-over already names Windows paths.
    if (!ok || !written.isValid() || written.toMSecsSinceEpoch() > at)
        return text;
    return carryover::windowsText(machine::folder(), text);
}
