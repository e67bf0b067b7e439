#include <utility>

#include "tests/engine/window/window_fixture.h"

namespace {

using TimerTest = WindowTest;
using Fired = std::vector<std::pair<char, int64_t>>;

TEST_F(TimerTest, FirstFiringAfterTheIntervalThenMeasuredFromTheLastFiring)
{
    Fired fired;
    window_->ConnectTimer(window_->AddTimer(500), [&](const IMEvent& ev) -> long {
        EXPECT_EQ(ev.sender, window_);
        return fired.emplace_back('t', clock_.Milliseconds()), 0;
    });
    // A slow message at 700 ms holds the loop for 400 ms: the timer runs late and does not catch up.
    input_.At(700, [this] { clock_.Advance(400); });
    RunFor(1700);
    EXPECT_EQ(fired, (Fired { { 't', 500 }, { 't', 1100 }, { 't', 1600 } }));
}

// Two timers due in one pass, the first taking 300 ms: each period runs from the timer's own firing, so the second
// waits a whole interval after it fired late, and the first fires once at the next pass rather than catching up.
TEST_F(TimerTest, AfterASlowCallbackEachTimerCountsFromItsOwnFiring)
{
    Fired fired;
    const DWORD slow = window_->AddTimer(100), next = window_->AddTimer(100);
    window_->ConnectTimer(slow, [&](const IMEvent&) -> long {
        fired.emplace_back('s', clock_.Milliseconds());
        if (fired.size() == 1)
            clock_.Advance(300);
        return 0;
    });
    window_->ConnectTimer(
        next, [&](const IMEvent&) -> long { return fired.emplace_back('n', clock_.Milliseconds()), 0; });
    RunFor(650);
    EXPECT_EQ(fired,
        (Fired { { 's', 100 }, { 'n', 400 }, { 's', 401 }, { 'n', 500 }, { 's', 501 }, { 'n', 600 }, { 's', 601 } }));
}

TEST_F(TimerTest, CallbacksMayRemoveAndAddTimersDuringThePass)
{
    Fired fired;
    auto log = [&](char name) { return fired.emplace_back(name, clock_.Milliseconds()), 0L; };
    const DWORD a = window_->AddTimer(100), b = window_->AddTimer(100), c = window_->AddTimer(100);
    window_->ConnectTimer(c, [&](const IMEvent&) { return log('c'); });
    window_->ConnectTimer(b, [&](const IMEvent&) { return window_->RemoveTimer(b), log('b'); });
    window_->ConnectTimer(a, [&](const IMEvent&) {
        window_->RemoveTimer(c);
        const DWORD added = window_->AddTimer(0);
        window_->ConnectTimer(added, [&, added](const IMEvent&) { return window_->RemoveTimer(added), log('+'); });
        return log('a');
    });
    RunFor(150);
    // c goes unvisited; the timer added during the pass is not due in it, however short.
    EXPECT_EQ(fired, (Fired { { 'a', 100 }, { 'b', 100 }, { '+', 101 } }));
}

TEST_F(TimerTest, IdsAreNeverReusedAndUnknownIdsChangeNothing)
{
    auto slot = [](const IMEvent&) -> long { return 0; };
    EXPECT_EQ(window_->AddTimer(10), 1u);
    EXPECT_EQ(window_->AddTimer(10), 2u);
    for (DWORD id : { 1, 2, 2, 0 })
        window_->RemoveTimer(id);
    EXPECT_EQ(window_->AddTimer(10), 3u);
    EXPECT_FALSE(window_->ConnectTimer(0, slot).connected());
    EXPECT_FALSE(window_->ConnectTimer(2, slot).connected());
    EXPECT_TRUE(window_->ConnectTimer(3, slot).connected());
}

} // namespace
