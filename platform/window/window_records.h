// The windows and classes known to the message layer (user-interface thread only).
#pragma once

#include <string>

#include "platform/window/window.h"

namespace platform {

struct WindowRecord {
    std::wstring class_name;
    WNDPROC proc = nullptr;
    UINT class_style = 0;
    DWORD style = 0;
    POINT origin;
    SIZE client;
    HMENU menu = nullptr;
    bool visible = false;
    bool destroying = false;
};

WindowRecord* FindWindowRecord(HWND hwnd);
// Calls the window procedure at once; 0 for a window that is gone.
LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// The class's procedure and style, or false when no class has that name.
bool FindWindowClass(const std::wstring& name, WNDPROC* proc, UINT* style);
bool ClassHasWindows(const std::wstring& name);
// Drop every window record or class without calling any procedure.
void ForgetWindows();
void ForgetWindowClasses();
// Back to a display counter of 0.
void ResetCursorDisplayCount();

} // namespace platform
