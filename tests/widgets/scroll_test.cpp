#include <cstdint>
#include <utility>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "widgets/scroll.h"

namespace {

// A 14 x 240 bar at (700, 100) over a range of 400 with a page of 236: arrows 14 x 14, a track of 212, a
// slider of 125.
constexpr RECT kBarRect { 700, 100, 714, 340 };
constexpr int kX = 706;
constexpr int kUpArrowY = 105;
constexpr int kDownArrowY = 330;

class ScrollTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        bar_ = new IMScroll(window_, &kBarRect);
        bar_->max = 400;
        bar_->page = 236;
        bar_->Layout();
        bar_->ConnectPositionChanged([this](const IMEvent& ev, int32_t p) -> long {
            EXPECT_EQ(ev.sender, bar_);
            EXPECT_EQ(ev.kind, 0u);
            changes_.emplace_back(clock_.Milliseconds(), p);
            return 0;
        });
        RunFor(1);
    }
    std::vector<int32_t> Positions() const
    {
        std::vector<int32_t> positions;
        for (const auto& change : changes_)
            positions.push_back(change.second);
        return positions;
    }
    // The slider's top in window coordinates.
    LONG SliderTop() const { return kBarRect.top + bar_->GetSlider()->GetRect().top; }

    IMScroll* bar_ = nullptr;
    std::vector<std::pair<int64_t, int32_t>> changes_;
};

TEST_F(ScrollTest, LayoutFollowsRangePageAndPosition)
{
    auto rect = [](IMControl* c) {
        const RECT r = c->GetRect();
        return std::vector<LONG> { r.left, r.top, r.right - r.left, r.bottom - r.top };
    };
    bar_->SetPosition(100);
    EXPECT_EQ(rect(bar_->GetSlider()), (std::vector<LONG> { 0, 67, 14, 125 }));
    EXPECT_EQ(rect(bar_->GetUpButton()), (std::vector<LONG> { 0, 0, 14, 14 }));
    EXPECT_EQ(rect(bar_->GetUpperTrack()), (std::vector<LONG> { 0, 14, 14, 53 }));
    EXPECT_EQ(rect(bar_->GetLowerTrack()), (std::vector<LONG> { 0, 192, 14, 34 }));
    EXPECT_EQ(rect(bar_->GetDownButton()), (std::vector<LONG> { 0, 226, 14, 14 }));

    // Clamped into [min, max - page]; an unchanged position reports nothing.
    bar_->max = 100;
    bar_->page = 10;
    for (int32_t p : { 95, -5, 0, 42, 42 })
        bar_->SetPosition(p);
    EXPECT_EQ(Positions(), (std::vector<int32_t> { 100, 90, 0, 42 }));

    // An empty range shows the slider over the whole track.
    bar_->max = 0;
    bar_->page = 0;
    bar_->position = 0;
    bar_->Layout();
    EXPECT_EQ(rect(bar_->GetSlider()), (std::vector<LONG> { 0, 14, 14, 212 }));
}

TEST_F(ScrollTest, ArrowsStepATenthOfAPageAndTheTrackAPage)
{
    ClickAt(kX, kUpArrowY); // nothing above 0
    ClickAt(kX, kDownArrowY);
    ClickAt(kX, 300); // lower track
    ClickAt(kX, kDownArrowY); // nothing below max - page
    ClickAt(kX, kUpArrowY);
    ClickAt(kX, 105 + 14 + 10); // upper track
    // The second press of a double click is no press: one step only.
    input_.MoveTo(kX, kDownArrowY);
    input_.DoubleClick();
    RunFor(5);
    EXPECT_EQ(Positions(), (std::vector<int32_t> { 23, 164, 141, 0, 23 }));
    EXPECT_TRUE(ArmedTimers().empty());
}

TEST_F(ScrollTest, AHeldArrowRepeatsUntilReleaseOrLeave)
{
    input_.MoveTo(kX, kDownArrowY);
    const int64_t start = clock_.Milliseconds();
    input_.Press();
    input_.At(720, [&] { input_.Release(); });
    RunFor(1000);
    std::vector<int64_t> times;
    for (const auto& change : changes_)
        times.push_back(change.first - start);
    ASSERT_EQ(times.size(), 6u);
    EXPECT_LE(times[0], 1);
    EXPECT_NEAR(times[1] - times[0], 500, 2);
    for (size_t i = 2; i < times.size(); ++i)
        EXPECT_NEAR(times[i] - times[i - 1], 50, 2);
    EXPECT_TRUE(ArmedTimers().empty());

    // Moving off the arrow stops it as well.
    changes_.clear();
    bar_->SetPosition(0);
    changes_.clear();
    input_.Press();
    input_.At(620, [&] { input_.MoveTo(kX, 300); });
    RunFor(1000);
    EXPECT_EQ(Positions(), (std::vector<int32_t> { 23, 46, 69, 92 }));
    EXPECT_TRUE(ArmedTimers().empty());

    // Destroyed in the middle of a repeat, the bar takes its timer with it.
    input_.Release();
    input_.MoveTo(kX, kDownArrowY);
    input_.Press();
    RunFor(600);
    ASSERT_EQ(ArmedTimers().size(), 1u);
    bar_->Close();
    RunFor(100);
    EXPECT_TRUE(ArmedTimers().empty());
}

TEST_F(ScrollTest, TheSliderFollowsTheDragUntilReleaseAnywhere)
{
    ClickAt(kX, kUpArrowY);
    input_.MoveTo(kX, 150);
    input_.Press(); // on the slider: no step, no repeat
    RunFor(600);
    EXPECT_TRUE(changes_.empty());
    EXPECT_TRUE(ArmedTimers().empty());

    std::vector<std::pair<LONG, int32_t>> seen;
    auto drag_to = [&](int y) {
        input_.MoveTo(kX, y);
        RunFor(1);
        seen.emplace_back(SliderTop(), bar_->position);
    };
    drag_to(151);
    drag_to(160);
    drag_to(kDownArrowY); // beyond the end and over the down arrow
    drag_to(kDownArrowY - 10); // still dragging
    drag_to(0); // beyond the top
    drag_to(40);
    // Pixel by pixel for the slider, round((top - 14) * 400 / 212) for the position.
    const std::vector<std::pair<LONG, int32_t>> expected { { 115, 2 }, { 124, 19 }, { 201, 164 }, { 191, 145 },
        { 114, 0 }, { 154, 75 } };
    EXPECT_EQ(seen, expected);

    input_.MoveTo(300, 300);
    input_.Release(); // far from the bar
    RunFor(1);
    const LONG top = SliderTop();
    const int32_t position = bar_->position;
    input_.MoveTo(kX, 200);
    RunFor(5);
    EXPECT_EQ(SliderTop(), top);
    EXPECT_EQ(bar_->position, position);

    // The pointer leaving the window ends a drag too.
    input_.MoveTo(kX, top + 5);
    input_.Press();
    input_.MoveTo(kX, top + 15);
    RunFor(2);
    ASSERT_TRUE(bar_->IsDragging());
    input_.CursorLeaves();
    RunFor(5);
    EXPECT_FALSE(bar_->IsDragging());
}

} // namespace
