#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/testing/test_clock.h"
#include "platform/threads/sync.h"
#include "tests/support/wait_until.h"

namespace {

// A worker parked in 20 ms waits, counting how each wait ended, as a streaming thread does.
struct Worker {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> signals { 0 };
    std::atomic<int> timeouts { 0 };
    std::atomic<bool> quit { false };
    HANDLE thread = nullptr;

    static DWORD Run(void* self)
    {
        auto* w = static_cast<Worker*>(self);
        while (!w->quit) {
            if (WaitForSingleObject(w->event, 20) == WAIT_OBJECT_0)
                ++w->signals;
            else
                ++w->timeouts;
        }
        return 7;
    }
    void Start() { thread = CreateThread(nullptr, 0, &Worker::Run, this, 0, nullptr); }
    DWORD Finish()
    {
        quit = true;
        SetEvent(event);
        EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeThread(thread, &code);
        CloseHandle(thread);
        CloseHandle(event);
        return code;
    }
};

TEST(Sync, TimedWaitsFollowTheTestClockAndSettle)
{
    platform::TestClock clock;
    Worker worker;
    worker.Start();
    ASSERT_TRUE(platform::Settle());
    EXPECT_EQ(platform::LiveThreadCount(), 1);

    Sleep(30); // real time passing does not end a wait measured on the test clock
    clock.Advance(19);
    ASSERT_TRUE(platform::Settle());
    EXPECT_EQ(worker.timeouts, 0);

    clock.Advance(1);
    ASSERT_TRUE(platform::Settle());
    EXPECT_EQ(worker.timeouts, 1);

    for (int i = 0; i < 5; ++i) {
        clock.Advance(20);
        ASSERT_TRUE(platform::Settle());
    }
    EXPECT_EQ(worker.timeouts, 6);
    EXPECT_EQ(worker.signals, 0);

    // The signal is taken by the parked waiter: the event is clear again afterwards.
    SetEvent(worker.event);
    ASSERT_TRUE(platform::Settle());
    EXPECT_EQ(worker.signals, 1);
    EXPECT_EQ(WaitForSingleObject(worker.event, 0), WAIT_TIMEOUT);

    EXPECT_EQ(worker.Finish(), 7u);
    EXPECT_EQ(platform::LiveThreadCount(), 0);
    EXPECT_TRUE(platform::Settle(0));
}

TEST(Sync, AutoResetEventStaysSetUntilOneWaitTakesIt)
{
    platform::TestClock clock;
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    SetEvent(event);
    SetEvent(event); // setting a set event does not count twice
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    SetEvent(event);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    // A wait on the caller's own thread times out when another thread advances the clock past it. The other thread
    // cannot tell when the wait has begun, so it steps the clock until the wait returns; should the wait never time
    // out, it sets the event at last, so the test fails instead of hanging.
    std::atomic<bool> returned { false };
    std::thread advancer([&] {
        if (!testing_support::WaitUntil([&] {
                clock.Advance(10);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return returned.load();
            }))
            SetEvent(event);
    });
    const int64_t start = clock.Milliseconds();
    EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
    EXPECT_GE(clock.Milliseconds() - start, 50);
    returned = true;
    advancer.join();
    CloseHandle(event);
}

TEST(Sync, ManualResetEventReleasesEveryWaiterAndStaysSet)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> released { 0 };
    auto wait = [](void* p) -> DWORD {
        auto* pair = static_cast<std::pair<HANDLE, std::atomic<int>*>*>(p);
        if (WaitForSingleObject(pair->first, INFINITE) == WAIT_OBJECT_0)
            ++*pair->second;
        return 0;
    };
    std::pair<HANDLE, std::atomic<int>*> arg { event, &released };
    HANDLE a = CreateThread(nullptr, 0, wait, &arg, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, wait, &arg, 0, nullptr);
    ASSERT_TRUE(platform::Settle());
    EXPECT_EQ(released, 0);
    SetEvent(event);
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    EXPECT_EQ(released, 2);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    CloseHandle(a);
    CloseHandle(b);
    CloseHandle(event);
}

TEST(Sync, RealClockTimeoutAndBadHandles)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD before = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(event, 15), WAIT_TIMEOUT);
    EXPECT_GE(timeGetTime() - before, 14u);
    CloseHandle(event);

    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));
    int dummy = 0;
    EXPECT_EQ(CreateEventW(&dummy, FALSE, FALSE, nullptr), nullptr);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(Sync, CriticalSectionIsReentrantAndExcludesOtherThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);

    std::atomic<bool> entered { false };
    std::thread other([&] {
        EnterCriticalSection(&section);
        entered = true;
        LeaveCriticalSection(&section);
    });
    Sleep(20);
    EXPECT_FALSE(entered); // still held once by this thread
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&section);
}

TEST(Sync, ThreadStillRunningReportsActiveAndMayBeClosedEarly)
{
    HANDLE gate = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(
        nullptr, 0, [](void* g) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(g), INFINITE); }, gate, 0,
        nullptr);
    ASSERT_TRUE(platform::Settle());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    CloseHandle(thread); // the thread runs on by itself
    SetEvent(gate);
    for (int i = 0; i < 1000 && platform::LiveThreadCount() > 0; ++i)
        Sleep(1);
    EXPECT_EQ(platform::LiveThreadCount(), 0);
    CloseHandle(gate);
}

} // namespace
