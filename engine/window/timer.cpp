#include "engine/window/timer.h"

#include "platform/time/clock.h"

namespace {

int64_t CounterNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// A timer's period runs from its last actual firing, so timers run late rather than catch up.
bool IsDue(const IMTimer& timer, int64_t now, int64_t frequency)
{
    if (timer.last > now)
        return false;
    const int64_t elapsed_ms = (now - timer.last) * 1000 / frequency;
    return elapsed_ms >= int64_t(timer.interval);
}

} // namespace

DWORD IMTimerTable::Add(DWORD interval)
{
    auto timer = std::make_unique<IMTimer>();
    timer->interval = interval;
    timer->last = CounterNow();
    const DWORD id = ++counter_;
    timers_[id] = std::move(timer);
    return id;
}

void IMTimerTable::Remove(DWORD id)
{
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->signal->disconnect_all_slots();
    timers_.erase(it);
}

// The walk looks the next id up afresh after every firing: a callback may remove any timer, its own or one not
// yet visited. Timers added during the pass have higher ids than any at its start and wait for the next pass.
void IMTimerTable::RunDue(const IMEvent& ev)
{
    if (timers_.empty())
        return;
    const int64_t now = CounterNow();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const DWORD last_id = timers_.rbegin()->first;
    for (auto it = timers_.begin(); it != timers_.end() && it->first <= last_id;) {
        const DWORD id = it->first;
        IMTimer& timer = *it->second;
        if (IsDue(timer, now, frequency.QuadPart)) {
            timer.last = CounterNow();
            std::shared_ptr<IMEventSignal> signal = timer.signal;
            if (!signal->empty())
                (*signal)(ev);
        }
        it = timers_.upper_bound(id);
    }
}

void IMTimerTable::Clear()
{
    for (auto& [id, timer] : timers_)
        timer->signal->disconnect_all_slots();
    timers_.clear();
}
