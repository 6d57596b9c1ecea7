// The Task Scheduler as the start-up list reads it: connect to this computer, open a folder, list its tasks
// without the hidden ones, and read each task's name, state and definition by its one-based index and by its
// name. The probe puts its own task definitions in a folder of its own, where the scheduler keeps them
// (System32\Tasks).
#include "probe.h"

#include <string>

using probe::hresult;
using probe::line;

namespace {

using wstring = std::basic_string<WCHAR>;

struct TaskFile
{
    const WCHAR *name;
    const char *settings;
};

const TaskFile taskFiles[] = {
    {WSTR("Alpha"), "<Enabled>true</Enabled>"},
    {WSTR("Beta"), "<Enabled>false</Enabled>"},
    {WSTR("Gamma"), "<Hidden>true</Hidden>"},
};

wstring tasksFolder()
{
    WCHAR windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    return wstring(windows, n) + WSTR("\\System32\\Tasks\\HushdeckProbe");
}

// A task definition as the scheduler stores it: UTF-16 with a byte-order mark.
void writeTask(const TaskFile &task)
{
    std::string xml =
        std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                    "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
                    "  <Settings>") +
        task.settings +
        "</Settings>\n"
        "  <Actions Context=\"Author\"><Exec><Command>C:\\Windows\\notepad.exe</Command></Exec></Actions>\n"
        "</Task>\n";
    wstring text(1, WCHAR(0xFEFF));
    for (char c : xml)
        text += WCHAR(c);
    HANDLE file = CreateFileW((tasksFolder() + WSTR("\\") + task.name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, text.data(), DWORD(text.size() * sizeof(WCHAR)), &written, nullptr))
        line("task file", "not written");
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

bool contains(const WCHAR *text, const char *part)
{
    return text && probe::utf8(text).find(part) != std::string::npos;
}

// A registered task's name and state, on one line after the call that gave the task, and its definition on the
// next ("key.get_Xml"), which every run prints, so that both runs line up.
void describeTask(HRESULT hr, IRegisteredTask *task, const std::string &key)
{
    const std::string xmlKey = key + ".get_Xml";
    if (FAILED(hr) || !task) {
        line(key.c_str(), "hr 0x%08lX", static_cast<unsigned long>(static_cast<DWORD>(hr)));
        line(xmlKey.c_str(), "no task");
        return;
    }
    BSTR name = nullptr;
    const HRESULT named = PROBE_METHOD(task, get_Name)(&name);
    TASK_STATE state = TASK_STATE_UNKNOWN;
    const HRESULT stated = PROBE_METHOD(task, get_State)(&state);
    line(key.c_str(), "hr 0x%08lX; get_Name 0x%08lX \"%s\"; get_State 0x%08lX %d",
         static_cast<unsigned long>(static_cast<DWORD>(hr)), static_cast<unsigned long>(static_cast<DWORD>(named)),
         probe::utf8(name).c_str(), static_cast<unsigned long>(static_cast<DWORD>(stated)), static_cast<int>(state));
    BSTR xml = nullptr;
    const HRESULT read = PROBE_METHOD(task, get_Xml)(&xml);
    line(xmlKey.c_str(), "hr 0x%08lX command %s", static_cast<unsigned long>(static_cast<DWORD>(read)),
         contains(xml, "<Command>C:\\Windows\\notepad.exe</Command>") ? "kept"
         : !xml || !xml[0]                                            ? "no definition"
         : contains(xml, "notepad.exe")                               ? "kept, written otherwise"
                                                                      : "lost");
    SysFreeString(name);
    SysFreeString(xml);
    task->Release();
}

// One line per index, so that both runs line up whatever the collection answers.
void probeTask(IRegisteredTaskCollection *tasks, LONG i, const std::string &key)
{
    VARIANT index;
    VariantInit(&index);
    V_VT(&index) = VT_I4;
    V_I4(&index) = i;
    IRegisteredTask *task = nullptr;
    const HRESULT hr = PROBE_METHOD(tasks, get_Item)(index, &task);
    describeTask(hr, task, key);
}

// Each task by its name, a hidden one too, and a name the folder does not hold.
void probeByName(ITaskFolder *folder, const std::string &key)
{
    const WCHAR *names[] = {WSTR("Alpha"), WSTR("Beta"), WSTR("Gamma"), WSTR("Delta")};
    for (const WCHAR *name : names) {
        BSTR path = SysAllocString(name);
        IRegisteredTask *task = nullptr;
        const HRESULT hr = PROBE_METHOD(folder, GetTask)(path, &task);
        SysFreeString(path);
        describeTask(hr, task, key + ".GetTask." + probe::utf8(name));
    }
}

void probeFolder(ITaskService *service, const WCHAR *path, const char *key)
{
    std::string k(key);
    ITaskFolder *folder = nullptr;
    BSTR folderPath = SysAllocString(path);
    hresult((k + ".GetFolder").c_str(), PROBE_METHOD(service, GetFolder)(folderPath, &folder));
    SysFreeString(folderPath);
    if (!folder)
        return;
    IRegisteredTaskCollection *tasks = nullptr;
    hresult((k + ".GetTasks").c_str(), PROBE_METHOD(folder, GetTasks)(0, &tasks)); // hidden tasks are left out
    probeByName(folder, k);
    folder->Release();
    if (!tasks)
        return;
    LONG count = 0;
    const HRESULT counted = PROBE_METHOD(tasks, get_Count)(&count);
    line((k + ".get_Count").c_str(), "hr 0x%08lX count %ld", static_cast<unsigned long>(static_cast<DWORD>(counted)),
         static_cast<long>(count));
    // The two visible tasks, and one index on either side of them.
    for (LONG i = 0; i <= 3; ++i)
        probeTask(tasks, i, k + ".get_Item." + std::to_string(i));
    tasks->Release();
}

} // namespace

int main()
{
    probe::start();
    CreateDirectoryW(tasksFolder().c_str(), nullptr);
    for (const TaskFile &task : taskFiles)
        writeTask(task);

    hresult("CoInitializeEx", CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ITaskService *service = nullptr;
    hresult("CoCreateInstance", CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                                 reinterpret_cast<void **>(&service)));
    if (service) {
        VARIANT empty;
        VariantInit(&empty);
        hresult("Connect", PROBE_METHOD(service, Connect)(empty, empty, empty, empty));
        probeFolder(service, WSTR("\\HushdeckProbe"), "probe folder");
        probeFolder(service, WSTR("\\HushdeckProbeMissing"), "missing folder");
        ITaskFolder *root = nullptr;
        BSTR rootPath = SysAllocString(WSTR("\\"));
        hresult("root.GetFolder", PROBE_METHOD(service, GetFolder)(rootPath, &root));
        SysFreeString(rootPath);
        if (root) {
            IRegisteredTaskCollection *tasks = nullptr;
            hresult("root.GetTasks", PROBE_METHOD(root, GetTasks)(0, &tasks));
            if (tasks)
                tasks->Release();
            root->Release();
        }
        service->Release();
    }
    CoUninitialize();

    for (const TaskFile &task : taskFiles)
        DeleteFileW((tasksFolder() + WSTR("\\") + task.name).c_str());
    RemoveDirectoryW(tasksFolder().c_str());
    return probe::end();
}
