#include "helperharness.h"

#include "glasspan.h"
#include "linux/machine/machine.h"
#include "linux/system/machineclock.h"
#include "linux/windows/notifyicons.h"
#include "linux/windows/timers.h"
#include "linux/windows/windowtable.h"
#include "linux/windows/winloop.h"

#include <QTimeZone>

namespace harness {

void setDword(const QString &key, const QString &name, DWORD value)
{
    setDwordBytes(key, name, QByteArray(reinterpret_cast<const char *>(&value), sizeof value));
}

bool setDwordBytes(const QString &key, const QString &name, const QByteArray &data)
{
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(key), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExW(k, wstr(name), 0, REG_DWORD, reinterpret_cast<const BYTE *>(data.constData()),
                                    DWORD(data.size()));
    RegCloseKey(k);
    return set == ERROR_SUCCESS;
}

void setString(const QString &key, const QString &name, const QString &value)
{
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, wstr(key), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    RegSetValueExW(k, wstr(name), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.utf16()),
                   DWORD((value.size() + 1) * 2));
    RegCloseKey(k);
}

void removeValue(const QString &key, const QString &name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(key), 0, KEY_WRITE, &k) == ERROR_SUCCESS) {
        RegDeleteValueW(k, wstr(name));
        RegCloseKey(k);
    }
}

qint64 dword(const QString &key, const QString &name)
{
    DWORD v = 0;
    DWORD size = sizeof v;
    if (RegGetValueW(HKEY_CURRENT_USER, wstr(key), wstr(name), RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
        return -1;
    return v;
}

void setClock(const QString &zone, const QDateTime &local)
{
    machine::setSetting(QStringLiteral("timezone"), zone);
    const QDateTime at(local.date(), local.time(), QTimeZone(zone.toUtf8()));
    machineclock::setTestClock(at.toUTC());
}

bool start(const QString &commandLine)
{
    std::u16string line = commandLine.toStdU16String();
    const bool started = startHelper(GetModuleHandleW(nullptr), line.c_str());
    winloop::pump();
    return started;
}

void stop()
{
    if (helper.window)
        finishHelper(0);
    winloop::takeQuit(nullptr);
    machineclock::stopTestClock();
}

void post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageW(helper.window, message, wParam, lParam);
    winloop::pump();
}

void pump()
{
    winloop::pump();
}

void advance(qint64 ms)
{
    winloop::advance(ms);
}

qint64 timer(UINT_PTR id)
{
    for (const timers::Entry &e : timers::all())
        if (e.hwnd == helper.window && e.id == id)
            return e.period;
    return -1;
}

HWND taskbar()
{
    return FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
}

static qint64 windowColumn(HWND hwnd, const char *sql)
{
    machine::Lock lock;
    machine::Query q(sql);
    q.bind(1, qint64(reinterpret_cast<quintptr>(hwnd)));
    return q.next() ? q.integer(0) : -1;
}

int taskbarAlpha()
{
    return int(windowColumn(taskbar(), "SELECT alpha FROM windows WHERE hwnd=?"));
}

DWORD taskbarExStyle()
{
    return DWORD(windowColumn(taskbar(), "SELECT exstyle FROM windows WHERE hwnd=?"));
}

DWORD explorerProcess()
{
    DWORD pid = 0;
    GetWindowThreadProcessId(taskbar(), &pid);
    return pid;
}

void endExplorer()
{
    windowtable::endSimulatedProcess(explorerProcess());
}

void startExplorer()
{
    const DWORD pid = windowtable::startSimulatedProcess(QStringLiteral("explorer.exe"));
    windowtable::createWindow(pid, QStringLiteral("Shell_TrayWnd"), QString());
}

bool trayIconShown()
{
    for (const notifyicons::Icon &icon : notifyicons::icons())
        if (icon.hwnd == helper.window && icon.uid == TRAY_ICON_ID)
            return true;
    return false;
}

QStringList lastMenu()
{
    const QStringList shown = machine::logged(QStringLiteral("TrackPopupMenu"));
    return shown.isEmpty() ? QStringList() : shown.last().split(QLatin1Char(';'));
}

} // namespace harness
