// The global keys over the running exercise: F1 repeats the instruction, F12 opens the exit dialog, Ctrl+I the
// credits; and keys held down, which act once while text fields keep the keyboard's auto-repeat.
#include <gtest/gtest.h>

#include "app/screens/credits.h"
#include "platform/window/window.h"
#include "tests/app/app_fixture.h"
#include "widgets/edit_bar.h"
#include "widgets/save_as_dialog.h"

namespace {

// Button centres on the screen: the exit dialog's panel lies at (332, 200).
constexpr POINT kRetry { 362, 230 };
constexpr POINT kCancel { 362, 350 };
constexpr POINT kCreditsExit { 765, 32 };

class KeysTest : public AppTest {
protected:
    void Click(POINT p) { ClickAt(p.x, p.y); }
    // The key goes down now and stays down for ms while the loop runs: from 500 ms on the keyboard repeats it every
    // 33 ms, as auto-repeat does.
    void Hold(UINT vk, DWORD ms)
    {
        input_.KeyDown(vk);
        for (DWORD at = 500; at < ms; at += 33)
            input_.At(at, [this, vk] { input_.KeyDown(vk, true); });
        input_.At(ms, [this, vk] { input_.KeyUp(vk); });
        RunFor(ms + 1);
    }
    // A click at p, at ms from now, while the loop runs (a move from elsewhere first, as ClickAt does).
    void ClickLater(DWORD ms, POINT p)
    {
        input_.At(ms, [this] { input_.MoveTo(0, 599); });
        input_.At(ms + 2, [this, p] { input_.MoveTo(p.x, p.y); });
        input_.At(ms + 4, [this] { input_.Click(); });
    }
    bool InputHelpShown() const { return !Screens().empty() && !PicturesOf(Screens().back(), L"KEYSPACE").empty(); }
    template <class D> D* Find(IMDialog* dialog) const
    {
        for (IMControl* child : dialog->LiveChildren())
            if (auto* found = dynamic_cast<D*>(child))
                return found;
        return nullptr;
    }
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

TEST_F(KeysTest, HeldKeysActOnceFromTheNameFieldToTheRecordedRow)
{
    ClickAt(200, 470);
    input_.Type(L"Машаа");
    input_.TypeHeld(L'а', 4);
    input_.TypeHeld(L'\b', 5);
    RunFor(1);
    IMEditBar* name = Find<IMEditBar>(StartScreenShown());
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetText(), L"Маша") << "a held letter and a held Backspace repeat in the name field";

    Hold(VK_RETURN, 1000);
    EXPECT_EQ(StartScreenShown(), nullptr);
    EXPECT_TRUE(app_->IsInstructionPlaying());
    EXPECT_EQ(Screens().size(), 1u) << "one instruction";
    // Space held from early in the instruction until well after its end: the page it leads to comes and stays.
    ASSERT_FALSE(InputHelpShown());
    Hold(VK_SPACE, 30'000);
    ASSERT_TRUE(InputHelpShown());
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);
    Hold(VK_SPACE, 1000);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    EXPECT_EQ(Screens().size(), 1u);

    Hold(VK_F1, 2000);
    EXPECT_TRUE(app_->IsInstructionPlaying()) << "a held F1 opens one repeat and leaves it open";
    EXPECT_EQ(Screens().size(), 2u);
    Hold(VK_F1, 2000);
    EXPECT_FALSE(app_->IsInstructionPlaying()) << "the next F1, held, closes it and opens no other";
    EXPECT_EQ(Screens().size(), 1u);
    EXPECT_EQ(app_->GetExtraInstructionCalls(), 1);

    ClickLater(1000, kCancel);
    Hold(VK_F12, 2000);
    EXPECT_TRUE(Screens(1099).empty()) << "an exit dialog cancelled while F12 is held stays closed";
    Press(VK_F12);
    Click(kRetry);
    EXPECT_TRUE(Screens(1099).empty());
    app_->SaveReport();
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], (std::vector<std::wstring> { L"Количество дополнительных вызовов инструкций", L"1" }));
}

// A screen that comes, or comes back, while its key is held does not take the held key as a press.
TEST_F(KeysTest, AKeyHeldAcrossAScreensArrivalDoesNotActOnIt)
{
    const int cursor = platform::CursorDisplayCount();
    input_.SetModifier(platform::Modifier::Ctrl, true);
    ClickLater(1000, kCreditsExit);
    Hold(0x49, 2000);
    input_.SetModifier(platform::Modifier::Ctrl, false);
    EXPECT_TRUE(Screens(9999).empty()) << "the credits closed while Ctrl+I is held stay closed";
    EXPECT_EQ(platform::CursorDisplayCount(), cursor);

    ClickAt(200, 470);
    input_.Type(L"Маша");
    input_.At(600, [this] { input_.Type(L"\r"); });
    Hold(VK_ESCAPE, 2000);
    EXPECT_TRUE(app_->IsInstructionPlaying()) << "Esc held since before the instruction does not skip it";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);
    Press(VK_ESCAPE);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);

    input_.At(600, [this] { app_->GetCurrentSceneDialog()->Close(); }); // as the praise's clip ends the scene
    ClickLater(700, POINT { 400, 420 }); // the results hear keys once a click gave them the focus
    Hold(VK_RETURN, 2000);
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr) << "Enter held since the scene does not leave the results";
    ASSERT_EQ(Screens().size(), 1u);
    Hold(VK_RETURN, 1000);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr) << "a new Enter does, once";
    EXPECT_EQ(Screens(), std::vector<IMDialog*> { app_->GetCurrentSceneDialog() });

    // The scene ends as the praise's clip would end it: the results come.
    app_->GetCurrentSceneDialog()->Close();
    RunFor(5);
    Click(POINT { 128 + 74, 490 + 23 });
    auto* save_as = Find<IMSaveAsDialog>(window_);
    ASSERT_NE(save_as, nullptr);
    const std::wstring offered = save_as->GetFileName();
    input_.TypeHeld(L'x', 4);
    input_.TypeHeld(L'\b', 2);
    RunFor(1);
    EXPECT_EQ(save_as->GetFileName(), offered + L"xx") << "the save-as field repeats held keys too";
}

} // namespace
