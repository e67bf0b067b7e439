// A screen in the main window, run through the message loop under the test clock (one millisecond per idle pass)
// with the null sound output, so sounds and clips end on the test clock and runs repeat exactly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/controls/dialog_base.h"
#include "engine/window/window.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/test_clock.h"
#include "tests/support/test_clock_sound.h"

class ScreenRun {
public:
    using IMDialog = IMDialogBase<IMEmptyView>;

    ScreenRun();
    ~ScreenRun();
    ScreenRun(const ScreenRun&) = delete;
    ScreenRun& operator=(const ScreenRun&) = delete;

    IMWindow* Window() const { return window_; }
    // Runs the loop for ms passes, handling the input given before.
    void RunFor(DWORD ms);
    // Runs until the condition holds after a frame pass, for at most limit_ms; true when it held.
    bool RunUntil(const std::function<bool()>& condition, DWORD limit_ms = 20'000);

    platform::TestClock clock;
    platform::HeadlessInput input;

private:
    platform::headless::HeadlessPresenter presenter_;
    TestClockSound sound_;
    IMWindow* window_ = nullptr;
};

// True while the memory voice of the named word plays.
bool WordPlays(const char* word);

// The live children of a dialog that have the given type, in drawing order.
template <class C> std::vector<C*> ChildrenOf(const IMDialogBase<IMEmptyView>* dialog)
{
    std::vector<C*> found;
    for (IMControl* child : dialog->LiveChildren())
        if (auto* c = dynamic_cast<C*>(child))
            found.push_back(c);
    return found;
}
