// The machine's environment block, built as Windows builds a signed-in user's: the variables the system
// sets itself, the machine's Environment key, the session's Volatile Environment, the profile's folders and
// the user's Environment key (a user Path goes after the machine's). Nothing of the host's own environment
// is in it; the program's own settings are read from the host with Qt, not through it.
#include "win32.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"

#include <algorithm>
#include <optional>

namespace machine {

namespace {

const QString machineKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
const QString userKey = QStringLiteral("HKEY_CURRENT_USER\\Environment");
const QString sessionKey = QStringLiteral("HKEY_CURRENT_USER\\Volatile Environment");
const QString computerNameKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\"
                                               "ComputerName");

class Block
{
public:
    qsizetype indexOf(const QString &name) const
    {
        for (qsizetype i = 0; i < vars.size(); ++i)
            if (vars.at(i).first.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    QString value(const QString &name) const
    {
        const qsizetype i = indexOf(name);
        return i < 0 ? QString() : vars.at(i).second;
    }
    void set(const QString &name, const QString &value)
    {
        const qsizetype i = indexOf(name);
        if (i < 0)
            vars.append({name, value});
        else
            vars[i] = {name, value};
    }
    QList<QPair<QString, QString>> vars;
};

// Windows holds no variable longer than this, in characters.
constexpr qsizetype maxVariableLength = 32767;

// %NAME% replaced by the block's value, once: what a value brings in is not expanded again. A name the
// block lacks, a lone '%' and "%%" stay as they are. Nothing when the result would pass limit.
std::optional<QString> expand(const QString &text, const Block &block, qsizetype limit = -1)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (limit >= 0 && out.size() > limit)
            return std::nullopt;
        if (text.at(i) == QLatin1Char('%')) {
            const qsizetype end = text.indexOf(QLatin1Char('%'), i + 1);
            if (end > i + 1) {
                const qsizetype at = block.indexOf(text.mid(i + 1, end - i - 1));
                if (at >= 0) {
                    if (limit >= 0 && out.size() + block.vars.at(at).second.size() > limit)
                        return std::nullopt;
                    out += block.vars.at(at).second;
                    i = end + 1;
                    continue;
                }
            }
        }
        out += text.at(i);
        ++i;
    }
    if (limit >= 0 && out.size() > limit)
        return std::nullopt;
    return out;
}

// A folder's parent and a child of a folder, as Windows names them.
QString parentOf(const QString &folder)
{
    const qsizetype cut = folder.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? folder : folder.left(cut);
}

QString child(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}

// The values of one Environment key: the plain texts first, then the expandable ones expanded with what is
// set so far, as Windows reads them. Path and LibPath of the user go after the machine's. A name holding
// "=" names no variable (the block's entries end their names there), and no variable passes Windows' size:
// a value that would expand past it stays unexpanded, as Windows leaves an over-long Path, and one that is
// too long as it stands is left out.
void addKey(Block &block, const QList<registrystore::ValueEntry> &values, bool user)
{
    for (DWORD type : {DWORD(REG_SZ), DWORD(REG_EXPAND_SZ)}) {
        for (const registrystore::ValueEntry &v : values) {
            if (v.type != type || v.name.isEmpty() || v.name.contains(QLatin1Char('=')))
                continue;
            QString text = registrystore::dataString(v.data);
            if (type == REG_EXPAND_SZ)
                text = expand(text, block, maxVariableLength).value_or(text);
            if (text.size() > maxVariableLength)
                continue;
            const bool joined = user && (v.name.compare(QLatin1String("Path"), Qt::CaseInsensitive) == 0 ||
                                         v.name.compare(QLatin1String("LibPath"), Qt::CaseInsensitive) == 0);
            const qsizetype at = block.indexOf(v.name);
            if (joined && at >= 0 && !block.vars.at(at).second.isEmpty()) {
                QString before = block.vars.at(at).second;
                if (!before.endsWith(QLatin1Char(';')))
                    before += QLatin1Char(';');
                if (before.size() + text.size() <= maxVariableLength)
                    block.vars[at].second = before + text; // the machine's name spelling stays
            } else {
                block.set(v.name, text);
            }
        }
    }
}

QString computerName()
{
    DWORD type = 0;
    QByteArray data;
    const qint64 node = registrystore::findKey(computerNameKey);
    if (node && registrystore::readValue(node, QStringLiteral("ComputerName"), &type, &data) && type == REG_SZ) {
        const QString name = registrystore::dataString(data);
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("DESKTOP-HUSHDECK");
}

// A folder of the machine's drive C: as Windows names it (the folder functions give host paths).
QString onC(const QString &hostFolder)
{
    const QString drive = systemDrive();
    return QStringLiteral("C:") + QString(hostFolder.mid(drive.size())).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

// The values of a key as stored, or none.
QList<registrystore::ValueEntry> keyValues(const QString &key)
{
    const qint64 node = registrystore::findKey(key);
    return node ? registrystore::values(node) : QList<registrystore::ValueEntry>();
}

void addSignature(QByteArray &signature, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    signature += QByteArray::number(bytes.size()) + ':' + bytes;
}

// What the block is built from: the three Environment keys, the computer's name and the machine's folders.
// Reading them costs a few rows; building the block may cost far more, so it is built once per change.
struct Inputs
{
    QList<registrystore::ValueEntry> machineValues, sessionValues, userValues;
    QByteArray signature;
};

Inputs readInputs()
{
    Inputs in;
    in.machineValues = keyValues(machineKey);
    in.sessionValues = keyValues(sessionKey);
    in.userValues = keyValues(userKey);
    for (const QString &folder :
         {windowsFolder(), programDataFolder(), userProfile(), roamingAppData(), localAppData(), systemDrive()})
        addSignature(in.signature, folder);
    addSignature(in.signature, computerName());
    for (const auto *values : {&in.machineValues, &in.sessionValues, &in.userValues}) {
        in.signature += '|';
        for (const registrystore::ValueEntry &v : *values) {
            addSignature(in.signature, v.name);
            in.signature += QByteArray::number(v.type) + ':' + QByteArray::number(v.data.size()) + ':' + v.data;
        }
    }
    return in;
}

QList<QPair<QString, QString>> build(const Inputs &in)
{
    Block block;
    // What the system sets before it reads any key.
    const QString windows = onC(windowsFolder());
    const QString programFiles = child(parentOf(windows), QStringLiteral("Program Files"));
    const QString programFilesX86 = child(parentOf(windows), QStringLiteral("Program Files (x86)"));
    block.set(QStringLiteral("SystemDrive"), QStringLiteral("C:"));
    block.set(QStringLiteral("SystemRoot"), windows);
    block.set(QStringLiteral("ALLUSERSPROFILE"), onC(programDataFolder()));
    block.set(QStringLiteral("ProgramData"), onC(programDataFolder()));
    block.set(QStringLiteral("ProgramFiles"), programFiles);
    block.set(QStringLiteral("ProgramFiles(x86)"), programFilesX86);
    block.set(QStringLiteral("ProgramW6432"), programFiles);
    block.set(QStringLiteral("CommonProgramFiles"), child(programFiles, QStringLiteral("Common Files")));
    block.set(QStringLiteral("CommonProgramFiles(x86)"), child(programFilesX86, QStringLiteral("Common Files")));
    block.set(QStringLiteral("CommonProgramW6432"), child(programFiles, QStringLiteral("Common Files")));
    block.set(QStringLiteral("PUBLIC"), child(parentOf(onC(userProfile())), QStringLiteral("Public")));
    block.set(QStringLiteral("COMPUTERNAME"), computerName());
    addKey(block, in.machineValues, false);
    addKey(block, in.sessionValues, false);
    // The signed-in user and the profile's folders, where the machine keeps them.
    const QString profile = onC(userProfile());
    block.set(QStringLiteral("USERNAME"), userName());
    if (block.indexOf(QStringLiteral("USERDOMAIN")) < 0)
        block.set(QStringLiteral("USERDOMAIN"), block.value(QStringLiteral("COMPUTERNAME")));
    block.set(QStringLiteral("USERPROFILE"), profile);
    block.set(QStringLiteral("HOMEDRIVE"), QStringLiteral("C:"));
    block.set(QStringLiteral("HOMEPATH"),
              profile.size() > 1 && profile.at(1) == QLatin1Char(':') ? profile.mid(2) : profile);
    block.set(QStringLiteral("APPDATA"), onC(roamingAppData()));
    block.set(QStringLiteral("LOCALAPPDATA"), onC(localAppData()));
    addKey(block, in.userValues, true);
    // Windows keeps a block sorted by name, without regard to case.
    std::stable_sort(block.vars.begin(), block.vars.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
    return block.vars;
}

} // namespace

QList<QPair<QString, QString>> environment()
{
    Lock lock;
    static QByteArray builtFrom;
    static QList<QPair<QString, QString>> built;
    static bool known = false;
    const Inputs in = readInputs();
    if (!known || in.signature != builtFrom) {
        built = build(in);
        builtFrom = in.signature;
        known = true;
    }
    return built;
}

QString environmentVariable(const QString &name)
{
    const QList<QPair<QString, QString>> vars = environment();
    for (const auto &v : vars)
        if (v.first.compare(name, Qt::CaseInsensitive) == 0)
            return v.second;
    return QString();
}

std::optional<QString> expandEnvironment(const QString &text)
{
    // The source is held to the same size as the answer, and the answer is built no further than the limit,
    // so a text of many references to a long variable costs no more than the largest answer.
    const qsizetype limit = maxExpandedLength - 1; // room for the terminator
    if (text.size() > limit)
        return std::nullopt;
    if (!text.contains(QLatin1Char('%')))
        return text;
    Block block;
    block.vars = environment();
    return expand(text, block, limit);
}

} // namespace machine
