// The exercise as a pupil meets it: start screen, name, Enter, the spoken instruction with its timed marker, the
// input-help page, Space, the maze; and the instruction cut short with Esc.
#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/screens/instruction.h"
#include "platform/resources/resources.h"
#include "platform/testing/audio_test.h"
#include "platform/window/window.h"
#include "tests/app/app_fixture.h"
#include "widgets/edit_bar.h"

namespace {

int Loudest(const std::vector<int16_t>& samples)
{
    int loudest = 0;
    for (int16_t s : samples)
        loudest = std::max(loudest, std::abs(int(s)));
    return loudest;
}

class ExerciseTest : public AppTest {
protected:
    // The dialog on top of the main window's screens.
    IMDialog* TopScreen() const { return Screens().empty() ? nullptr : Screens().back(); }
    std::vector<Picture*> Markers() const
    {
        return TopScreen() ? PicturesOf(TopScreen(), L"14467") : std::vector<Picture*> {};
    }
    // Runs until the given time after Enter.
    void RunUntilAfterStart(int64_t ms) { RunFor(DWORD(started_at_ + ms - clock_.Milliseconds())); }
    uint32_t PixelSum(const RECT& r) const
    {
        uint32_t sum = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                sum += presenter_.Pixel(int(x), int(y)) & 0xFFFFFF;
        return sum;
    }
};

TEST_F(ExerciseTest, NameEnterInstructionHelpPageSpaceThenTheMaze)
{
    IMDialog* start = StartScreenShown();
    ASSERT_NE(start, nullptr);
    Snapshot("start_screen");
    // The description is taller than its frame: the bar's down arrow scrolls it by a tenth of the frame.
    auto* frame = dynamic_cast<IMDialog*>(start->LiveChildren()[8]);
    ASSERT_NE(frame, nullptr);
    IMDialog* description = dynamic_cast<IMDialog*>(frame->LiveChildren().at(0));
    ASSERT_NE(description, nullptr);
    EXPECT_GT(description->GetRect().bottom, 236);
    ClickAt(719, 421);
    EXPECT_EQ(description->GetRect().top, -23);
    ClickAt(200, 470);
    input_.Type(L"Маша");
    RunFor(1);
    Snapshot("start_screen_named");
    StartWithName(L"");
    EXPECT_EQ(app_->GetPupilName(), L"Маша");
    EXPECT_TRUE(app_->IsInstructionPlaying());
    EXPECT_EQ(StartScreenShown(), nullptr) << "Enter closes the start screen, once";
    ASSERT_EQ(Screens().size(), 1u);

    const RECT top_spot { 350, 37, 430, 101 };
    const RECT low_spot { 350, 474, 430, 538 };
    RunUntilAfterStart(5540);
    EXPECT_TRUE(Markers().empty());
    const uint32_t backdrop_top = PixelSum(top_spot);
    const uint32_t backdrop_low = PixelSum(low_spot);
    RunUntilAfterStart(5600);
    ASSERT_EQ(Markers().size(), 1u);
    EXPECT_EQ(Markers()[0]->GetPos().x, 350);
    EXPECT_EQ(Markers()[0]->GetPos().y, 37);
    EXPECT_NE(PixelSum(top_spot), backdrop_top) << "the marker is drawn";
    Snapshot("instruction_marker");
    RunUntilAfterStart(6480);
    EXPECT_EQ(Markers()[0]->GetPos().y, 37);
    RunUntilAfterStart(6540);
    EXPECT_EQ(Markers()[0]->GetPos().y, 474);
    EXPECT_EQ(PixelSum(top_spot), backdrop_top);
    EXPECT_NE(PixelSum(low_spot), backdrop_low);
    RunUntilAfterStart(7480);
    EXPECT_FALSE(Markers()[0]->IsHidden());
    RunUntilAfterStart(7540);
    EXPECT_TRUE(Markers()[0]->IsHidden());
    EXPECT_EQ(PixelSum(low_spot), backdrop_low);

    // The voice's end brings the input-help page into the same dialog; its space bar blinks from the page's build.
    IMDialog* instruction = TopScreen();
    ASSERT_TRUE(RunUntil([&] { return !PicturesOf(instruction, L"KEYSPACE").empty(); }));
    const int64_t built = held_at_ - 1;
    Picture* space = PicturesOf(instruction, L"KEYSPACE")[0];
    EXPECT_EQ(PicturesOf(instruction, L"KEYBOARDPIC").size(), 1u);
    EXPECT_EQ(PicturesOf(instruction, L"MOUSE").size(), 1u);
    EXPECT_GE(built - started_at_, 8000) << "the instruction speaks for at least 8 s";
    Snapshot("input_help");
    platform::AudioCapture capture;
    const std::pair<int64_t, bool> blink[]
        = { { 480, false }, { 520, true }, { 980, true }, { 1020, false }, { 1480, false }, { 1520, true } };
    for (const auto& [at, hidden] : blink) {
        RunFor(DWORD(built + at - clock_.Milliseconds()));
        EXPECT_EQ(space->IsHidden(), hidden) << at << " ms after the page was built";
    }
    Press(VK_RETURN);
    Press('A');
    EXPECT_TRUE(app_->IsInstructionPlaying()) << "only Space leaves the page";
    EXPECT_EQ(app_->GetCurrentSceneDialog(), nullptr);

    EXPECT_GT(Loudest(capture.Samples()), 1000) << "the page speaks";

    Press(VK_SPACE);
    RunFor(50);
    capture.Clear();
    RunFor(500);
    EXPECT_EQ(Loudest(capture.Samples()), 0) << "Space stops the page's voice at once";
    EXPECT_FALSE(app_->IsInstructionPlaying());
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    EXPECT_EQ(app_->GetSceneDialog(), app_->GetCurrentSceneDialog()) << "the maze fills the scene dialog";
    EXPECT_EQ(app_->GetCurrentSceneName(), L"");
    EXPECT_EQ(Screens().size(), 1u) << "the instruction has gone";
    EXPECT_EQ(window_->TimerCount(), 0u) << "no timer of the closed pages is left";
}

TEST_F(ExerciseTest, EscBeforeTheMarkerStartsTheGameAtOnceAndBuildsNoPage)
{
    StartWithName(L"Маша");
    RunUntilAfterStart(3000);
    const int cursor = platform::CursorDisplayCount();
    Press(VK_ESCAPE);
    ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr) << "the scene starts in the same key press";
    EXPECT_FALSE(app_->IsInstructionPlaying());
    RunFor(10'000);
    Press(VK_ESCAPE);
    ASSERT_EQ(Screens().size(), 1u) << "Esc in the game does nothing";
    EXPECT_EQ(Screens()[0], app_->GetCurrentSceneDialog());
    EXPECT_TRUE(PicturesOf(Screens()[0], L"14467").empty());
    EXPECT_TRUE(PicturesOf(Screens()[0], L"KEYSPACE").empty());
    EXPECT_EQ(platform::CursorDisplayCount(), cursor + 2) << "shown once by the scene's start, once by the page call";
    EXPECT_EQ(window_->TimerCount(), 0u);
}

TEST_F(ExerciseTest, WithoutAnAudioDeviceTheInstructionStillEndsInTheHelpPage)
{
    App::Release();
    app_ = nullptr;
    platform::AudioFaults faults;
    faults.create_device = E_FAIL;
    platform::InjectAudioFaults(faults);
    app_ = static_cast<App*>(App::Instance(kExerciseCaption, false));
    window_ = app_->GetMainWindow();
    app_->ShowStartScreen();
    RunFor(1);
    StartWithName(L"Маша");
    ASSERT_TRUE(RunUntil([this] { return !PicturesOf(Screens().back(), L"KEYSPACE").empty(); }));
    Press(VK_SPACE);
    EXPECT_NE(app_->GetCurrentSceneDialog(), nullptr);
}

TEST_F(ExerciseTest, AnInstructionVoiceThatCannotBeOpenedStillLeadsToTheHelpPage)
{
    static const BYTE kNotOgg[] = "not a sound";
    platform::RegisterOwnResource(14464, kNotOgg, sizeof kNotOgg);
    StartWithName(L"Маша");
    RunFor(5);
    EXPECT_FALSE(PicturesOf(Screens().back(), L"KEYSPACE").empty()) << "at once, without the voice";
    Press(VK_SPACE);
    EXPECT_NE(app_->GetCurrentSceneDialog(), nullptr);
}

TEST_F(ExerciseTest, GenericHelpPageClosesItselfAfterFiveSecondsAndTakesItsTimer)
{
    const size_t timers = window_->TimerCount();
    auto* dialog = new IMDialog(window_, nullptr, 0);
    bool closed = false;
    IMControl::ConnectClosing(dialog, [&](const IMEvent&) -> long { return closed = true, 0; });
    app_->IMApp<App>::ShowInstruction(dialog);
    RunFor(4990);
    EXPECT_FALSE(closed);
    EXPECT_EQ(window_->TimerCount(), timers + 1);
    RunFor(20);
    EXPECT_TRUE(closed);
    EXPECT_EQ(window_->TimerCount(), timers);

    auto* early = new IMDialog(window_, nullptr, 0);
    app_->IMApp<App>::ShowInstruction(early);
    RunFor(100);
    early->Close();
    EXPECT_EQ(window_->TimerCount(), timers) << "a page closed early leaves no timer behind";
}

} // namespace
