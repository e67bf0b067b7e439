#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace platform {
namespace {

std::atomic<TestClock*> g_test_clock { nullptr };
// The test clock's reading lives here rather than in the object, so a thread that found the clock current can
// still read it while the test is destroying it.
std::atomic<int64_t> g_test_ticks { 0 };
std::atomic<int64_t> g_test_frequency { 1000 };

int64_t RealNanoseconds()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct TestClock::Listeners {
    std::mutex mutex;
    std::map<int, std::function<void()>> items;
    int next_id = 1;
};

TestClock::TestClock(int64_t frequency, int64_t start_ticks)
    : frequency_(frequency > 0 ? frequency : 1000)
    , listeners_(new Listeners)
{
    g_test_ticks = start_ticks;
    g_test_frequency = frequency_;
    g_test_clock = this;
}

TestClock::~TestClock()
{
    TestClock* self = this;
    g_test_clock.compare_exchange_strong(self, nullptr);
    delete listeners_;
}

void TestClock::Advance(int64_t ms)
{
    AdvanceTicks(ms * frequency_ / 1000);
}

void TestClock::AdvanceTicks(int64_t ticks)
{
    g_test_ticks += ticks;
    std::map<int, std::function<void()>> items;
    {
        std::lock_guard<std::mutex> lock(listeners_->mutex);
        items = listeners_->items;
    }
    for (auto& [id, listener] : items)
        listener();
}

int64_t TestClock::Ticks() const
{
    return g_test_ticks;
}

int64_t TestClock::Milliseconds() const
{
    return g_test_ticks * 1000 / frequency_;
}

int TestClock::AddListener(std::function<void()> listener)
{
    std::lock_guard<std::mutex> lock(listeners_->mutex);
    int id = listeners_->next_id++;
    listeners_->items.emplace(id, std::move(listener));
    return id;
}

void TestClock::RemoveListener(int id)
{
    std::lock_guard<std::mutex> lock(listeners_->mutex);
    listeners_->items.erase(id);
}

TestClock* TestClock::Current()
{
    return g_test_clock;
}

int64_t NowMs()
{
    if (TestClock::Current())
        return g_test_ticks * 1000 / g_test_frequency;
    return RealNanoseconds() / 1000000;
}

} // namespace platform

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter)
{
    if (platform::TestClock::Current())
        counter->QuadPart = platform::g_test_ticks;
    else
        counter->QuadPart = platform::RealNanoseconds();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (platform::TestClock::Current())
        frequency->QuadPart = platform::g_test_frequency;
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
