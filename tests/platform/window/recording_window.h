// A window that keeps every message its procedure receives and ends the loop when it is destroyed.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "platform/window/window.h"

namespace testing_window {

inline std::vector<MSG>& Received()
{
    static std::vector<MSG> received;
    return received;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    Received().push_back(msg);
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Registers the class (with double clicks) and makes an 800 x 600 pop-up window at (x, y).
inline HWND CreateRecordingWindow(const wchar_t* class_name, int x, int y)
{
    WNDCLASSW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = class_name;
    EXPECT_NE(RegisterClassW(&wc), 0);
    return CreateWindowExW(0, class_name, L"test", WS_POPUP, x, y, 800, 600, nullptr, nullptr, nullptr, nullptr);
}

} // namespace testing_window
