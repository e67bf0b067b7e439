// The whole program in the headless main window: the application with its start screen, driven through the
// message loop by injected keys and mouse on the test clock, its workbook in a scratch data folder.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/core/app.h"
#include "app/core/program.h"
#include "app/screens/labels.h"
#include "engine/window/window.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/test_clock.h"
#include "tests/support/test_clock_sound.h"
#include "tests/support/workbook_fixture.h"

using Picture = IMStaticPictureBase<IMTextureView>;
using Rows = std::vector<std::vector<std::wstring>>;

// 07-December-2026 10:15:00 UTC.
constexpr int64_t kPinnedStart = 1796638500;

class AppTest : public WorkbookTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the loop for ms of test time; the messages already queued are handled first.
    void RunFor(DWORD ms);
    // Runs the loop until the condition holds after a frame pass, for at most limit_ms; true when it held. The
    // time of that pass is kept in held_at_.
    bool RunUntil(const std::function<bool()>& condition, DWORD limit_ms = 30'000);
    void Press(UINT vk);
    void ClickAt(int x, int y);

    // Types the name, presses Enter and waits for the input-help page; the time Enter was handled is kept.
    void StartWithName(const std::wstring& name);
    // From the input-help page, Space; the scene runs afterwards.
    void LeaveHelpPage();
    // Start, then Esc at once: the game runs.
    void StartGame(const std::wstring& name);

    // Top-level dialogs of the main window in walk order, optionally only those on one layer.
    std::vector<IMDialog*> Screens(int layer = 0) const;
    // The live pictures of the texture anywhere below the dialog.
    std::vector<Picture*> PicturesOf(IMDialog* dialog, const std::wstring& texture) const;
    // The start pop-up, when one is live (found by its Start button's picture).
    IMDialog* StartScreenShown() const;

    std::filesystem::path WorkbookPath() const;
    // The rows of the pupil's sheet as stored on disk now, and their types.
    Rows StoredRows(const std::wstring& pupil) const;
    Rows StoredTypes(const std::wstring& pupil) const;
    // The last frame, as a PNG in the build folder.
    void Snapshot(const std::string& name) const;

    App* app_ = nullptr;
    IMWindow* window_ = nullptr;
    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    TestClockSound sound_;
    int64_t held_at_ = 0;
    int64_t started_at_ = 0;
};
