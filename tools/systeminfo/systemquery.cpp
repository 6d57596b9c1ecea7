#include "systemquery.h"

#include <QDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstring>

namespace {

struct ProductRow
{
    DWORD type;
    const char *text;
};
const ProductRow productNames[] = {
    {2, "Home Basic"},
    {3, "Home Premium"},
    {4, "Windows 10 Enterprise"},
    {5, "Home Basic N"},
    {6, "Business"},
    {16, "Business N"},
    {18, "HPC Edition"},
    {26, "Home Premium N"},
    {27, "Windows 10 Enterprise N"},
    {48, "Windows 10 Pro"},
    {49, "Windows 10 Pro N"},
    {70, "Windows 10 Enterprise E"},
    {72, "Windows 10 Enterprise Evaluation"},
    {84, "Windows 10 Enterprise N Evaluation"},
    {98, "Windows 10 Home N"},
    {99, "Windows 10 Home China"},
    {100, "Windows 10 Home Single Language"},
    {101, "Windows 10 Home"},
    {121, "Windows 10 Education"},
    {122, "Windows 10 Education N"},
    {161, "Windows 10 Pro for Workstations"},
    {162, "Windows 10 Pro for Workstations N"},
};

struct ReleaseRow
{
    int build;
    const char *name;
};
const ReleaseRow releases[] = {
    {17763, "1809"}, {18362, "1903"}, {18363, "1909"}, {19041, "2004"}, {19042, "20H2"},
    {19043, "21H1"}, {19044, "21H2"}, {22000, "21H2"}, {22621, "22H2"},
};

struct FolderRow
{
    const char *name;
    int id;
};
const FolderRow folders[] = {
    {"Administrative tools folder", 48},
    {"Nonlocalized Startup program folder", 29},
    {"Application-specific data folder", 26},
    {"CD burning area folder", 59},
    {"Common administrative tools folder", 47},
    {"Common nonlocalized Startup program folder", 30},
    {"Common application-specific data folder", 35},
    {"Common desktop folder", 25},
    {"Common documents folder", 46},
    {"Common favorites folder", 31},
    {"Common music folder", 53},
    {"Common pictures folder", 54},
    {"Common programs folder", 23},
    {"Common Start Menu folder", 22},
    {"Common Startup program folder", 24},
    {"Common templates folder", 45},
    {"Common video folder", 55},
    {"Computer near me folder", 61},
    {"Connections folder", 49},
    {"Control Panel folder", 3},
    {"Cookies folder", 33},
    {"Desktop folder", 0},
    {"Drives folder", 17},
    {"Favorites folder", 6},
    {"Fonts folder", 20},
    {"History folder", 34},
    {"Internet Explorer folder", 1},
    {"Internet cache folder", 32},
    {"Local application-specific data folder", 28},
    {"My Documents folder", 5},
    {"My Music folder", 13},
    {"My Pictures folder", 39},
    {"My Video folder", 14},
    {"Network shortcuts folder", 19},
    {"Network folder", 18},
    {"Printers folder", 4},
    {"Printer shortcuts folder", 27},
    {"Profile folder", 40},
    {"Program Files folder", 38},
    {"x86 Program Files folder", 42},
    {"Common Program Files folder", 43},
    {"x86 Common Program Files folder", 44},
    {"Program folder", 2},
    {"Recent documents folder", 8},
    {"Resource folder", 56},
    {"Localized resource folder", 57},
    {"Send To folder", 9},
    {"Start Menu folder", 11},
    {"Startup folder", 7},
    {"System folder", 37},
    {"x86 System folder", 41},
    {"Templates folder", 21},
    {"Windows folder", 36},
};

// "1 hour, " / "2 hours, ": 0 and 1 take the singular.
QString count(quint64 n, const char *singular, const char *plural)
{
    return QString::number(n) + QLatin1String(n > 1 ? plural : singular);
}

} // namespace

QString SystemQuery::productText(DWORD productType)
{
    for (const ProductRow &p : productNames)
        if (p.type == productType)
            return QLatin1String(p.text);
    return QStringLiteral("Windows");
}

QString SystemQuery::releaseOf(int build)
{
    for (const ReleaseRow &r : releases)
        if (r.build == build)
            return QLatin1String(r.name);
    return QString();
}

bool SystemQuery::isWindows11Build(int build)
{
    return build >= 22000;
}

typedef LONG(WINAPI *RtlGetVersionCall)(RTL_OSVERSIONINFOW *);

bool SystemQuery::getOsVersion(OsVersionInfo &info)
{
    HMODULE ntdll = GetModuleHandleW(WSTR("ntdll"));
    if (!ntdll)
        return true;
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion)
        return true;
    RTL_OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    rtlGetVersion(reinterpret_cast<RTL_OSVERSIONINFOW *>(&v));
    info.major = int(v.dwMajorVersion);
    info.minor = int(v.dwMinorVersion);
    info.build = int(v.dwBuildNumber);
    DWORD productType = 0;
    info.productName =
        editionName(v.dwMajorVersion, v.dwMinorVersion, v.wServicePackMajor, v.wServicePackMinor, productType);
    info.releaseName = releaseOf(info.build);
    // Every build from 22000 on is Windows 11, also one newer than the release table.
    if (isWindows11Build(info.build))
        info.productName.replace(QStringLiteral("Windows 10"), QStringLiteral(" Windows 11"));
    return true;
}

QString SystemQuery::editionName(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor, DWORD &productType)
{
    productType = 0;
    if (!GetProductInfo(major, minor, spMajor, spMinor, &productType))
        productType = 0;
    return productText(productType);
}

QString SystemQuery::uptimeText(quint64 t)
{
    const quint64 days = t / 86400000;
    const quint64 hours = (t % 86400000) / 3600000;
    const quint64 minutes = (t % 3600000) / 60000;
    const quint64 seconds = (t % 60000) / 1000;
    QString text;
    if (days > 0)
        text += count(days, " day, ", " days, ");
    text += count(hours, " hour, ", " hours, ");
    text += count(minutes, " minute, ", " minutes, ");
    text += count(seconds, " second", " seconds");
    return text;
}

void SystemQuery::localeAndUptime(QString &country, QString &language, QString &timeZone, QString &uptime)
{
    WCHAR buffer[512];
    if (GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SCOUNTRY, buffer, 512))
        country = fromWide(buffer, 512);
    if (VerLanguageNameW(GetUserDefaultLangID(), buffer, 200))
        language = fromWide(buffer, 200);
    TIME_ZONE_INFORMATION zone = {};
    switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_UNKNOWN:
    case TIME_ZONE_ID_STANDARD:
        timeZone = fromWide(zone.StandardName, 32);
        break;
    case TIME_ZONE_ID_DAYLIGHT:
        timeZone = fromWide(zone.DaylightName, 32);
        break;
    default:
        break;
    }
    // The 64-bit count: the 32-bit one starts again from zero after 49.7 days.
    uptime = uptimeText(GetTickCount64());
}

void SystemQuery::windowsDirectories(QString &windowsDir, QString &systemDir)
{
    QVector<WCHAR> buffer(32767);
    if (GetWindowsDirectoryW(buffer.data(), UINT(buffer.size())))
        windowsDir = fromWide(buffer.data(), buffer.size());
    if (GetSystemDirectoryW(buffer.data(), UINT(buffer.size())))
        systemDir = fromWide(buffer.data(), buffer.size());
}

void SystemQuery::specialFolders(QVector<NameValuePair> &list)
{
    for (const FolderRow &f : folders)
        addSpecialFolder(QLatin1String(f.name), f.id, list);
}

void SystemQuery::addSpecialFolder(QString name, int folderId, QVector<NameValuePair> &list)
{
    WCHAR path[MAX_PATH] = {};
    const HRESULT hr =
        SHGetFolderPathW(nullptr, folderId | CSIDL_FLAG_DONT_UNEXPAND, nullptr, SHGFP_TYPE_CURRENT, path);
    if (hr == S_OK || hr == S_FALSE)
        list.append({name, fromWide(path, MAX_PATH)});
}

void SystemQuery::parseEnvironmentBlock(const WCHAR *block, QVector<NameValuePair> &list)
{
    if (!block)
        return;
    for (const WCHAR *entry = block; *entry;) {
        const QString text = fromWide(entry);
        entry += text.size() + 1;
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        // The per-drive current folders ("=C:=C:\...") have no name.
        if (eq == 0)
            continue;
        if (eq < 0)
            list.append({text, QString()});
        else
            list.append({text.left(eq), text.mid(eq + 1)});
    }
}

void SystemQuery::environmentVariables(QVector<NameValuePair> &list)
{
    LPWCH block = GetEnvironmentStringsW();
    if (!block)
        return;
    parseEnvironmentBlock(block, list);
    FreeEnvironmentStringsW(block);
}

void SystemQuery::startupFolderItems(QString folder, QVector<StartupItem> &list)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wstr(folder + QStringLiteral("\\*")), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString file = fromWide(found.cFileName, MAX_PATH);
        if (file == QLatin1String(".") || file == QLatin1String("..") ||
            file.compare(QLatin1String("DESKTOP.INI"), Qt::CaseInsensitive) == 0 ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const QString link = nativeSeparators(folder + QLatin1Char('/') + file);
        QString arguments, icon;
        resolveShellLink(link, arguments, icon);
        StartupItem item;
        item.name = file;
        item.command = arguments.isEmpty() ? link : QLatin1Char('"') + link + QStringLiteral("\" ") + arguments;
        item.path = icon.isEmpty() ? expandEnvironment(link) : icon;
        list.append(item);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

QString SystemQuery::cutRunPath(QString path)
{
    if (path.isEmpty())
        return path;
    if (path.startsWith(QLatin1Char('"'))) {
        path.remove(0, 1);
        const qsizetype quote = path.lastIndexOf(QLatin1Char('"'));
        if (quote > 0)
            path.truncate(quote);
    }
    const qsizetype dash = path.lastIndexOf(QLatin1Char('-'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dash >= 0 && dash > dot)
        path.truncate(dash);
    return path;
}

void SystemQuery::registryRunItems(HKEY root, QString subKey, bool view64, QVector<StartupItem> &list)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_READ | (view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY), &key) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        WCHAR name[1024];
        DWORD nameLength = 1024;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (nameLength == 0)
            continue; // the default value
        WCHAR data[512];
        DWORD bytes = sizeof(data);
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &bytes) != ERROR_SUCCESS)
            continue;
        // Only the bytes read: a value stored without its terminating zero ends where its data ends.
        const QString command = fromWide(data, qsizetype(bytes / sizeof(WCHAR)));
        StartupItem item;
        item.name = fromWide(name, nameLength);
        item.command = command;
        item.path = cutRunPath(expandEnvironment(command.trimmed()));
        list.append(item);
    }
    RegCloseKey(key);
}

void SystemQuery::resolveShellLink(QString linkPath, QString &arguments, QString &iconLocation)
{
    if (FAILED(CoInitialize(nullptr)))
        return;
    IShellLinkW *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&link)))) {
        IPersistFile *file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
            if (SUCCEEDED(file->Load(wstr(linkPath), STGM_READ))) {
                WCHAR text[512];
                if (SUCCEEDED(link->GetArguments(text, 512)))
                    arguments = fromWide(text, 512);
                int index = 0;
                if (SUCCEEDED(link->GetIconLocation(text, 512, &index)))
                    iconLocation = fromWide(text, 512);
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
}

QString SystemQuery::expandEnvironment(QString text)
{
    WCHAR buffer[512];
    const DWORD n = ExpandEnvironmentStringsW(wstr(text), buffer, 512);
    // A result that did not fit is not cut short: the text stays as it was.
    if (n == 0 || n > 512)
        return text;
    return fromWide(buffer, 512);
}

QString SystemQuery::taskStateText(int state)
{
    static const char *const texts[] = {"Unknown", "Disabled", "Queued", "Ready", "Running"};
    return state >= 0 && state < 5 ? QLatin1String(texts[state]) : QString();
}

QString SystemQuery::taskCommand(const QString &xml)
{
    QString command;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement ||
            reader.name().compare(QLatin1String("command"), Qt::CaseInsensitive) != 0)
            continue;
        QString text = reader.readElementText();
        if (text.startsWith(QLatin1Char('"'))) {
            text.remove(0, 1);
            const qsizetype quote = text.lastIndexOf(QLatin1Char('"'));
            if (quote > 0)
                text.truncate(quote);
        }
        command = text; // a later action replaces an earlier one
    }
    return command;
}

int SystemQuery::scheduledTasks(QVector<StartupItem> &list)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        std::printf("\nCoInitializeEx failed: %x", unsigned(hr));
        return 1;
    }
    ITaskService *service = nullptr;
    hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                          reinterpret_cast<void **>(&service));
    if (FAILED(hr)) {
        std::printf("Failed to CoCreate an instance of the TaskService class: %x", unsigned(hr));
        CoUninitialize();
        return 1;
    }
    VARIANT empty;
    VariantInit(&empty);
    hr = service->Connect(empty, empty, empty, empty);
    if (FAILED(hr)) {
        std::printf("ITaskService::Connect failed: %x", unsigned(hr));
        service->Release();
        CoUninitialize();
        return 1;
    }
    ITaskFolder *folder = nullptr;
    BSTR rootPath = SysAllocString(WSTR("\\"));
    hr = service->GetFolder(rootPath, &folder);
    SysFreeString(rootPath);
    service->Release();
    if (FAILED(hr)) {
        std::printf("Cannot get Root Folder pointer: %x", unsigned(hr));
        CoUninitialize();
        return 1;
    }
    IRegisteredTaskCollection *tasks = nullptr;
    hr = folder->GetTasks(0, &tasks); // hidden tasks are left out
    folder->Release();
    if (FAILED(hr)) {
        std::printf("Cannot get the registered tasks.: %x", unsigned(hr));
        CoUninitialize();
        return 1;
    }
    LONG count = 0;
    hr = tasks->get_Count(&count);
    if (FAILED(hr) || count == 0) {
        std::printf("\nNo Tasks are currently running");
        tasks->Release();
        CoUninitialize();
        return 1;
    }
    std::printf("\nNumber of Tasks : %d", int(count));
    for (LONG i = 1; i <= count; ++i) {
        VARIANT index;
        VariantInit(&index);
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        IRegisteredTask *task = nullptr;
        hr = tasks->get_Item(index, &task);
        if (FAILED(hr)) {
            std::printf("\nCannot get the registered task item at index=%d: %x", int(i), unsigned(hr));
            continue;
        }
        BSTR name = nullptr;
        hr = task->get_Name(&name);
        if (FAILED(hr)) {
            std::printf("\nCannot get the registered task name: %x", unsigned(hr));
            task->Release();
            continue;
        }
        StartupItem item;
        item.name = fromWide(name);
        std::printf("\nTask Name: %s", qPrintable(item.name));
        SysFreeString(name);
        TASK_STATE state = TASK_STATE_UNKNOWN;
        hr = task->get_State(&state);
        if (FAILED(hr)) {
            std::printf("\n\tCannot get the registered task state: %x", unsigned(hr));
        } else {
            item.command = taskStateText(int(state));
            std::printf("\n\tState: %d", int(state));
        }
        BSTR xml = nullptr;
        if (SUCCEEDED(task->get_Xml(&xml))) {
            item.path = taskCommand(fromWide(xml));
            SysFreeString(xml);
        }
        list.append(item);
        task->Release();
    }
    tasks->Release();
    CoUninitialize();
    return 0;
}

bool SystemQuery::fileVersionInfo(CodecInfo &codec, QString fileName)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(wstr(fileName), &handle);
    if (size == 0)
        return false;
    QByteArray data(int(size), Qt::Uninitialized);
    LPVOID translation = nullptr;
    UINT translationBytes = 0;
    if (!GetFileVersionInfoW(wstr(fileName), 0, size, data.data()) ||
        !VerQueryValueW(data.constData(), WSTR("\\VarFileInfo\\Translation"), &translation, &translationBytes))
        return false;
    // Lengths come from the file: whatever they say, nothing is read past the buffer.
    auto room = [&data](const void *at) -> qsizetype {
        const quintptr p = quintptr(at), begin = quintptr(data.constData()), end = begin + quintptr(data.size());
        return p >= begin && p < end ? qsizetype(end - p) : 0;
    };
    const auto *entries = static_cast<const WORD *>(translation);
    const qsizetype translations = qMin<qsizetype>(translationBytes, room(translation)) / 4;
    for (qsizetype i = 0; i < translations; ++i) {
        const QString prefix = QStringLiteral("\\StringFileInfo\\%1%2\\")
                                   .arg(entries[2 * i], 4, 16, QLatin1Char('0'))
                                   .arg(entries[2 * i + 1], 4, 16, QLatin1Char('0'));
        const struct
        {
            const char *key;
            QString *field;
        } fields[] = {
            {"FileDescription", &codec.name}, {"FileVersion", &codec.version}, {"CompanyName", &codec.vendor}};
        for (const auto &f : fields) {
            LPVOID text = nullptr;
            UINT length = 0;
            if (VerQueryValueW(data.constData(), wstr(prefix + QLatin1String(f.key)), &text, &length) && text)
                *f.field = fromWide(static_cast<const WCHAR *>(text), qMin<qsizetype>(length, room(text) / 2));
        }
    }
    return true;
}

QVector<CodecInfo> acmCodecCache;

QString SystemQuery::codecTypeText(int type)
{
    static const char *const texts[] = {"Audio Codec", "Video Codec", "DirectShow Codec", "DirectX Media Codec"};
    return type >= 0 && type < 4 ? QLatin1String(texts[type]) : QString();
}

void SystemQuery::videoCodecs(QVector<CodecInfo> &list)
{
    ICINFO info;
    for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, &info); ++i) {
        HIC codec = ICOpen(ICTYPE_VIDEO, info.fccHandler, ICMODE_QUERY);
        if (!codec)
            continue;
        const bool described = ICGetInfo(codec, &info, sizeof(ICINFO)) > 0;
        ICClose(codec); // released on every path, the description read or not
        if (!described)
            continue;
        CodecInfo record;
        record.fileName = fromWide(info.szDriver, 128);
        record.type = 1;
        fileVersionInfo(record, record.fileName);
        list.append(record);
    }
}

BOOL CALLBACK SystemQuery::acmDriverCallback(HACMDRIVERID driverId, DWORD_PTR, DWORD)
{
    ACMDRIVERDETAILSW details;
    std::memset(&details, 0, sizeof(details));
    details.cbStruct = sizeof(details);
    HACMDRIVER driver = nullptr;
    if (acmDriverDetailsW(driverId, &details, 0) != MMSYSERR_NOERROR ||
        acmDriverOpen(&driver, driverId, 0) != MMSYSERR_NOERROR)
        return TRUE;
    const DWORD v = details.vdwDriver;
    const QString version = QStringLiteral("%1.%2 .%3").arg(v >> 24).arg((v >> 16) & 0xFF).arg(v & 0xFFFF);
    for (DWORD index = 0; index < details.cFormatTags; ++index) {
        ACMFORMATTAGDETAILSW tag;
        std::memset(&tag, 0, sizeof(tag));
        tag.cbStruct = sizeof(tag);
        tag.dwFormatTagIndex = index;
        if (acmFormatTagDetailsW(driver, &tag, ACM_FORMATTAGDETAILSF_INDEX) != MMSYSERR_NOERROR)
            break;
        CodecInfo record;
        record.version = version;
        record.name = fromWide(details.szLongName, 128);
        record.vendor = fromWide(details.szShortName, 32);
        record.formatTag = int(tag.dwFormatTag);
        record.type = 0;
        acmCodecCache.append(record);
    }
    acmDriverClose(driver, 0);
    return TRUE;
}

void SystemQuery::audioCodecs(QVector<CodecInfo> &list)
{
    acmCodecCache.clear();
    acmDriverEnum(&SystemQuery::acmDriverCallback, 0, 0);
    acmDriverFiles(list);
}

LONG SystemQuery::acmDriverFiles(QVector<CodecInfo> &list)
{
    const QString cachePath = QStringLiteral("SOFTWARE\\Microsoft\\AudioCompressionManager\\DriverCache");
    HKEY cache = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, wstr(cachePath), 0, KEY_READ, &cache);
    if (rc != ERROR_SUCCESS)
        return rc;
    QString windowsDir, systemDir;
    windowsDirectories(windowsDir, systemDir);
    for (DWORD index = 0;; ++index) {
        WCHAR alias[100];
        DWORD aliasLength = 100;
        rc = RegEnumKeyExW(cache, index, alias, &aliasLength, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS)
            break;
        const QString aliasText = fromWide(alias, aliasLength);
        HKEY driver = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wstr(cachePath + QLatin1Char('\\') + aliasText), 0, KEY_READ, &driver) !=
            ERROR_SUCCESS)
            continue;
        DWORD count = 0;
        DWORD bytes = sizeof(count);
        if (RegQueryValueExW(driver, WSTR("cFormatTags"), nullptr, nullptr, reinterpret_cast<LPBYTE>(&count), &bytes) !=
            ERROR_SUCCESS)
            count = 0;
        BYTE tags[200];
        DWORD tagBytes = sizeof(tags);
        if (RegQueryValueExW(driver, WSTR("aFormatTagCache"), nullptr, nullptr, tags, &tagBytes) != ERROR_SUCCESS)
            tagBytes = 0;
        RegCloseKey(driver);
        // Only the entries actually read: a count larger than the data never reads past it.
        const DWORD entries = qMin<DWORD>(count, tagBytes / 8);
        for (DWORD i = 0; i < entries; ++i) {
            DWORD tag;
            std::memcpy(&tag, tags + i * 8, sizeof(tag));
            if (tag == 1) // WAVE_FORMAT_PCM
                continue;
            CodecInfo *match = nullptr;
            for (CodecInfo &c : acmCodecCache)
                if (c.formatTag == int(tag)) {
                    match = &c;
                    break;
                }
            if (!match)
                continue;
            HKEY drivers32 = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32"), 0,
                              KEY_READ, &drivers32) != ERROR_SUCCESS)
                continue;
            WCHAR file[130];
            DWORD fileBytes = 260;
            QString fileText;
            if (RegQueryValueExW(drivers32, alias, nullptr, nullptr, reinterpret_cast<LPBYTE>(file), &fileBytes) ==
                ERROR_SUCCESS)
                fileText = fromWide(file, qsizetype(fileBytes / sizeof(WCHAR)));
            RegCloseKey(drivers32);
            match->fileName = fileText.contains(QLatin1Char('\\'))
                                  ? fileText
                                  : nativeSeparators(systemDir + QLatin1Char('/') + fileText);
            list.append(*match);
        }
    }
    RegCloseKey(cache);
    return rc;
}

namespace {

// The default value of HKEY_CLASSES_ROOT\CLSID\<clsid>\InprocServer32: the file that serves a class.
QString serverFile(const QString &clsid)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, wstr(QStringLiteral("CLSID\\%1\\InprocServer32").arg(clsid)), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return QString();
    WCHAR file[130];
    DWORD bytes = 260;
    QString text;
    if (RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(file), &bytes) == ERROR_SUCCESS)
        text = fromWide(file, qsizetype(bytes / sizeof(WCHAR)));
    RegCloseKey(key);
    return text;
}

} // namespace

void SystemQuery::directShowFilters(QVector<CodecInfo> &list)
{
    ICreateDevEnum *devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void **>(&devices))))
        return;
    IEnumMoniker *filters = nullptr;
    if (devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, &filters, 0) == S_OK) {
        while (readFilterMoniker(filters, list) == 0) {
        }
        filters->Release();
    }
    devices->Release();
}

HRESULT SystemQuery::readFilterMoniker(IEnumMoniker *filters, QVector<CodecInfo> &list)
{
    for (;;) {
        IMoniker *moniker = nullptr;
        const HRESULT hr = filters->Next(1, &moniker, nullptr);
        if (hr != S_OK)
            return hr;
        IPropertyBag *bag = nullptr;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void **>(&bag)))) {
            moniker->Release();
            continue;
        }
        VARIANT clsid, friendlyName;
        VariantInit(&clsid);
        VariantInit(&friendlyName);
        const bool read = SUCCEEDED(bag->Read(WSTR("CLSID"), &clsid, nullptr)) &&
                          SUCCEEDED(bag->Read(WSTR("FriendlyName"), &friendlyName, nullptr));
        if (read) {
            CodecInfo record;
            record.name = fromWide(V_BSTR(&friendlyName));
            record.fileName = serverFile(fromWide(V_BSTR(&clsid)));
            fileVersionInfo(record, record.fileName);
            record.type = 2;
            list.append(record);
        }
        VariantClear(&clsid);
        VariantClear(&friendlyName);
        bag->Release();
        moniker->Release();
        if (read)
            return 0;
    }
}

void SystemQuery::dmoCodecs(QVector<CodecInfo> &list)
{
    IEnumDMO *objects = nullptr;
    if (FAILED(DMOEnum(GUID_NULL, DMO_ENUMF_INCLUDE_KEYED, 0, nullptr, 0, nullptr, &objects)))
        return;
    CLSID clsid;
    LPWSTR name = nullptr;
    while (objects->Next(1, &clsid, &name, nullptr) == S_OK) {
        CodecInfo record;
        record.name = fromWide(name);
        CoTaskMemFree(name);
        LPOLESTR clsidText = nullptr;
        if (SUCCEEDED(StringFromCLSID(clsid, &clsidText))) {
            record.fileName = serverFile(fromWide(clsidText));
            CoTaskMemFree(clsidText);
        }
        fileVersionInfo(record, record.fileName);
        record.type = 3;
        list.append(record);
    }
    objects->Release();
}
