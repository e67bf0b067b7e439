#include <gtest/gtest.h>

#include "engine/controls/viewport_clip.h"
#include "tests/engine/controls/probe.h"

namespace {

class DialogTest : public ::testing::Test {
protected:
    // The log outlives the tree: children write to it as they are deleted.
    Log log;
    RECT screen { 0, 0, 800, 600 };
    IMDialog root { nullptr, &screen, 0 };

    Probe* Add(IMDialog* parent, RECT r, int layer, const std::string& name)
    {
        return new Probe(parent, r, layer, name, &log);
    }
    void MoveTo(LONG x, LONG y) { root.OnMouseMove(Mouse(WM_MOUSEMOVE, x, y)); }
    void Press(DWORD kind, WPARAM held) { root.OnMouseButton(Mouse(kind, 0, 0, held)); }
    Log Take() { return std::exchange(log, {}); }
};

TEST_F(DialogTest, ChildrenJoinAtTheNextFrameAfterThoseAlreadyInTheirLayer)
{
    Probe* a = Add(&root, Rect(0, 0, 50, 50), 0, "a");
    EXPECT_TRUE(root.IsPending(a));
    MoveTo(10, 10);
    root.OnDraw(IMEvent(&root, IMEV_DRAW));
    EXPECT_EQ(root.GetHoverChild(), nullptr);
    EXPECT_TRUE(Take().empty());

    Tick(root);
    // The new child covers the cursor: its arrival makes the dialog find the live child there.
    Probe* b = Add(&root, Rect(0, 0, 50, 50), 0, "b");
    Tick(root);
    EXPECT_EQ(root.LiveChildren(), (std::vector<IMControl*> { a, b }));
    EXPECT_EQ(Take(), (Log { "a frame", "a enter 523 (10,10) from parent", "a frame", "b frame" }));
}

TEST_F(DialogTest, ChildMadeDuringTheFrameWalkWaitsForTheNextFrame)
{
    Probe* maker = Add(&root, Rect(0, 0, 10, 10), 0, "maker");
    Probe* made = nullptr;
    IMControl::ConnectFrame(maker, [&](const IMEvent&) {
        if (!made)
            made = Add(&root, Rect(0, 0, 10, 10), 0, "made");
        return 0L;
    });
    Tick(root);
    Tick(root);
    EXPECT_EQ(Take(), (Log { "maker frame", "maker frame", "made frame" }));
}

TEST_F(DialogTest, MouseGoesToTheHighestLayerThenTheNewestChildAndSkipsHidden)
{
    Probe* high = Add(&root, Rect(0, 0, 100, 100), 2, "high");
    Probe* low_first = Add(&root, Rect(0, 0, 100, 100), 0, "low_first");
    Probe* low_second = Add(&root, Rect(0, 0, 100, 100), 0, "low_second");
    Tick(root);
    MoveTo(5, 5);
    EXPECT_EQ(root.GetHoverChild(), high);
    // Within layer 0 the child added later wins.
    high->Hide();
    EXPECT_EQ(root.GetHoverChild(), low_second);
    low_second->Hide();
    EXPECT_EQ(root.GetHoverChild(), low_first);
    EXPECT_EQ(root.FindLayer(high), 2);
    EXPECT_EQ(root.FindLayer(low_first), 0);
}

TEST_F(DialogTest, NewChildIsEnteredBeforeTheOldOneIsLeftInLocalCoordinates)
{
    IMDialog* inner = CreateDialog(&root, 100, 200, 50, 200, 0);
    Add(inner, Rect(0, 0, 20, 20), 0, "a");
    Add(inner, Rect(20, 0, 40, 20), 0, "b");
    Tick(root);
    Take();
    MoveTo(110, 60);
    MoveTo(130, 60);
    EXPECT_EQ(Take(),
        (Log { "a enter 523 (10,10) from parent", "a move 512 (10,10) from parent", "b enter 523 (30,10) from parent",
            "a leave 675 (30,10) from parent", "b move 512 (30,10) from parent" }));
    // Leaving the inner dialog passes its own leave event down and forgets the hover child.
    MoveTo(500, 500);
    EXPECT_EQ(Take(), (Log { "b leave 675 (500,500)" }));
    EXPECT_EQ(inner->GetHoverChild(), nullptr);
}

TEST_F(DialogTest, HoverRecheckFollowsAChildThatChangesOrGoesWithoutAMouseMove)
{
    Probe* below = Add(&root, Rect(0, 0, 100, 100), 0, "below");
    Probe* above = Add(&root, Rect(0, 0, 50, 50), 1, "above");
    Tick(root);
    MoveTo(10, 10);
    EXPECT_EQ(root.GetHoverChild(), above);
    Take();
    above->SetPos(60, 60);
    EXPECT_EQ(Take(), (Log { "below enter 523 (10,10) from parent", "above leave 675 (10,10) from parent" }));
    above->SetPos(0, 0);
    EXPECT_EQ(root.GetHoverChild(), above);

    // Destroyed under the cursor: still hovered for the rest of the frame, forgotten by the flush, and the child
    // beneath is entered at the next move.
    above->Destroy();
    EXPECT_EQ(root.GetHoverChild(), above);
    Tick(root);
    EXPECT_EQ(root.GetHoverChild(), nullptr);
    Take();
    MoveTo(11, 11);
    EXPECT_EQ(Take(), (Log { "below enter 523 (11,11) from parent", "below move 512 (11,11) from parent" }));
    EXPECT_EQ(root.GetHoverChild(), below);
}

TEST_F(DialogTest, LeftPressMovesTheFocusAndFocusClimbsToTheTop)
{
    IMDialog* panel = CreateDialog(&root, 0, 400, 0, 400, 0);
    Probe* first = Add(panel, Rect(0, 0, 50, 50), 0, "first");
    Probe* second = Add(panel, Rect(100, 0, 150, 50), 0, "second");
    first->SetFocusable(true);
    second->SetFocusable(true);
    Tick(root);
    Tick(root);

    MoveTo(10, 10);
    Press(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_TRUE(first->IsFocused());
    EXPECT_EQ(panel->GetFocusChild(), first);
    EXPECT_TRUE(panel->IsFocused());
    EXPECT_EQ(root.GetFocusChild(), panel);
    EXPECT_TRUE(root.IsFocused());

    MoveTo(110, 10);
    Press(WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_EQ(panel->GetFocusChild(), first);
    Press(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_FALSE(first->IsFocused());
    EXPECT_TRUE(second->IsFocused());
    EXPECT_EQ(panel->GetFocusChild(), second);

    // Keys travel down the chain of focus children.
    Take();
    root.OnKeyboard(IMKeyboardEvent(&root, WM_KEYDOWN, VK_SPACE));
    EXPECT_EQ(Take(), (Log { "second key 32" }));

    root.OnBlur(IMEvent(&root, IMEV_BLUR));
    EXPECT_FALSE(root.IsFocused());
    EXPECT_FALSE(panel->IsFocused());
    EXPECT_FALSE(second->IsFocused());
    EXPECT_EQ(panel->GetFocusChild(), nullptr);
}

TEST_F(DialogTest, ButtonsGoToTheChildUnderTheLastMoveWithoutCapture)
{
    Probe* a = Add(&root, Rect(0, 0, 50, 50), 0, "a");
    Probe* b = Add(&root, Rect(50, 0, 100, 50), 0, "b");
    Tick(root);
    int a_clicks = 0;
    int b_clicks = 0;
    IMControl::ConnectClick(a, [&](const IMMouseEvent&) { return long(++a_clicks); });
    IMControl::ConnectClick(b, [&](const IMMouseEvent&) { return long(++b_clicks); });
    MoveTo(10, 10);
    root.OnMouseButton(Mouse(WM_LBUTTONDOWN, 70, 70, MK_LBUTTON));
    MoveTo(60, 10);
    Press(WM_LBUTTONUP, 0);
    EXPECT_EQ(a_clicks, 0);
    EXPECT_EQ(b_clicks, 0);
    EXPECT_TRUE(a->IsPressed());
    EXPECT_FALSE(b->IsPressed());
    Take();
    Press(WM_LBUTTONDOWN, MK_LBUTTON);
    Press(WM_LBUTTONUP, 0);
    EXPECT_EQ(b_clicks, 1);
    EXPECT_EQ(Take(), (Log { "b button 513 (60,10) from parent", "b button 514 (60,10) from parent" }));
}

TEST_F(DialogTest, ControlDestroyingItselfInItsClickIsDeletedAtTheNextFrame)
{
    Probe* p = Add(&root, Rect(0, 0, 50, 50), 0, "p");
    p->SetFocusable(true);
    Tick(root);
    int deaths = 0;
    p->CountDeathsIn(&deaths);
    int buttons = 0;
    IMControl::ConnectClick(p, [&](const IMMouseEvent& e) {
        e.sender->Destroy();
        return 0L;
    });
    IMControl::ConnectMouseButton(p, [&](const IMMouseEvent&) { return long(++buttons); });
    MoveTo(10, 10);
    Press(WM_LBUTTONDOWN, MK_LBUTTON);
    Press(WM_LBUTTONUP, 0);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(buttons, 1); // the release's button signal was cut by Destroy
    EXPECT_EQ(root.GetFocusChild(), p);
    Tick(root);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(root.GetHoverChild(), nullptr);
    EXPECT_EQ(root.GetFocusChild(), nullptr);
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST_F(DialogTest, ClickThatClosesItsOwnDialogDeletesTheWholeBranchLater)
{
    IMDialog* popup = CreateDialog(&root, 0, 400, 0, 400, 0);
    Probe* ok = Add(popup, Rect(0, 0, 50, 50), 0, "ok");
    Probe* other = Add(popup, Rect(100, 0, 150, 50), 0, "other");
    Tick(root);
    Tick(root);
    int deaths = 0;
    ok->CountDeathsIn(&deaths);
    other->CountDeathsIn(&deaths);
    bool closed = false;
    IMControl::ConnectClosing(popup, [&](const IMEvent&) { return long(closed = true); });
    IMControl::ConnectClick(ok, [&](const IMMouseEvent&) { return popup->Close(); });
    MoveTo(10, 10);
    Press(WM_LBUTTONDOWN, MK_LBUTTON);
    Press(WM_LBUTTONUP, 0);
    EXPECT_TRUE(closed);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(root.LiveChildren().size(), 1u);
    Tick(root);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST_F(DialogTest, ChildDestroyedBeforeItsFirstMergeNeverJoins)
{
    int deaths = 0;
    Probe* p = Add(&root, Rect(0, 0, 50, 50), 0, "p");
    p->CountDeathsIn(&deaths);
    p->SetFocusable(true);
    p->SetFocus(true);
    EXPECT_EQ(root.GetFocusChild(), p);
    p->Destroy();
    p->Destroy();
    EXPECT_FALSE(root.IsPending(p));
    Tick(root);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(root.GetFocusChild(), nullptr);
    EXPECT_TRUE(root.LiveChildren().empty());
    EXPECT_EQ(Take(), (Log { "p deleted" }));
}

TEST_F(DialogTest, ClosingDialogDisposesOfChildrenAddedWhileItCloses)
{
    IMDialog* scene = CreateDialog(&root, 0, 800, 0, 600, 0);
    Probe* live = Add(scene, Rect(0, 0, 10, 10), 0, "live");
    Tick(root);
    Tick(root);
    int deaths = 0;
    live->CountDeathsIn(&deaths);
    IMControl::ConnectClosing(scene, [&](const IMEvent&) {
        Add(scene, Rect(0, 0, 10, 10), 1000, "late")->CountDeathsIn(&deaths);
        return 0L;
    });
    scene->Close();
    Tick(root);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST_F(DialogTest, DestroyedDialogDeletesChildrenNobodyClosed)
{
    IMDialog* panel = CreateDialog(&root, 0, 100, 0, 100, 0);
    int deaths = 0;
    Add(panel, Rect(0, 0, 10, 10), 0, "a")->CountDeathsIn(&deaths);
    Tick(root);
    Tick(root);
    Add(panel, Rect(0, 0, 10, 10), 0, "b")->CountDeathsIn(&deaths);
    Probe* gone = Add(panel, Rect(0, 0, 10, 10), 0, "gone");
    gone->CountDeathsIn(&deaths);
    gone->Destroy();
    panel->Destroy();
    Tick(root);
    EXPECT_EQ(deaths, 3); // each exactly once
}

TEST_F(DialogTest, AddingALiveChildAgainAndRaisingFollowTheLiveLayers)
{
    Probe* a = Add(&root, Rect(0, 0, 10, 10), 5, "a");
    Probe* b = Add(&root, Rect(0, 0, 10, 10), 1, "b");
    root.RaiseChild(a);
    EXPECT_EQ(root.FindLayer(a), 0);
    Tick(root);
    root.AddChild(a, 7);
    Tick(root);
    EXPECT_EQ(root.FindLayer(a), 5);
    root.RaiseChild(a);
    EXPECT_EQ(root.FindLayer(a), 1);
    EXPECT_EQ(root.LiveChildren(), (std::vector<IMControl*> { b, a }));
}

TEST_F(DialogTest, DirtyChildMakesTheTreeDirtyAndCleaningReachesEveryChild)
{
    IMDialog* panel = CreateDialog(&root, 0, 100, 0, 100, 0);
    Probe* p = Add(panel, Rect(0, 0, 10, 10), 0, "p");
    Tick(root);
    Tick(root);
    root.SetDirty(false);
    EXPECT_FALSE(root.IsDirty());
    p->SetPos(5, 5);
    EXPECT_TRUE(root.IsDirty());
    EXPECT_TRUE(panel->IsDirty());
    root.SetDirty(false);
    EXPECT_FALSE(p->IsDirty());
}

TEST_F(DialogTest, DrawingWalksLayersUpwardAndAHiddenDialogDrawsNothing)
{
    Add(&root, Rect(0, 0, 10, 10), 3, "top");
    IMDialog* panel = CreateDialog(&root, 0, 100, 0, 100, 0);
    Add(panel, Rect(0, 0, 10, 10), 0, "inner");
    Add(&root, Rect(0, 0, 10, 10), 0, "bottom");
    Tick(root);
    Tick(root);
    Take();
    root.OnDraw(IMEvent(&root, IMEV_DRAW));
    EXPECT_EQ(Take(), (Log { "inner draw", "bottom draw", "top draw" }));
    EXPECT_FALSE(root.IsDirty());
    panel->Hide();
    root.OnDraw(IMEvent(&root, IMEV_DRAW));
    EXPECT_EQ(Take(), (Log { "bottom draw", "top draw" }));
    EXPECT_FALSE(panel->IsDirty());
}

TEST_F(DialogTest, ClosingDescendsThroughEveryLiveChild)
{
    IMDialog* panel = CreateDialog(&root, 0, 100, 0, 100, 0);
    int deaths = 0;
    Add(panel, Rect(0, 0, 10, 10), 0, "a")->CountDeathsIn(&deaths);
    Add(&root, Rect(0, 0, 10, 10), 0, "b")->CountDeathsIn(&deaths);
    Tick(root);
    Tick(root);
    root.OnClose(IMEvent(&root, IMEV_CLOSE));
    EXPECT_EQ(deaths, 0);
    root.FlushRemovals();
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST_F(DialogTest, DialogWithoutRectangleCoversTheBackBuffer)
{
    IMDialog whole(nullptr, nullptr, 0);
    const RECT r = whole.GetRect();
    EXPECT_TRUE(EqualRect(&r, &screen));
    EXPECT_TRUE(whole.IsFocusable());
    EXPECT_TRUE(whole.HitTest(0, 0));
    EXPECT_FALSE(whole.HitTest(800, 599));
}

TEST(ViewportClip, NestedDialogsClipToTheIntersectionOfTheirRectangles)
{
    const D3DVIEWPORT9 full { 0, 0, 800, 600, 0.0f, 1.0f };
    D3DVIEWPORT9 outer;
    ASSERT_TRUE(ClipViewportToRect(full, Rect(200, 100, 600, 500), POINT { 0, 0 }, &outer));
    EXPECT_EQ(outer.X, 200u);
    EXPECT_EQ(outer.Width, 400u);
    // An inner dialog at (-10, 350) inside the outer one, with the origin moved to the outer corner.
    D3DVIEWPORT9 inner;
    ASSERT_TRUE(ClipViewportToRect(outer, Rect(-10, 350, 100, 450), POINT { 200, 100 }, &inner));
    EXPECT_EQ(inner.X, 200u);
    EXPECT_EQ(inner.Y, 450u);
    EXPECT_EQ(inner.Width, 100u);
    EXPECT_EQ(inner.Height, 50u);
    EXPECT_EQ(inner.MaxZ, 1.0f);
    EXPECT_FALSE(ClipViewportToRect(outer, Rect(400, 0, 500, 10), POINT { 200, 100 }, &inner));
}

} // namespace
