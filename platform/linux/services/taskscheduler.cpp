// The Task Scheduler of the stand-in: each file below the machine's Windows\System32\Tasks is a registered
// task in the task XML that Windows stores there; each folder is a task folder.
#include "win32.h"
#include "linux/com/comobject.h"
#include "linux/files/hostnames.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"
#include "linux/services/taskfiles.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <atomic>
#include <cstdlib>
#include <cstring>

const CLSID CLSID_TaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
const IID IID_ITaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

BSTR SysAllocString(const OLECHAR *psz)
{
    if (!psz)
        return nullptr;
    size_t n = 0;
    while (psz[n])
        ++n;
    // The length prefix Windows keeps in front of the text.
    auto *block = static_cast<char *>(std::malloc(sizeof(DWORD) + (n + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    const DWORD bytes = DWORD(n * sizeof(OLECHAR));
    std::memcpy(block, &bytes, sizeof(bytes));
    auto *text = reinterpret_cast<OLECHAR *>(block + sizeof(DWORD));
    std::memcpy(text, psz, (n + 1) * sizeof(OLECHAR));
    return text;
}

void SysFreeString(BSTR bstrString)
{
    if (bstrString)
        std::free(reinterpret_cast<char *>(bstrString) - sizeof(DWORD));
}

void VariantInit(VARIANTARG *pvarg)
{
    if (pvarg)
        std::memset(pvarg, 0, sizeof(*pvarg));
}

namespace standin {
HRESULT createTaskService(REFIID riid, void **ppv);
}

namespace {

template <typename Interface> using Object = ComObject<Interface>;
using standin::toBstr;

// Task files are UTF-16 with a byte-order mark, as Windows writes them; UTF-8 ones are read too.
QString taskText(const QByteArray &bytes)
{
    auto encoding = QStringConverter::encodingForData(bytes);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

struct TaskFacts
{
    bool wellFormed = false;
    bool hidden = false;
    bool enabled = true;
};

std::atomic<quint64> parses{0};

// One linear pass over the markup: true when no element has more attributes, the elements are not more and
// not nested deeper than a task could have, and there is no document type (a task has none, and its
// declarations could add attributes and entities). What the pass does not judge, the parser does.
bool withinTaskBounds(const QString &xml)
{
    const qsizetype n = xml.size();
    int elements = 0, depth = 0;
    qsizetype i = 0;
    const auto skipPast = [&](const char *end) {
        const qsizetype at = xml.indexOf(QLatin1String(end), i);
        i = at < 0 ? n : at + qsizetype(std::strlen(end));
    };
    while (i < n) {
        i = xml.indexOf(QLatin1Char('<'), i);
        if (i < 0)
            break;
        const QStringView rest = QStringView(xml).mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            skipPast("-->");
        } else if (rest.startsWith(QLatin1String("<![CDATA["))) {
            skipPast("]]>");
        } else if (rest.startsWith(QLatin1String("<?"))) {
            skipPast("?>");
        } else if (rest.startsWith(QLatin1String("<!"))) {
            return false;
        } else if (rest.startsWith(QLatin1String("</"))) {
            --depth;
            skipPast(">");
        } else {
            if (++elements > taskfiles::mostElements)
                return false;
            int attributes = 0;
            QChar quote;
            ++i;
            while (i < n && (!quote.isNull() || xml.at(i) != QLatin1Char('>'))) {
                const QChar c = xml.at(i);
                if (!quote.isNull()) {
                    if (c == quote)
                        quote = QChar();
                } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                    quote = c;
                } else if (c == QLatin1Char('=') && ++attributes > taskfiles::mostAttributes) {
                    return false;
                }
                ++i;
            }
            if (i < n && xml.at(i - 1) != QLatin1Char('/') && ++depth > taskfiles::deepestNesting)
                return false;
            ++i;
        }
    }
    return true;
}

TaskFacts readFacts(const QString &xml)
{
    ++parses;
    TaskFacts facts;
    QXmlStreamReader reader(xml);
    QStringList path;
    bool sawRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            path << reader.name().toString();
            sawRoot = true;
            break;
        case QXmlStreamReader::EndElement:
            path.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (path.size() == 3 && path.at(1) == QLatin1String("Settings")) {
                const bool on = reader.text().trimmed() == QLatin1String("true");
                if (path.at(2) == QLatin1String("Hidden"))
                    facts.hidden = on;
                else if (path.at(2) == QLatin1String("Enabled"))
                    facts.enabled = on;
            }
            break;
        default:
            break;
        }
    }
    facts.wellFormed = sawRoot && !reader.hasError() && path.isEmpty();
    return facts;
}

class RegisteredTask final : public Object<IRegisteredTask>
{
public:
    RegisteredTask(const QString &name, const QString &xml, const TaskFacts &facts) : name(name), xml(xml), facts(facts)
    {
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *pName) override
    {
        if (!pName)
            return E_POINTER;
        *pName = toBstr(name);
        return *pName ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_State(TASK_STATE *pState) override
    {
        if (!pState)
            return E_POINTER;
        // A definition the scheduler cannot read has no state.
        if (!facts.wellFormed)
            return SCHED_E_MALFORMEDXML;
        *pState = facts.enabled ? TASK_STATE_READY : TASK_STATE_DISABLED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Xml(BSTR *pXml) override
    {
        if (!pXml)
            return E_POINTER;
        *pXml = toBstr(xml);
        return *pXml ? S_OK : E_OUTOFMEMORY;
    }

    static constexpr HRESULT SCHED_E_MALFORMEDXML = HRESULT(0x8004131AL);
    QString name;
    QString xml;
    TaskFacts facts;
};

class TaskCollection final : public Object<IRegisteredTaskCollection>
{
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG *pCount) override
    {
        if (!pCount)
            return E_POINTER;
        *pCount = LONG(tasks.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask **ppRegisteredTask) override
    {
        if (!ppRegisteredTask)
            return E_POINTER;
        *ppRegisteredTask = nullptr;
        if (index.vt != VT_I4)
            return E_INVALIDARG;
        // One-based, as the scheduler's collections are.
        if (index.lVal < 1 || index.lVal > LONG(tasks.size()))
            return E_INVALIDARG;
        const Task &t = tasks.at(index.lVal - 1);
        *ppRegisteredTask = new RegisteredTask(t.name, t.xml, t.facts);
        return S_OK;
    }
    struct Task
    {
        QString name;
        QString xml;
        TaskFacts facts; // read once, when the folder was listed
    };
    QList<Task> tasks;
};

class TaskFolder final : public Object<ITaskFolder>
{
public:
    explicit TaskFolder(const QString &hostFolder) : folder(hostFolder) {}
    HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection **ppTasks) override
    {
        if (!ppTasks)
            return E_POINTER;
        *ppTasks = nullptr;
        QDir dir(folder);
        if (!dir.exists())
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        auto *collection = new TaskCollection;
        const QStringList files = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
        for (const QString &file : files) {
            TaskCollection::Task task;
            if (!readTask(file, &task) || (!(flags & TASK_ENUM_HIDDEN) && task.facts.hidden))
                continue;
            collection->tasks.append(task);
        }
        *ppTasks = collection;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask **ppTask) override
    {
        if (!ppTask)
            return E_POINTER;
        *ppTask = nullptr;
        if (!path || !path[0])
            return E_INVALIDARG;
        if (!QDir(folder).exists())
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        // The task's path below this folder, each part in its host spelling.
        QStringList parts;
        for (const QString &part : fromWide(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts))
            parts.append(hostnames::toHost(part));
        TaskCollection::Task task;
        if (parts.isEmpty() || !readTask(parts.join(QLatin1Char('/')), &task))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *ppTask = new RegisteredTask(task.name, task.xml, task.facts);
        return S_OK;
    }
    // The task stored in the folder's file of that (host) name; false when there is none to read.
    bool readTask(const QString &file, TaskCollection::Task *task) const
    {
        // A file far larger than any task definition is no task of the scheduler's: it is not read. The
        // scheduler's own files are never links.
        QByteArray bytes;
        if (regularfile::read(QDir(folder).filePath(file), taskfiles::largestTask, &bytes,
                              regularfile::Links::Refuse) != regularfile::Outcome::Read)
            return false;
        task->name = hostnames::toWindows(QFileInfo(file).fileName());
        task->xml = taskText(bytes);
        // The program reads each definition it is given: one the scheduler would not hold is not given.
        if (!withinTaskBounds(task->xml))
            return false;
        task->facts = readFacts(task->xml);
        return true;
    }
    QString folder;
};

class TaskService final : public Object<ITaskService>
{
public:
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder **ppFolder) override
    {
        if (!ppFolder)
            return E_POINTER;
        *ppFolder = nullptr;
        if (!connected)
            return HRESULT_FROM_WIN32(ERROR_NOT_READY);
        QString rest = fromWide(path);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString folder = QDir::cleanPath(machine::windowsFolder() + QStringLiteral("/System32/Tasks/") + rest);
        // A folder path the task store does not have is a path not found, as the scheduler's service says.
        if (!QFileInfo(folder).isDir())
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        *ppFolder = new TaskFolder(folder);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Connect(VARIANT serverName, VARIANT, VARIANT, VARIANT) override
    {
        // Only this computer is reachable.
        if (serverName.vt == VT_BSTR && serverName.bstrVal && serverName.bstrVal[0])
            return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
        if (machine::setting(QStringLiteral("fail.TaskService")) == QLatin1String("1"))
            return HRESULT_FROM_WIN32(ERROR_SERVICE_DOES_NOT_EXIST);
        connected = true;
        return S_OK;
    }
    bool connected = false;
};

} // namespace

quint64 taskfiles::definitionsParsed()
{
    return parses;
}

HRESULT standin::createTaskService(REFIID riid, void **ppv)
{
    auto *service = new TaskService;
    HRESULT hr = S_OK;
    if (riid == IID_ITaskService || riid == IID_IUnknown)
        *ppv = static_cast<ITaskService *>(service);
    else
        hr = E_NOINTERFACE;
    if (FAILED(hr))
        service->Release();
    return hr;
}
