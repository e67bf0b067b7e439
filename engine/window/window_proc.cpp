// Window messages turned into events of the tree.
#include "engine/resources/resource_manager.h"
#include "engine/window/sound_messages.h"
#include "engine/window/window.h"

namespace {

bool IsKeyMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_SYSKEYDOWN
        || message == WM_SYSKEYUP;
}

// Right and middle double clicks are not among them: such a second press is lost, as the tree expects.
bool IsButtonMessage(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

} // namespace

// Messages reaching the procedure while no main window exists (during creation and teardown) are ignored.
LRESULT IMWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IMResourceManager::Instance())
        DispatchSoundMessage(message, wParam, lParam);
    if (g_main_window)
        g_main_window->OnMessage(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void IMWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsKeyMessage(message)) {
        OnKeyboard(IMKeyboardEvent(this, message, wParam, lParam));
        return;
    }
    const IMMouseEvent mouse(this, message, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (IsButtonMessage(message)) {
        OnMouseButton(mouse);
        return;
    }
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        paused_ = wParam == SIZE_MINIMIZED;
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE:
        OnClose(IMEvent(this, IMEV_CLOSE));
        break;
    case WM_SHOWWINDOW:
        paused_ = wParam == 0;
        break;
    case WM_MOUSEMOVE:
        if (!DeviceLost())
            OnMouseMove(mouse);
        break;
    case WM_ENTERSIZEMOVE:
        paused_ = true;
        break;
    case WM_EXITSIZEMOVE:
        paused_ = false;
        break;
    default:
        break;
    }
}

// The only place a lost device is brought back; a failed reset waits for the next paint.
void IMWindow::OnPaint()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (manager && manager->IsDeviceLost() && !manager->ResetDevice())
        return;
    SetDirty(true);
}
