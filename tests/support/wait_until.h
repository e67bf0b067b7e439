// Waiting in real time for another thread, with a bound: a failing test fails, it never hangs.
#pragma once

#include <chrono>
#include <thread>

namespace testing_support {

// Polls condition until it holds (true) or limit has passed (false). Yields between polls, never sleeps for long.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace testing_support
