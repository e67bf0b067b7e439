#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/app.h"
#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "game/tumbil.h"
#include "platform/clock.h"
#include "platform/headless/headless_presenter.h"
#include "tests/report/workbook_fixture.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Rows = std::vector<std::vector<std::wstring>>;

// The only route from the near bank to the far one, by its corners.
const std::vector<MazeCell> kRouteCorners { { 9, 0 }, { 9, 1 }, { 5, 1 }, { 5, 5 }, { 3, 5 }, { 3, 8 }, { 11, 8 },
    { 11, 4 }, { 16, 4 }, { 16, 6 }, { 18, 6 }, { 18, 11 }, { 13, 11 }, { 13, 14 }, { 8, 14 }, { 8, 13 }, { 5, 13 },
    { 5, 17 }, { 9, 17 }, { 9, 19 } };

class PraisedApp : public App {
public:
    void ShowPraiseNoExit(int x, int y) override { praises.push_back(POINT { x, y }); }

    std::vector<POINT> praises;
};

// The maze scene built by the exercise in a full-screen dialog, played with the mouse under the test clock;
// its statistics go to a workbook in a scratch folder.
class MazeSceneTest : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        RegisterEmbeddedAssets();
        IMResourceManager::StartGraphics(false);
        report_path_ = folder_ / "stats.xls";
        app_.SetReport(IMReport::Open(Wide(report_path_), L"Ученик"));
        BuildScene();
    }
    void TearDown() override
    {
        delete scene_;
        app_.SetReport(nullptr);
        IMResourceManager::StopGraphics();
        WorkbookTest::TearDown();
    }

    void BuildScene()
    {
        scene_ = CreateDialog(nullptr, 0, 800, 0, 600, 0);
        app_.BuildGameScreen(scene_);
        Frame();
        auto* field = dynamic_cast<IMDialog*>(scene_->LiveChildren().back());
        hero_ = field ? dynamic_cast<IMTumbil*>(field->LiveChildren().front()) : nullptr;
        ASSERT_NE(hero_, nullptr);
    }

    // The pointer to the middle of a cell, with the left button held or not.
    void MoveTo(MazeCell c, bool held = true)
    {
        scene_->OnMouseMove(
            IMMouseEvent(nullptr, WM_MOUSEMOVE, held ? MK_LBUTTON : 0, 200 + 20 * c.x + 10, 100 + 20 * c.y + 10));
    }
    void Button(DWORD message)
    {
        scene_->OnMouseButton(IMMouseEvent(nullptr, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, 0, 0));
    }
    // Presses on the first cell, drags through the others in turn and, unless held, lets go.
    void Draw(std::initializer_list<MazeCell> cells, bool held = false) { Draw(std::vector<MazeCell>(cells), held); }
    void Draw(const std::vector<MazeCell>& cells, bool held = false)
    {
        MoveTo(cells.front(), false);
        Button(WM_LBUTTONDOWN);
        for (size_t i = 1; i < cells.size(); ++i)
            MoveTo(cells[i]);
        if (!held)
            Button(WM_LBUTTONUP);
    }
    void Frame()
    {
        clock_.Advance(40);
        scene_->OnFrame(IMEvent(nullptr, IMEV_FRAME));
    }
    // Frames until the hero stands still on the cell; false when it never does within two minutes.
    bool WalkUntilStandingOn(MazeCell cell)
    {
        for (int i = 0; i < 3000; ++i) {
            Frame();
            if (!hero_->IsPlaying() && hero_->GetCell() == cell && app_.GetPathCells().empty())
                return true;
        }
        return false;
    }
    Rows Statistics()
    {
        EXPECT_TRUE(app_.GetReport()->Save(L""));
        return SheetRows(*ParseStrictly(ReadBytes(report_path_)), L"Ученик");
    }
    void Render()
    {
        IDirect3DDevice9* device = IMResourceManager::Instance()->GetDevice();
        device->BeginScene();
        scene_->OnDraw(IMEvent(scene_, IMEV_DRAW));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    // Pure red pixels on the screen: the painted path.
    int RedPixels()
    {
        Render();
        int n = 0;
        for (uint32_t p : presenter_.Frame())
            n += (p & 0xFFFFFF) == 0xFF0000;
        return n;
    }

    platform::headless::HeadlessPresenter presenter_;
    platform::TestClock clock_;
    PraisedApp app_;
    std::filesystem::path report_path_;
    IMDialog* scene_ = nullptr;
    IMTumbil* hero_ = nullptr;
};

TEST_F(MazeSceneTest, DraggingFromTheStartOneCellDownWalksTheHeroThere)
{
    Draw({ { 9, 0 }, { 9, 1 } }, true);
    EXPECT_EQ(app_.GetPathCells(), (PathCells { { 9, 0 }, { 9, 1 } }));
    EXPECT_GT(RedPixels(), 0);
    ASSERT_TRUE(WalkUntilStandingOn(MazeCell { 9, 1 }));
    EXPECT_EQ(hero_->GetDirection(), kDown);
    EXPECT_GT(RedPixels(), 0) << "the drawing stays while the button is held";
}

TEST_F(MazeSceneTest, PathStartingAwayFromTheHeroPutsItBackAndWipesTheDrawing)
{
    Draw({ { 9, 0 }, { 9, 1 } }, true);
    ASSERT_TRUE(WalkUntilStandingOn(MazeCell { 9, 1 }));
    Button(WM_LBUTTONUP);
    Frame();
    EXPECT_EQ(hero_->GetCell(), kStartCell);

    Draw({ { 8, 1 }, { 7, 1 } }, true); // two cells away from the hero
    EXPECT_GT(RedPixels(), 0);
    Frame();
    EXPECT_EQ(hero_->GetCell(), kStartCell);
    EXPECT_TRUE(app_.GetPathCells().empty());
    EXPECT_FALSE(app_.IsDrawing());
    EXPECT_EQ(RedPixels(), 0);
}

TEST_F(MazeSceneTest, FastMoveRecordsTheCellsOfADiagonalWalk)
{
    Draw({ { 7, 3 }, { 10, 5 } }, true);
    EXPECT_EQ(app_.GetPathCells(), (PathCells { { 7, 3 }, { 8, 4 }, { 9, 5 }, { 10, 5 } }));
}

TEST_F(MazeSceneTest, PathEndingOnAPlankOtherThanTheGoalSendsTheHeroBack)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 } });
    bool reached = false;
    for (int i = 0; i < 200 && !reached; ++i) {
        Frame();
        reached = hero_->GetCell() == MazeCell { 7, 1 } && !hero_->IsPlaying();
    }
    ASSERT_TRUE(reached);
    Frame();
    EXPECT_EQ(hero_->GetCell(), kStartCell);
    EXPECT_EQ(hero_->GetDirection(), kDown);
    EXPECT_EQ(RedPixels(), 0);
}

TEST_F(MazeSceneTest, PressWhileTheHeroStillWalksStartsNoDrawing)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 } });
    Frame();
    Frame();
    const PathCells left = app_.GetPathCells();
    ASSERT_FALSE(left.empty());
    Draw({ { 7, 1 }, { 6, 1 } }, true);
    EXPECT_FALSE(app_.IsDrawing());
    EXPECT_EQ(app_.GetPathCells(), left);
}

TEST_F(MazeSceneTest, WholeRouteInOneStrokeReachesTheFarBankOnFirstTry)
{
    std::vector<MazeCell> route = kRouteCorners;
    route.push_back(MazeCell { 10, 19 }); // moves after the goal are not recorded
    Draw(route, true);
    EXPECT_EQ(app_.GetPathCells().size(), 68u);
    EXPECT_FALSE(app_.IsDrawing());
    Button(WM_LBUTTONUP);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    const int64_t walked = clock_.Milliseconds();

    const Rows rows = Statistics();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring> { L"Число попыток", L"0" }));
    EXPECT_EQ(rows[1][0], L"Продолжительность успешной попытки");
    EXPECT_EQ(std::stoll(rows[1][1]), walked) << "from the build to the end of the last step";
    EXPECT_EQ(RedPixels(), 0);
    EXPECT_TRUE(app_.praises.empty()) << "the success sound ends at the next frame";
    Frame();
    ASSERT_EQ(app_.praises.size(), 1u);
    EXPECT_EQ(app_.praises[0].x, 137);
    EXPECT_EQ(app_.praises[0].y, 100);
}

TEST_F(MazeSceneTest, OneDrowningCountsOnceAndRestartsTheAttemptClock)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 10, 1 } });
    ASSERT_TRUE(WalkUntilStandingOn(kStartCell));
    EXPECT_EQ(app_.GetDrowningCount(), 1);
    const int64_t back_on_start = clock_.Milliseconds();
    EXPECT_EQ(RedPixels(), 0);

    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    const int64_t walked = clock_.Milliseconds() - back_on_start;
    const Rows rows = Statistics();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], L"1");
    EXPECT_EQ(std::stoll(rows[1][1]), walked);
    EXPECT_EQ(app_.GetDrowningCount(), 0);
}

TEST_F(MazeSceneTest, GoalIsHandledOnceWhateverFollows)
{
    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    Draw({ { 9, 19 }, { 10, 18 }, { 11, 19 } }); // a sweep past the goal
    EXPECT_TRUE(app_.GetPathCells().empty());
    for (int i = 0; i < 20; ++i)
        Frame();
    clock_.Advance(101'000); // long enough for an idle run on the goal
    for (int i = 0; i < 20; ++i)
        Frame();
    EXPECT_EQ(hero_->GetCell(), kGoalCell);
    EXPECT_EQ(Statistics().size(), 2u);
    EXPECT_EQ(app_.praises.size(), 1u);
    EXPECT_EQ(app_.GetDrowningCount(), 0);
}

TEST_F(MazeSceneTest, SuccessOfAnAbandonedSceneNeverEndsALaterOne)
{
    Draw(kRouteCorners);
    ASSERT_TRUE(WalkUntilStandingOn(kGoalCell));
    delete scene_; // abandoned before its success sound ended
    BuildScene();
    for (int i = 0; i < 10; ++i)
        Frame();
    EXPECT_TRUE(app_.praises.empty());
    EXPECT_EQ(hero_->GetCell(), kStartCell);
}

TEST_F(MazeSceneTest, SceneWithADrawnPathAndTheHeroHalfWaySavesAsPng)
{
    Draw({ { 9, 0 }, { 9, 1 }, { 8, 1 }, { 7, 1 }, { 6, 1 }, { 5, 1 }, { 5, 2 } }, true);
    while (!(hero_->GetCell() == MazeCell { 8, 1 } && hero_->IsPlaying()))
        Frame();
    for (int i = 0; i < 7; ++i)
        Frame();
    const POINT p = hero_->GetPos();
    EXPECT_EQ(p.x, 8 * 20 - 5 + 10) << "half a cell short of its new cell";
    EXPECT_GT(RedPixels(), 100);
    const auto png = std::filesystem::current_path() / "maze_scene.png";
    ASSERT_TRUE(presenter_.SavePng(png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 10000u);
}

} // namespace
