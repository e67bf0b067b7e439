// The performance counter, its frequency and timeGetTime, all read from one monotonic source.
// While a TestClock exists, that source is the test clock and only moves when the test advances it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/win32.h"

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Milliseconds, wrapping at 2^32.
DWORD timeGetTime();
// Always real time: it is only used to poll.
void Sleep(DWORD ms);

namespace platform {

class TestClock {
public:
    // frequency: counter ticks per second (1000 makes one tick one millisecond).
    explicit TestClock(int64_t frequency = 1000, int64_t start_ticks = 0);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void Advance(int64_t ms);
    void AdvanceTicks(int64_t ticks);
    int64_t Ticks() const;
    int64_t Frequency() const { return frequency_; }
    int64_t Milliseconds() const;

    // Called (on the advancing thread) after every advance; lets fake-time waits re-check their deadline.
    int AddListener(std::function<void()> listener);
    void RemoveListener(int id);

    static TestClock* Current();

private:
    struct Listeners;
    const int64_t frequency_;
    Listeners* listeners_;
};

// Milliseconds on the current clock source, 64-bit (no wrap).
int64_t NowMs();

} // namespace platform
