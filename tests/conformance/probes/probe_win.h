// What the window, taskbar, timer and menu probes share: a window class and hidden window made the way the
// helper makes its own, and a journal of what a window procedure saw, printed as one line.
#pragma once

#include "probe.h"

#include <string>

namespace probe {

// The helper's class: redrawn on resizing, the arrow cursor, the window colour.
inline bool registerWindowClass(const WCHAR *name, WNDPROC proc)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

// An overlapped window that is never shown; param reaches the procedure in CREATESTRUCTW.
inline HWND createWindow(const WCHAR *className, const WCHAR *title, LPVOID param = nullptr)
{
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), param);
}

// The helper's message loop, until WM_QUIT.
inline void runMessageLoop()
{
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// What a window procedure saw, in order, space-separated; flushed as one "key: ..." line.
class Journal
{
public:
    void note(const std::string &what)
    {
        if (!text.empty())
            text += ' ';
        text += what;
    }
    void flush(const char *key)
    {
        line(key, "%s", text.empty() ? "(none)" : text.c_str());
        text.clear();
    }

private:
    std::string text;
};

} // namespace probe
