#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/app.h"
#include "assets/embedded_assets.h"
#include "engine/window/window.h"
#include "game/tumbil.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/test_clock.h"
#include "tests/support/maze_route.h"
#include "tests/support/own_folder.h"
#include "tests/support/run_until.h"
#include "tests/support/test_clock_sound.h"
#include "tests/support/workbook_fixture.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Rows = std::vector<std::vector<std::wstring>>;

class PraisedApp : public App {
public:
    void ShowPraiseNoExit(int x, int y) override { praises.push_back(POINT { x, y }); }

    std::vector<POINT> praises;
};

// The maze scene built by the exercise in the main window, played with the mouse through the message loop under
// the test clock (one millisecond per idle pass); its statistics go to a workbook in a scratch folder.
class MazeSceneTest : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        RegisterEmbeddedAssets();
        sound_.Start(input_);
        const RECT rect { 0, 0, 800, 600 };
        window_ = IMWindow::Create(nullptr, &rect, L"Лабиринт", false, nullptr);
        report_path_ = folder_ / "stats.xls";
        app_.SetReport(IMReport::Open(Wide(report_path_), L"Ученик"));
        BuildScene();
    }
    void TearDown() override
    {
        delete window_;
        app_.SetReport(nullptr);
        WorkbookTest::TearDown();
    }

    void BuildScene()
    {
        scene_ = new IMDialog(window_, nullptr, 0);
        app_.BuildGameScreen(scene_);
        RunFor(1);
        auto* field = dynamic_cast<IMDialog*>(scene_->LiveChildren().back());
        hero_ = field ? dynamic_cast<IMTumbil*>(field->LiveChildren().front()) : nullptr;
        ASSERT_NE(hero_, nullptr);
    }

    // The pointer to the middle of a cell.
    void MoveTo(MazeCell c) { input_.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); }
    // Presses on the first cell, drags through the others in turn and, unless held, lets go. The messages are
    // handled when the loop runs next.
    void Draw(const std::vector<MazeCell>& cells, bool held = false)
    {
        MoveTo(cells.front());
        input_.Press();
        for (size_t i = 1; i < cells.size(); ++i)
            MoveTo(cells[i]);
        if (!held)
            input_.Release();
    }
    void RunFor(DWORD ms)
    {
        input_.QuitAfter(ms);
        IMWindow::Run(window_);
    }
    // Runs the loop until the success sound has ended and the praise was asked for, for at most ten seconds.
    // The streaming threads take real time, so a loaded machine may need more passes than a quiet one.
    bool RunUntilPraised()
    {
        for (int i = 0; i < 100 && app_.praises.empty(); ++i)
            RunFor(100);
        return !app_.praises.empty();
    }
    // Runs the loop until the condition holds at the end of one of the hero's frame passes, for at most two
    // minutes; notes the time of that pass.
    bool RunUntil(const std::function<bool()>& condition)
    {
        return RunLoopUntil(window_, hero_, clock_, condition, 120'000, &stood_at_);
    }
    bool WalkUntilStandingOn(MazeCell cell)
    {
        return RunUntil(
            [this, cell] { return !hero_->IsPlaying() && hero_->GetCell() == cell && app_.GetPathCells().empty(); });
    }
    // The path as the next frame pass finds it, after the waiting messages.
    PathCells PathAtNextFrame()
    {
        PathCells path;
        im::ScopedConnection watch = IMControl::ConnectFrame(window_, [&](const IMEvent&) -> long {
            path = app_.GetPathCells();
            PostQuitMessage(0);
            return 0;
        });
        IMWindow::Run(window_);
        return path;
    }
    Rows Statistics()
    {
        EXPECT_TRUE(app_.GetReport()->Save(L""));
        return SheetRows(*ParseStrictly(ReadBytes(report_path_)), L"Ученик");
    }
    // Pure red pixels on the last frame shown: the painted path.
    int RedPixels() const
    {
        int n = 0;
        for (uint32_t p : presenter_.Frame())
            n += (p & 0xFFFFFF) == 0xFF0000;
        return n;
    }

    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    TestClockSound sound_;
    PraisedApp app_;
    IMWindow* window_ = nullptr;
    std::filesystem::path report_path_;
    IMDialog* scene_ = nullptr;
    IMTumbil* hero_ = nullptr;
    int64_t stood_at_ = 0;
};

TEST_F(MazeSceneTest, DraggingFromTheStartOneCellDownWalksTheHeroThere)
{
    input_.MoveTo(381, 101); // along the top of the start cell, beside the hero's round body
    input_.Press();
    input_.MoveTo(398, 101);
    RunFor(40);
    EXPECT_GT(RedPixels(), 0) << "a stroke shows at once, though nothing else moved";

    MoveTo(MazeCell { 9, 1 });
    EXPECT_EQ(PathAtNextFrame(), (PathCells { { 9, 0 }, { 9, 1 } }));
    ASSERT_TRUE(WalkUntilStandingOn(MazeCell { 9, 1 }));
    EXPECT_EQ(hero_->GetDirection(), kDown);
    RunFor(40);
    EXPECT_EQ(hero_->GetCell(), (MazeCell { 9, 1 })) << "the button is still held";
    EXPECT_GT(RedPixels(), 0);
}

TEST_F(MazeSceneTest, PathStartingAwayFromTheHeroPutsItBackAndWipesTheDrawing)
{
    Draw({ { 9, 0 }, { 9, 1 } }, true);
    ASSERT_TRUE(WalkUntilStandingOn(MazeCell { 9, 1 }));
    input_.Release();
    Draw({ { 9, 3 }, { 10, 4 } }, true); // two cells away from the hero
    RunFor(40);
    EXPECT_EQ(hero_->GetCell(), kStartCell);
    EXPECT_TRUE(app_.GetPathCells().empty());
    EXPECT_FALSE(app_.IsDrawing());
    EXPECT_EQ(RedPixels(), 0);
}

TEST_F(MazeSceneTest, FastMoveRecordsTheCellsOfADiagonalWalk)
{
    Draw({ { 7, 3 }, { 10, 5 } }, true);
    EXPECT_EQ(PathAtNextFrame(), (PathCells { { 7, 3 }, { 8, 4 }, { 9, 5 }, { 10, 5 } }));
}

TEST_F(MazeSceneTest, PathEndingOnAPlankOtherThanTheGoalSendsTheHeroBack)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 } });
    ASSERT_TRUE(RunUntil([this] { return hero_->GetCell() == MazeCell { 7, 1 } && !hero_->IsPlaying(); }));
    RunFor(2);
    EXPECT_EQ(hero_->GetCell(), kStartCell);
    EXPECT_EQ(hero_->GetDirection(), kDown);
    EXPECT_EQ(RedPixels(), 0);
}

TEST_F(MazeSceneTest, PressWhileTheHeroStillWalksStartsNoDrawing)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 } });
    RunFor(100);
    const PathCells left = app_.GetPathCells();
    ASSERT_FALSE(left.empty());
    Draw({ { 7, 1 }, { 6, 1 } }, true);
    EXPECT_EQ(PathAtNextFrame(), left);
    EXPECT_FALSE(app_.IsDrawing());
}

TEST_F(MazeSceneTest, WholeRouteInOneStrokeReachesTheFarBankOnFirstTry)
{
    std::vector<MazeCell> route = kRouteCorners;
    route.push_back(MazeCell { 10, 19 }); // moves after the goal are not recorded
    Draw(route, true);
    EXPECT_EQ(PathAtNextFrame().size(), 68u);
    EXPECT_FALSE(app_.IsDrawing());
    input_.Release();
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));

    const Rows rows = Statistics();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring> { L"Число попыток", L"0" }));
    EXPECT_EQ(rows[1][0], L"Продолжительность успешной попытки");
    EXPECT_EQ(std::stoll(rows[1][1]), stood_at_) << "from the build to the end of the last step";
    EXPECT_TRUE(app_.praises.empty()) << "the praise waits for the success sound";
    RunFor(1500);
    EXPECT_TRUE(app_.praises.empty());
    ASSERT_TRUE(RunUntilPraised());
    ASSERT_EQ(app_.praises.size(), 1u);
    EXPECT_EQ(app_.praises[0].x, 137);
    EXPECT_EQ(app_.praises[0].y, 100);
    EXPECT_EQ(RedPixels(), 0);
}

TEST_F(MazeSceneTest, OneDrowningCountsOnceAndRestartsTheAttemptClock)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 10, 1 } });
    ASSERT_TRUE(WalkUntilStandingOn(kStartCell));
    EXPECT_EQ(app_.GetDrowningCount(), 1);
    const int64_t back_on_start = stood_at_;
    EXPECT_EQ(RedPixels(), 0);

    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    const Rows rows = Statistics();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], L"1");
    EXPECT_EQ(std::stoll(rows[1][1]), stood_at_ - back_on_start);
    EXPECT_EQ(app_.GetDrowningCount(), 0);
}

TEST_F(MazeSceneTest, GoalIsHandledOnceWhateverFollows)
{
    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    Draw({ { 9, 19 }, { 10, 18 }, { 11, 19 } }); // a sweep past the goal
    EXPECT_TRUE(PathAtNextFrame().empty());
    ASSERT_TRUE(RunUntilPraised());
    clock_.Advance(101'000); // long enough for an idle run on the goal
    RunFor(1000);
    EXPECT_EQ(hero_->GetCell(), kGoalCell);
    EXPECT_EQ(Statistics().size(), 2u);
    EXPECT_EQ(app_.praises.size(), 1u);
    EXPECT_EQ(app_.GetDrowningCount(), 0);
}

TEST_F(MazeSceneTest, SuccessOfAnAbandonedSceneNeverEndsALaterOne)
{
    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    scene_->Close(); // abandoned before its success sound ended
    BuildScene();
    RunFor(4000); // well past the end of the success sound
    EXPECT_TRUE(app_.praises.empty());
    EXPECT_EQ(hero_->GetCell(), kStartCell);
}

TEST_F(MazeSceneTest, SceneWithADrawnPathAndTheHeroHalfWaySavesAsPng)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 }, { 6, 1 }, { 5, 1 }, { 5, 2 } }, true);
    ASSERT_TRUE(RunUntil([this] { return hero_->GetCell() == MazeCell { 8, 1 } && hero_->IsPlaying(); }));
    RunFor(281);
    EXPECT_EQ(hero_->GetPos().x, 8 * 20 - 5 + 10) << "half a cell short of its new cell";
    EXPECT_GT(RedPixels(), 100);
    const auto png = testing_support::PicturePath("maze_scene");
    ASSERT_TRUE(presenter_.SavePng(png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 10000u);
}

} // namespace
