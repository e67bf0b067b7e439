// The performance counter, its frequency and timeGetTime, all read from one monotonic source.
// While a manual clock is installed (the tests install theirs), that source is the manual clock and only moves when
// it is advanced.
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

// Milliseconds on the current clock source, 64-bit (no wrap).
int64_t NowMs();

// A clock that moves only when advanced. It installs itself as the clock source through clock_state.h.
class ManualClock {
public:
    virtual void Advance(int64_t ms) = 0;
    // Called (on the advancing thread) after every advance; lets waits measured on this clock re-check their
    // deadline.
    virtual int AddListener(std::function<void()> listener) = 0;
    virtual void RemoveListener(int id) = 0;

protected:
    ~ManualClock() = default;
};

// The installed manual clock; null while the process runs on real time.
ManualClock* CurrentManualClock();

} // namespace platform
