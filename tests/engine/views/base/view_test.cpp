#include <gtest/gtest.h>

#include "engine/controls/dialog_base.h"
#include "engine/views/empty_view.h"
#include "engine/views/view_control.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;

// A view that counts how often it draws.
class CountingView : public IMView {
public:
    void Draw() override
    {
        ++draws;
        dirty_ = false;
    }
    int draws = 0;
};

using CountingControl = IMViewControl<CountingView>;

void Tick(IMDialog& d)
{
    d.OnFrame(IMEvent(&d, IMEV_FRAME));
}

TEST(View, GeometrySettersKeepWhatTheyPromiseAndMarkDirtyOnlyOnChange)
{
    IMEmptyView v;
    v.SetRect(RECT { 10, 20, 110, 70 });
    EXPECT_TRUE(v.IsDirty());
    v.SetDirty(false);
    v.SetRect(RECT { 10, 20, 110, 70 });
    v.SetPos(10, 20);
    EXPECT_FALSE(v.IsDirty());
    v.SetSize(30, 40);
    EXPECT_EQ(v.GetPos().x, 10);
    EXPECT_EQ(v.GetPos().y, 20);
    EXPECT_EQ(v.GetWidth(), 30);
    EXPECT_EQ(v.GetHeight(), 40);
    v.SetPos(POINT { -5, 7 });
    const RECT r = v.GetRect();
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.bottom, 47);
    EXPECT_EQ(v.GetWidth(), 30);
    v.SetDirty(false);
    v.SetSrcRect(RECT { 0, 0, 4, 4 });
    EXPECT_TRUE(v.IsDirty());
}

TEST(View, HitTestTakesLeftAndTopEdgesOnly)
{
    IMEmptyView v;
    v.SetRect(RECT { 10, 10, 20, 20 });
    EXPECT_TRUE(v.HitTest(POINT { 10, 10 }));
    EXPECT_TRUE(v.HitTest(POINT { 19, 19 }));
    EXPECT_FALSE(v.HitTest(POINT { 20, 15 }));
    EXPECT_FALSE(v.HitTest(POINT { 15, 20 }));
    EXPECT_FALSE(v.HitTest(POINT { 9, 15 }));
}

TEST(ViewControl, MovingThroughTheViewReachesTheControlsDirtySignalAndParent)
{
    RECT screen { 0, 0, 800, 600 };
    IMDialog root(nullptr, &screen, 0);
    auto* c = new CountingControl(&root, 0);
    Tick(root);
    root.OnMouseMove(IMMouseEvent(&root, WM_MOUSEMOVE, 0, 5, 5));
    int dirty_signals = 0;
    IMControl::ConnectDirty(c, [&](const IMEvent&) { return long(++dirty_signals); });
    IMView* as_view = c;
    as_view->SetPos(0, 0);
    EXPECT_EQ(dirty_signals, 0);
    as_view->SetSize(10, 10);
    EXPECT_EQ(dirty_signals, 1);
    EXPECT_TRUE(c->IsDirty());
    // The parent re-checked its hover child without a mouse move.
    EXPECT_EQ(root.GetHoverChild(), c);
    EXPECT_TRUE(c->IsHovered());
}

TEST(ViewControl, StateChangesMarkDirtyAndHiddenControlsAreNotHit)
{
    RECT screen { 0, 0, 800, 600 };
    IMDialog root(nullptr, &screen, 0);
    auto* c = new CountingControl(&root, 0);
    c->SetRect(RECT { 0, 0, 10, 10 });
    EXPECT_TRUE(c->HitTest(0, 0));
    c->SetDirty(false);
    c->Disable();
    EXPECT_TRUE(c->IsDirty());
    c->SetDirty(false);
    c->Hide();
    EXPECT_TRUE(c->IsDirty());
    EXPECT_FALSE(c->HitTest(0, 0));
    EXPECT_TRUE(c->HitTest(POINT { 0, 0 })); // the view's own test knows nothing of the control
}

TEST(ViewControl, DrawsOnlyVisibleControlsWithAParentButAlwaysEndsClean)
{
    RECT screen { 0, 0, 800, 600 };
    IMDialog root(nullptr, &screen, 0);
    CountingControl orphan(nullptr, 0);
    orphan.SetRect(RECT { 0, 0, 10, 10 });
    orphan.Draw();
    EXPECT_EQ(orphan.draws, 0);
    EXPECT_FALSE(orphan.IsDirty());

    auto* child = new CountingControl(&root, 0);
    child->Draw();
    EXPECT_EQ(child->draws, 1);
    child->Hide();
    child->Draw();
    EXPECT_EQ(child->draws, 1);
    EXPECT_FALSE(child->IsDirty());
}

TEST(ViewControl, DialogDrawsNothingOfItsOwnAndEndsClean)
{
    IMDialog d(nullptr, nullptr, 0);
    EXPECT_TRUE(d.IsDirty());
    d.OnDraw(IMEvent(&d, IMEV_DRAW));
    EXPECT_FALSE(d.IsDirty());
}

} // namespace
