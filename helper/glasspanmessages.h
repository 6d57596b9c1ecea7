// The helper's identity and the messages the main program posts to it (lParam 0): the one contract that
// both programs compile against.
#pragma once

#include "win32.h"

#define GLASSPAN_WINDOW_CLASS WSTR("GLASSPAN")
#define GLASSPAN_WINDOW_TITLE WSTR("Transparent Taskbar")

#define WM_GLASSPAN_SET (WM_USER + 109)
#define HELPER_MSG_TASKBAR_ON (WM_USER + 110)
#define HELPER_MSG_TASKBAR_OFF (WM_USER + 111)
#define HELPER_MSG_DARKMODE_RELOAD (WM_USER + 200)
#define HELPER_MSG_DARKMODE_ON (WM_USER + 201)
#define HELPER_MSG_DARKMODE_OFF (WM_USER + 202)
#define HELPER_MSG_WALLPAPER_RELOAD (WM_USER + 300)
#define HELPER_MSG_WALLPAPER_RELOAD_NOW (WM_USER + 301)
#define HELPER_MSG_WALLPAPER_ON (WM_USER + 302)
#define HELPER_MSG_WALLPAPER_OFF (WM_USER + 303)
#define HELPER_MSG_TRAYICON_RELOAD (WM_USER + 500)
