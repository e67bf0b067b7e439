// Runs a window's message loop on the test clock until a condition holds.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/window/window.h"
#include "platform/testing/test_clock.h"

// Runs the loop until condition holds at the end of one of passes's frame events, or until limit_ms of test-clock
// time have gone by; whether it held, and in stopped_at the test-clock time of the pass that ended the loop.
inline bool RunLoopUntil(IMWindow* window, IMControl* passes, const platform::TestClock& clock,
    const std::function<bool()>& condition, int64_t limit_ms, int64_t* stopped_at = nullptr)
{
    const int64_t deadline = clock.Milliseconds() + limit_ms;
    bool held = false;
    im::ScopedConnection watch = IMControl::ConnectFrame(passes, [&](const IMEvent&) -> long {
        held = held || condition();
        if (held || clock.Milliseconds() >= deadline) {
            if (stopped_at)
                *stopped_at = clock.Milliseconds();
            PostQuitMessage(0);
        }
        return 0;
    });
    IMWindow::Run(window);
    return held;
}
