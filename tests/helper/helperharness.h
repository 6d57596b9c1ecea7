// Driving the helper inside a test process: its start-up and shutdown without the blocking loop, the
// stand-in's test clock, its messages and timers, and the machine values the tests read.
#pragma once

#include "win32.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace harness {

// Registry values under HKEY_CURRENT_USER.
void setDword(const QString &key, const QString &name, DWORD value);
// A REG_DWORD holding these bytes, whatever their number (another program may write any size).
bool setDwordBytes(const QString &key, const QString &name, const QByteArray &data);
void setString(const QString &key, const QString &name, const QString &value);
void removeValue(const QString &key, const QString &name);
// The value, or -1 when it is absent.
qint64 dword(const QString &key, const QString &name);

// The machine's time zone and the test clock, stopped at a local moment of that zone.
void setClock(const QString &zone, const QDateTime &local);

// Start-up (steps 1 to 13) and shutdown (step 15) of the helper in this process.
bool start(const QString &commandLine = QString());
void stop();
// Posts a message to the helper's window and lets the loop handle what is waiting.
void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void pump();
// Moves the clock, firing the timers that fall due.
void advance(qint64 ms);
// Period in ms of one of the helper window's timers, -1 when it does not run.
qint64 timer(UINT_PTR id);

// The simulated taskbar.
HWND taskbar();
int taskbarAlpha();
DWORD taskbarExStyle();
DWORD explorerProcess();
void endExplorer();
void startExplorer();

// The helper's tray icon as the machine records it.
bool trayIconShown();
// The items of the last popup menu shown ("path#id", "*" when ticked).
QStringList lastMenu();

} // namespace harness
