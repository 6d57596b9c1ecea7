#include "krutils.h"

#include <QDebug>
#include <QDir>
#include <QImage>
#include <QVector>

QString installPath;
quint32 windowsBuildNumber = 0;
bool restartExplorerPending = false;
bool themeRefreshPending = false;
bool shellRefreshPending = false;

KRUtils::KRUtils() {}

// ---- registry ----

bool KRUtils::createRegKey(HKEY root, QString subKey)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, wstr(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool KRUtils::deleteRegKey(HKEY root, QString subKey, QString childName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    const bool ok = RegDeleteKeyW(key, wstr(childName)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool KRUtils::deleteRegSubKeys(HKEY root, QString subKey)
{
    qDebug() << "RegDeleteKeyEx alsoDeleteChildKey";
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return true;
    qDebug() << "RegDeleteKeyEx Enumerate the keys";
    bool allDeleted = true;
    for (;;) {
        WCHAR name[MAX_PATH];
        DWORD length = MAX_PATH;
        // Index 0 every time: each deletion moves the next sub-key to the front.
        if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const QString child = fromWide(name, length);
        qDebug() << child;
        if (!deleteRegKey(root, subKey, child)) {
            // A sub-key with sub-keys of its own stops the loop; the caller learns that some are left.
            allDeleted = false;
            break;
        }
    }
    RegCloseKey(key);
    return allDeleted;
}

bool KRUtils::deleteRegValue(HKEY root, QString subKey, QString name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    const bool ok = RegDeleteValueW(key, wstr(name)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool KRUtils::readRegBinary(HKEY root, QString subKey, QString name, BYTE *buffer, int *size, DWORD *type)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 1024;
    DWORD valueType = REG_NONE;
    const LONG rc = RegQueryValueExW(key, wstr(name), nullptr, &valueType, buffer, &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    if (size)
        *size = int(bytes);
    if (type)
        *type = valueType;
    return true;
}

bool KRUtils::readRegDWORD(HKEY root, QString subKey, QString name, DWORD *value)
{
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    // The caller's variable holds the preset (what an absent value means) and keeps it on any failure.
    // A REG_DWORD of another size than four bytes holds no number: the preset stays, as for an absent value.
    if (RegGetValueW(root, wstr(subKey), wstr(name), RRF_RT_REG_DWORD, nullptr, &data, &bytes) != ERROR_SUCCESS ||
        bytes != sizeof(data)) {
        qDebug().noquote() << subKey + QStringLiteral(" : ") + name +
                                  QStringLiteral(" : Cannot read DWORD from registry.");
        return false;
    }
    if (value)
        *value = data;
    return true;
}

bool KRUtils::readString(HKEY root, const QString &subKey, const QString &name, QString &text, bool raw)
{
    text = QString(QLatin1String(""));
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // Raw: an expandable string comes back as stored, its variables unexpanded.
    const DWORD flags = raw ? RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND : RRF_RT_REG_SZ;
    DWORD bytes = 0;
    LONG rc = RegGetValueW(root, wstr(subKey), wstr(name), flags, nullptr, nullptr, &bytes);
    if (raw)
        qDebug() << "dataSize: " << bytes;
    if (rc == ERROR_SUCCESS) {
        QVector<WCHAR> buffer(qMax<DWORD>(bytes / 2 + 1, 1), 0);
        DWORD capacity = DWORD(buffer.size()) * 2;
        rc = RegGetValueW(root, wstr(subKey), wstr(name), flags, nullptr, buffer.data(), &capacity);
        if (rc == ERROR_SUCCESS) {
            // The text ends at its first NUL: a value stored with or without its terminator reads the same,
            // and no NUL comes back inside the text.
            text = fromWide(buffer.constData(), buffer.size());
            RegCloseKey(key);
            return true;
        }
    }
    RegCloseKey(key);
    qDebug() << "error";
    return false;
}

bool KRUtils::readRegString(HKEY root, QString subKey, QString name, QString &text)
{
    return readString(root, subKey, name, text, false);
}

bool KRUtils::readRegStringRaw(HKEY root, QString subKey, QString name, QString &text)
{
    return readString(root, subKey, name, text, true);
}

bool KRUtils::regKeyExists(HKEY root, QString subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(subKey), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool KRUtils::writeValue(HKEY root, const QString &subKey, const QString &name, DWORD type, const BYTE *data,
                         DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, wstr(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    // A value that could not be stored is a failure, even though the key opened.
    const bool stored = RegSetValueExW(key, wstr(name), 0, type, data, size) == ERROR_SUCCESS;
    if (stored)
        qDebug() << "true";
    RegCloseKey(key);
    return stored;
}

bool KRUtils::writeRegBinary(HKEY root, QString subKey, QString name, const BYTE *data, int *size)
{
    const DWORD bytes = size && *size > 0 ? DWORD(*size) : 0;
    return writeValue(root, subKey, name, REG_BINARY, data, bytes);
}

bool KRUtils::writeRegDWORD(HKEY root, QString subKey, QString name, DWORD value)
{
    BYTE bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = BYTE((value >> (8 * i)) & 0xff);
    return writeValue(root, subKey, name, REG_DWORD, bytes, 4);
}

bool KRUtils::writeRegExpandString(HKEY root, QString subKey, QString name, QString text)
{
    return writeValue(root, subKey, name, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(wstr(text)),
                      DWORD(text.size() + 1) * 2);
}

bool KRUtils::writeRegString(HKEY root, QString subKey, QString name, QString text)
{
    return writeValue(root, subKey, name, REG_SZ, reinterpret_cast<const BYTE *>(wstr(text)),
                      DWORD(text.size() + 1) * 2);
}

// ---- paths, version, helper ----

QString KRUtils::appPath()
{
    QString path;
    if (readRegString(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("Path"), path))
        return path;
    return QString(QLatin1String(""));
}

QString KRUtils::backupFolder()
{
    WCHAR path[MAX_PATH] = {0};
    HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    if (FAILED(hr))
        hr = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    if (FAILED(hr))
        return QString(QLatin1String(""));
    return fromWide(path, MAX_PATH) + QStringLiteral("\\" HUSHDECK_PRODUCT_NAME "\\Backup");
}

typedef LONG(WINAPI *RtlGetVersionFunction)(RTL_OSVERSIONINFOW *);

bool KRUtils::isWindows11()
{
    HMODULE ntdll = GetModuleHandleW(WSTR("ntdll"));
    if (!ntdll)
        return false;
    // Through void*: the looked-up address has the generic function type.
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion)
        return false;
    // The full (284-byte) record, whose size the call is told, so it never writes past the record.
    RTL_OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    rtlGetVersion(reinterpret_cast<RTL_OSVERSIONINFOW *>(&info));
    windowsBuildNumber = info.dwBuildNumber;
    return windowsBuildNumber >= 22000;
}

namespace {

int CALLBACK browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED)
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

} // namespace

QString KRUtils::browseForFolder(QString startFolder, QString title)
{
    // Fixed buffers, as the picker takes them; longer texts are cut, never written past.
    WCHAR start[MAX_PATH];
    WCHAR caption[MAX_PATH];
    WCHAR display[MAX_PATH];
    copyToWide(startFolder, start, MAX_PATH);
    copyToWide(title, caption, MAX_PATH);
    display[0] = 0;

    BROWSEINFOW info = {};
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;
    info.pszDisplayName = display;
    info.lpszTitle = caption;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start);

    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item)
        return QString(QLatin1String(""));
    WCHAR path[MAX_PATH];
    path[0] = 0;
    const BOOL ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return ok ? fromWide(path, MAX_PATH) : QString(QLatin1String(""));
}

HRESULT KRUtils::createLink(QString target, QString linkFile, QString workingFolder, QString arguments,
                            QString iconFile)
{
    IShellLinkW *link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<LPVOID *>(&link));
    if (FAILED(hr))
        return hr;
    qDebug() << "createLink";
    link->SetPath(wstr(target));
    link->SetIconLocation(wstr(iconFile), 0);
    link->SetWorkingDirectory(wstr(workingFolder));
    link->SetArguments(wstr(arguments));
    IPersistFile *file = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<LPVOID *>(&file));
    if (SUCCEEDED(hr)) {
        qDebug() << linkFile;
        hr = file->Save(wstr(linkFile), TRUE);
        file->Release();
    }
    link->Release();
    return hr;
}

bool KRUtils::isGlasspanNeeded()
{
    const QString root = QStringLiteral(HUSHDECK_SETTINGS_ROOT);
    DWORD autoDark = 0, glasspan = 0, wallpaper = 0, trayIcon = 0;
    readRegDWORD(HKEY_CURRENT_USER, root + QStringLiteral("\\AutoDarkMode"), QStringLiteral("Enabled"), &autoDark);
    readRegDWORD(HKEY_CURRENT_USER, root + QStringLiteral("\\Glasspan"), QStringLiteral("Enabled"), &glasspan);
    readRegDWORD(HKEY_CURRENT_USER, root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("Enabled"), &wallpaper);
    readRegDWORD(HKEY_CURRENT_USER, root, QStringLiteral("ShowTrayIcon"), &trayIcon);
    return autoDark != 0 || glasspan != 0 || wallpaper != 0 || trayIcon != 0;
}

void KRUtils::closeGlasspan()
{
    HWND helper = FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
    if (helper)
        PostMessageW(helper, WM_CLOSE, 0, 0);
}

// ---- drives and volumes ----

namespace {

template <typename Accept> void listLetters(Accept accept)
{
    for (char c = 'A'; c <= 'Z'; ++c) {
        const QString root = QLatin1Char(c) + QStringLiteral(":\\");
        accept(c, root, GetDriveTypeW(wstr(root)));
    }
}

QString gigabytes(quint64 bytes)
{
    return QString::number(double(bytes) * (1.0 / 1073741824.0), 'f', 2) + QStringLiteral(" GB");
}

} // namespace

void KRUtils::listDrives(QVector<DriveInfo> &drives)
{
    drives.clear();
    listLetters([&](char letter, const QString &root, UINT type) {
        if (type > DRIVE_NO_ROOT_DIR) {
            DriveInfo info;
            getDriveInfo(letter, root, info);
            drives.append(info);
        }
    });
}

void KRUtils::listFixedDrives(QVector<DriveInfo> &drives)
{
    drives.clear();
    listLetters([&](char letter, const QString &root, UINT type) {
        if (type == DRIVE_FIXED) {
            DriveInfo info;
            getDriveInfo(letter, root, info);
            drives.append(info);
        }
    });
}

void KRUtils::listFixedDriveRoots(QStringList &roots)
{
    roots.clear();
    listLetters([&](char, const QString &root, UINT type) {
        if (type == DRIVE_FIXED)
            roots.append(root);
    });
}

void KRUtils::getDriveInfo(char letter, QString rootPath, DriveInfo &info)
{
    WCHAR label[510] = {0};
    WCHAR fsName[510] = {0};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    // A failed query (no media, a network drive that does not answer) leaves its fields zero, never
    // undefined.
    if (!GetVolumeInformationW(wstr(rootPath), label, 510, &serial, &maxComponent, &flags, fsName, 510)) {
        label[0] = fsName[0] = 0;
        serial = maxComponent = flags = 0;
    }
    ULARGE_INTEGER available = {}, total = {}, totalFree = {};
    if (!GetDiskFreeSpaceExW(wstr(rootPath), &available, &total, &totalFree))
        available.QuadPart = total.QuadPart = totalFree.QuadPart = 0;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(wstr(rootPath), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        sectorsPerCluster = bytesPerSector = freeClusters = totalClusters = 0;

    info.displayName = fromWide(label, 510) + QStringLiteral(" (") + QLatin1Char(letter) + QStringLiteral(":)");
    info.letter = letter;
    info.rootPath = rootPath;
    // Eight hexadecimal digits with leading zeros, split in two halves: "00AB-12CD".
    const QString hex = QStringLiteral("%1").arg(serial, 8, 16, QLatin1Char('0')).toUpper();
    info.serialNumber = hex.left(4) + QLatin1Char('-') + hex.mid(4);
    info.fileSystem = fromWide(fsName, 255);
    info.maxComponentLength = QString::number(maxComponent);
    info.totalSize = gigabytes(total.QuadPart);
    info.freeSize = gigabytes(available.QuadPart);
    const double totalUnits = double(total.QuadPart) / 1073741824.0;
    const float freeUnits = float(double(available.QuadPart) / 1073741824.0);
    // A volume of size 0 (or whose query failed) is 0 % free, not a division by zero.
    info.freePercent = totalUnits > 0 ? float(double(freeUnits * 100.0f) / totalUnits) : 0.0f;
    info.freePercentText = QString::number(double(info.freePercent), 'f', 2) + QLatin1Char('%');
    info.totalClusters = QString::number(totalClusters);
    info.freeClusters = QString::number(freeClusters);
    info.sectorsPerCluster = QString::number(sectorsPerCluster);
    info.bytesPerSector = QString::number(bytesPerSector);

    info.casePreservedNames = flags & FILE_CASE_PRESERVED_NAMES;
    info.caseSensitiveSearch = flags & FILE_CASE_SENSITIVE_SEARCH;
    info.fileCompression = flags & FILE_FILE_COMPRESSION;
    info.namedStreams = flags & FILE_NAMED_STREAMS;
    info.persistentAcls = flags & FILE_PERSISTENT_ACLS;
    info.readOnlyVolume = flags & FILE_READ_ONLY_VOLUME;
    info.sequentialWriteOnce = flags & FILE_SEQUENTIAL_WRITE_ONCE;
    info.supportsEncryption = flags & FILE_SUPPORTS_ENCRYPTION;
    info.supportsExtendedAttributes = flags & FILE_SUPPORTS_EXTENDED_ATTRIBUTES;
    info.supportsHardLinks = flags & FILE_SUPPORTS_HARD_LINKS;
    info.supportsObjectIds = flags & FILE_SUPPORTS_OBJECT_IDS;
    info.supportsOpenByFileId = flags & FILE_SUPPORTS_OPEN_BY_FILE_ID;
    info.supportsReparsePoints = flags & FILE_SUPPORTS_REPARSE_POINTS;
    info.supportsSparseFiles = flags & FILE_SUPPORTS_SPARSE_FILES;
    info.supportsTransactions = flags & FILE_SUPPORTS_TRANSACTIONS;
    info.supportsUsnJournal = flags & FILE_SUPPORTS_USN_JOURNAL;
    info.unicodeOnDisk = flags & FILE_UNICODE_ON_DISK;
    info.volumeIsCompressed = flags & FILE_VOLUME_IS_COMPRESSED;
    info.volumeQuotas = flags & FILE_VOLUME_QUOTAS;
}

// ---- file categories ----

void KRUtils::buildFileCategories(QList<FileCategory> &categories)
{
    categories.clear();
    auto add = [&](const char *name, std::initializer_list<const char *> extensions) {
        FileCategory c;
        c.name = QLatin1String(name);
        for (const char *e : extensions)
            c.extensions << QLatin1String(e);
        categories.append(c);
    };
    add(KRCategory::ThreeDImageFiles, {".3dm", ".blend", ".max"});
    add(KRCategory::AudioFiles, {".aac", ".aif", ".iff", ".m3u", ".m4a", ".m4p", ".mid", ".mp3", ".mp4", ".mpa", ".oga",
                                 ".ogg", ".ogv", ".ogx", ".ra", ".spx", ".wav", ".wma"});
    add(KRCategory::BackupFiles, {".bak", ".old", ".tmp"});
    add(KRCategory::CompressedFiles, {".7z", ".gz", ".rar", ".tar.gz", ".zip", ".zipx"});
    add(KRCategory::DiskImageFiles, {".cue", ".dmg", ".iso", ".toast", ".vcd"});
    add(KRCategory::DocumentFiles, {".doc", ".docx", ".odt", ".pages", ".pdf", ".rtf", ".tex", ".txt", ".wpd", ".wps",
                                    ".xlr", ".xls", ".xlsx", ".xps"});
    add(KRCategory::FontFiles, {".fnt", ".fon", ".otf", ".ttf"});
    add(KRCategory::InstallerFiles, {".exe", ".msi", ".msix", ".appx"});
    addRasterImageCategory(categories);
    add(KRCategory::VectorImageFiles, {".ai", ".eps", ".ps", ".svg"});
    add(KRCategory::VideoFiles, {".3g2", ".3gp", ".asf", ".asx", ".avi", ".flv", ".mov", ".mp4", ".mpg", ".rm", ".srt",
                                 ".swf", ".vob", ".wmv"});
    add(KRCategory::WebFiles,
        {".asp", ".aspx", ".cer", ".cfm", ".csr", ".css", ".htm", ".html", ".js", ".jsp", ".php", ".rss", ".xhtml"});
}

void KRUtils::addRasterImageCategory(QList<FileCategory> &categories)
{
    FileCategory c;
    c.name = QLatin1String(KRCategory::RasterImageFiles);
    for (const char *e : {".bmp", ".gif", ".jpg", ".jpeg", ".jpe", ".jif", ".jfif", ".jfi", ".png", ".psd", ".pspimage",
                          ".tif", ".tiff"})
        c.extensions << QLatin1String(e);
    categories.append(c);
}

void KRUtils::readCustomFileTypes(QString &types)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Keelrun\\Folder Size Analyzer\\Find Duplicate"), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return;
    WCHAR buffer[512];
    DWORD bytes = sizeof(buffer);
    if (RegQueryValueExW(key, WSTR("CustomFileType"), nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &bytes) ==
        ERROR_SUCCESS)
        types = fromWide(buffer, qsizetype(bytes / 2));
    RegCloseKey(key);
}

QImage KRUtils::fileIconImage(QString path)
{
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(wstr(nativeSeparators(path)), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON))
        return QImage();
    if (info.hIcon)
        DestroyIcon(info.hIcon);
    IImageList *list = nullptr;
    if (FAILED(SHGetImageList(SHIL_EXTRALARGE, IID_IImageList, reinterpret_cast<void **>(&list))) || !list)
        return QImage();
    QImage image;
    HICON icon = ImageList_GetIcon(reinterpret_cast<HIMAGELIST>(list), info.iIcon, ILD_NORMAL);
    if (icon) {
        image = imageFromIcon(icon);
        DestroyIcon(icon);
    }
    list->Release();
    return image;
}

QPixmap KRUtils::fileIcon(QString path)
{
    return QPixmap::fromImage(fileIconImage(path));
}
