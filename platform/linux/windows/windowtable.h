// The machine's window table: the windows of our two programs and of the simulated shell (the taskbar
// "Shell_TrayWnd" and the Explorer process that owns it), and the messages posted to them.
#pragma once

#include "linux/machine/w32types.h"

#include <QList>
#include <functional>
#include <QString>

namespace windowtable {

// Simulated processes have ids above every host process id.
constexpr DWORD firstSimulatedPid = 5000000;

struct Message
{
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Called once when a machine is created: the simulated Explorer and its taskbar window.
void seed();
HWND createWindow(DWORD pid, const QString &className, const QString &title);
void destroyWindow(HWND hwnd);
bool processAlive(DWORD pid);
// Starts a simulated process (such as Explorer) and returns its id.
DWORD startSimulatedProcess(const QString &name);
void endSimulatedProcess(DWORD pid);
QString simulatedProcessName(DWORD pid);
// The simulated processes still running, by id, in the order they started.
QList<DWORD> simulatedProcesses();
// Windows of this process can have a procedure that SendMessageW calls directly (dialogs of the stand-in,
// the helper's own windows). Register a window created with createWindow, or any handle of the stand-in's
// own (such as a dialog that is not in the table).
using LocalProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
void setLocalProc(HWND hwnd, LocalProc proc);
void clearLocalProc(HWND hwnd);
bool callLocalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result);

// Messages posted to windows of this process, oldest first; taken messages are removed.
QList<Message> takeMessages(DWORD pid);

} // namespace windowtable
