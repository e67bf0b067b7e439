#include "platform/testing/test_clock.h"

#include <map>
#include <mutex>

#include "platform/time/clock_state.h"

namespace platform {

struct TestClock::Listeners {
    std::mutex mutex;
    std::map<int, std::function<void()>> items;
    int next_id = 1;
};

TestClock::TestClock(int64_t frequency, int64_t start_ticks)
    : frequency_(frequency > 0 ? frequency : 1000)
    , listeners_(new Listeners)
{
    g_manual_ticks = start_ticks;
    g_manual_frequency = frequency_;
    g_manual_clock = this;
}

TestClock::~TestClock()
{
    ManualClock* self = this;
    g_manual_clock.compare_exchange_strong(self, nullptr);
    delete listeners_;
}

void TestClock::Advance(int64_t ms)
{
    AdvanceTicks(ms * frequency_ / 1000);
}

void TestClock::AdvanceTicks(int64_t ticks)
{
    g_manual_ticks += ticks;
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
    return g_manual_ticks;
}

int64_t TestClock::Milliseconds() const
{
    return g_manual_ticks * 1000 / frequency_;
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
    return dynamic_cast<TestClock*>(g_manual_clock.load());
}

} // namespace platform
