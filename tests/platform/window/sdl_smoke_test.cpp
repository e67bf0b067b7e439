#include <algorithm>
#include <cstdlib>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/sdl_backend.h"
#include "platform/window/presenter.h"
#include "platform/window/window.h"

namespace {

std::vector<UINT> g_messages;

LRESULT Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_messages.push_back(message);
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(SdlWindow, OpensPresentsPumpsAndClosesOnTheDummyDisplay)
{
    ASSERT_STREQ(std::getenv("SDL_VIDEODRIVER"), "dummy");
    platform::InstallSdlWindowBackend();
    WNDCLASSW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = L"SdlSmoke";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, L"SdlSmoke", L"Проба", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr) << SDL_GetError();
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);

    auto* presenter = dynamic_cast<platform::SdlPresenter*>(platform::GetPresenter());
    ASSERT_NE(presenter, nullptr);
    std::vector<uint32_t> frame(800 * 600, 0xFF336699u);
    presenter->Present(frame.data(), 800, 600);
    EXPECT_EQ(presenter->PresentCount(), 1);

    // A close request from the display goes through the queue and destroys the window.
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    MSG msg;
    int guard = 0;
    while (guard++ < 10000) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                break;
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS);
        }
    }
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(platform::GetPresenter(), nullptr);
    EXPECT_NE(std::find(g_messages.begin(), g_messages.end(), WM_CLOSE), g_messages.end());
    EXPECT_TRUE(UnregisterClassW(L"SdlSmoke", nullptr));
}

} // namespace
