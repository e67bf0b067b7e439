// The global keys over the running exercise: F1 repeats the instruction, F12 opens the exit dialog, Ctrl+I the
// credits.
#include <gtest/gtest.h>

#include "app/screens/credits.h"
#include "platform/window/window.h"
#include "tests/app/app_fixture.h"

namespace {

// Button centres on the screen: the exit dialog's panel lies at (332, 200).
constexpr POINT kRetry { 362, 230 };
constexpr POINT kCancel { 362, 350 };
constexpr POINT kCreditsExit { 765, 32 };

class KeysTest : public AppTest {
protected:
    void Click(POINT p) { ClickAt(p.x, p.y); }
};

TEST_F(KeysTest, F1RepeatsCountOnlyOnceTheSceneRunsAndTwoPressesOpenAndCloseOne)
{
    Press(VK_F1);
    EXPECT_TRUE(app_->IsInstructionPlaying()) << "F1 works over the start screen";
    EXPECT_EQ(Screens().size(), 2u);
    Press(VK_F12);
    EXPECT_FALSE(app_->IsInstructionPlaying()) << "the next key closes the repeat";
    EXPECT_NE(app_->GetCurrentPopup(), nullptr) << "and still does its own work";
    Click(kCancel);
    EXPECT_EQ(app_->GetCurrentPopup(), nullptr);
    RunFor(1);

    StartWithName(L"Маша");
    Press(VK_F1);
    EXPECT_EQ(app_->GetExtraInstructionCalls(), 1) << "an instruction already plays: F1 is not counted";
    Press(VK_ESCAPE);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    EXPECT_EQ(app_->GetExtraInstructionCalls(), 0) << "the count starts with the scene";

    Press(VK_F1);
    EXPECT_TRUE(app_->IsInstructionPlaying());
    Press(VK_F1);
    EXPECT_FALSE(app_->IsInstructionPlaying());
    RunFor(2);
    EXPECT_EQ(app_->GetExtraInstructionCalls(), 1);
    EXPECT_EQ(Screens().size(), 1u) << "only the scene is left";

    Press(VK_F1);
    EXPECT_TRUE(RunUntil([this] { return !PicturesOf(Screens().back(), L"KEYSPACE").empty(); }))
        << "a repeat ends in the input-help page too";
    Press('A');
    RunFor(2);
    EXPECT_EQ(app_->GetExtraInstructionCalls(), 2);
    EXPECT_EQ(Screens().size(), 1u);
    EXPECT_EQ(Screens()[0], app_->GetCurrentSceneDialog()) << "a repeat's end does not move the chain";
    EXPECT_EQ(window_->TimerCount(), 0u);
}

TEST_F(KeysTest, F12RetryDuringTheGameWritesTheFinalRowsAndShowsTheStartScreen)
{
    StartGame(L"Маша");
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    RunFor(3000);
    const int cursor = platform::CursorDisplayCount();
    Press(VK_F12);
    IMDialog* overlay = app_->GetCurrentPopup();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(window_->FindLayer(overlay), 1099);
    EXPECT_EQ(platform::CursorDisplayCount(), cursor + 1);
    Press(VK_F12);
    EXPECT_EQ(Screens(1099).size(), 1u) << "one exit dialog at a time";
    RunFor(1);
    Snapshot("exit_dialog");

    Click(kRetry);
    RunFor(2);
    EXPECT_EQ(app_->GetCurrentPopup(), nullptr);
    EXPECT_TRUE(Screens(1099).empty());
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);
    EXPECT_NE(StartScreenShown(), nullptr);
    EXPECT_EQ(app_->GetCurrentSceneName(), L"Dialog1");
    app_->SaveReport();
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
    EXPECT_EQ(rows[1], (std::vector<std::wstring> { L"Количество дополнительных вызовов инструкций", L"0" }));
    EXPECT_EQ(rows[2], (std::vector<std::wstring> { L"Общее время работы с упражнением. с.", L"3" }));
    EXPECT_TRUE(rows[3].empty());

    Press(VK_F12);
    Click(kRetry);
    EXPECT_EQ(Screens(1099).size(), 0u) << "Retry with no scene running only closes the dialog";
    EXPECT_EQ(app_->Restart(), 1);
}

TEST_F(KeysTest, CtrlIOpensTheCreditsOnceAboveEverythingAndExitRestoresTheCursor)
{
    Press(0x49);
    EXPECT_TRUE(Screens(9999).empty()) << "I alone opens nothing";
    Press(VK_F12);
    const int cursor = platform::CursorDisplayCount();
    input_.SetModifier(platform::Modifier::Ctrl, true);
    Press(0x49);
    Press(0x49);
    Press(VK_NUMPAD0 + 9);
    input_.SetModifier(platform::Modifier::Ctrl, false);
    RunFor(1);
    EXPECT_EQ(Screens(9999).size(), 1u);
    EXPECT_TRUE(CreditsOpen());
    EXPECT_GE(platform::CursorDisplayCount(), 2);
    Snapshot("credits");

    Click(kCreditsExit);
    RunFor(1);
    EXPECT_TRUE(Screens(9999).empty());
    EXPECT_EQ(Screens(1099).size(), 1u) << "the exit dialog below stays";
    EXPECT_EQ(platform::CursorDisplayCount(), cursor);

    ShowCursor(FALSE);
    ShowCursor(FALSE);
    input_.SetModifier(platform::Modifier::Ctrl, true);
    Press(0x49);
    input_.SetModifier(platform::Modifier::Ctrl, false);
    EXPECT_EQ(Screens(9999).size(), 1u) << "after Exit they open again";
    EXPECT_EQ(platform::CursorDisplayCount(), 2);
    Click(kCreditsExit);
    EXPECT_EQ(platform::CursorDisplayCount(), cursor - 2);
    EXPECT_FALSE(input_.CursorVisible());
}

} // namespace
