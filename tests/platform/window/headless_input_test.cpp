#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/headless_input.h"
#include "platform/testing/test_clock.h"
#include "platform/window/window.h"
#include "tests/platform/window/recording_window.h"

namespace {

class Harness : public ::testing::Test {
protected:
    std::vector<MSG>& g_seen = testing_window::Received();

    void SetUp() override
    {
        hwnd = testing_window::CreateRecordingWindow(L"HarnessWindow", 50, 40);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOWDEFAULT);
        UpdateWindow(hwnd);
        g_seen.clear();
    }

    // A loop shaped like the main window's: drain, then one idle pass and a 1 ms wait. Gives up with -1 after a
    // simulated minute without a quit, so a lost quit fails the test instead of hanging it.
    int Run(int* idle_passes)
    {
        MSG msg;
        while (*idle_passes < 60 * 1000) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    return static_cast<int>(msg.wParam);
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                continue;
            }
            ++*idle_passes;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLEVENTS);
        }
        return -1;
    }

    std::vector<std::pair<UINT, WPARAM>> Pump()
    {
        std::vector<std::pair<UINT, WPARAM>> out;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            out.emplace_back(msg.message, msg.wParam);
            DispatchMessageW(&msg);
        }
        return out;
    }

    platform::TestClock clock;
    platform::HeadlessInput input;
    HWND hwnd = nullptr;
};

using Seen = std::vector<std::pair<UINT, WPARAM>>;

TEST_F(Harness, ScriptedStepsRunAtTheirSimulatedTimesAndTheLoopEndsNormally)
{
    std::vector<DWORD> step_times;
    input.At(30, [&] {
        step_times.push_back(timeGetTime());
        input.MoveTo(10, 10);
        input.Click();
    });
    input.At(60, [&] {
        step_times.push_back(timeGetTime());
        input.At(5, [&] { step_times.push_back(timeGetTime()); });
    });
    input.QuitAfter(100);
    int idle = 0;
    EXPECT_EQ(Run(&idle), 0);
    EXPECT_EQ(step_times, (std::vector<DWORD> { 30, 60, 65 }));
    EXPECT_EQ(timeGetTime(), 100u);
    EXPECT_GE(idle, 100);
    EXPECT_LE(idle, 102);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[1].message, WM_LBUTTONDOWN);
}

TEST_F(Harness, WindowCloseEndsTheLoopThroughDestroy)
{
    input.At(5, [&] { input.CloseWindow(); });
    int idle = 0;
    EXPECT_EQ(Run(&idle), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(timeGetTime(), 5u);
}

TEST_F(Harness, DoubleClickDependsOnTheTestClock)
{
    input.MoveTo(100, 100);
    input.DoubleClick();
    EXPECT_EQ(Pump(),
        (Seen { { WM_MOUSEMOVE, 0 }, { WM_LBUTTONDOWN, MK_LBUTTON }, { WM_LBUTTONUP, 0 },
            { WM_LBUTTONDBLCLK, MK_LBUTTON }, { WM_LBUTTONUP, 0 } }));
    input.Click();
    clock.Advance(600);
    input.Click();
    Seen seen = Pump();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2].first, WM_LBUTTONDOWN);
}

TEST_F(Harness, CtrlAndTheKeyOfShaWorkAsTheCreditsKey)
{
    input.SetModifier(platform::Modifier::Ctrl, true);
    EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
    input.KeyDown('I');
    input.KeyUp('I');
    input.SetModifier(platform::Modifier::Ctrl, false);
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
    EXPECT_EQ(Pump(),
        (Seen { { WM_KEYDOWN, VK_CONTROL }, { WM_KEYDOWN, 'I' }, { WM_CHAR, 9 }, { WM_KEYUP, 'I' },
            { WM_KEYUP, VK_CONTROL } }));
}

TEST_F(Harness, TypingPressesTheKeysOfEitherLayout)
{
    input.Type(L"Шa\r");
    EXPECT_EQ(Pump(),
        (Seen { { WM_KEYDOWN, VK_SHIFT }, { WM_KEYDOWN, 'I' }, { WM_CHAR, L'Ш' }, { WM_KEYUP, 'I' },
            { WM_KEYUP, VK_SHIFT }, { WM_KEYDOWN, 'A' }, { WM_CHAR, L'a' }, { WM_KEYUP, 'A' },
            { WM_KEYDOWN, VK_RETURN }, { WM_CHAR, 13 }, { WM_KEYUP, VK_RETURN } }));
    input.Type(L"№");
    EXPECT_EQ(Pump(), (Seen { { WM_CHAR, L'№' } }));
    input.KeyDown(VK_F1);
    input.KeyDown(VK_F1, true);
    Seen repeat = Pump();
    EXPECT_EQ(repeat, (Seen { { WM_KEYDOWN, VK_F1 }, { WM_KEYDOWN, VK_F1 } }));
}

TEST_F(Harness, CursorIsPolledInScreenCoordinatesAndCanLeaveWithoutAMessage)
{
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    POINT origin { 0, 0 };
    ASSERT_TRUE(ClientToScreen(hwnd, &origin));
    EXPECT_EQ(origin.x, 50);
    EXPECT_EQ(origin.y, 40);
    OffsetRect(&client, origin.x, origin.y);
    input.MoveTo(799, 0);
    POINT cursor;
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 849);
    EXPECT_EQ(cursor.y, 40);
    EXPECT_TRUE(PtInRect(&client, cursor));
    Pump();
    input.CursorLeaves();
    EXPECT_TRUE(Pump().empty());
    GetCursorPos(&cursor);
    EXPECT_FALSE(PtInRect(&client, cursor));
}

TEST_F(Harness, WindowStateChangesArriveAsSizeAndShowMessages)
{
    input.Minimise();
    input.Restore();
    input.Hide();
    input.Show();
    input.Wheel(-1);
    EXPECT_EQ(Pump(),
        (Seen { { WM_SIZE, SIZE_MINIMIZED }, { WM_SIZE, SIZE_RESTORED }, { WM_SHOWWINDOW, 0 }, { WM_SHOWWINDOW, 1 },
            { WM_MOUSEWHEEL, MAKELONG(0, WORD(-120)) } }));
    EXPECT_TRUE(input.Post(WM_USER, 4));
    EXPECT_EQ(Pump(), (Seen { { WM_USER, 4 } }));
}

} // namespace
