// The performance counter, its frequency and timeGetTime, all read from one monotonic source.
// While a TestClock (platform/testing/test_clock.h) exists, that source is the test clock and only moves when the
// test advances it.
#pragma once

#include <cstdint>

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

} // namespace platform
