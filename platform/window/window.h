// Win32-shaped windows and messages: classes, the one message queue of the user-interface thread, posted
// messages from any thread, the idle wait, the cursor and the keyboard state.
// Input comes from the installed window back end (SDL or headless), translated into messages in one place.
#pragma once

#include "platform/win32.h"

struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
using ATOM = WORD;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    LPCWSTR lpszMenuName = nullptr;
    LPCWSTR lpszClassName = nullptr;
};

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0; // timeGetTime when the message was queued
    POINT pt; // cursor in screen coordinates when the message was queued
};

constexpr UINT CS_DBLCLKS = 0x0008;

constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr DWORD QS_ALLEVENTS = 0x04BF;

constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_GEN_FAILURE = 31;

// The stock arrow cursor, as LoadCursorW names it.
inline const LPCWSTR IDC_ARROW = reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(0x7F00));

// The last failure of a call on this thread.
DWORD GetLastError();
void SetLastError(DWORD error);

// A non-zero atom, or 0 (with the last error set) for a missing name or procedure or a name already registered.
ATOM RegisterClassW(const WNDCLASSW* wc);
// Fails while a window of the class exists.
BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE instance);
// Icons and cursors are handles that only name what was asked for; the window shows the default arrow.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);

// The window rectangle equals the client rectangle: the back end sizes the client area itself.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
// WS_POPUP makes a borderless window covering the screen (the client is scaled into it); other styles make an
// ordinary window of the client size. Sends WM_CREATE (lParam 0; -1 in return refuses the window), WM_SIZE and
// WM_MOVE before returning. The window starts hidden and in need of a paint.
HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR title, DWORD style, int x, int y, int width,
    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY, then drops what was queued for the window. FALSE for a window already gone.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Returns whether the window was visible before. Showing sends WM_SHOWWINDOW(TRUE) and asks for a paint; hiding
// sends WM_SHOWWINDOW(FALSE); SW_MINIMIZE and SW_RESTORE send WM_SIZE.
BOOL ShowWindow(HWND hwnd, int command);
// Sends WM_PAINT at once when the window needs painting.
BOOL UpdateWindow(HWND hwnd);
HMENU GetMenu(HWND hwnd);
BOOL DestroyMenu(HMENU menu);

// Retrieval order: posted messages (first in, first out), then WM_CLOSE asked for by platform::PostCloseRequest,
// then WM_QUIT once PostQuitMessage was called, then input, then WM_PAINT for a window that needs painting. A null
// hwnd and a 0, 0 range take everything.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove);
// Character messages are made together with their key messages, so there is nothing left to do here.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
// WM_CLOSE destroys the window; WM_PAINT marks it painted; everything else is ignored.
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Any thread; never blocks or throws. FALSE when the window is gone or the queue has no memory left. A null hwnd
// posts to the queue itself.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);
// Only the queue can be waited on (count must be 0; handles are never read). Returns WAIT_OBJECT_0 + count as
// soon as a message is ready, WAIT_TIMEOUT after ms. Under a manual clock the headless back end advances the clock
// instead of sleeping.
DWORD MsgWaitForMultipleObjects(DWORD count, const void* handles, BOOL wait_all, DWORD ms, DWORD wake_mask);
// The same name always gives the same number, from 0xC000 up; 0 for an empty name or when numbers run out.
UINT RegisterWindowMessageW(LPCWSTR name);

BOOL GetClientRect(HWND hwnd, RECT* rect);
// The client's top-left corner is at the window position given to CreateWindowExW.
BOOL ClientToScreen(HWND hwnd, POINT* point);
// Screen coordinates: client pixels offset by the window position; points over the letterbox bars and beyond the
// window lie outside the client rectangle.
BOOL GetCursorPos(POINT* point);
// Display counter: starts at 0, +1 / -1 per call, returns the new count; the cursor shows while it is >= 0.
int ShowCursor(BOOL show);
// 0x8000 while the key or mouse button is down now (generic and left/right-specific codes alike).
SHORT GetAsyncKeyState(int vk);

namespace platform {

// The display counter that ShowCursor keeps, read without changing it.
int CursorDisplayCount();
// WM_CLOSE for the window from any thread, needing no memory, so that a thread that reports a fault without any
// left still closes the program. Asked again before it is taken, it comes once. False when the window is gone.
bool PostCloseRequest(HWND hwnd) noexcept;

} // namespace platform
