#include "linux/files/drivemap.h"

#include "linux/files/hostnames.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStorageInfo>
#include <QStringList>

#include <sys/stat.h>

namespace drivemap {

namespace {

struct HostFs
{
    QString root;
    QString type;
    QString device;
};

// A field of the mount table as its bytes: the kernel writes a blank, tab, line break and backslash of a
// name as a backslash and three octal digits. False for a field that holds any other backslash.
bool unescape(const QByteArray &field, QByteArray *out)
{
    out->clear();
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) != '\\') {
            out->append(field.at(i));
            continue;
        }
        if (i + 3 >= field.size())
            return false;
        int value = 0;
        for (int d = 1; d <= 3; ++d) {
            const char c = field.at(i + d);
            if (c < '0' || c > '7')
                return false;
            value = value * 8 + (c - '0');
        }
        if (value == 0 || value > 0xff)
            return false; // no host name holds a NUL
        out->append(char(value));
        i += 3;
    }
    return true;
}

// Real file systems of the host in mount order, the root file system first.
QList<HostFs> hostFileSystems()
{
    static const QStringList virtualTypes = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),          QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),      QStringLiteral("tmpfs"),          QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("securityfs"),     QStringLiteral("pstore"),
        QStringLiteral("debugfs"),     QStringLiteral("tracefs"),        QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),   QStringLiteral("fusectl"),        QStringLiteral("configfs"),
        QStringLiteral("bpf"),         QStringLiteral("autofs"),         QStringLiteral("binfmt_misc"),
        QStringLiteral("overlay"),     QStringLiteral("squashfs"),       QStringLiteral("nsfs"),
        QStringLiteral("rpc_pipefs"),  QStringLiteral("efivarfs"),       QStringLiteral("ramfs"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.gvfsd-fuse")};
    QList<HostFs> out;
    QByteArray mounts;
    if (regularfile::read(machine::setting(QStringLiteral("drives.mounts"), QStringLiteral("/proc/self/mounts")),
                          16 * 1024 * 1024, &mounts) != regularfile::Outcome::Read)
        return out;
    QStringList seen;
    for (const QByteArray &line : mounts.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3)
            continue;
        QByteArray point;
        if (!unescape(f.at(1), &point) || !point.startsWith('/'))
            continue; // a mount whose point cannot be named gets no letter
        const QString root = hostnames::decode(point);
        const QString type = QString::fromUtf8(f.at(2));
        if (virtualTypes.contains(type) || seen.contains(root))
            continue;
        // Bind mounts of single files (container set-ups) are no drives.
        struct stat st;
        if (::stat(point.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        seen << root;
        QByteArray device;
        out.append(HostFs{root, type, unescape(f.at(0), &device) ? hostnames::decode(device) : QString()});
    }
    // The root file system comes first even where it is not mounted first: it is Z:, the others D:, E:, ...
    for (int i = 0; i < out.size(); ++i) {
        if (out.at(i).root == QLatin1String("/")) {
            out.move(i, 0);
            break;
        }
    }
    if (out.isEmpty() || out.first().root != QLatin1String("/"))
        out.prepend(HostFs{QStringLiteral("/"), QStringLiteral("ext4"), QString()});
    return out;
}

QString windowsFsName(const QString &hostType)
{
    if (hostType == QLatin1String("vfat"))
        return QStringLiteral("FAT32");
    if (hostType == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (hostType == QLatin1String("iso9660") || hostType == QLatin1String("udf"))
        return QStringLiteral("CDFS");
    // Everything else reads and writes like the system's own volume.
    return QStringLiteral("NTFS");
}

quint32 defaultFlags(const QString &fs)
{
    if (fs == QLatin1String("NTFS"))
        return 0x03e700ff; // case-preserved, Unicode, ACLs, compression, quotas, sparse, reparse, streams, ...
    if (fs == QLatin1String("CDFS"))
        return 0x00080005;
    return 0x00000006; // FAT: case preserved, Unicode on disk
}

quint32 serialFor(const QString &root)
{
    return qHash(root, 0x5eed) & 0xffffffffu;
}

} // namespace

namespace {

bool computeDrive(QChar letter, Drive *out);

struct Cache
{
    QMutex mutex;
    qint64 generation = -1;
    QString folder;
    bool present[26] = {};
    Drive drives[26];
};

Cache &cache()
{
    static Cache c;
    return c;
}

} // namespace

bool drive(QChar letter, Drive *out)
{
    letter = letter.toUpper();
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
        return false;
    // The map is read once per change of the machine's settings: file code asks for it per folder.
    const qint64 generation = machine::generation();
    const QString folder = machine::folder();
    Cache &c = cache();
    QMutexLocker g(&c.mutex);
    if (c.generation != generation || c.folder != folder) {
        for (int i = 0; i < 26; ++i)
            c.present[i] = computeDrive(QLatin1Char(char('A' + i)), &c.drives[i]);
        c.generation = generation;
        c.folder = folder;
    }
    const int i = letter.unicode() - 'A';
    if (c.present[i] && out)
        *out = c.drives[i];
    return c.present[i];
}

namespace {

bool computeDrive(QChar letter, Drive *out)
{
    const QString key = QStringLiteral("drive.") + letter;
    const QString overridden = machine::setting(key, QStringLiteral("\x01"));
    Drive d;
    d.letter = letter;
    QString hostType;
    if (overridden != QLatin1String("\x01")) {
        if (overridden.isEmpty())
            return false;
        d.hostRoot = overridden;
        d.type = QStringLiteral("fixed");
    } else {
        if (machine::setting(QStringLiteral("drives.host"), QStringLiteral("1")) == QLatin1String("0"))
            return false;
        const QList<HostFs> fs = hostFileSystems();
        int index = -1;
        if (letter == QLatin1Char('C')) {
            d.hostRoot = machine::systemDrive();
        } else {
            // Z: is the host's root; D:, E:, ... its other file systems (fewer than the letters between).
            index = letter == QLatin1Char('Z') ? 0 : letter.unicode() - 'D' + 1;
            if (letter.unicode() < 'D' || index >= fs.size() || (index > 0 && letter.unicode() >= 'Z'))
                return false;
            d.hostRoot = fs.at(index).root;
            hostType = fs.at(index).type;
        }
        d.type = (hostType.startsWith(QLatin1String("nfs")) || hostType == QLatin1String("cifs") ||
                  hostType == QLatin1String("smb3") || hostType.startsWith(QLatin1String("fuse.sshfs")))
                     ? QStringLiteral("network")
                 : (hostType == QLatin1String("iso9660") || hostType == QLatin1String("udf")) ? QStringLiteral("cdrom")
                                                                                              : QStringLiteral("fixed");
    }
    d.type = machine::setting(key + QStringLiteral(".type"), d.type);
    d.fileSystem = machine::setting(key + QStringLiteral(".fs"), windowsFsName(hostType));
    d.label = machine::setting(key + QStringLiteral(".label"),
                               letter == QLatin1Char('C') ? QStringLiteral("Windows") : QString(QLatin1String("")));
    bool ok = false;
    const quint32 serial = machine::setting(key + QStringLiteral(".serial")).toUInt(&ok, 16);
    d.serial = ok ? serial : serialFor(d.hostRoot);
    const quint32 flags = machine::setting(key + QStringLiteral(".flags")).toUInt(&ok, 16);
    d.flags = ok ? flags : defaultFlags(d.fileSystem);
    const qint64 total = machine::setting(key + QStringLiteral(".total")).toLongLong(&ok);
    d.totalBytes = ok ? total : -1;
    const qint64 freeBytes = machine::setting(key + QStringLiteral(".free")).toLongLong(&ok);
    d.freeBytes = ok ? freeBytes : -1;
    if (out)
        *out = d;
    return true;
}

} // namespace

namespace {

// A clean host folder holds a clean host path (itself included).
bool holds(const QString &root, const QString &path)
{
    return root == QLatin1String("/") ? path.startsWith(QLatin1Char('/'))
                                      : (path == root || path.startsWith(root + QLatin1Char('/')));
}

} // namespace

QChar letterOfHostPath(const QString &hostPath, QString *rest)
{
    const QString path = QDir::cleanPath(hostPath);
    QChar best;
    int bestLength = -1;
    for (char c = 'A'; c <= 'Z'; ++c) {
        Drive d;
        if (!drive(QLatin1Char(c), &d))
            continue;
        const QString root = QDir::cleanPath(d.hostRoot);
        if (holds(root, path) && root.size() > bestLength) {
            best = QLatin1Char(c);
            bestLength = int(root.size());
            if (rest)
                *rest = root == QLatin1String("/") ? path.mid(1) : path.mid(root.size() + 1);
        }
    }
    return best;
}

namespace {

// Volume roots in device order, read once per change of the machine's settings.
QStringList volumeRoots()
{
    struct VolumeCache
    {
        QMutex mutex;
        qint64 generation = -1;
        QString folder;
        QStringList roots;
    };
    static VolumeCache c;
    const qint64 generation = machine::generation();
    const QString folder = machine::folder();
    QMutexLocker g(&c.mutex);
    if (c.generation != generation || c.folder != folder) {
        c.roots.clear();
        for (const HostFs &fs : hostFileSystems())
            c.roots << QDir::cleanPath(fs.root);
        for (char l = 'A'; l <= 'Z'; ++l) {
            Drive d;
            if (drive(QLatin1Char(l), &d) && !c.roots.contains(QDir::cleanPath(d.hostRoot)))
                c.roots << QDir::cleanPath(d.hostRoot);
        }
        c.generation = generation;
        c.folder = folder;
    }
    return c.roots;
}

QString deviceName(int index)
{
    return QStringLiteral("\\Device\\HarddiskVolume") + QString::number(index + 1);
}

} // namespace

QString deviceOfLetter(QChar letter)
{
    Drive d;
    if (!drive(letter, &d))
        return QString();
    const int index = int(volumeRoots().indexOf(QDir::cleanPath(d.hostRoot)));
    return index < 0 ? QString() : deviceName(index);
}

QString deviceOfHostPath(const QString &hostPath, QString *rest)
{
    const QString path = QDir::cleanPath(hostPath);
    const QStringList roots = volumeRoots();
    int best = -1;
    for (int i = 0; i < roots.size(); ++i) {
        const QString &root = roots.at(i);
        if (holds(root, path) && (best < 0 || root.size() > roots.at(best).size()))
            best = i;
    }
    if (best < 0)
        return QString();
    if (rest) {
        const QString &root = roots.at(best);
        *rest = root == QLatin1String("/") ? path.mid(1) : path.mid(root.size() + 1);
    }
    return deviceName(best);
}

} // namespace drivemap
