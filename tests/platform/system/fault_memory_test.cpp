// A fault reported while memory has run out: this executable replaces operator new, so that a thread can make
// every allocation it asks for fail from a chosen moment on.
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sound/dsound.h"
#include "platform/sound/sound_probes.h"
#include "platform/system/termination.h"
#include "platform/system/thread_faults.h"
#include "platform/testing/audio_test.h"
#include "tests/platform/window/recording_window.h"
#include "tests/support/wait_until.h"

namespace {

thread_local bool t_out_of_memory = false;

// Thrown with nothing allocated for it; its name is too long for a string to keep without memory.
struct AFaultWhoseNameNeedsMemory { };

} // namespace

void* operator new(std::size_t size)
{
    if (t_out_of_memory)
        throw std::bad_alloc();
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

// Not inlined, so that the compiler never pairs a new expression with the free below.
[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    ::operator delete(p);
}

namespace {

// The mix fails on SDL's audio thread, which from then on can allocate nothing: reporting the fault must neither
// throw into SDL's C code (which would end the process) nor lose it. It is named by its type once taken.
TEST(FaultWithoutMemory, AFaultOnTheAudioDevicesThreadIsKeptAndNamedLater)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetMixTap([test = std::this_thread::get_id()](const int16_t*, int) {
        if (std::this_thread::get_id() == test)
            return;
        t_out_of_memory = true;
        throw AFaultWhoseNameNeedsMemory {};
    });
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
    ASSERT_EQ(platform::ActiveAudioOutput(), "sdl");
    std::string fault;
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !(fault = platform::TakeFault()).empty(); }));
    EXPECT_EQ(fault, "(anonymous namespace)::AFaultWhoseNameNeedsMemory");
    EXPECT_EQ(device->Release(), 0u);
    platform::SetMixTap(nullptr);
}

// A thread whose memory has run out reports its fault, whatever the queue holds then (posting needs memory only at
// some of its lengths): the close it asks for still reaches the window after what was posted before, so the loop
// ends as after any close, where the program saves the run. The fault is named once taken.
TEST(FaultWithoutMemory, AThreadFaultStillClosesTheWindowWhenNothingCanBeAllocated)
{
    const HWND first = testing_window::CreateRecordingWindow(L"Closing", 0, 0);
    ASSERT_NE(first, nullptr);
    for (int queued = 0; queued < 64; ++queued) {
        const HWND window = queued == 0
            ? first
            : CreateWindowExW(0, L"Closing", L"test", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        platform::SetTerminationTarget(window);
        std::vector<UINT> expected(size_t(queued), WM_USER);
        for (int i = 0; i < queued; ++i)
            PostMessageW(window, WM_USER, 0, 0);
        expected.push_back(WM_CLOSE);
        std::thread([] {
            try {
                t_out_of_memory = true;
                throw AFaultWhoseNameNeedsMemory {};
            } catch (...) {
                platform::ReportThreadFault();
            }
        }).join();
        std::vector<UINT> dispatched;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
            dispatched.push_back(msg.message);
            DispatchMessageW(&msg);
        }
        EXPECT_EQ(dispatched, expected) << queued << " queued";
        EXPECT_EQ(msg.message, UINT(WM_QUIT)) << queued << " queued: the loop ends";
        EXPECT_EQ(platform::TakeFault(), "(anonymous namespace)::AFaultWhoseNameNeedsMemory") << queued << " queued";
    }
    platform::SetTerminationTarget(nullptr);
}

} // namespace
