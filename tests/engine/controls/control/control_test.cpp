#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/engine/controls/probe.h"

namespace {

// Everything a control's signals emitted, as "signal kind (x,y)" lines.
struct Heard {
    Log lines;

    void Watch(Probe& p)
    {
        IMControl::ConnectMouseButton(&p, [this](const IMMouseEvent& e) { return Note("button", e); });
        IMControl::ConnectClick(&p, [this](const IMMouseEvent& e) { return Note("click", e); });
        p.DoubleClickSignal().connect([this](const IMMouseEvent& e) { return Note("dblclick", e); });
        IMControl::ConnectKey(&p, [this](const IMKeyboardEvent& e) { return Note("key", e.kind); });
        IMControl::ConnectKeyDown(&p, [this](const IMKeyboardEvent& e) { return Note("keydown", e.kind); });
        p.KeyUpSignal().connect([this](const IMKeyboardEvent& e) { return Note("keyup", e.kind); });
    }
    long Note(const std::string& what, const IMMouseEvent& e)
    {
        lines.push_back(
            what + " " + std::to_string(e.kind) + " (" + std::to_string(e.x) + "," + std::to_string(e.y) + ")");
        return 0;
    }
    long Note(const std::string& what, DWORD kind)
    {
        lines.push_back(what + " " + std::to_string(kind));
        return 0;
    }
};

// The count is process-wide: earlier tests of this process may have made controls, so the first id of a process
// is checked in a child that runs this test alone.
TEST(ControlIds, NumberedInOrderOfConstructionFromZero)
{
    Probe a(nullptr, Rect(0, 0, 1, 1));
    IMDialog d(nullptr, nullptr, 0);
    auto* b = new Probe(&d, Rect(0, 0, 1, 1));
    EXPECT_EQ(d.GetId(), a.GetId() + 1);
    EXPECT_EQ(b->GetId(), a.GetId() + 2);
    EXPECT_EXIT(std::exit(a.GetId() == 0 ? 0 : 1), testing::ExitedWithCode(0), "") << "the first control of a process";
}

TEST(ClickSynthesis, PressAndReleaseOnOneControlClickOnceAtTheRelease)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Heard heard;
    heard.Watch(p);
    p.OnMouseButton(Mouse(WM_LBUTTONDOWN, 1, 2, MK_LBUTTON));
    EXPECT_TRUE(p.IsPressed());
    p.OnMouseButton(Mouse(WM_LBUTTONUP, 3, 4, 0));
    EXPECT_FALSE(p.IsPressed());
    EXPECT_EQ(heard.lines, (Log { "button 513 (1,2)", "click 524 (3,4)", "button 514 (3,4)" }));
}

TEST(ClickSynthesis, DisabledControlFiresNothingButTracksThePress)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Heard heard;
    heard.Watch(p);
    p.Disable();
    p.OnMouseButton(Mouse(WM_LBUTTONDOWN, 1, 1, MK_LBUTTON));
    EXPECT_TRUE(p.IsPressed());
    p.OnMouseButton(Mouse(WM_LBUTTONUP, 1, 1, 0));
    EXPECT_FALSE(p.IsPressed());
    EXPECT_TRUE(heard.lines.empty());
    // OnClick is not gated by the enabled flag.
    p.OnClick(Mouse(IMEV_LCLICK, 5, 5));
    EXPECT_EQ(heard.lines, (Log { "click 524 (5,5)" }));
}

TEST(ClickSynthesis, DoubleClickClicksTwiceAndDoubleClicksOnce)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Heard heard;
    heard.Watch(p);
    p.OnMouseButton(Mouse(WM_LBUTTONDOWN, 1, 1, MK_LBUTTON));
    p.OnMouseButton(Mouse(WM_LBUTTONUP, 1, 1, 0));
    p.OnMouseButton(Mouse(WM_LBUTTONDBLCLK, 1, 1, MK_LBUTTON));
    p.OnMouseButton(Mouse(WM_LBUTTONUP, 1, 1, 0));
    EXPECT_EQ(heard.lines,
        (Log { "button 513 (1,1)", "click 524 (1,1)", "button 514 (1,1)", "button 515 (1,1)", "dblclick 515 (1,1)",
            "click 524 (1,1)", "button 514 (1,1)" }));
}

TEST(ClickSynthesis, KindFollowsTheReleasedButtonAndAHeldButtonKeepsThePress)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Heard heard;
    IMControl::ConnectClick(&p, [&](const IMMouseEvent& e) { return heard.Note("click", e); });
    p.OnMouseButton(Mouse(WM_RBUTTONDOWN, 0, 0, MK_RBUTTON));
    p.OnMouseButton(Mouse(WM_LBUTTONUP, 0, 0, 0));
    p.OnMouseButton(Mouse(WM_MBUTTONDOWN, 0, 0, MK_MBUTTON | MK_LBUTTON));
    p.OnMouseButton(Mouse(WM_MBUTTONUP, 0, 0, MK_LBUTTON));
    EXPECT_TRUE(p.IsPressed());
    p.OnMouseButton(Mouse(WM_RBUTTONUP, 0, 0, 0));
    EXPECT_EQ(heard.lines, (Log { "click 524 (0,0)", "click 526 (0,0)", "click 525 (0,0)" }));
}

TEST(ClickSynthesis, WheelPressesOnlyWithExactlyOneButtonHeld)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    p.OnMouseButton(Mouse(WM_MOUSEWHEEL, 0, 0, MAKELONG(MK_LBUTTON, 120)));
    EXPECT_TRUE(p.IsPressed());
    p.OnMouseButton(Mouse(WM_MOUSEWHEEL, 0, 0, MAKELONG(MK_LBUTTON | MK_RBUTTON, 120)));
    EXPECT_FALSE(p.IsPressed());
    p.OnMouseButton(Mouse(WM_MOUSEWHEEL, 0, 0, MAKELONG(MK_MBUTTON | MK_SHIFT, 120)));
    EXPECT_FALSE(p.IsPressed());
}

TEST(Keyboard, SignalsFollowTheMessageAndIgnoreTheEnabledFlag)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Heard heard;
    heard.Watch(p);
    p.Disable();
    p.OnKeyboard(IMKeyboardEvent(nullptr, WM_CHAR, 'a'));
    p.OnKeyboard(IMKeyboardEvent(nullptr, WM_KEYDOWN, VK_RETURN));
    p.OnKeyboard(IMKeyboardEvent(nullptr, WM_SYSKEYUP, VK_F10));
    EXPECT_EQ(heard.lines, (Log { "key 258", "keydown 256", "key 256", "keyup 261", "key 261" }));
}

TEST(Reemission, CopiesCarryThisControlAsSenderAndKeepTheRest)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    IMMouseEvent seen;
    IMKeyboardEvent key;
    IMControl::ConnectMouseEnter(&p, [&](const IMMouseEvent& e) {
        seen = e;
        return 0L;
    });
    IMControl::ConnectKey(&p, [&](const IMKeyboardEvent& e) {
        key = e;
        return 0L;
    });
    p.OnMouseEnter(IMMouseEvent(nullptr, IMEV_MOUSEENTER, 7, -3, 9));
    p.OnKeyboard(IMKeyboardEvent(nullptr, WM_KEYDOWN, 65, 0x1E0001));
    EXPECT_EQ(seen.sender, &p);
    EXPECT_EQ(seen.kind, IMEV_MOUSEENTER);
    EXPECT_EQ(seen.wParam, 7u);
    EXPECT_EQ(seen.x, -3);
    EXPECT_EQ(seen.y, 9);
    EXPECT_TRUE(p.IsHovered());
    EXPECT_EQ(key.sender, &p);
    EXPECT_EQ(key.lParam, 0x1E0001u);
}

TEST(Focus, OnlyAFocusableControlChangesAndOnlyOnce)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    Log heard;
    IMControl::ConnectFocus(&p, [&](const IMEvent& e) {
        heard.push_back("focus " + std::to_string(e.kind));
        return 0L;
    });
    IMControl::ConnectBlur(&p, [&](const IMEvent& e) {
        heard.push_back("blur " + std::to_string(e.kind));
        return 0L;
    });
    p.SetFocus(true);
    EXPECT_FALSE(p.IsFocused());
    p.SetFocusable(true);
    p.SetFocus(true);
    p.SetFocus(true);
    EXPECT_TRUE(p.IsFocused());
    p.SetFocus(false);
    EXPECT_EQ(heard, (Log { "focus 17", "blur 18" }));
}

TEST(StateOperations, SignalFiresBeforeTheFlagChangesEveryTime)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    std::vector<bool> enabled_when_fired;
    IMControl::ConnectDisabled(&p, [&](const IMEvent&) {
        enabled_when_fired.push_back(p.IsEnabled());
        return 0L;
    });
    p.Disable();
    p.Disable();
    EXPECT_EQ(enabled_when_fired, (std::vector<bool> { true, false }));
    int shown = 0;
    IMControl::ConnectShown(&p, [&](const IMEvent& e) {
        shown += e.sender == &p;
        return 0L;
    });
    p.Hide();
    EXPECT_TRUE(p.IsHidden());
    p.Show();
    EXPECT_FALSE(p.IsHidden());
    EXPECT_EQ(shown, 1);
}

TEST(Closing, ClosingSignalSeesTheControlClosingThenItIsDestroyed)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    bool closing_seen = false;
    int clicks = 0;
    IMControl::ConnectClosing(&p, [&](const IMEvent& e) {
        closing_seen = p.IsClosing() && e.Is(IMEV_CLOSE);
        return 0L;
    });
    IMControl::ConnectClick(&p, [&](const IMMouseEvent&) { return long(++clicks); });
    EXPECT_FALSE(p.IsClosing());
    p.Close();
    EXPECT_TRUE(closing_seen);
    p.OnClick(Mouse(IMEV_LCLICK, 0, 0));
    EXPECT_EQ(clicks, 0);
}

TEST(Destroy, CutsEverySignalButTheFocusPair)
{
    Probe p(nullptr, Rect(0, 0, 10, 10));
    int calls = 0;
    auto count = [&](const auto&) { return long(++calls); };
    IMControl::ConnectFrame(&p, count);
    IMControl::ConnectDirty(&p, count);
    IMControl::ConnectMouseMove(&p, count);
    IMControl::ConnectKeyDown(&p, count);
    IMControl::ConnectFocus(&p, count);
    IMControl::ConnectBlur(&p, count);
    p.Destroy();
    p.OnFrame(IMEvent(nullptr, IMEV_FRAME));
    p.SetDirty(true);
    p.OnMouseMove(Mouse(WM_MOUSEMOVE, 0, 0));
    p.OnKeyboard(IMKeyboardEvent(nullptr, WM_KEYDOWN, 13));
    EXPECT_EQ(calls, 0);
    p.SetFocusable(true);
    p.SetFocus(true);
    p.SetFocus(false);
    EXPECT_EQ(calls, 2);
}

TEST(Drawing, OnDrawDrawsCleansAndReportsTheDraw)
{
    IMDialog root(nullptr, nullptr, 0);
    auto* p = new Probe(&root, Rect(0, 0, 10, 10));
    Tick(root);
    int drawn = 0;
    p->DrawnSignal().connect([&](const IMEvent& e) { return long(drawn += e.Is(IMEV_DRAW) && e.sender == p); });
    EXPECT_TRUE(p->IsDirty());
    p->OnDraw(IMEvent(&root, IMEV_DRAW));
    EXPECT_FALSE(p->IsDirty());
    EXPECT_EQ(drawn, 1);
}

} // namespace
