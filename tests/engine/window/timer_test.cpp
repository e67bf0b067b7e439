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
