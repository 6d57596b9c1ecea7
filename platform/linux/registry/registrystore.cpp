#include "linux/registry/registrystore.h"

#include "linux/machine/machine.h"
#include "linux/registry/w32registry.h"

#include <QDebug>
#include <QFile>
#include <sqlite3.h>

namespace registrystore {

using machine::Query;

namespace {

QString keyUpper(const QString &name)
{
    return name.toUpper();
}

} // namespace

void createRoots()
{
    machine::Lock lock;
    for (const char *root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"})
        ensureChild(0, QString::fromLatin1(root));
    const qint64 hklm = rootNode(QStringLiteral("HKEY_LOCAL_MACHINE"));
    const qint64 hkcu = rootNode(QStringLiteral("HKEY_CURRENT_USER"));
    ensurePath(hklm, QStringLiteral("SOFTWARE\\Classes"));
    ensurePath(hklm, QStringLiteral("SOFTWARE\\WOW6432Node"));
    ensurePath(hklm, QStringLiteral("SYSTEM"));
    ensurePath(hkcu, QStringLiteral("Software\\Classes"));
}

namespace {
QHash<QString, qint64> &rootCache()
{
    static QHash<QString, qint64> cache;
    return cache;
}
} // namespace

qint64 rootNode(const QString &name)
{
    // Callers hold the machine lock; the cache is dropped with the open handles when a machine closes.
    QHash<QString, qint64> &cache = rootCache();
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    const qint64 id = childNode(0, name);
    if (id)
        cache.insert(name, id);
    return id;
}

void forgetRoots()
{
    rootCache().clear();
}

QString childUpperPath(const QString &parentUpath, const QString &childName)
{
    QString upper = childName.toUpper();
    if (upper == QLatin1String("CURRENTCONTROLSET") && parentUpath == QLatin1String("HKEY_LOCAL_MACHINE\\SYSTEM"))
        upper = QStringLiteral("CONTROLSET001");
    return parentUpath.isEmpty() ? upper : parentUpath + QLatin1Char('\\') + upper;
}

qint64 nodeByUpperPath(const QString &upath, int *deny)
{
    Query q("SELECT id, deny FROM regkeys WHERE upath=?");
    q.bind(1, upath);
    if (!q.next())
        return 0;
    if (deny)
        *deny = int(q.integer(1));
    return q.integer(0);
}

QString nodeUpperPath(qint64 node)
{
    Query q("SELECT upath FROM regkeys WHERE id=?");
    q.bind(1, node);
    return q.next() ? q.text(0) : QString();
}

void importSeed()
{
    QFile f(QStringLiteral(":/platform/machine-seed.reg"));
    if (!f.open(QIODevice::ReadOnly)) {
        qWarning() << "machine: no registry seed in the program's resources";
        return;
    }
    const QByteArray bytes = f.readAll();
    QString text;
    if (bytes.startsWith("\xff\xfe"))
        text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    else
        text = QString::fromUtf8(bytes);
    QString error;
    if (!importRegText(text, &error))
        qWarning() << "machine: registry seed:" << error;
}

// HKLM\SYSTEM\CurrentControlSet is a link to the control set in use, ControlSet001.
static QString resolveLink(qint64 parent, const QString &name)
{
    if (name.compare(QLatin1String("CurrentControlSet"), Qt::CaseInsensitive) != 0)
        return name;
    Query q("SELECT k.uname, p.parent, p.uname FROM regkeys k JOIN regkeys p ON p.id = k.parent WHERE k.id=?");
    q.bind(1, parent);
    if (q.next() && q.text(0) == QLatin1String("SYSTEM") && q.text(2) == QLatin1String("HKEY_LOCAL_MACHINE") &&
        q.integer(1) == 0)
        return QStringLiteral("ControlSet001");
    return name;
}

qint64 childNode(qint64 parent, const QString &childName)
{
    const QString name = resolveLink(parent, childName);
    Query q("SELECT id FROM regkeys WHERE parent=? AND uname=?");
    q.bind(1, parent).bind(2, keyUpper(name));
    return q.next() ? q.integer(0) : 0;
}

qint64 ensureChild(qint64 parent, const QString &childName)
{
    if (qint64 id = childNode(parent, childName))
        return id;
    const QString name = resolveLink(parent, childName);
    const QString upath = childUpperPath(parent ? nodeUpperPath(parent) : QString(), name);
    {
        Query q("INSERT OR IGNORE INTO regkeys(parent, name, uname, upath) VALUES(?, ?, ?, ?)");
        q.bind(1, parent).bind(2, name).bind(3, keyUpper(name)).bind(4, upath).exec();
    }
    return childNode(parent, name);
}

static QStringList pathParts(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts;
}

qint64 findPath(qint64 from, const QString &path)
{
    qint64 node = from;
    for (const QString &part : pathParts(path)) {
        node = childNode(node, part);
        if (!node)
            return 0;
    }
    return node;
}

qint64 ensurePath(qint64 from, const QString &path)
{
    qint64 node = from;
    for (const QString &part : pathParts(path)) {
        node = ensureChild(node, part);
        if (!node)
            return 0;
    }
    return node;
}

bool nodeExists(qint64 node)
{
    Query q("SELECT 1 FROM regkeys WHERE id=?");
    q.bind(1, node);
    return q.next();
}

int nodeDeny(qint64 node)
{
    Query q("SELECT deny FROM regkeys WHERE id=?");
    q.bind(1, node);
    return q.next() ? int(q.integer(0)) : 0;
}

void setNodeDeny(qint64 node, int deny)
{
    Query q("UPDATE regkeys SET deny=? WHERE id=?");
    q.bind(1, deny).bind(2, node).exec();
}

QString nodeName(qint64 node)
{
    Query q("SELECT name FROM regkeys WHERE id=?");
    q.bind(1, node);
    return q.next() ? q.text(0) : QString();
}

QStringList childNames(qint64 node)
{
    QStringList out;
    Query q("SELECT name FROM regkeys WHERE parent=? ORDER BY uname");
    q.bind(1, node);
    while (q.next())
        out << q.text(0);
    return out;
}

bool hasChildren(qint64 node)
{
    Query q("SELECT 1 FROM regkeys WHERE parent=? LIMIT 1");
    q.bind(1, node);
    return q.next();
}

void deleteTree(qint64 node)
{
    // Breadth first, without recursion: a key may be nested far deeper than the stack would follow.
    QList<qint64> nodes{node};
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        Query q("SELECT id FROM regkeys WHERE parent=?");
        q.bind(1, nodes.at(i));
        while (q.next())
            nodes << q.integer(0);
    }
    // Children before their parents.
    for (qsizetype i = nodes.size() - 1; i >= 0; --i) {
        {
            Query q("DELETE FROM regvalues WHERE key=?");
            q.bind(1, nodes.at(i)).exec();
        }
        Query q("DELETE FROM regkeys WHERE id=?");
        q.bind(1, nodes.at(i)).exec();
    }
}

bool readValue(qint64 node, const QString &name, DWORD *type, QByteArray *data)
{
    Query q("SELECT type, data FROM regvalues WHERE key=? AND uname=?");
    q.bind(1, node).bind(2, keyUpper(name));
    if (!q.next())
        return false;
    if (type)
        *type = DWORD(q.integer(0));
    if (data)
        *data = q.blob(1);
    return true;
}

void writeValue(qint64 node, const QString &name, DWORD type, const QByteArray &data)
{
    // An existing value keeps its place in the enumeration order and its first spelling, as on Windows.
    Query q("INSERT INTO regvalues(key, name, uname, type, data) VALUES(?, ?, ?, ?, ?) "
            "ON CONFLICT(key, uname) DO UPDATE SET type=excluded.type, data=excluded.data");
    q.bind(1, node).bind(2, name).bind(3, keyUpper(name)).bind(4, qint64(type)).bind(5, data).exec();
}

bool deleteValue(qint64 node, const QString &name)
{
    Query q("DELETE FROM regvalues WHERE key=? AND uname=?");
    q.bind(1, node).bind(2, keyUpper(name)).exec();
    return q.changes() > 0;
}

QList<ValueEntry> values(qint64 node)
{
    QList<ValueEntry> out;
    Query q("SELECT name, type, data FROM regvalues WHERE key=? ORDER BY id");
    q.bind(1, node);
    while (q.next())
        out.append(ValueEntry{q.text(0), DWORD(q.integer(1)), q.blob(2)});
    return out;
}

// The top-level key a full path starts from (its long name), and the rest of the path below it;
// HKEY_CLASSES_ROOT is the machine's SOFTWARE\\Classes. Empty when the path starts from no known root.
static QString splitFullPath(const QString &fullPath, QString *rest)
{
    const qsizetype slash = fullPath.indexOf(QLatin1Char('\\'));
    const QString head = (slash < 0 ? fullPath : fullPath.left(slash)).toUpper();
    *rest = slash < 0 ? QString() : fullPath.mid(slash + 1);
    if (head == QLatin1String("HKEY_LOCAL_MACHINE") || head == QLatin1String("HKLM"))
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    if (head == QLatin1String("HKEY_CURRENT_USER") || head == QLatin1String("HKCU"))
        return QStringLiteral("HKEY_CURRENT_USER");
    if (head == QLatin1String("HKEY_USERS") || head == QLatin1String("HKU"))
        return QStringLiteral("HKEY_USERS");
    if (head == QLatin1String("HKEY_CLASSES_ROOT") || head == QLatin1String("HKCR")) {
        *rest = QStringLiteral("SOFTWARE\\Classes") + (rest->isEmpty() ? QString() : QStringLiteral("\\") + *rest);
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    }
    return QString();
}

static qint64 rootOfFullPath(const QString &fullPath, QString *rest)
{
    const QString root = splitFullPath(fullPath, rest);
    return root.isEmpty() ? 0 : rootNode(root);
}

qint64 findKey(const QString &fullPath)
{
    QString rest;
    const qint64 root = rootOfFullPath(fullPath, &rest);
    return root ? findPath(root, rest) : 0;
}

qint64 ensureKey(const QString &fullPath)
{
    QString rest;
    const qint64 root = rootOfFullPath(fullPath, &rest);
    return root ? ensurePath(root, rest) : 0;
}

bool storeParameter(const QString &fullKey, const QString &valueName, const QString &text, const QString &sessionName,
                    const QString &sessionText, bool inProfile)
{
    machine::Transaction tx;
    if (inProfile) {
        if (const qint64 node = ensureKey(fullKey))
            writeValue(node, valueName, REG_SZ, stringData(text));
        machine::setSetting(sessionName, QString());
    } else {
        machine::setSetting(sessionName, sessionText);
    }
    return tx.commit();
}

QByteArray stringData(const QString &text)
{
    QByteArray out(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    out.append('\0').append('\0');
    return out;
}

QString dataString(const QByteArray &data)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(data.constData());
    const qsizetype units = data.size() / 2;
    qsizetype n = 0;
    while (n < units && p[n])
        ++n;
    return QString::fromUtf16(p, n);
}

// ---- registry-file import ----

namespace {

QByteArray parseHexBytes(const QString &list, bool *ok)
{
    QByteArray out;
    *ok = true;
    for (const QString &item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool good = false;
        const uint b = item.trimmed().toUInt(&good, 16);
        if (!good || b > 0xff) {
            *ok = false;
            return out;
        }
        out.append(char(b));
    }
    return out;
}

// A quoted string starting at text[pos] == '"'; returns the unescaped text and moves pos past the quote.
bool parseQuoted(const QString &text, qsizetype &pos, QString *out)
{
    out->clear();
    ++pos;
    while (pos < text.size()) {
        const QChar c = text.at(pos);
        if (c == QLatin1Char('\\') && pos + 1 < text.size()) {
            out->append(text.at(pos + 1));
            pos += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        out->append(c);
        ++pos;
    }
    return false;
}

} // namespace

namespace {

// One step of a registry file, read before anything is applied.
struct RegStep
{
    enum Kind { DeleteKey, OpenKey, SetValue, DeleteValue } kind;
    QString text; // the key's path, or the value's name
    DWORD type = 0;
    QByteArray data;
};

bool knownRoot(const QString &path)
{
    QString rest;
    return !splitFullPath(path, &rest).isEmpty();
}

// Windows nests keys at most this deep.
const int deepestKey = 512;

// The number of keys below the root that the path names (HKEY_CLASSES_ROOT counts as the key it stands for).
qsizetype keyDepth(const QString &path)
{
    QString rest;
    splitFullPath(path, &rest);
    return pathParts(rest).size();
}

// A root itself, as the file names it: nothing after the root's name.
bool namesRoot(const QString &path)
{
    const qsizetype slash = path.indexOf(QLatin1Char('\\'));
    return slash < 0 || pathParts(path.mid(slash + 1)).isEmpty();
}

// Reads registry-file text into steps; false with the line and the reason on a line it cannot read.
bool parseRegText(const QString &input, QList<RegStep> *steps, QString *error)
{
    QString text = input;
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    const QStringList rawLines = text.split(QLatin1Char('\n'));

    // Join continuation lines (a trailing backslash inside hex lists), remembering where each began.
    QList<QPair<int, QString>> lines;
    QString pending;
    int pendingLine = 0;
    bool continued = false;
    for (int i = 0; i < rawLines.size(); ++i) {
        QString line = rawLines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!continued)
            pendingLine = i + 1;
        else if ((line = line.trimmed()).isEmpty())
            break; // a value's continuation never is an empty line: the value was cut there
        continued = line.endsWith(QLatin1Char('\\')) && !line.startsWith(QLatin1Char('['));
        if (continued) {
            pending += line.left(line.size() - 1);
            continue;
        }
        pending += line;
        lines.append({pendingLine, pending});
        pending.clear();
    }

    auto fail = [&](int lineNo, const QString &why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return false;
    };
    // The file ends inside a value: its last line was cut off.
    if (continued)
        return fail(pendingLine, QStringLiteral("the value goes on past the end of the file"));

    bool inKey = false;
    bool header = false;
    for (const auto &entry : std::as_const(lines)) {
        const int lineNo = entry.first;
        const QString line = entry.second.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (!header) {
            if (line != QLatin1String("Windows Registry Editor Version 5.00") && line != QLatin1String("REGEDIT4"))
                return fail(lineNo, QStringLiteral("not a registry file"));
            header = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(lineNo, QStringLiteral("unterminated key"));
            const QString path = line.mid(1, line.size() - 2);
            const bool deletion = path.startsWith(QLatin1Char('-'));
            const QString keyPath = deletion ? path.mid(1) : path;
            if (!knownRoot(keyPath))
                return fail(lineNo, QStringLiteral("unknown root key"));
            if (deletion && namesRoot(keyPath))
                return fail(lineNo, QStringLiteral("a root key cannot be deleted"));
            if (keyDepth(keyPath) > deepestKey)
                return fail(lineNo, QStringLiteral("key nested deeper than %1 levels").arg(deepestKey));
            steps->append({deletion ? RegStep::DeleteKey : RegStep::OpenKey, deletion ? path.mid(1) : path, 0, {}});
            inKey = !deletion;
            continue;
        }
        if (!inKey)
            return fail(lineNo, QStringLiteral("value outside a key"));

        QString name;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            if (!parseQuoted(line, pos, &name))
                return fail(lineNo, QStringLiteral("unterminated value name"));
        } else {
            return fail(lineNo, QStringLiteral("unreadable line"));
        }
        while (pos < line.size() && line.at(pos).isSpace())
            ++pos;
        if (pos >= line.size() || line.at(pos) != QLatin1Char('='))
            return fail(lineNo, QStringLiteral("missing '='"));
        ++pos;
        while (pos < line.size() && line.at(pos).isSpace())
            ++pos;
        const QString data = line.mid(pos);

        if (data == QLatin1String("-")) {
            steps->append({RegStep::DeleteValue, name, 0, {}});
        } else if (data.startsWith(QLatin1Char('"'))) {
            QString value;
            qsizetype p = 0;
            if (!parseQuoted(data, p, &value))
                return fail(lineNo, QStringLiteral("unterminated string"));
            steps->append({RegStep::SetValue, name, REG_SZ, stringData(value)});
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const uint v = data.mid(6).trimmed().toUInt(&ok, 16);
            if (!ok)
                return fail(lineNo, QStringLiteral("bad dword"));
            QByteArray bytes(4, '\0');
            for (int i = 0; i < 4; ++i)
                bytes[i] = char((v >> (8 * i)) & 0xff);
            steps->append({RegStep::SetValue, name, REG_DWORD, bytes});
        } else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            DWORD type = REG_BINARY;
            qsizetype colon = data.indexOf(QLatin1Char(':'));
            if (colon < 0)
                return fail(lineNo, QStringLiteral("bad hex value"));
            const QString head = data.left(colon);
            if (head.size() > 3) {
                if (!head.startsWith(QLatin1String("hex("), Qt::CaseInsensitive) || !head.endsWith(QLatin1Char(')')))
                    return fail(lineNo, QStringLiteral("bad hex type"));
                bool ok = false;
                type = DWORD(head.mid(4, head.size() - 5).toUInt(&ok, 16));
                if (!ok)
                    return fail(lineNo, QStringLiteral("bad hex type"));
            }
            bool ok = false;
            const QByteArray bytes = parseHexBytes(data.mid(colon + 1), &ok);
            if (!ok)
                return fail(lineNo, QStringLiteral("bad hex byte"));
            steps->append({RegStep::SetValue, name, type, bytes});
        } else {
            return fail(lineNo, QStringLiteral("unknown value type"));
        }
    }
    return true;
}

} // namespace

bool importRegText(const QString &input, QString *error)
{
    // The whole file is read first, and applied in one transaction: a file that cannot be read, or a store
    // that fails half-way, leaves the registry as it was.
    QList<RegStep> steps;
    if (!parseRegText(input, &steps, error))
        return false;
    machine::Transaction tx;
    qint64 key = 0;
    for (const RegStep &step : std::as_const(steps)) {
        if (tx.failed())
            break;
        switch (step.kind) {
        case RegStep::DeleteKey:
            if (const qint64 node = findKey(step.text))
                deleteTree(node);
            key = 0;
            break;
        case RegStep::OpenKey:
            key = ensureKey(step.text);
            // The roots are there in every sound store: without one, the store is damaged.
            if (!key && !tx.failed())
                machine::noteFailure(SQLITE_CORRUPT);
            break;
        case RegStep::SetValue:
            if (key)
                writeValue(key, step.text, step.type, step.data);
            break;
        case RegStep::DeleteValue:
            if (key)
                deleteValue(key, step.text);
            break;
        }
    }
    if (!tx.commit()) {
        if (error)
            *error = QStringLiteral("the registry store failed (error %1)").arg(machine::windowsError(tx.failure()));
        return false;
    }
    return true;
}

} // namespace registrystore
