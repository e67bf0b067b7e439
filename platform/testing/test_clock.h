// A clock that tests advance by hand; while one exists it is the installed manual clock: the source of the counter,
// timeGetTime and NowMs.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/time/clock.h"

namespace platform {

class TestClock final : public ManualClock {
public:
    // frequency: counter ticks per second (1000 makes one tick one millisecond).
    explicit TestClock(int64_t frequency = 1000, int64_t start_ticks = 0);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void Advance(int64_t ms) override;
    void AdvanceTicks(int64_t ticks);
    int64_t Ticks() const;
    int64_t Frequency() const { return frequency_; }
    int64_t Milliseconds() const;

    int AddListener(std::function<void()> listener) override;
    void RemoveListener(int id) override;

    static TestClock* Current();

private:
    struct Listeners;
    const int64_t frequency_;
    Listeners* listeners_;
};

} // namespace platform
