// The clock source's state that a manual clock sets when it installs itself: the clock and its reading. The reading
// lives here rather than in the object, so a thread that found the clock current can still read it while the test is
// destroying it.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

class ManualClock;

extern std::atomic<ManualClock*> g_manual_clock;
extern std::atomic<int64_t> g_manual_ticks;
extern std::atomic<int64_t> g_manual_frequency;

} // namespace platform
