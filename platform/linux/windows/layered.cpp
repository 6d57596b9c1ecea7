// Window styles and layered-window opacity, kept in the machine's window table so that every process sees
// them (the taskbar's opacity is what a test reads after the helper set it).
#include "win32.h"
#include "linux/machine/machine.h"

using machine::Query;

namespace {

// A window of the table and a style index the stand-in keeps; sets the error otherwise.
bool validStyleAccess(HWND hWnd, int index)
{
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (index != GWL_STYLE && index != GWL_EXSTYLE) {
        SetLastError(ERROR_INVALID_INDEX);
        return false;
    }
    return true;
}

} // namespace

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex)
{
    if (!validStyleAccess(hWnd, nIndex))
        return 0;
    machine::Lock lock;
    Query q(nIndex == GWL_STYLE ? "SELECT style FROM windows WHERE hwnd=?"
                                : "SELECT exstyle FROM windows WHERE hwnd=?");
    q.bind(1, qint64(reinterpret_cast<quintptr>(hWnd)));
    return q.next() ? LONG(q.integer(0)) : 0;
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    if (!validStyleAccess(hWnd, nIndex))
        return 0;
    const LONG previous = GetWindowLongW(hWnd, nIndex);
    machine::Lock lock;
    Query q(nIndex == GWL_STYLE ? "UPDATE windows SET style=? WHERE hwnd=?"
                                : "UPDATE windows SET exstyle=? WHERE hwnd=?");
    q.bind(1, qint64(DWORD(dwNewLong))).bind(2, qint64(reinterpret_cast<quintptr>(hWnd))).exec();
    SetLastError(0);
    return previous;
}

BOOL WINAPI SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE bAlpha, DWORD dwFlags)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // Windows refuses windows that are not layered.
    if (!(DWORD(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_LAYERED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dwFlags & LWA_ALPHA) {
        machine::Lock lock;
        Query q("UPDATE windows SET alpha=? WHERE hwnd=?");
        q.bind(1, qint64(bAlpha)).bind(2, qint64(reinterpret_cast<quintptr>(hwnd))).exec();
    }
    return TRUE;
}
