#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/controls/dialog_base.h"
#include "engine/resources/resource_manager.h"
#include "game/tumbil.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/test_clock.h"

namespace {

// start frame, end frame, forward
using Played = std::tuple<int, int, bool>;

// The hero alone on a field under the test clock, its frame passes run 40 ms apart.
class HeroTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterEmbeddedAssets();
        IMResourceManager::StartGraphics(false);
        field_ = CreateDialog(nullptr, 200, 400, 100, 400, 0);
        hero_ = new IMTumbil(field_);
        hero_->SetCell(9, 0);
        Frame();
    }
    void TearDown() override
    {
        delete field_;
        IMResourceManager::StopGraphics();
    }

    // One frame pass; notes the animation that starts in it.
    void Frame(int64_t ms = 40)
    {
        clock_.Advance(ms);
        field_->OnFrame(IMEvent(field_, IMEV_FRAME));
        if (hero_->IsPlaying() && hero_->ElapsedMs() == 0)
            runs_.emplace_back(hero_->GetStart(), hero_->GetEnd(), hero_->IsForward());
    }
    // Frames until the hero stands still facing its target (or a bound is hit).
    void Settle()
    {
        for (int i = 0; i < 200 && (hero_->IsPlaying() || hero_->GetDirection() != hero_->GetTargetDirection()); ++i)
            Frame();
    }
    void TurnTo(int32_t direction)
    {
        hero_->SetTargetDirection(direction);
        Frame();
        Settle();
    }
    // Takes `steps` steps in the direction it faces.
    void Walk(size_t steps)
    {
        const size_t until = runs_.size() + steps;
        hero_->SetWalking(true);
        for (int i = 0; i < 200 && runs_.size() < until; ++i)
            Frame();
        hero_->SetWalking(false);
        Settle();
    }
    std::pair<LONG, LONG> Pos() const
    {
        const POINT p = hero_->GetPos();
        return { p.x, p.y };
    }

    platform::headless::HeadlessPresenter presenter_;
    platform::TestClock clock_;
    IMDialogBase<IMEmptyView>* field_ = nullptr;
    IMTumbil* hero_ = nullptr;
    std::vector<Played> runs_;
};

TEST_F(HeroTest, FreshHeroFacesDownCentredOnTheStartCellWithAllFrames)
{
    EXPECT_EQ(hero_->GetDirection(), 0);
    EXPECT_EQ(hero_->GetPreviousDirection(), 1);
    EXPECT_TRUE(hero_->GetFootToggle());
    EXPECT_TRUE(hero_->IsFocusable());
    const RECT r = hero_->GetRect();
    EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom), std::make_tuple(175, -5, 206, 26));
    ASSERT_EQ(hero_->GetFrameCount(), 244);
    for (auto [index, name] : { std::pair { 3, L"700003" }, { 40, L"1000018" }, { 175, L"500004" }, { 243, L"177" } })
        EXPECT_EQ(hero_->GetFrameName(index), name);
    EXPECT_EQ(hero_->GetFrame(), 0);
}

TEST_F(HeroTest, QuarterTurnsGoStraightAndHalfTurnsCarryOnTheLastRotation)
{
    TurnTo(1);
    TurnTo(2);
    EXPECT_EQ(hero_->GetFrame(), 19);
    EXPECT_EQ(runs_, (std::vector<Played> { { 0, 9, true }, { 10, 19, true } }));

    runs_.clear();
    TurnTo(3); // up to left
    TurnTo(0); // left to down: the previous direction is now left
    TurnTo(2); // a half turn, on through right
    EXPECT_EQ(runs_, (std::vector<Played> { { 30, 39, false }, { 20, 29, false }, { 0, 9, true }, { 10, 19, true } }));
    EXPECT_EQ(hero_->GetDirection(), 2);
}

TEST_F(HeroTest, HalfTurnAfterAResetStillCompletes)
{
    TurnTo(1);
    hero_->ResetToCell(9, 0); // faces down again; the previous direction is down too
    runs_.clear();
    TurnTo(2);
    EXPECT_EQ(runs_, (std::vector<Played> { { 0, 9, true }, { 10, 19, true } }));
    EXPECT_EQ(hero_->GetDirection(), 2);
    EXPECT_EQ(hero_->GetFrame(), 19);
}

TEST_F(HeroTest, StepsAlternateTheFeetAndGlideBetweenCells)
{
    Walk(2);
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 9, 2 }));
    hero_->ResetToCell(5, 5);
    TurnTo(3);
    Walk(2);
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 3, 5 }));
    EXPECT_EQ(runs_,
        (std::vector<Played> {
            { 40, 53, true }, { 55, 68, true }, { 20, 29, true }, { 85, 98, true }, { 70, 83, true } }));

    hero_->ResetToCell(9, 0);
    hero_->SetWalking(true);
    Frame(); // the step starts; the cell is already the new one
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 9, 1 }));
    hero_->SetWalking(false);
    for (int t = 40; t < 280; t += 40)
        Frame();
    Frame();
    EXPECT_EQ(hero_->ElapsedMs(), 280);
    EXPECT_EQ(Pos().second, 15 - 10);
    Settle();
    EXPECT_EQ(Pos(), std::make_pair(175, 15));

    hero_->ResetToCell(9, 0);
    TurnTo(2);
    runs_.clear();
    Walk(1);
    EXPECT_TRUE(runs_.empty()) << "no step up from the top row";
}

TEST_F(HeroTest, IdleRunComesOnlyAfterMoreThanAHundredSecondsOfStanding)
{
    Frame(100'000 - 40);
    EXPECT_TRUE(runs_.empty());
    Frame(1000);
    EXPECT_EQ(runs_, (std::vector<Played> { { 160, 163, true } }));
    Settle();
    Frame(100'000);
    EXPECT_EQ(runs_.size(), 1u) << "the idle run's end restarts the standing time";
}

TEST_F(HeroTest, DrowningRunsOnceAndPutsTheHeroBackOnTheStartFacingDown)
{
    hero_->ResetToCell(4, 4);
    TurnTo(3);
    runs_.clear();
    hero_->Drown();
    hero_->Drown();
    EXPECT_TRUE(hero_->IsDrowning());
    EXPECT_EQ(hero_->ResetToCell(1, 1), 0);
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 4, 4 }));
    EXPECT_EQ(hero_->GetStart(), 193);
    EXPECT_EQ(hero_->GetEnd(), 208);
    Settle();
    EXPECT_FALSE(hero_->IsDrowning());
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 9, 0 }));
    EXPECT_EQ(hero_->GetDirection(), 0);
    EXPECT_EQ(Pos(), std::make_pair(175, -5));
}

} // namespace
