#include "engine/window/window.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "engine/resources/resource_manager.h"
#include "engine/window/sound_messages.h"
#include "platform/resources/resources.h"

IMWindow* g_main_window = nullptr;
HWND g_main_window_handle = nullptr;

namespace {

const LPCWSTR kClassName = L"IMguiWindowClass";
constexpr WORD kIconGroup = 500;
constexpr D3DCOLOR kBlack = 0xFF000000u;

// An exit status keeps only 8 bits: an error code that does not fit (or none) ends with 1, never with success.
[[noreturn]] void EndProcess(const char* what)
{
    const DWORD code = GetLastError();
    std::fprintf(stderr, "%s (error %u)\n", what, unsigned(code));
    std::exit(code > 0 && code < 256 ? int(code) : 1);
}

void RegisterWindowClass(HINSTANCE instance)
{
    WNDCLASSW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = IMWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconGroup));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: the window shows black until the first frame is presented.
    wc.lpszClassName = kClassName;
    if (RegisterClassW(&wc) == 0)
        EndProcess("the window class could not be registered");
}

// A failed start leaves no window behind, so the caller may report it and end, or try again.
void StartGraphicsFor(HWND hwnd, bool windowed)
{
    try {
        IMResourceManager::StartGraphics(windowed, hwnd);
    } catch (...) {
        DestroyWindow(hwnd);
        UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
        g_main_window_handle = nullptr;
        throw;
    }
}

} // namespace

IMWindow::IMWindow()
    : IMDialogBase<IMEmptyView>(nullptr, nullptr, 0)
{
}

IMWindow* IMWindow::Create(HMENU menu, const RECT* rect, const std::wstring& caption, bool windowed, HINSTANCE instance)
{
    if (!rect)
        throw std::invalid_argument("IMWindow::Create needs the window rectangle");
    if (!instance)
        instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance);
    RECT client { 0, 0, rect->right - rect->left, rect->bottom - rect->top };
    const DWORD style = windowed ? (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) : WS_POPUP;
    AdjustWindowRect(&client, style, menu != nullptr);
    HWND hwnd = CreateWindowExW(0, kClassName, caption.c_str(), style, rect->left, rect->top,
        client.right - client.left, client.bottom - client.top, nullptr, menu, instance, nullptr);
    if (!hwnd)
        EndProcess("the main window could not be opened");
    g_main_window_handle = hwnd;
    SoundMessageNumbers();
    // The window control's rectangle is the back buffer, so the device comes first.
    StartGraphicsFor(hwnd, windowed);
    g_main_window = new IMWindow;
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);
    return g_main_window;
}

// Children go before the graphics stop: their pictures are textures of the manager.
IMWindow::~IMWindow()
{
    FlushRemovals();
    DisposeChildren();
    if (HMENU menu = GetMenu(g_main_window_handle))
        DestroyMenu(menu);
    IMResourceManager::StopGraphics();
    g_main_window = nullptr;
    DestroyWindow(g_main_window_handle);
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    timers_.Clear();
}

bool IMWindow::DeviceLost()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    return !manager || manager->IsDeviceLost();
}

int IMWindow::Run(IMWindow* window)
{
    if (!window)
        throw std::invalid_argument("IMWindow::Run needs the window");
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        window->IdlePass();
    }
}

// Frames and drawing wait while the device is lost; timers never do.
void IMWindow::IdlePass()
{
    if (g_main_window && !DeviceLost()) {
        OnFrame(IMEvent(this, IMEV_FRAME));
        Render();
    }
    timers_.RunDue(IMEvent(this, IMEV_NOTIFY));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS);
}

void IMWindow::Render()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    IDirect3DDevice9* device = manager ? manager->GetDevice() : nullptr;
    if (paused_ || !device)
        return;
    if (!IsDirty()) {
        manager->CountFrame();
        return;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    device->BeginScene();
    OnDraw(IMEvent(this, IMEV_DRAW));
    manager->CountFrame();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    SetDirty(false);
}

long IMWindow::Update()
{
    RECT client;
    POINT origin {};
    POINT cursor;
    if (!GetClientRect(g_main_window_handle, &client) || !ClientToScreen(g_main_window_handle, &origin)
        || !GetCursorPos(&cursor))
        return 0;
    OffsetRect(&client, origin.x, origin.y);
    const bool inside = PtInRect(&client, cursor);
    if (inside && !IsHovered())
        OnMouseEnter(IMMouseEvent(this, IMEV_MOUSEENTER, 0, cursor.x, cursor.y));
    else if (!inside && IsHovered())
        OnMouseLeave(IMMouseEvent(this, IMEV_MOUSELEAVE, 0, cursor.x, cursor.y));
    return 0;
}

void IMWindow::Destroy()
{
    PostQuitMessage(0);
}

DWORD IMWindow::AddTimer(DWORD interval)
{
    return timers_.Add(interval);
}

void IMWindow::RemoveTimer(DWORD id)
{
    timers_.Remove(id);
}
