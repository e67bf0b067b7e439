#include "platform/time/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/time/clock_state.h"

namespace platform {

std::atomic<ManualClock*> g_manual_clock { nullptr };
std::atomic<int64_t> g_manual_ticks { 0 };
std::atomic<int64_t> g_manual_frequency { 1000 };

namespace {

int64_t RealNanoseconds()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ManualClock* CurrentManualClock()
{
    return g_manual_clock;
}

int64_t NowMs()
{
    if (g_manual_clock.load())
        return g_manual_ticks * 1000 / g_manual_frequency;
    return RealNanoseconds() / 1000000;
}

} // namespace platform

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter)
{
    if (platform::g_manual_clock.load())
        counter->QuadPart = platform::g_manual_ticks;
    else
        counter->QuadPart = platform::RealNanoseconds();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (platform::g_manual_clock.load())
        frequency->QuadPart = platform::g_manual_frequency;
    else
        frequency->QuadPart = 1000000000;
    return TRUE;
}

DWORD timeGetTime()
{
    return static_cast<DWORD>(platform::NowMs());
}

void Sleep(DWORD ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
