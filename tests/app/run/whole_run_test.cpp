#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/app.h"
#include "app/core/program.h"
#include "app/screens/praise.h"
#include "engine/controls/animation_base.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/text_view.h"
#include "engine/views/theora_view.h"
#include "game/tumbil.h"
#include "platform/resources.h"
#include "platform/utf8.h"
#include "tests/app/run/exercise_run.h"
#include "tests/app/screens/screen_run.h"
#include "tests/game/scene/maze_route.h"
#include "tests/report/workbook_fixture.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Clip = IMAnimationBase<IMTheoraView>;
using Picture = IMStaticPictureBase<IMTextureView>;
using Label = IMStaticPictureBase<IMTextView>;
using Button = IMButtonBase<IMStateView>;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr const wchar_t* kDone = L"ЗАДАНИЕ ВЫПОЛНЕНО";

class WholeRunTest : public ExerciseRunTest {
protected:
    IMTumbil* Hero() const
    {
        IMDialog* scene = app_->GetCurrentSceneDialog();
        const auto fields = scene ? ChildrenOf<IMDialog>(scene) : std::vector<IMDialog*> {};
        const auto heroes = fields.empty() ? std::vector<IMTumbil*> {} : ChildrenOf<IMTumbil>(fields.front());
        return heroes.empty() ? nullptr : heroes.front();
    }
    void Draw(const std::vector<MazeCell>& cells)
    {
        auto to = [this](MazeCell c) { run_.input.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); };
        to(cells.front());
        run_.input.Press();
        for (size_t i = 1; i < cells.size(); ++i)
            to(cells[i]);
        run_.input.Release();
    }
    bool WalkTo(MazeCell cell)
    {
        return run_.RunUntil(
            [&] {
                IMTumbil* hero = Hero();
                return hero && !hero->IsPlaying() && hero->GetCell() == cell;
            },
            120'000);
    }
    // A child of the main window that holds a child of type C.
    template <class C> IMDialog* ScreenWith() const
    {
        for (IMDialog* dialog : ChildrenOf<IMDialog>(run_.Window()))
            if (!ChildrenOf<C>(dialog).empty())
                return dialog;
        return nullptr;
    }
    IMDialog* Results() const
    {
        for (IMDialog* dialog : ChildrenOf<IMDialog>(run_.Window()))
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
        run_.RunFor(5);
        ASSERT_NE(Results(), nullptr);
    }
    // The one file in the product folder.
    std::filesystem::path Workbook() const
    {
        const auto files = FilesIn(folder_ / "TIRQ");
        EXPECT_EQ(files, std::vector<std::filesystem::path> { platform::ToUtf8(kExerciseCaption) + ".xls" });
        return files.empty() ? std::filesystem::path() : folder_ / "TIRQ" / files.front();
    }
    // Closes the program as its Close button does and reads the pupil's sheet back.
    Rows CloseAndRead(const std::wstring& pupil, Rows* types = nullptr)
    {
        ClickAt(715, 513);
        run_.RunFor(50);
        App::Release();
        app_ = nullptr;
        const auto document = ParseStrictly(ReadBytes(Workbook()));
        if (types)
            *types = SheetTypes(*document, pupil);
        return SheetRows(*document, pupil);
    }
    void WalkTheRoute()
    {
        Draw(kRouteCorners);
        ASSERT_TRUE(WalkTo(kGoalCell));
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
    ASSERT_TRUE(run_.RunUntil([&] { return ScreenWith<Clip>() != nullptr; }, 10'000)) << "the praise after the sound";
    IMDialog* praise = ScreenWith<Clip>();
    const Picture* cloud = ChildrenOf<Picture>(praise).front();
    EXPECT_EQ(cloud->GetRect().left, 137);
    EXPECT_EQ(cloud->GetRect().top, 100);
    EXPECT_EQ(ChildrenOf<Clip>(praise).front()->GetRect().left, 230);
    EXPECT_EQ(ChildrenOf<Clip>(praise).front()->GetRect().top, 176);
    EXPECT_TRUE(AnyWordPlays());
    run_.RunFor(1200);
    run_.SavePng("whole_run_praise.png");

    ASSERT_TRUE(run_.RunUntil([&] { return Results() != nullptr; }, 10'000));
    EXPECT_EQ(ScreenWith<Clip>(), nullptr) << "the praise went with its clip";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);
    const Label* name = LabelIn(Results(), L"Маша");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetRect().left, 135);
    EXPECT_EQ(name->GetRect().top, 350);
    run_.RunFor(5);
    for (Button* button : ChildrenOf<Button>(Results()))
        EXPECT_TRUE(button->IsEnabled()) << "Print and Save As too, with a report";
    run_.SavePng("results_with_report.png");

    Rows types;
    const Rows rows = CloseAndRead(L"Маша", &types);
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
    Draw({ { 9, 0 }, { 9, 1 }, { 10, 1 } });
    ASSERT_TRUE(run_.RunUntil([&] { return Hero() && Hero()->IsDrowning(); }, 20'000));
    ASSERT_TRUE(WalkTo(kStartCell));
    WalkTheRoute();
    ASSERT_TRUE(run_.RunUntil([&] { return Results() != nullptr; }, 20'000));
    const Rows rows = CloseAndRead(L"Петя");
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::vector<std::wstring> { L"Число попыток", L"1" }));
}

// Enter reaches the results only once a click gave them the focus; then it starts the maze again, once.
TEST_F(WholeRunTest, EnterAfterAClickOnTheResultsStartsTheMazeAgainOnce)
{
    StartAs(L"Маша");
    EndScene();
    IMDialog* results = Results();
    PressKey(VK_RETURN);
    run_.RunFor(5);
    EXPECT_EQ(Results(), results) << "without the focus the results hear no key";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);

    ClickAt(400, 420);
    run_.RunFor(5);
    run_.input.KeyDown(VK_RETURN);
    run_.input.Type(L"\r");
    run_.input.KeyUp(VK_RETURN);
    run_.RunFor(5);
    EXPECT_EQ(Results(), nullptr);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    ASSERT_NE(Hero(), nullptr);
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
    EXPECT_EQ(ScreenWith<Button>(), nullptr) << "neither the start screen nor the instruction came";

    EndScene();
    const Rows rows = CloseAndRead(L"Маша");
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
    run_.RunFor(5);
    EXPECT_EQ(Results(), nullptr);
    EXPECT_NE(ScreenWith<Button>(), nullptr) << "the start screen";
    StartAs(L"Маша");
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
    EndScene();
    ClickAt(765, 32);
    run_.RunFor(50);
    App::Release();
    app_ = nullptr;
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(Workbook())), L"Маша").size(), 8u);
}

TEST_F(WholeRunTest, WithoutANamePrintAndSaveAsAreGreyedAndDoNothing)
{
    StartAs(L"");
    EndScene();
    run_.RunFor(5);
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
    run_.SavePng("results_without_report.png");
    const size_t screens = ChildrenOf<IMDialog>(run_.Window()).size();
    ClickAt(72, 513);
    ClickAt(200, 513);
    run_.RunFor(5);
    EXPECT_EQ(ChildrenOf<IMDialog>(run_.Window()).size(), screens);
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
    ASSERT_TRUE(run_.RunUntil([&] { return Results() != nullptr; }, 10'000));
    EXPECT_EQ(CloseAndRead(L"Маша").size(), 6u);
}

// Retry from the exit dialog while the success sound still plays, then a new Start and Esc: the old sound's end
// must leave the new scene alone.
TEST_F(WholeRunTest, SuccessSoundOfAnAbandonedSceneLeavesTheNextOneAlone)
{
    StartAs(L"Маша");
    WalkTheRoute();
    PressKey(VK_F12);
    run_.RunFor(5);
    ClickAt(332 + 60, 200 + 40);
    run_.RunFor(5);
    ASSERT_EQ(app_->GetCurrentSceneDialog(), nullptr) << "Retry abandoned the scene";
    StartAs(L"Маша");
    IMDialog* scene = app_->GetCurrentSceneDialog();
    run_.RunFor(8000);
    EXPECT_EQ(app_->GetCurrentSceneDialog(), scene);
    EXPECT_EQ(ScreenWith<Clip>(), nullptr) << "no praise";
    ASSERT_NE(Hero(), nullptr);
    EXPECT_EQ(Hero()->GetCell(), kStartCell);
}

} // namespace
