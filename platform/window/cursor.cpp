// The cursor's display counter and position, and the keyboard state as the program polls it.
#include <atomic>

#include "platform/window/window_backend.h"
#include "platform/window/window_records.h"

namespace {
std::atomic<int> g_cursor_count { 0 };
}

BOOL GetCursorPos(POINT* point)
{
    if (point == nullptr)
        return FALSE;
    if (!platform::CurrentWindowBackend().CursorPos(point))
        *point = platform::TheInputState().cursor;
    return TRUE;
}

int ShowCursor(BOOL show)
{
    int count = show ? ++g_cursor_count : --g_cursor_count;
    if (count == 0 || count == -1)
        platform::CurrentWindowBackend().SetCursorVisible(count >= 0);
    return count;
}

SHORT GetAsyncKeyState(int vk)
{
    return platform::AsyncKeyState(platform::TheInputState(), vk);
}

namespace platform {

int CursorDisplayCount()
{
    return g_cursor_count;
}

void ResetCursorDisplayCount()
{
    g_cursor_count = 0;
}

} // namespace platform
