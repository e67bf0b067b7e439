#include <stdexcept>
#include <string>
#include <thread>

#include "engine/window/sound_messages.h"
#include "tests/engine/window/window_fixture.h"

namespace {

using platform::MouseButton;
using namespace platform::headless;
using Kinds = std::vector<DWORD>;

TEST_F(WindowTest, DrawsTheWholeTreeOnlyWhenSomethingChanged)
{
    auto* tile = new Tile(CreateDialog(window_, 100, 200, 50, 100, 0), RECT { 10, 10, 30, 30 });
    RunFor(5);
    ASSERT_EQ(presenter_.PresentCount(), 1);
    EXPECT_EQ(presenter_.Pixel(115, 65), kRed);
    EXPECT_EQ(presenter_.Pixel(109, 59), kBlack);
    const DWORD frames = Frames();
    RunFor(50);
    EXPECT_EQ(presenter_.PresentCount(), 1);
    EXPECT_GE(Frames(), frames + 45) << "clean passes still count their frames";
    tile->SetPos(40, 10);
    RunFor(2);
    EXPECT_EQ(presenter_.PresentCount(), 2);
    EXPECT_EQ(presenter_.Pixel(145, 65), kRed);
    EXPECT_EQ(presenter_.Pixel(115, 65), kBlack);
}

TEST_F(WindowTest, PausedWindowDrawsNothingWhileTimersGoOn)
{
    auto* tile = new Tile(window_, RECT { 0, 0, 10, 10 });
    int ticks = 0;
    window_->ConnectTimer(window_->AddTimer(10), [&](const IMEvent&) -> long {
        tile->SetPos(++ticks, 0);
        return 0;
    });
    RunFor(5);
    const int presented = presenter_.PresentCount();
    const DWORD frames = Frames();
    input_.Minimise();
    RunFor(100);
    EXPECT_EQ(presenter_.PresentCount(), presented);
    EXPECT_EQ(Frames(), frames);
    EXPECT_GE(ticks, 9);
    input_.Restore();
    RunFor(2);
    EXPECT_EQ(presenter_.PresentCount(), presented + 1);
    // Hiding and moving pause as minimising does; any other size ends it.
    const std::pair<UINT, WPARAM> steps[] = { { WM_SHOWWINDOW, 0 }, { WM_SHOWWINDOW, 1 }, { WM_ENTERSIZEMOVE, 0 },
        { WM_EXITSIZEMOVE, 0 }, { WM_SIZE, SIZE_MINIMIZED }, { WM_SIZE, SIZE_MAXIMIZED } };
    for (int k = 0; k < 6; ++k) {
        IMWindow::WindowProc(g_main_window_handle, steps[k].first, steps[k].second, 0);
        EXPECT_EQ(window_->IsPaused(), k % 2 == 0) << "step " << k;
    }
}

TEST_F(WindowTest, MessagesBecomeEventsOfTheWindowAndItsTree)
{
    auto* tile = new Tile(window_, RECT { 0, 0, 100, 100 });
    std::vector<IMMouseEvent> moves;
    Kinds keys, buttons;
    IMControl::ConnectMouseButton(tile, Record(&buttons));
    IMControl::ConnectMouseMove(window_, [&](const IMMouseEvent& ev) { return moves.push_back(ev), 0L; });
    IMControl::ConnectKey(window_, Record(&keys));
    input_.Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 700));
    input_.Post(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    input_.Post(WM_DEADCHAR, 'a', 0);
    input_.Post(WM_CHAR, 'a', 0);
    input_.At(2, [this] {
        input_.MoveTo(50, 50);
        input_.DoubleClick(MouseButton::Right);
        input_.DoubleClick(MouseButton::Left);
    });
    RunFor(10);
    ASSERT_GE(moves.size(), 1u);
    EXPECT_EQ(moves[0].x, -5);
    EXPECT_EQ(moves[0].y, 700);
    EXPECT_EQ(moves[0].wParam, MK_LBUTTON);
    EXPECT_EQ(keys, (Kinds { WM_KEYDOWN, WM_CHAR }));
    // A right double click loses its second press; a left one keeps it as the double-click message.
    EXPECT_EQ(buttons,
        (Kinds { WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
            WM_LBUTTONUP }));
}

TEST_F(WindowTest, CursorLeavingWithoutAMessageStillLeavesWindowAndHoverChild)
{
    auto* tile = new Tile(window_, RECT { 0, 0, 100, 100 });
    Kinds window_events, tile_events;
    IMControl::ConnectMouseEnter(window_, Record(&window_events));
    IMControl::ConnectMouseLeave(window_, Record(&window_events));
    IMControl::ConnectMouseLeave(tile, Record(&tile_events));
    input_.At(2, [this] { input_.MoveTo(50, 50); });
    input_.At(10, [this] { input_.CursorLeaves(); });
    RunFor(5);
    EXPECT_TRUE(tile->IsHovered());
    RunFor(10);
    EXPECT_EQ(window_events, (Kinds { IMEV_MOUSEENTER, IMEV_MOUSELEAVE }));
    EXPECT_EQ(tile_events, (Kinds { IMEV_MOUSELEAVE }));
}

TEST_F(WindowTest, LostDeviceSkipsFramesAndMovesUntilAPaintResetsIt)
{
    new Tile(window_, RECT { 0, 0, 10, 10 });
    Kinds events;
    int ticks = 0;
    IMControl::ConnectMouseMove(window_, Record(&events));
    IMControl::ConnectFrame(window_, Record(&events));
    window_->ConnectTimer(window_->AddTimer(10), [&](const IMEvent&) { return ++ticks, 0L; });
    RunFor(5);
    SimulateDeviceLoss();
    events.clear();
    FailNextCreateDevice(1);
    input_.At(10, [this] {
        input_.MoveTo(5, 5);
        input_.Paint();
    });
    RunFor(50);
    EXPECT_TRUE(events.empty());
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(IMResourceManager::Instance()->IsDeviceLost()) << "the first reset failed";
    EXPECT_FALSE(window_->IsDirty()) << "a failed reset changes nothing";
    input_.Paint();
    RunFor(5);
    EXPECT_FALSE(events.empty());
    EXPECT_EQ(presenter_.PresentCount(), 2);
    EXPECT_EQ(presenter_.Pixel(5, 5), kRed);
}

TEST_F(WindowTest, CloseMessageClosesTheTreeAndEndsTheLoop)
{
    auto* tile = new Tile(window_, RECT { 0, 0, 10, 10 });
    Kinds closing;
    IMControl::ConnectClosing(window_, Record(&closing));
    input_.At(5, [this] { input_.CloseWindow(); });
    input_.QuitAfter(1000);
    EXPECT_EQ(IMWindow::Run(window_), 0);
    EXPECT_LT(clock_.Milliseconds(), 100);
    EXPECT_TRUE(tile->IsClosing());
    EXPECT_TRUE(closing.empty()) << "the close message does not fire the window's closing signal";
    EXPECT_FALSE(IsWindow(g_main_window_handle));
}

TEST_F(WindowTest, TeardownDisposesChildrenWhileTheGraphicsStillRun)
{
    new Tile(CreateDialog(window_, 0, 10, 0, 10, 0), RECT { 0, 0, 5, 5 });
    RunFor(2);
    delete window_;
    EXPECT_TRUE(Tile::manager_at_death);
    EXPECT_EQ(g_main_window, nullptr);
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
    window_ = Create();
    EXPECT_EQ(g_main_window, window_) << "the class was unregistered, so a new window can be made";
}

TEST(WindowStart, FailuresLeaveNoWindowOrEndTheProcessWithTheError)
{
    platform::HeadlessInput input;
    const RECT rect { 0, 0, 800, 600 };
    FailNextCreateDevice(1);
    EXPECT_THROW(IMWindow::Create(nullptr, &rect, L"x", false, nullptr), std::exception);
    EXPECT_EQ(g_main_window_handle, nullptr);
    delete IMWindow::Create(nullptr, &rect, L"x", false, nullptr);

    WNDCLASSW wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"IMguiWindowClass";
    ASSERT_NE(RegisterClassW(&wc), 0);
    EXPECT_EXIT(IMWindow::Create(nullptr, &rect, L"x", false, nullptr), ::testing::ExitedWithCode(1),
        "registered \\(error 1410\\)");
}

struct SinkLog : IMSoundMessageSink {
    void OnVoiceStarted(DWORD id) override { Add("play", id); }
    void OnVoiceFinished(DWORD id) override { Add("end", id); }
    void OnVoiceStopped(DWORD id) override { Add("stop", id); }
    void OnLabelMessage(WPARAM w, LPARAM l) override { Add("label", w, l); }
    void Add(const char* what, DWORD a, DWORD b = 0) { log += what + (" " + std::to_string(a + b)) + ";"; }
    std::string log;
};

TEST_F(WindowTest, SoundMessagesPostedByAnotherThreadReachTheSinkOnTheLoop)
{
    SinkLog sink;
    SetSoundMessageSink(&sink);
    const IMSoundMessageNumbers n = SoundMessageNumbers();
    std::thread([&] {
        for (auto [message, lparam] : { std::pair { n.play, 0 }, { n.label, 1500 }, { n.stop, 0 }, { n.pause, 0 } })
            PostMessageW(g_main_window_handle, message, 7, LPARAM(lparam));
    }).join();
    EXPECT_EQ(sink.log, "");
    RunFor(2);
    SetSoundMessageSink(nullptr);
    EXPECT_EQ(sink.log, "play 7;label 1507;stop 7;end 7;");
}

} // namespace
