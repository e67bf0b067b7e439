// Opens the full-screen window, draws a gradient with a square moving across it and a marker where the mouse
// is, and ends on Esc or when the window is closed.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/presenter.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSquare = 60;

POINT g_mouse { -100, -100 };

LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE)
            DestroyWindow(hwnd);
        break;
    case WM_MOUSEMOVE:
        g_mouse = POINT { GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam) };
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void FillRect(std::vector<uint32_t>& frame, int left, int top, int size, uint32_t colour)
{
    for (int y = std::max(top, 0); y < std::min(top + size, kHeight); ++y) {
        for (int x = std::max(left, 0); x < std::min(left + size, kWidth); ++x)
            frame[y * kWidth + x] = colour;
    }
}

void DrawFrame(std::vector<uint32_t>& frame, DWORD now)
{
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t r = x * 255 / kWidth, g = y * 255 / kHeight, b = 128;
            frame[y * kWidth + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    int travel = kWidth - kSquare;
    int step = static_cast<int>(now / 4 % (2 * travel));
    int x = step < travel ? step : 2 * travel - step;
    FillRect(frame, x, (kHeight - kSquare) / 2, kSquare, 0xFFFFFFFFu);
    FillRect(frame, g_mouse.x - 4, g_mouse.y - 4, 9, 0xFFD02020u);
}

} // namespace

int main()
{
    platform::InstallSdlWindowBackend();
    WNDCLASSW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = L"MazeExerciseWindow";
    if (RegisterClassW(&wc) == 0)
        return static_cast<int>(GetLastError());
    RECT client { 0, 0, kWidth, kHeight };
    AdjustWindowRect(&client, WS_POPUP, FALSE);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Лабиринт", WS_POPUP, 0, 0, client.right - client.left,
        client.bottom - client.top, nullptr, nullptr, nullptr, nullptr);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "the window could not be opened\n");
        return static_cast<int>(GetLastError());
    }
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);

    std::vector<uint32_t> frame(kWidth * kHeight);
    DWORD last_frame = 0;
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                break;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        DWORD now = timeGetTime();
        if (now - last_frame >= 16) {
            last_frame = now;
            DrawFrame(frame, now);
            if (platform::Presenter* presenter = platform::GetPresenter())
                presenter->Present(frame.data(), kWidth, kHeight);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS);
    }
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, nullptr);
    return static_cast<int>(msg.wParam);
}
