// What a run leaves in the statistics workbook: the rows of a played game in order, a second Start, a nameless
// Start, and a program ended from outside.
#include <csignal>

#include <SDL_events.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/core/program.h"
#include "game/tumbil.h"
#include "tests/app/app_fixture.h"
#include "tests/support/maze_route.h"
#include "tests/support/child_process.h"

namespace {

using Cells = std::vector<std::wstring>;

class WorkbookRunTest : public AppTest {
protected:
    void MoveTo(MazeCell c) { input_.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); }
    void DrawRoute()
    {
        MoveTo(kRouteCorners.front());
        input_.Press();
        for (const MazeCell& c : kRouteCorners)
            MoveTo(c);
        input_.Release();
    }
    void CloseWithButton()
    {
        Press(VK_F12);
        ClickAt(362, 290);
        RunFor(1);
    }
};

TEST_F(WorkbookRunTest, APlayedGameLeavesItsRowsInOrderWithTheirTypesAfterClose)
{
    StartGame(L"Маша");
    const int64_t scene_start = clock_.Milliseconds();
    DrawRoute();
    RunFor(5);
    ASSERT_FALSE(app_->GetPathCells().empty());
    // The hero has walked the whole path: the goal's rows are written, the success sound plays.
    ASSERT_TRUE(RunUntil([this] { return app_->GetPathCells().empty(); }, 120'000));
    RunFor(1000);
    Press(VK_F12);
    ClickAt(362, 230); // Retry: the final rows of the run
    const int64_t scene_end = clock_.Milliseconds();
    CloseWithButton();
    EXPECT_EQ(StartScreenShown(), nullptr);

    const Rows rows = StoredRows(L"Маша");
    const Rows types = StoredTypes(L"Маша");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (Cells { L"Время начала работы с упражнением", L"07-December-2026 10:15" }));
    EXPECT_EQ(rows[1], (Cells { L"Число попыток", L"0" }));
    EXPECT_EQ(rows[2][0], L"Продолжительность успешной попытки");
    EXPECT_EQ(rows[3], (Cells { L"Количество дополнительных вызовов инструкций", L"0" }));
    EXPECT_EQ(rows[4][0], L"Общее время работы с упражнением. с.");
    EXPECT_NEAR(std::stoll(rows[4][1]), (scene_end - scene_start) / 1000, 1);
    EXPECT_TRUE(rows[5].empty());
    const Cells kString { L"String", L"String" };
    const Cells kNumber { L"String", L"Number" };
    EXPECT_EQ(types, (Rows { kString, kNumber, kNumber, kNumber, kNumber, Cells {} }));
}

TEST_F(WorkbookRunTest, ASecondNamedStartKeepsTheRowsOfBoth)
{
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Петя");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Маша");
    CloseWithButton();
    const Rows masha = StoredRows(L"Маша");
    ASSERT_EQ(masha.size(), 5u) << "four rows of the first run, the start of the third";
    EXPECT_TRUE(masha[3].empty());
    EXPECT_EQ(StoredRows(L"Петя").size(), 4u);
}

TEST_F(WorkbookRunTest, ANamelessStartAfterANamedOneWritesNothingIntoTheEarlierSheet)
{
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"");
    EXPECT_EQ(app_->GetReport(), nullptr);
    EXPECT_EQ(app_->GetPupilName(), L"");
    Press(VK_F12);
    ClickAt(362, 230);
    CloseWithButton();
    EXPECT_EQ(StoredRows(L"Маша").size(), 4u);
}

// As the program starts for a pupil: name, Enter, Esc into the game, F12, Close.
TEST_F(WorkbookRunTest, TheProgramRunsFromTheStartScreenToCloseAndSaves)
{
    App::Release();
    app_ = nullptr;
    input_.At(10, [this] { input_.Type(L"Маша\r"); });
    input_.At(50, [this] { input_.KeyDown(VK_ESCAPE), input_.KeyUp(VK_ESCAPE); });
    input_.At(100, [this] { input_.KeyDown(VK_F12), input_.KeyUp(VK_F12); });
    input_.At(150, [this] { input_.MoveTo(362, 290); });
    input_.At(160, [this] { input_.Click(); });
    EXPECT_EQ(RunExercise(), 0);
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Cells { L"Время начала работы с упражнением", L"07-December-2026 10:15" }));
}

TEST_F(WorkbookRunTest, TheWindowClosedFromOutsideStillSavesTheRun)
{
    StartGame(L"Маша");
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    input_.Feed(quit);
    RunFor(5);
    App::Release();
    app_ = nullptr;
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

// The program runs in a child process on the headless window; the test sends it SIGTERM in the middle of a game.
TEST_F(WorkbookRunTest, SigtermInTheMiddleOfAGameEndsInAnOrderlySave)
{
    App::Release();
    app_ = nullptr;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        input_.At(10, [this] { input_.Type(L"Маша\r"); });
        input_.At(50, [this] { input_.KeyDown(VK_ESCAPE); });
        input_.At(100, [&] {
            const char byte = 1;
            (void)!write(ready[1], &byte, 1);
        });
        _exit(RunExercise());
    }
    close(ready[1]);
    const bool started = testing_support::ReadByteWithin(ready[0]).has_value();
    close(ready[0]);
    if (!started)
        testing_support::WaitForChild(child, std::chrono::milliseconds(0)); // killed and reaped
    ASSERT_TRUE(started) << "the game started in the child";
    kill(child, SIGTERM);
    const std::optional<int> status = testing_support::WaitForChild(child);
    ASSERT_TRUE(status.has_value()) << "the child ended after SIGTERM";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

} // namespace
