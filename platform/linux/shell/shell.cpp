// Shell folders, the folder browser, COM start-up and class creation, and message boxes. Boxes and the
// folder browser take the machine's scripted answers first (tests), else show their dialogs (folderbrowser.cpp).
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/hostnames.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"
#include "linux/machine/ownfolder.h"
#include "linux/shell/folderbrowser.h"
#include "linux/shell/userfolders.h"
#include "linux/windows/windowtable.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QThread>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {
HRESULT createShellLink(REFIID riid, void **ppv);        // shelllink.cpp
HRESULT createDesktopWallpaper(REFIID riid, void **ppv); // deskwallpaper.cpp
HRESULT createShellLink(REFIID riid, void **ppv);        // shelllink.cpp
HRESULT createTaskService(REFIID riid, void **ppv);      // taskscheduler.cpp
HRESULT createDeviceEnumerator(REFIID riid, void **ppv); // codecs.cpp
} // namespace standin

// An item identifier list of the stand-in: a marker, then the folder's host path (NUL-terminated).
struct _ITEMIDLIST
{
    quint32 magic;
};

namespace {

const quint32 idListMagic = 0x4C444950; // "PIDL"

enum class Base { Profile, Roaming, Local, ProgramData, Windows, UserFolder, Public, Root };

struct KnownFolder
{
    int csidl;
    Base base;
    const char *sub;                                                     // below the base
    QStandardPaths::StandardLocation xdg = QStandardPaths::HomeLocation; // UserFolder: the host's own
    const char *xdgKey = nullptr; // UserFolder: its name in the host's user-dirs.dirs
};

const KnownFolder knownFolders[] = {
    {CSIDL_PROFILE, Base::Profile, ""},
    {CSIDL_APPDATA, Base::Roaming, ""},
    {CSIDL_LOCAL_APPDATA, Base::Local, ""},
    {CSIDL_COMMON_APPDATA, Base::ProgramData, ""},
    {CSIDL_WINDOWS, Base::Windows, ""},
    {CSIDL_SYSTEM, Base::Windows, "System32"},
    {CSIDL_PROGRAMS, Base::Roaming, "Microsoft/Windows/Start Menu/Programs"},
    {CSIDL_STARTUP, Base::Roaming, "Microsoft/Windows/Start Menu/Programs/Startup"},
    {CSIDL_RECENT, Base::Roaming, "Microsoft/Windows/Recent"},
    {CSIDL_COMMON_PROGRAMS, Base::ProgramData, "Microsoft/Windows/Start Menu/Programs"},
    {CSIDL_COMMON_STARTUP, Base::ProgramData, "Microsoft/Windows/Start Menu/Programs/StartUp"},
    {CSIDL_INTERNET_CACHE, Base::Local, "Microsoft/Windows/INetCache"},
    {CSIDL_COOKIES, Base::Local, "Microsoft/Windows/INetCookies"},
    {CSIDL_HISTORY, Base::Local, "Microsoft/Windows/History"},
    {CSIDL_PERSONAL, Base::UserFolder, "Documents", QStandardPaths::DocumentsLocation, "XDG_DOCUMENTS_DIR"},
    {CSIDL_MYMUSIC, Base::UserFolder, "Music", QStandardPaths::MusicLocation, "XDG_MUSIC_DIR"},
    {CSIDL_MYPICTURES, Base::UserFolder, "Pictures", QStandardPaths::PicturesLocation, "XDG_PICTURES_DIR"},
    {CSIDL_MYVIDEO, Base::UserFolder, "Videos", QStandardPaths::MoviesLocation, "XDG_VIDEOS_DIR"},
    {CSIDL_DESKTOPDIRECTORY, Base::UserFolder, "Desktop", QStandardPaths::DesktopLocation, "XDG_DESKTOP_DIR"},
    {CSIDL_DESKTOP, Base::UserFolder, "Desktop", QStandardPaths::DesktopLocation, "XDG_DESKTOP_DIR"},
    {CSIDL_ADMINTOOLS, Base::Roaming, "Microsoft/Windows/Start Menu/Programs/Administrative Tools"},
    {CSIDL_CDBURN_AREA, Base::Local, "Microsoft/Windows/Burn/Burn"},
    {CSIDL_COMMON_ADMINTOOLS, Base::ProgramData, "Microsoft/Windows/Start Menu/Programs/Administrative Tools"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, Base::Public, "Desktop"},
    {CSIDL_COMMON_DOCUMENTS, Base::Public, "Documents"},
    {CSIDL_COMMON_FAVORITES, Base::Public, "Favorites"},
    {CSIDL_COMMON_MUSIC, Base::Public, "Music"},
    {CSIDL_COMMON_PICTURES, Base::Public, "Pictures"},
    {CSIDL_COMMON_VIDEO, Base::Public, "Videos"},
    {CSIDL_COMMON_STARTMENU, Base::ProgramData, "Microsoft/Windows/Start Menu"},
    {CSIDL_COMMON_TEMPLATES, Base::ProgramData, "Microsoft/Windows/Templates"},
    {CSIDL_FAVORITES, Base::Profile, "Favorites"},
    {CSIDL_FONTS, Base::Windows, "Fonts"},
    {CSIDL_NETHOOD, Base::Roaming, "Microsoft/Windows/Network Shortcuts"},
    {CSIDL_PRINTHOOD, Base::Roaming, "Microsoft/Windows/Printer Shortcuts"},
    {CSIDL_PROGRAM_FILES, Base::Root, "Program Files"},
    {CSIDL_PROGRAM_FILESX86, Base::Root, "Program Files (x86)"},
    {CSIDL_PROGRAM_FILES_COMMON, Base::Root, "Program Files/Common Files"},
    {CSIDL_PROGRAM_FILES_COMMONX86, Base::Root, "Program Files (x86)/Common Files"},
    {CSIDL_RESOURCES, Base::Windows, "resources"},
    {CSIDL_SENDTO, Base::Roaming, "Microsoft/Windows/SendTo"},
    {CSIDL_STARTMENU, Base::Roaming, "Microsoft/Windows/Start Menu"},
    {CSIDL_SYSTEMX86, Base::Windows, "SysWOW64"},
    {CSIDL_TEMPLATES, Base::Roaming, "Microsoft/Windows/Templates"},
    // The virtual folders (Control Panel, Printers, Network, ...) and the retired alternate Startup folders
    // have no file-system path: they are not listed, so the call fails for them as on Windows.
};

QString baseFolder(Base base)
{
    switch (base) {
    case Base::Profile:
    case Base::UserFolder:
        return machine::userProfile();
    case Base::Roaming:
        return machine::roamingAppData();
    case Base::Local:
        return machine::localAppData();
    case Base::ProgramData:
        return machine::programDataFolder();
    case Base::Windows:
        return machine::windowsFolder();
    case Base::Public:
        return QFileInfo(machine::userProfile()).path() + QStringLiteral("/Public");
    case Base::Root:
        return machine::systemDrive();
    }
    return QString();
}

// Whether the host's user-dirs.dirs names this folder itself (xdg-user-dirs), rather than leaving it to the
// default name under the home folder.
bool namedByHost(const char *key)
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    QByteArray text;
    if (regularfile::read(config + QStringLiteral("/user-dirs.dirs"), 64 * 1024, &text) != regularfile::Outcome::Read)
        return false;
    const QByteArray prefix = QByteArray(key) + '=';
    for (const QByteArray &line : text.split('\n'))
        if (line.trimmed().startsWith(prefix))
            return true;
    return false;
}

// The user's Documents, Music, Pictures, Videos or Desktop folder: the host's own where the host has one (named
// in user-dirs.dirs, or there under its default name), else the machine's, in the machine's user profile.
// A folder the host names but lacks is made only when the caller asks (create), as Windows does.
QString userFolder(const KnownFolder &known, bool *create)
{
    const QString host = QDir::cleanPath(QStandardPaths::writableLocation(known.xdg));
    // user-dirs.dirs sets a folder to the home folder itself to say the host has none.
    const bool none = host.isEmpty() || host == QDir::cleanPath(QDir::homePath());
    if (!none && (QFileInfo(host).isDir() || namedByHost(known.xdgKey)))
        return host;
    *create = true;
    return machine::userProfile() + QLatin1Char('/') + QLatin1String(known.sub);
}

// Makes a folder that is missing. One in the machine folder is made only through the machine's own folders,
// never through a link that stands in for one; a host user's folder is theirs to reach as they link it.
bool makeFolder(const QString &folder)
{
    const QString machineFolder = machine::folder();
    if (!folder.startsWith(machineFolder + QLatin1Char('/')))
        return QDir().mkpath(folder);
    const int fd = ownfolder::open(machineFolder, folder.mid(machineFolder.size() + 1), true);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The profile's own entry for a user folder (C:\Users\<name>\Documents, ...) made a symbolic link to the host
// user's folder, as a prefix links them, so Windows paths reach the host's files. A real folder the profile
// already holds with files in it (the machine's own, from before the host had one) stays as it is: nothing in
// it is hidden or lost. False when the entry cannot lead to the host folder.
bool linkIntoProfile(const QString &entry, const QString &hostFolder)
{
    // Done in the profile folder as the machine's own folders reach it, through no link, and on the entry
    // looked at: a link put in the profile's place never takes the link, or the removal, outside.
    const QString machineFolder = machine::folder();
    const qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
    if (slash <= machineFolder.size() || !entry.startsWith(machineFolder + QLatin1Char('/')))
        return false;
    const int folder =
        ownfolder::open(machineFolder, entry.mid(machineFolder.size() + 1, slash - machineFolder.size() - 1), true);
    if (folder < 0)
        return false;
    const QByteArray name = hostnames::encode(entry.mid(slash + 1));
    const QByteArray target = hostnames::encode(hostFolder);
    bool linked = false;
    struct stat st;
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        linked = ::symlinkat(target.constData(), folder, name.constData()) == 0;
    } else if (S_ISLNK(st.st_mode)) {
        QByteArray held(PATH_MAX, '\0');
        const ssize_t n = ::readlinkat(folder, name.constData(), held.data(), size_t(held.size()));
        const QString now = n > 0 && n < held.size() ? hostnames::decode(held.left(n)) : QString();
        linked = !now.isEmpty() && QDir::cleanPath(QDir(entry.left(slash)).absoluteFilePath(now)) == hostFolder;
        if (!linked && ::unlinkat(folder, name.constData(), 0) == 0)
            linked = ::symlinkat(target.constData(), folder, name.constData()) == 0;
    } else if (S_ISDIR(st.st_mode)) {
        // Only an empty folder goes: the host removes no other.
        if (::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0)
            linked = ::symlinkat(target.constData(), folder, name.constData()) == 0;
    }
    ::close(folder);
    return linked;
}

// Runs f on the GUI thread and waits for it: Windows shows boxes from any thread, Qt only from that one.
template <typename F> void onGuiThread(F f)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        f();
    else
        QMetaObject::invokeMethod(app, f, Qt::BlockingQueuedConnection);
}

bool haveWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

char16_t *idListText(const _ITEMIDLIST *pidl)
{
    return reinterpret_cast<char16_t *>(reinterpret_cast<char *>(const_cast<_ITEMIDLIST *>(pidl)) +
                                        sizeof(_ITEMIDLIST));
}

PIDLIST_ABSOLUTE newIdList(const QString &path)
{
    const size_t bytes = sizeof(_ITEMIDLIST) + (size_t(path.size()) + 1) * sizeof(char16_t);
    auto *pidl = static_cast<_ITEMIDLIST *>(std::malloc(bytes));
    if (!pidl)
        return nullptr;
    pidl->magic = idListMagic;
    char16_t *out = idListText(pidl);
    for (qsizetype i = 0; i < path.size(); ++i)
        out[i] = path.at(i).unicode();
    out[path.size()] = 0;
    return pidl;
}

QString idListPath(PCIDLIST_ABSOLUTE pidl)
{
    if (!pidl || pidl->magic != idListMagic)
        return QString();
    return fromWide(idListText(pidl));
}

// COM apartment of the calling thread. Qt initialises COM (single-threaded) on the GUI thread of a GUI
// application on Windows, so that thread counts as initialised without a call of ours.
thread_local int comCount = 0;
thread_local bool comSingleThreaded = false;

bool guiThreadInitialised()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

int parseAnswer(const QString &answer)
{
    static const struct
    {
        const char *name;
        int id;
    } names[] = {{"IDOK", IDOK},         {"IDCANCEL", IDCANCEL}, {"IDABORT", IDABORT}, {"IDRETRY", IDRETRY},
                 {"IDIGNORE", IDIGNORE}, {"IDYES", IDYES},       {"IDNO", IDNO}};
    for (const auto &n : names)
        if (answer.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.id;
    bool ok = false;
    const int id = answer.toInt(&ok);
    if (!ok)
        qWarning("MessageBoxW: scripted answer %s is not a button", qPrintable(answer));
    return ok ? id : 0;
}

int showMessageBox(const QString &text, const QString &caption, UINT type)
{
    const UINT buttons = type & 0xF;
    if (!haveWidgets()) {
        if (buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL)
            return IDCANCEL;
        return buttons == MB_YESNO ? IDNO : IDOK;
    }
    int result = IDCANCEL;
    onGuiThread([&] {
        QMessageBox box;
        box.setWindowTitle(caption);
        box.setText(text);
        box.setTextFormat(Qt::PlainText);
        switch (type & 0xF0) {
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
        }
        // The buttons in the order Windows places them; MB_DEFBUTTONn makes the n-th the default.
        QList<QMessageBox::StandardButton> order;
        switch (buttons) {
        case MB_OKCANCEL:
            order = {QMessageBox::Ok, QMessageBox::Cancel};
            break;
        case MB_YESNOCANCEL:
            order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
            break;
        case MB_YESNO:
            order = {QMessageBox::Yes, QMessageBox::No};
            break;
        default:
            order = {QMessageBox::Ok};
            break;
        }
        QMessageBox::StandardButtons standard;
        for (QMessageBox::StandardButton b : std::as_const(order))
            standard |= b;
        box.setStandardButtons(standard);
        const int defaultButton = int((type & 0xF00) >> 8);
        box.setDefaultButton(order.value(defaultButton, order.first()));
        if (type & MB_TOPMOST)
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (type & MB_SETFOREGROUND) {
            box.show();
            box.raise();
            box.activateWindow();
        }
        switch (box.exec()) {
        case QMessageBox::Ok:
            result = IDOK;
            break;
        case QMessageBox::Yes:
            result = IDYES;
            break;
        case QMessageBox::No:
            result = IDNO;
            break;
        default:
            result = buttons == MB_OK ? IDOK : IDCANCEL;
            break;
        }
    });
    return result;
}

} // namespace

namespace userfolders {

QString throughLink(const QString &hostPath)
{
    const QString profile = machine::userProfile();
    if (hostPath.size() <= profile.size() + 1 || !hostPath.startsWith(profile) ||
        hostPath.at(profile.size()) != QLatin1Char('/'))
        return hostPath;
    const qsizetype end = hostPath.indexOf(QLatin1Char('/'), profile.size() + 1);
    const QString entry = end < 0 ? hostPath : hostPath.left(end);
    const QString name = entry.mid(profile.size() + 1);
    bool userFolder = false;
    for (const KnownFolder &k : knownFolders)
        userFolder |= k.base == Base::UserFolder && name == QLatin1String(k.sub);
    struct stat st;
    if (!userFolder || ::lstat(hostnames::encode(entry).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return hostPath;
    // Only a link to a folder stands for one; the host folder is named by its own path, without links.
    char *resolved = ::realpath(hostnames::encode(entry).constData(), nullptr);
    if (!resolved)
        return hostPath;
    const QByteArray target(resolved);
    std::free(resolved);
    if (::stat(target.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return hostPath;
    const QString folder = hostnames::decode(target);
    return end < 0 ? folder : folder + hostPath.mid(end);
}

} // namespace userfolders

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath)
{
    if (!pszPath)
        return E_INVALIDARG;
    pszPath[0] = 0;
    if (machine::setting(QStringLiteral("fail.SHGetFolderPathW")) == QLatin1String("1"))
        return E_FAIL;
    const int id = csidl & ~CSIDL_FLAG_MASK;
    const KnownFolder *known = nullptr;
    for (const KnownFolder &k : knownFolders)
        if (k.csidl == id)
            known = &k;
    if (!known)
        return E_INVALIDARG;

    QString path;
    bool create = true; // the machine's folders exist on a real Windows; make them on first use
    if (known->base == Base::UserFolder && machine::setting(QStringLiteral("xdg")) != QLatin1String("0")) {
        create = csidl & CSIDL_FLAG_CREATE; // the host's own folders only when asked to
        const QString own = QDir::cleanPath(userFolder(*known, &create));
        path = QDir::cleanPath(machine::userProfile() + QLatin1Char('/') + QLatin1String(known->sub));
        if (own != path) {
            if (!QFileInfo(own).isDir() && !(create && makeFolder(own)))
                return E_FAIL;
            // Where the profile keeps a folder of its own, that one is the answer.
            if (!linkIntoProfile(path, own) && !QFileInfo(path).isDir())
                return E_FAIL;
        }
    } else {
        path = baseFolder(known->base);
        if (*known->sub)
            path += QLatin1Char('/') + QLatin1String(known->sub);
    }
    path = QDir::cleanPath(path);
    if (path.isEmpty())
        return E_FAIL;
    if (!QFileInfo(path).isDir() && !(create && makeFolder(path)))
        return E_FAIL;
    const QString windows = standin::windowsPath(path);
    if (windows.size() >= MAX_PATH)
        return E_FAIL;
    copyToWide(windows, pszPath, MAX_PATH);
    return S_OK;
}

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW lpbi)
{
    if (!lpbi)
        return nullptr;
    // The dialog is a window of this process, so the callback can send it messages.
    QString selection;
    // The callback may also press OK (the selection, when it is a folder) or Cancel, as on the real dialog.
    int pressed = 0;
    HWND dialog =
        windowtable::createWindow(DWORD(getpid()), QStringLiteral("#32770"), QStringLiteral("Browse For Folder"));
    windowtable::setLocalProc(dialog, [&selection, &pressed](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == BFFM_SETSELECTIONW && lParam) {
            selection = wParam ? fromWide(reinterpret_cast<LPCWSTR>(lParam))
                               : idListPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
            machine::log(QStringLiteral("BrowseForFolder"), selection);
        } else if (msg == WM_COMMAND &&
                   (LOWORD(wParam) == IDCANCEL || (LOWORD(wParam) == IDOK && QFileInfo(hostPath(selection)).isDir()))) {
            pressed = LOWORD(wParam);
        }
        return 0;
    });
    if (lpbi->lpfn)
        lpbi->lpfn(dialog, BFFM_INITIALIZED, 0, lpbi->lParam);

    // A scripted answer may be a host path (tests); the callback's selection and the dialog give Windows paths.
    QString chosen;
    QString displayName;
    if (pressed) {
        if (pressed == IDOK)
            chosen = hostPath(selection);
    } else if (std::optional<QString> answer = machine::takeAnswer(QStringLiteral("BrowseForFolder"))) {
        if (!answer->isEmpty())
            chosen = hostPath(*answer);
    } else if (haveWidgets()) {
        const QString title = fromWide(lpbi->lpszTitle);
        onGuiThread([&] {
            const folderbrowser::Answer answer = folderbrowser::run(dialog, title, selection, lpbi->ulFlags);
            chosen = answer.path;
            displayName = answer.displayName;
        });
    }
    windowtable::clearLocalProc(dialog);
    windowtable::destroyWindow(dialog);

    if (chosen.isEmpty())
        return nullptr;
    if (chosen.startsWith(QLatin1Char('/')))
        chosen = fromHostPath(QDir::cleanPath(chosen));
    if (displayName.isEmpty())
        displayName = folderbrowser::displayName(chosen);
    if (lpbi->pszDisplayName)
        copyToWide(displayName, lpbi->pszDisplayName, MAX_PATH);
    return newIdList(chosen);
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath)
{
    if (!pszPath)
        return FALSE;
    const QString path = idListPath(pidl);
    // The buffer holds MAX_PATH characters; a longer path is not cut short but refused.
    if (path.isEmpty() || path.size() >= MAX_PATH) {
        pszPath[0] = 0;
        return FALSE;
    }
    copyToWide(path, pszPath, MAX_PATH);
    return TRUE;
}

void CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}

HRESULT CoInitialize(LPVOID pvReserved)
{
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID, DWORD dwCoInit)
{
    const bool singleThreaded = dwCoInit & COINIT_APARTMENTTHREADED;
    const bool initialised = comCount > 0 || guiThreadInitialised();
    if (initialised) {
        const bool current = comCount > 0 ? comSingleThreaded : true;
        if (current != singleThreaded)
            return RPC_E_CHANGED_MODE;
    }
    ++comCount;
    comSingleThreaded = singleThreaded;
    return initialised ? S_FALSE : S_OK;
}

void CoUninitialize()
{
    if (comCount > 0)
        --comCount;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (comCount == 0 && !guiThreadInitialised())
        return CO_E_NOTINITIALIZED;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    if (rclsid == CLSID_ShellLink && (dwClsContext & CLSCTX_INPROC_SERVER))
        return standin::createShellLink(riid, ppv);
    if (rclsid == CLSID_DesktopWallpaper && (dwClsContext & CLSCTX_LOCAL_SERVER))
        return standin::createDesktopWallpaper(riid, ppv);
    if (rclsid == CLSID_TaskScheduler && (dwClsContext & CLSCTX_INPROC_SERVER))
        return standin::createTaskService(riid, ppv);
    if (rclsid == CLSID_SystemDeviceEnum && (dwClsContext & CLSCTX_INPROC_SERVER))
        return standin::createDeviceEnumerator(riid, ppv);
    return REGDB_E_CLASSNOTREG;
}

int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    const QString text = fromWide(lpText);
    const QString caption = lpCaption ? fromWide(lpCaption) : QStringLiteral("Error");
    machine::log(QStringLiteral("MessageBox"), caption + QLatin1Char('|') + text);
    if (std::optional<QString> answer = machine::takeAnswer(QStringLiteral("MessageBox")))
        return parseAnswer(*answer);
    return showMessageBox(text, caption, uType);
}
