#include "tests/support/fresh_process.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/system/thread_faults.h"
#include "platform/testing/audio_test.h"
#include "platform/testing/device_faults.h"
#include "platform/testing/resets.h"

namespace testing_support {
namespace {

// Ends the process when the armed test outlives its limit. It lives as long as the process and is never joined, so
// a test that ends the process (or a forked child of a death test) never waits for it.
class Watchdog {
public:
    void Arm(std::string test, std::chrono::seconds limit)
    {
        std::unique_lock lock(mutex_);
        running_ = std::move(test);
        limit_ = limit;
        deadline_ = std::chrono::steady_clock::now() + limit;
        if (!started_) {
            started_ = true;
            std::thread([this] { Watch(); }).detach();
            // Started and waiting before the test runs: a test that forks while the new thread is still starting
            // (and may hold the allocator's locks) would leave its child deadlocked.
            changed_.wait(lock, [this] { return watching_; });
        }
        changed_.notify_all();
    }

    void Disarm()
    {
        std::lock_guard lock(mutex_);
        running_.clear();
        changed_.notify_all();
    }

private:
    void Watch()
    {
        std::unique_lock lock(mutex_);
        watching_ = true;
        changed_.notify_all();
        for (;;) {
            if (running_.empty()) {
                changed_.wait(lock);
                continue;
            }
            changed_.wait_until(lock, deadline_);
            if (!running_.empty() && std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "%s still runs after %lld s: stopped as hanging\n", running_.c_str(),
                    static_cast<long long>(limit_.count()));
                std::fflush(stderr);
                std::abort();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string running_;
    std::chrono::seconds limit_ { 0 };
    std::chrono::steady_clock::time_point deadline_;
    bool started_ = false;
    bool watching_ = false;
};

Watchdog& TheWatchdog()
{
    static Watchdog* watchdog = new Watchdog;
    return *watchdog;
}

} // namespace

void FreshProcessState::Reset()
{
    platform::ResetWindowingForTests();
    platform::ResetResourcesForTests();
    platform::ResetAudioForTests();
    platform::headless::ResetDeviceFaults();
    platform::headless::RecordStateCalls(false);
    // A fault an earlier test left on another thread is not this test's.
    platform::TakeFault();
}

void FreshProcessState::OnTestStart(const testing::TestInfo& test)
{
    Reset();
    TheWatchdog().Arm(std::string(test.test_suite_name()) + "." + test.name(), kTestTimeLimit);
}

void FreshProcessState::OnTestEnd(const testing::TestInfo&)
{
    TheWatchdog().Disarm();
}

} // namespace testing_support
