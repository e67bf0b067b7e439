#include <map>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/headless_input.h"
#include "platform/testing/resets.h"
#include "platform/testing/test_clock.h"
#include "platform/window/window.h"
#include "tests/platform/window/recording_window.h"
#include "tests/support/wait_until.h"

namespace {

using testing_window::RecordingProc;

class Queue : public ::testing::Test {
protected:
    std::vector<MSG>& g_received = testing_window::Received();

    void SetUp() override
    {
        hwnd = testing_window::CreateRecordingWindow(L"TestWindow", 0, 0);
        ASSERT_NE(hwnd, nullptr);
        g_received.clear();
    }

    std::vector<UINT> Drain()
    {
        std::vector<UINT> kinds;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            kinds.push_back(msg.message);
            if (msg.message == WM_QUIT)
                break;
            DispatchMessageW(&msg);
        }
        return kinds;
    }

    platform::HeadlessInput input;
    HWND hwnd = nullptr;
};

TEST_F(Queue, CreationSendsCreateSizeAndMoveThenShowingAndUpdatingPaintOnce)
{
    hwnd = CreateWindowExW(0, L"TestWindow", L"test", WS_POPUP, 10, 20, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(g_received.size(), 3u);
    EXPECT_EQ(g_received[0].message, WM_CREATE);
    EXPECT_EQ(g_received[1].message, WM_SIZE);
    EXPECT_EQ(g_received[1].lParam, MAKELPARAM(800, 600));
    EXPECT_EQ(g_received[2].message, WM_MOVE);
    g_received.clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWDEFAULT));
    UpdateWindow(hwnd);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].message, WM_SHOWWINDOW);
    EXPECT_EQ(g_received[0].wParam, 1u);
    EXPECT_EQ(g_received[1].message, WM_PAINT);
    EXPECT_TRUE(Drain().empty()); // the paint was validated by DefWindowProcW
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
}

TEST_F(Queue, PostedMessagesComeBeforeInputAndPaintComesLast)
{
    ShowWindow(hwnd, SW_SHOW); // asks for a paint
    input.MoveTo(5, 5);
    input.KeyDown(VK_RETURN);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT> { WM_USER + 1, WM_USER + 2, WM_MOUSEMOVE, WM_KEYDOWN, WM_CHAR, WM_PAINT }));
}

TEST_F(Queue, QuitWaitsForPostedMessagesButNotForInput)
{
    input.MoveTo(5, 5);
    PostMessageW(hwnd, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, PeekWithoutRemovingAndFiltersLeaveOtherMessagesQueued)
{
    PostMessageW(hwnd, WM_USER, 1, 0);
    PostMessageW(hwnd, WM_USER + 5, 2, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 5, WM_USER + 5, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_EQ(Drain(), (std::vector<UINT> { WM_USER }));
}

TEST_F(Queue, ExposuresCoalesceIntoOnePaintUntilValidated)
{
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    input.Paint();
    input.Paint();
    EXPECT_EQ(Drain(), (std::vector<UINT> { WM_PAINT }));
    input.Paint();
    EXPECT_EQ(Drain(), (std::vector<UINT> { WM_PAINT }));
}

TEST_F(Queue, CloseDestroysTheWindowThroughDefWindowProc)
{
    PostMessageW(hwnd, WM_USER, 0, 0);
    input.CloseWindow();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageW(&msg);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CLOSE);
    input.MoveTo(1, 1); // queued for the window, dropped when it goes
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_GE(g_received.size(), 3u);
    EXPECT_EQ(g_received[1].message, WM_CLOSE);
    EXPECT_EQ(g_received[2].message, WM_DESTROY);
    EXPECT_EQ(Drain(), (std::vector<UINT> { WM_QUIT }));
    EXPECT_FALSE(DestroyWindow(hwnd)); // harmless a second time
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    RECT rect;
    EXPECT_FALSE(GetClientRect(hwnd, &rect));
    EXPECT_TRUE(UnregisterClassW(L"TestWindow", nullptr));
}

TEST_F(Queue, ClassesCannotBeRegisteredTwiceNorRemovedWhileInUse)
{
    WNDCLASSW wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"TestWindow";
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_FALSE(UnregisterClassW(L"TestWindow", nullptr));
    EXPECT_EQ(
        CreateWindowExW(0, L"NoSuchClass", L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(Queue, PostsFromSeveralThreadsKeepEachThreadsOrder)
{
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(PostMessageW(hwnd, WM_USER + t, i, 0));
        });
    }
    for (auto& t : threads)
        t.join();
    std::map<UINT, WPARAM> next;
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        EXPECT_EQ(msg.wParam, next[msg.message]++) << "thread " << msg.message - WM_USER;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kEach);
}

TEST_F(Queue, PostToAWindowDestroyedMeanwhileFailsQuietly)
{
    std::atomic<bool> stop { false };
    std::atomic<int> refused { 0 };
    std::thread poster([&] {
        while (!stop) {
            if (!PostMessageW(hwnd, WM_USER, 0, 0))
                ++refused;
        }
    });
    MSG first;
    const bool posted = testing_support::WaitUntil([&] { return PeekMessageW(&first, nullptr, 0, 0, PM_REMOVE) != 0; });
    DestroyWindow(hwnd);
    const bool was_refused = testing_support::WaitUntil([&] { return refused > 0; });
    stop = true;
    poster.join();
    ASSERT_TRUE(posted) << "no post arrived";
    ASSERT_TRUE(was_refused) << "posts to the destroyed window were not refused";
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        EXPECT_NE(msg.hwnd, hwnd);
}

TEST_F(Queue, RegisteredMessagesAreStablePerNameFromC000)
{
    UINT play = RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY");
    UINT label = RegisterWindowMessageW(L"WM_IM_ONLABEL");
    EXPECT_GE(play, 0xC000u);
    EXPECT_LE(play, 0xFFFFu);
    EXPECT_NE(play, label);
    EXPECT_EQ(RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY"), play);
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
    EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
    // Posted under their number, they reach the procedure like any message.
    PostMessageW(hwnd, label, 7, 1500);
    Drain();
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].message, label);
    EXPECT_EQ(g_received[0].lParam, 1500u);
}

TEST_F(Queue, CursorDisplayCounterStartsAtZeroAndShowsWhileNotNegative)
{
    EXPECT_EQ(platform::CursorDisplayCount(), 0);
    EXPECT_TRUE(input.CursorVisible());
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_FALSE(input.CursorVisible());
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_FALSE(input.CursorVisible());
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_TRUE(input.CursorVisible());
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(platform::CursorDisplayCount(), 1);
}

TEST_F(Queue, ClassWithoutDoubleClicksGetsPlainPresses)
{
    WNDCLASSW wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"Plain";
    RegisterClassW(&wc);
    HWND plain = CreateWindowExW(0, L"Plain", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(input.Target(), plain);
    input.MoveTo(3, 3);
    input.DoubleClick();
    EXPECT_EQ(
        Drain(), (std::vector<UINT> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP }));
}

TEST_F(Queue, IdleWaitReturnsEarlyWhenAnotherThreadPosts)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) { }
    std::thread poster([this] {
        Sleep(20);
        PostMessageW(hwnd, WM_USER, 0, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLEVENTS), WAIT_OBJECT_0);
    poster.join();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS), WAIT_OBJECT_0);
    Drain();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS), DWORD(WAIT_TIMEOUT));
}

TEST_F(Queue, IdleWaitUnderATestClockAdvancesTheClockInsteadOfSleeping)
{
    platform::TestClock clock;
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(timeGetTime(), 1u);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLEVENTS), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(timeGetTime(), 251u);
    // Something due during the wait ends it at that moment.
    input.At(10, [this] { PostMessageW(hwnd, WM_USER, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLEVENTS), WAIT_OBJECT_0);
    EXPECT_EQ(timeGetTime(), 261u);
    // Nothing to wait for with a message pending.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLEVENTS), WAIT_OBJECT_0);
    EXPECT_EQ(timeGetTime(), 261u);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 1, QS_ALLEVENTS), WAIT_FAILED);
}

} // namespace

// Between tests the window layer starts over as in a new process, without calling any window procedure.
TEST(FreshState, ResetForgetsWindowsClassesMessagesAndInput)
{
    HWND hwnd = nullptr;
    {
        platform::HeadlessInput input;
        hwnd = testing_window::CreateRecordingWindow(L"ResetWindow", 0, 0);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        input.MoveTo(5, 5);
        input.KeyDown(VK_SHIFT);
        PostMessageW(hwnd, WM_USER, 0, 0);
        PostQuitMessage(2);
        ShowCursor(FALSE);
    }
    testing_window::Received().clear();

    platform::ResetWindowingForTests();
    EXPECT_TRUE(testing_window::Received().empty());
    EXPECT_FALSE(IsWindow(hwnd));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "no message, paint or quit is left";
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_EQ(platform::CursorDisplayCount(), 0);
    EXPECT_NE(platform::HeadlessBackend::Current(), nullptr);
    EXPECT_EQ(platform::HeadlessBackend::Current()->Target(), nullptr);
    HWND again = testing_window::CreateRecordingWindow(L"ResetWindow", 0, 0);
    EXPECT_NE(again, nullptr) << "the class can be registered again";
    EXPECT_TRUE(DestroyWindow(again));
}
