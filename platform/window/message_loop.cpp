// Taking, dispatching and posting messages, and the idle wait.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/time/clock.h"
#include "platform/window/window_backend.h"
#include "platform/window/window_records.h"

namespace platform {
namespace {

std::unique_ptr<WindowBackend>& Backend()
{
    static std::unique_ptr<WindowBackend> backend;
    return backend;
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    msg.time = timeGetTime();
    return msg;
}

// A class without CS_DBLCLKS gets plain presses.
UINT ForClass(HWND hwnd, UINT message)
{
    bool double_click = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
    WindowRecord* record = FindWindowRecord(hwnd);
    if (double_click && record != nullptr && (record->class_style & CS_DBLCLKS) == 0)
        return message - 2;
    return message;
}

} // namespace

void InstallWindowBackend(std::unique_ptr<WindowBackend> backend)
{
    Backend() = std::move(backend);
}

WindowBackend& CurrentWindowBackend()
{
    if (!Backend()) {
        std::fputs("No window back end is installed: the program installs one before it opens a window.\n", stderr);
        std::abort();
    }
    return *Backend();
}

MessageQueue& TheMessageQueue()
{
    static MessageQueue queue;
    return queue;
}

InputState& TheInputState()
{
    static InputState state;
    return state;
}

void WaitPumping(DWORD ms, WindowBackend& backend)
{
    using namespace std::chrono;
    auto deadline = ms == INFINITE ? steady_clock::time_point::max() : steady_clock::now() + milliseconds(ms);
    MessageQueue& queue = TheMessageQueue();
    while (!queue.HasPending()) {
        auto now = steady_clock::now();
        if (now >= deadline)
            return;
        auto slice = std::min<steady_clock::duration>(milliseconds(1), deadline - now);
        if (queue.WaitForPending(duration_cast<microseconds>(slice) + microseconds(1)))
            return;
        backend.Pump();
    }
}

bool PostCloseRequest(HWND hwnd) noexcept
{
    return TheMessageQueue().PostClose(hwnd);
}

void DeliverEvent(const SDL_Event& event, const InputMapping& mapping, HWND target)
{
    std::vector<InputMessage> messages;
    TranslateEvent(event, mapping, TheInputState(), messages);
    for (const InputMessage& m : messages) {
        if (m.message == WM_PAINT)
            TheMessageQueue().Invalidate(target);
        else {
            MSG msg = MakeMessage(target, ForClass(target, m.message), m.wParam, m.lParam);
            msg.pt = TheInputState().cursor;
            TheMessageQueue().PushInput(msg);
        }
    }
}

} // namespace platform

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove)
{
    if (msg == nullptr)
        return FALSE;
    platform::CurrentWindowBackend().Pump();
    return platform::TheMessageQueue().Take(msg, hwnd, filter_min, filter_max, (remove & PM_REMOVE) != 0) ? TRUE
                                                                                                          : FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr)
        return 0;
    return platform::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        break;
    case WM_PAINT:
        platform::TheMessageQueue().Validate(hwnd);
        break;
    default:
        break;
    }
    return 0;
}

// Threads that report a fault post from inside their catch blocks, where nothing may be thrown.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    try {
        if (!platform::TheMessageQueue().Post(platform::MakeMessage(hwnd, message, wparam, lparam))) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

void PostQuitMessage(int exit_code)
{
    platform::TheMessageQueue().PostQuit(exit_code);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const void*, BOOL, DWORD ms, DWORD)
{
    if (count != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    platform::WindowBackend& backend = platform::CurrentWindowBackend();
    backend.Pump();
    if (!platform::TheMessageQueue().HasPending()) {
        backend.Wait(ms);
        backend.Pump();
    }
    return platform::TheMessageQueue().HasPending() ? WAIT_OBJECT_0 + count : WAIT_TIMEOUT;
}
