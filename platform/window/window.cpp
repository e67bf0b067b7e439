// Window lifetime and geometry.
#include <map>
#include <memory>

#include "platform/window/window_backend.h"
#include "platform/window/window_records.h"

namespace {

std::map<HWND, std::unique_ptr<platform::WindowRecord>>& Windows()
{
    static std::map<HWND, std::unique_ptr<platform::WindowRecord>> windows;
    return windows;
}

// Handles are numbers never used twice, so a stale handle can be told from a live one without touching memory.
HWND NewHandle()
{
    static uintptr_t next = 0x10000;
    next += 4;
    return reinterpret_cast<HWND>(next);
}

void AnnounceVisibility(HWND hwnd, bool visible)
{
    platform::TheInputState().shown = visible ? 1 : 0;
    platform::SendToWindow(hwnd, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
}

} // namespace

namespace platform {

WindowRecord* FindWindowRecord(HWND hwnd)
{
    auto it = Windows().find(hwnd);
    return it == Windows().end() ? nullptr : it->second.get();
}

LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    WindowRecord* record = FindWindowRecord(hwnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return record->proc(hwnd, message, wparam, lparam);
}

void ForgetWindows()
{
    Windows().clear();
}

bool ClassHasWindows(const std::wstring& name)
{
    for (const auto& [hwnd, record] : Windows()) {
        if (record->class_name == name)
            return true;
    }
    return false;
}

} // namespace platform

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL)
{
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD, LPCWSTR class_name, LPCWSTR title, DWORD style, int x, int y, int width, int height, HWND,
    HMENU menu, HINSTANCE, LPVOID)
{
    auto record = std::make_unique<platform::WindowRecord>();
    if (class_name == nullptr || !platform::FindWindowClass(class_name, &record->proc, &record->class_style)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    record->class_name = class_name;
    record->style = style;
    record->origin = POINT { x, y };
    record->client = SIZE { width, height };
    record->menu = menu;
    HWND hwnd = NewHandle();
    if (!platform::CurrentWindowBackend().CreateNative(
            hwnd, title ? title : L"", style, record->origin, record->client)) {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    Windows().emplace(hwnd, std::move(record));
    platform::TheMessageQueue().AddWindow(hwnd);
    if (platform::SendToWindow(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    platform::SendToWindow(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    platform::SendToWindow(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    platform::WindowRecord* record = platform::FindWindowRecord(hwnd);
    if (record == nullptr || record->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    record->destroying = true;
    platform::SendToWindow(hwnd, WM_DESTROY, 0, 0);
    platform::CurrentWindowBackend().DestroyNative(hwnd);
    platform::TheMessageQueue().RemoveWindow(hwnd);
    Windows().erase(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return platform::FindWindowRecord(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    platform::WindowRecord* record = platform::FindWindowRecord(hwnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool was_visible = record->visible;
    bool show = command != SW_HIDE;
    record->visible = show;
    platform::CurrentWindowBackend().ShowNative(hwnd, command);
    if (show != was_visible)
        AnnounceVisibility(hwnd, show);
    if (command == SW_MINIMIZE)
        platform::SendToWindow(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    else if (command == SW_RESTORE)
        platform::SendToWindow(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(record->client.cx, record->client.cy));
    if (show && !was_visible)
        platform::TheMessageQueue().Invalidate(hwnd);
    return was_visible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (platform::TheMessageQueue().NeedsPaint(hwnd))
        platform::SendToWindow(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HMENU GetMenu(HWND hwnd)
{
    platform::WindowRecord* record = platform::FindWindowRecord(hwnd);
    return record != nullptr ? record->menu : nullptr;
}

BOOL DestroyMenu(HMENU menu)
{
    return menu != nullptr ? TRUE : FALSE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    platform::WindowRecord* record = platform::FindWindowRecord(hwnd);
    if (record == nullptr || rect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT { 0, 0, record->client.cx, record->client.cy };
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    platform::WindowRecord* record = platform::FindWindowRecord(hwnd);
    if (record == nullptr || point == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x += record->origin.x;
    point->y += record->origin.y;
    return TRUE;
}
