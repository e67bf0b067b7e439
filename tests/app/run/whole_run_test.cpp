#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/screens/praise.h"
#include "engine/controls/animation_base.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/text_view.h"
#include "engine/views/theora_view.h"
#include "game/tumbil.h"
#include "platform/resources/resources.h"
#include "platform/text/utf8.h"
#include "tests/app/app_fixture.h"
#include "tests/app/screens/screen_run.h"
#include "tests/support/maze_route.h"

namespace {

using Clip = IMAnimationBase<IMTheoraView>;
using Label = IMStaticPictureBase<IMTextView>;
using Button = IMButtonBase<IMStateView>;

constexpr const wchar_t* kDone = L"ЗАДАНИЕ ВЫПОЛНЕНО";

// The praise and the results screen in the whole exercise, from its start screen to its end.
class WholeRunTest : public AppTest {
protected:
    // Name, Enter and Esc as soon as the instruction has begun: the maze scene runs.
    void StartAs(const std::wstring& name)
    {
        StartGame(name);
        ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    }
    IMTumbil* Hero() const
    {
        IMDialog* scene = app_->GetCurrentSceneDialog();
        const auto fields = scene ? ChildrenOf<IMDialog>(scene) : std::vector<IMDialog*> {};
        const auto heroes = fields.empty() ? std::vector<IMTumbil*> {} : ChildrenOf<IMTumbil>(fields.front());
        return heroes.empty() ? nullptr : heroes.front();
    }
    void Draw(const std::vector<MazeCell>& cells)
    {
        auto to = [this](MazeCell c) { input_.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); };
        to(cells.front());
        input_.Press();
        for (size_t i = 1; i < cells.size(); ++i)
            to(cells[i]);
        input_.Release();
    }
    bool WalkTo(MazeCell cell)
    {
        return RunUntil(
            [&] {
                IMTumbil* hero = Hero();
                return hero && !hero->IsPlaying() && hero->GetCell() == cell;
            },
            120'000);
    }
    // A path into the water next to the start: the hero drowns and is put back on the start.
    void DrownOnce()
    {
        Draw({ { 9, 0 }, { 9, 1 }, { 10, 1 } });
        ASSERT_TRUE(RunUntil([&] { return Hero() && Hero()->IsDrowning(); }, 20'000));
        ASSERT_TRUE(WalkTo(kStartCell));
    }
    void RetryFromTheExitDialog()
    {
        Press(VK_F12);
        RunFor(5);
        ClickAt(332 + 60, 200 + 40);
        RunFor(5);
        ASSERT_EQ(app_->GetCurrentSceneDialog(), nullptr) << "Retry abandoned the scene";
    }
    // Walks the route to the goal, lets the praise lead to the results, closes and reads the pupil's count.
    void ExpectAttemptsAfterTheRoute(const std::wstring& pupil, const std::wstring& attempts)
    {
        WalkTheRoute();
        ASSERT_TRUE(RunUntil([&] { return Results() != nullptr; }, 20'000));
        EndWith(715, 513);
        const Rows rows = StoredRows(pupil);
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[1], (std::vector<std::wstring> { L"Число попыток", attempts }));
    }
    void WalkTheRoute()
    {
        Draw(kRouteCorners);
        ASSERT_TRUE(WalkTo(kGoalCell));
    }
    // A screen of the main window that holds a child of type C.
    template <class C> IMDialog* ScreenWith() const
    {
        for (IMDialog* dialog : Screens())
            if (!ChildrenOf<C>(dialog).empty())
                return dialog;
        return nullptr;
    }
    IMDialog* Results() const
    {
        for (IMDialog* dialog : Screens())
            if (LabelIn(dialog, kDone))
                return dialog;
        return nullptr;
    }
    static const Label* LabelIn(const IMDialog* dialog, const std::wstring& text)
    {
        for (const Label* label : ChildrenOf<Label>(dialog))
            if (label->GetText() == text)
                return label;
        return nullptr;
    }
    // The scene ends as the praise's clip would end it.
    void EndScene()
    {
        app_->GetCurrentSceneDialog()->Close();
        RunFor(5);
        ASSERT_NE(Results(), nullptr);
    }
    // Ends the program through the button at (x, y), as the pupil would; the workbook is then complete on disk.
    void EndWith(int x, int y)
    {
        ClickAt(x, y);
        RunFor(50);
        App::Release();
        app_ = nullptr;
    }
    static bool AnyWordPlays()
    {
        return std::any_of(
            kPraisePairs.begin(), kPraisePairs.end(), [](const PraisePair& pair) { return WordPlays(pair.word); });
    }
};

TEST_F(WholeRunTest, RunFromStartToResultsWritesItsRowsInOrder)
{
    StartAs(L"Маша");
    WalkTheRoute();
    ASSERT_TRUE(RunUntil([&] { return ScreenWith<Clip>() != nullptr; }, 10'000)) << "the praise after the sound";
    IMDialog* praise = ScreenWith<Clip>();
    const Picture* cloud = ChildrenOf<Picture>(praise).front();
    EXPECT_EQ(cloud->GetRect().left, 137);
    EXPECT_EQ(cloud->GetRect().top, 100);
    EXPECT_EQ(ChildrenOf<Clip>(praise).front()->GetRect().left, 230);
    EXPECT_EQ(ChildrenOf<Clip>(praise).front()->GetRect().top, 176);
    EXPECT_TRUE(AnyWordPlays());
    RunFor(1200);
    Snapshot("whole_run_praise");

    ASSERT_TRUE(RunUntil([&] { return Results() != nullptr; }, 10'000));
    EXPECT_EQ(ScreenWith<Clip>(), nullptr) << "the praise went with its clip";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);
    const Label* name = LabelIn(Results(), L"Маша");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetRect().left, 135);
    EXPECT_EQ(name->GetRect().top, 350);
    RunFor(5);
    for (Button* button : ChildrenOf<Button>(Results()))
        EXPECT_TRUE(button->IsEnabled()) << "Print and Save As too, with a report";
    Snapshot("results_with_report");

    EndWith(715, 513);
    const Rows rows = StoredRows(L"Маша");
    const Rows types = StoredTypes(L"Маша");
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<std::wstring> labels { L"Время начала работы с упражнением", L"Число попыток",
        L"Продолжительность успешной попытки", L"Количество дополнительных вызовов инструкций",
        L"Общее время работы с упражнением. с." };
    const std::vector<std::wstring> kinds { L"String", L"Number", L"Number", L"Number", L"Number" };
    for (size_t i = 0; i < labels.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 2u) << i;
        EXPECT_EQ(rows[i][0], labels[i]);
        EXPECT_EQ(types[i][1], kinds[i]) << labels[i];
    }
    EXPECT_EQ(rows[1][1], L"0");
    EXPECT_EQ(rows[3][1], L"0");
    EXPECT_TRUE(rows[5].empty());
}

TEST_F(WholeRunTest, OneDrowningOnTheWayRecordsOneAttempt)
{
    StartAs(L"Петя");
    DrownOnce();
    ExpectAttemptsAfterTheRoute(L"Петя", L"1");
}

// A run abandoned after a drowning leaves nothing behind in the next pupil's count.
TEST_F(WholeRunTest, AnAbandonedRunsDrowningDoesNotCountForTheNextPupil)
{
    StartAs(L"Маша");
    DrownOnce();
    RetryFromTheExitDialog();
    StartAs(L"Петя");
    ExpectAttemptsAfterTheRoute(L"Петя", L"0");
}

// Enter reaches the results only once a click gave them the focus; then it starts the maze again, once.
TEST_F(WholeRunTest, EnterAfterAClickOnTheResultsStartsTheMazeAgainOnce)
{
    StartAs(L"Маша");
    EndScene();
    IMDialog* results = Results();
    Press(VK_RETURN);
    RunFor(5);
    EXPECT_EQ(Results(), results) << "without the focus the results hear no key";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);

    ClickAt(400, 420);
    RunFor(5);
    input_.KeyDown(VK_RETURN);
    input_.Type(L"\r");
    input_.KeyUp(VK_RETURN);
    RunFor(5);
    EXPECT_EQ(Results(), nullptr);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    ASSERT_NE(Hero(), nullptr);
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
    EXPECT_EQ(ScreenWith<Button>(), nullptr) << "neither the start screen nor the instruction came";

    EndScene();
    EndWith(715, 513);
    const Rows rows = StoredRows(L"Маша");
    int starts = 0;
    for (const auto& row : rows)
        starts += !row.empty() && row[0] == L"Время начала работы с упражнением";
    EXPECT_EQ(starts, 2);
}

// Retry leads through the start screen and the instruction to the maze again; Exit then ends the program with
// both runs in the workbook.
TEST_F(WholeRunTest, RetryRunsTheExerciseAgainAndExitSavesBothRuns)
{
    StartAs(L"Маша");
    EndScene();
    ClickAt(590, 513);
    RunFor(5);
    EXPECT_EQ(Results(), nullptr);
    EXPECT_NE(ScreenWith<Button>(), nullptr) << "the start screen";
    StartAs(L"Маша");
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
    EndScene();
    EndWith(765, 32);
    EXPECT_EQ(StoredRows(L"Маша").size(), 8u);
}

TEST_F(WholeRunTest, WithoutANamePrintAndSaveAsAreGreyedAndDoNothing)
{
    StartAs(L"");
    EndScene();
    RunFor(5);
    IMDialog* results = Results();
    // Texts by their top-left corners (x -1: centred); the empty name keeps its place.
    const std::vector<std::tuple<std::wstring, int, int>> texts { { L"мелунарий", -1, 10 }, { L"Пестромир", -1, 35 },
        { kDone, -1, 150 }, { L"Номер ЦОР:", 30, 250 }, { L"04271", 135, 250 }, { L"Название:", 30, 300 },
        { L"Игра «Тумбилиада»", 135, 300 }, { L"Ученик:", 30, 350 }, { L"", 135, 350 }, { L"Статистика:", 30, 465 } };
    EXPECT_EQ(ChildrenOf<Label>(results).size(), texts.size()) << "no statistic is shown";
    for (const auto& [text, x, y] : texts) {
        const Label* label = LabelIn(results, text);
        ASSERT_NE(label, nullptr) << platform::ToUtf8(text);
        const RECT r = label->GetRect();
        EXPECT_EQ(r.left, x < 0 ? 400 - (r.right - r.left) / 2 : x) << platform::ToUtf8(text);
        EXPECT_EQ(r.top, y) << platform::ToUtf8(text);
    }
    const auto buttons = ChildrenOf<Button>(results);
    const std::vector<POINT> corners { { 30, 490 }, { 128, 490 }, { 535, 490 }, { 660, 490 }, { 755, 22 } };
    ASSERT_EQ(buttons.size(), corners.size());
    for (size_t i = 0; i < corners.size(); ++i) {
        EXPECT_EQ(buttons[i]->GetRect().left, corners[i].x);
        EXPECT_EQ(buttons[i]->GetRect().top, corners[i].y);
        EXPECT_EQ(buttons[i]->IsEnabled(), i >= 2);
        EXPECT_EQ(buttons[i]->GetColor(), i < 2 ? 0xFF808080u : 0xFFFFFFFFu);
    }
    Snapshot("results_without_report");
    const size_t screens = Screens().size();
    ClickAt(72, 513);
    ClickAt(200, 513);
    RunFor(5);
    EXPECT_EQ(Screens().size(), screens);
    EXPECT_EQ(Results(), results);
}

// A clip that cannot be decoded must not cost the pupil the results.
TEST_F(WholeRunTest, DamagedClipsStillLeadToTheResults)
{
    static const BYTE damaged[] = "OggS\0\2 not a clip";
    for (const PraisePair& pair : kPraisePairs)
        platform::RegisterNamedBlob(pair.clip, damaged, sizeof damaged);
    StartAs(L"Маша");
    WalkTheRoute();
    ASSERT_TRUE(RunUntil([&] { return Results() != nullptr; }, 10'000));
    EndWith(715, 513);
    EXPECT_EQ(StoredRows(L"Маша").size(), 6u);
}

// Retry from the exit dialog while the success sound still plays, then a new Start and Esc: the old sound's end
// must leave the new scene alone.
TEST_F(WholeRunTest, SuccessSoundOfAnAbandonedSceneLeavesTheNextOneAlone)
{
    StartAs(L"Маша");
    WalkTheRoute();
    RetryFromTheExitDialog();
    StartAs(L"Маша");
    IMDialog* scene = app_->GetCurrentSceneDialog();
    RunFor(8000);
    EXPECT_EQ(app_->GetCurrentSceneDialog(), scene);
    EXPECT_EQ(ScreenWith<Clip>(), nullptr) << "no praise";
    ASSERT_NE(Hero(), nullptr);
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
}

} // namespace
