// Threads, events and critical sections in Win32 shape, over the standard library.
// While a manual clock is installed, finite event waits are measured on it, so a streaming thread's
// timed wake-up only comes when the test advances the clock.
#pragma once

#include <mutex>

#include "platform/win32.h"

// Event and thread handles; null means none.
struct KernelHandle__;
using HANDLE = KernelHandle__*;

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

// Re-entrant: the owning thread may enter again, and leaves as often as it entered.
struct CRITICAL_SECTION {
    std::recursive_mutex mutex;
};

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

// Attributes and name are not supported and must be null.
HANDLE CreateEventW(void* attributes, BOOL manual_reset, BOOL initial_state, const wchar_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Stack size and flags are ignored; the thread starts at once.
HANDLE CreateThread(
    void* attributes, size_t stack_size, LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags, DWORD* thread_id);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exit_code);
constexpr DWORD STILL_ACTIVE = 259;

// An event is signalled while set (an auto-reset event is cleared by the wait it satisfies); a thread once it
// has ended. Returns WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a null handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
// A thread handle closed before its thread ends lets the thread run on by itself.
BOOL CloseHandle(HANDLE handle);

namespace platform {

// Waits (real time, at most limit_ms) until every thread made by CreateThread is either parked in a wait that
// nothing has satisfied yet, or has ended. False when the limit passed first.
// A test step is then: clock.Advance(20); Settle();
bool Settle(DWORD limit_ms = 2000);

// Threads made by CreateThread that have not ended.
int LiveThreadCount();

} // namespace platform
