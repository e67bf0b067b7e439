// A fault reported while memory has run out: this executable replaces operator new, so that a thread can make
// every allocation it asks for fail from a chosen moment on.
#include <cstdlib>
#include <new>
#include <thread>

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

// A thread whose memory has run out reports its fault: the close it asks for still reaches the window, so the loop
// ends as after any close (where the program saves the run), and the fault is named once taken.
TEST(FaultWithoutMemory, AThreadFaultStillClosesTheWindowWhenNothingCanBeAllocated)
{
    const HWND window = testing_window::CreateRecordingWindow(L"Closing", 0, 0);
    ASSERT_NE(window, nullptr);
    platform::SetTerminationTarget(window);
    testing_window::Received().clear();
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
    platform::SetTerminationTarget(nullptr);
    EXPECT_EQ(msg.message, UINT(WM_QUIT)) << "the loop ends";
    EXPECT_EQ(dispatched, std::vector<UINT> { WM_CLOSE });
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(platform::TakeFault(), "(anonymous namespace)::AFaultWhoseNameNeedsMemory");
}

} // namespace
