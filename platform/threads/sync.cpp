#include "platform/threads/sync.h"

#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/time/clock.h"

namespace platform {
namespace {

struct KernelObject {
    bool manual_reset = false;
    bool signalled = false;
    bool is_thread = false;
    DWORD exit_code = STILL_ACTIVE;
};

// One thread inside WaitForSingleObject. Whoever ends the wait (SetEvent, the manual clock, the thread's own
// timeout) marks it woken and decides the result, under the kernel lock.
struct Waiter {
    KernelObject* object = nullptr;
    bool tracked = false;
    int64_t test_deadline = -1;
    bool woken = false;
    bool granted = false;
};

std::mutex g_kernel;
std::condition_variable g_changed;
std::list<Waiter*> g_waiters;
// Threads made by CreateThread that are running rather than parked in a wait; Settle waits for 0.
int g_busy = 0;
int g_live = 0;
DWORD g_next_thread_id = 1;
ManualClock* g_listened_clock = nullptr;
thread_local bool t_tracked = false;

void Wake(Waiter* waiter, bool granted)
{
    waiter->woken = true;
    waiter->granted = granted;
    if (waiter->tracked)
        ++g_busy;
}

void WakeAllOn(KernelObject* object)
{
    for (Waiter* w : g_waiters)
        if (w->object == object && !w->woken)
            Wake(w, true);
}

void OnClockAdvanced()
{
    std::lock_guard<std::mutex> lock(g_kernel);
    int64_t now = NowMs();
    for (Waiter* w : g_waiters)
        if (!w->woken && w->test_deadline >= 0 && now >= w->test_deadline)
            Wake(w, false);
    g_changed.notify_all();
}

// Lives inside the clock's listener list, so it dies with the clock: waits measured on that clock end then.
struct ClockGuard {
    ManualClock* clock;
    ~ClockGuard()
    {
        std::lock_guard<std::mutex> lock(g_kernel);
        if (g_listened_clock == clock)
            g_listened_clock = nullptr;
        for (Waiter* w : g_waiters)
            if (!w->woken && w->test_deadline >= 0)
                Wake(w, false);
        g_changed.notify_all();
    }
};

void ListenTo(ManualClock* clock)
{
    if (g_listened_clock == clock)
        return;
    std::shared_ptr<ClockGuard> guard(new ClockGuard { clock });
    clock->AddListener([guard] { OnClockAdvanced(); });
    g_listened_clock = clock;
}

void Park(Waiter* waiter)
{
    g_waiters.push_back(waiter);
    if (waiter->tracked) {
        --g_busy;
        g_changed.notify_all();
    }
}

void WaitParked(std::unique_lock<std::mutex>& lock, Waiter* waiter, ManualClock* clock, DWORD ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!waiter->woken) {
        if (clock) {
            if (CurrentManualClock() != clock || NowMs() >= waiter->test_deadline)
                Wake(waiter, false);
            else
                g_changed.wait_for(lock, std::chrono::milliseconds(50));
        } else if (ms == INFINITE) {
            g_changed.wait(lock);
        } else if (g_changed.wait_until(lock, deadline) == std::cv_status::timeout && !waiter->woken) {
            Wake(waiter, false);
        }
    }
    g_waiters.remove(waiter);
}

DWORD Wait(const std::shared_ptr<KernelObject>& object, DWORD ms)
{
    std::unique_lock<std::mutex> lock(g_kernel);
    if (object->signalled) {
        if (!object->manual_reset)
            object->signalled = false;
        return WAIT_OBJECT_0;
    }
    if (ms == 0)
        return WAIT_TIMEOUT;
    Waiter waiter;
    waiter.object = object.get();
    waiter.tracked = t_tracked;
    ManualClock* clock = ms != INFINITE ? CurrentManualClock() : nullptr;
    if (clock) {
        ListenTo(clock);
        waiter.test_deadline = NowMs() + ms;
    }
    Park(&waiter);
    WaitParked(lock, &waiter, clock, ms);
    return waiter.granted ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void EndThread(KernelObject* object, DWORD exit_code)
{
    std::lock_guard<std::mutex> lock(g_kernel);
    object->exit_code = exit_code;
    object->signalled = true;
    WakeAllOn(object);
    --g_busy;
    --g_live;
    g_changed.notify_all();
}

} // namespace

bool Settle(DWORD limit_ms)
{
    std::unique_lock<std::mutex> lock(g_kernel);
    return g_changed.wait_for(lock, std::chrono::milliseconds(limit_ms), [] { return g_busy == 0; });
}

int LiveThreadCount()
{
    std::lock_guard<std::mutex> lock(g_kernel);
    return g_live;
}

} // namespace platform

struct KernelHandle__ {
    std::shared_ptr<platform::KernelObject> object;
    std::thread thread;
};

void InitializeCriticalSection(CRITICAL_SECTION*) { }

void EnterCriticalSection(CRITICAL_SECTION* section)
{
    section->mutex.lock();
}

void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    section->mutex.unlock();
}

void DeleteCriticalSection(CRITICAL_SECTION*) { }

HANDLE CreateEventW(void* attributes, BOOL manual_reset, BOOL initial_state, const wchar_t* name)
{
    if (attributes || name)
        return nullptr;
    auto handle = new KernelHandle__ { std::make_shared<platform::KernelObject>(), {} };
    handle->object->manual_reset = manual_reset != FALSE;
    handle->object->signalled = initial_state != FALSE;
    return handle;
}

BOOL SetEvent(HANDLE event)
{
    if (!event || event->object->is_thread)
        return FALSE;
    using namespace platform;
    std::lock_guard<std::mutex> lock(g_kernel);
    KernelObject* object = event->object.get();
    if (!object->manual_reset) {
        // An auto-reset event releases exactly one waiter and stays unsignalled; with none waiting it stays set.
        for (Waiter* w : g_waiters) {
            if (w->object == object && !w->woken) {
                Wake(w, true);
                g_changed.notify_all();
                return TRUE;
            }
        }
    }
    object->signalled = true;
    WakeAllOn(object);
    g_changed.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    if (!event || event->object->is_thread)
        return FALSE;
    std::lock_guard<std::mutex> lock(platform::g_kernel);
    event->object->signalled = false;
    return TRUE;
}

HANDLE CreateThread(void*, size_t, LPTHREAD_START_ROUTINE start, void* parameter, DWORD, DWORD* thread_id)
{
    using namespace platform;
    if (!start)
        return nullptr;
    auto object = std::make_shared<KernelObject>();
    object->manual_reset = true;
    object->is_thread = true;
    auto handle = new KernelHandle__ { object, {} };
    {
        std::lock_guard<std::mutex> lock(g_kernel);
        ++g_busy;
        ++g_live;
        if (thread_id)
            *thread_id = g_next_thread_id++;
    }
    try {
        handle->thread = std::thread([object, start, parameter] {
            t_tracked = true;
            EndThread(object.get(), start(parameter));
        });
    } catch (const std::system_error&) {
        EndThread(object.get(), 0);
        delete handle;
        return nullptr;
    }
    return handle;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exit_code)
{
    if (!thread || !thread->object->is_thread || !exit_code)
        return FALSE;
    std::lock_guard<std::mutex> lock(platform::g_kernel);
    *exit_code = thread->object->exit_code;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    if (!handle)
        return WAIT_FAILED;
    return platform::Wait(handle->object, ms);
}

BOOL CloseHandle(HANDLE handle)
{
    if (!handle)
        return FALSE;
    if (handle->thread.joinable()) {
        bool ended;
        {
            std::lock_guard<std::mutex> lock(platform::g_kernel);
            ended = handle->object->signalled;
        }
        if (ended)
            handle->thread.join();
        else
            handle->thread.detach();
    }
    delete handle;
    return TRUE;
}
