// The clock source's state that the test clock sets: the current test clock and its reading. The reading lives
// here rather than in the object, so a thread that found the clock current can still read it while the test is
// destroying it.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

class TestClock;

extern std::atomic<TestClock*> g_test_clock;
extern std::atomic<int64_t> g_test_ticks;
extern std::atomic<int64_t> g_test_frequency;

} // namespace platform
