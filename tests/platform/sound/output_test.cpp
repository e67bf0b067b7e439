#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/sound/mixer.h"
#include "platform/system/thread_faults.h"
#include "sound_fixture.h"
#include "tests/support/own_folder.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;
using soundtest::Pcm;

// Waits in real time (bounded) for the buffer to stop playing.
bool StopsWithin(IDirectSoundBuffer* b, int limit_ms)
{
    for (int ms = 0; ms < limit_ms; ms += 5) {
        DWORD status = 0;
        b->GetStatus(&status);
        if (!(status & DSBSTATUS_PLAYING))
            return true;
        Sleep(5);
    }
    return false;
}

IDirectSoundBuffer* MakeTone(IDirectSound8* device, DWORD frames)
{
    WAVEFORMATEX f = Pcm(22050, 1);
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwBufferBytes = frames * 2;
    desc.lpwfxFormat = &f;
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    void *p1, *p2;
    DWORD n1, n2;
    EXPECT_EQ(b->Lock(0, frames * 2, &p1, &n1, &p2, &n2, 0), DS_OK);
    auto* samples = static_cast<int16_t*>(p1);
    for (DWORD i = 0; i < frames; ++i)
        samples[i] = (i / 25) % 2 ? 8000 : -8000; // 441 Hz square wave
    b->Unlock(p1, n1, p2, n2);
    return b;
}

// SDL's own audio thread pulls the mix through the real back end (the test environment's dummy driver).
TEST(AudioOutput, SdlDeviceIsOpenedAndPullsTheMix)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0); // headless: SDL's dummy driver, unless the run chose another
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
    EXPECT_EQ(platform::ActiveAudioOutput(), "sdl");
    ASSERT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_PRIORITY), DS_OK);

    platform::AudioCapture capture;
    IDirectSoundBuffer* b = MakeTone(device, 2205); // 100 ms
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_TRUE(StopsWithin(b, 3000));
    EXPECT_GE(capture.Frames(), 4410u);
    std::vector<int16_t> out = capture.Samples();
    int loud = 0;
    for (int16_t s : out)
        loud += std::abs(s) > 4000;
    EXPECT_GT(loud, 2 * 4000); // both channels of most of the 4410 frames of the tone
    b->Release();
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(platform::ActiveAudioOutput(), "");
}

// Without a device the null output still consumes the rings by real time, so one-shot buffers end.
TEST(AudioOutput, NullOutputOnTheRealClockEndsBuffers)
{
    platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
    EXPECT_EQ(platform::ActiveAudioOutput(), "null");
    ASSERT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_NORMAL), DS_OK);
    IDirectSoundBuffer* b = MakeTone(device, 2205);
    DWORD start = timeGetTime();
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_TRUE(StopsWithin(b, 3000));
    EXPECT_GE(timeGetTime() - start, 95u); // not before the sound's own length
    b->Release();
    device->Release();
    platform::ResetAudioForTests();
}

// Whether the samples hold some of the tone MakeTone writes.
bool HoldsTone(const int16_t* samples, size_t count)
{
    return std::any_of(samples, samples + count, [](int16_t s) { return std::abs(s) > 4000; });
}

// A tap that lets `passed` loud blocks through and then throws once, off the test's own thread.
platform::MixTap BreakAfterLoudBlocks(int passed)
{
    return [test = std::this_thread::get_id(), passed](const int16_t* samples, int frames) mutable {
        if (std::this_thread::get_id() == test || passed < 0)
            return;
        if (!HoldsTone(samples, 2 * size_t(frames)))
            return;
        if (passed-- == 0)
            throw std::runtime_error("the mix broke");
    };
}

std::string AwaitThreadFault()
{
    std::string fault;
    testing_support::WaitUntil([&] { return !(fault = platform::TakeFault()).empty(); });
    return fault;
}

// SDL's disk driver writes what the device plays into a file: from the block the mix broke in on, it is silence,
// and the mixer is not asked again, though the tone loops on.
TEST(AudioOutput, AFaultInTheMixOnTheDeviceThreadIsReportedAndTheDeviceGoesSilent)
{
    testing_support::ScratchFolder folder;
    const fs::path played = folder.path() / "played.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    platform::SetMixTap(BreakAfterLoudBlocks(2));
    IDirectSound8* device = nullptr;
    const HRESULT created = DirectSoundCreate8(nullptr, &device, nullptr);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_EQ(created, DS_OK);
    ASSERT_EQ(platform::ActiveAudioOutput(), "sdl");
    ASSERT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_PRIORITY), DS_OK);
    IDirectSoundBuffer* b = MakeTone(device, 2205);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

    EXPECT_EQ(AwaitThreadFault(), "std::runtime_error: the mix broke");
    const auto broke_at = fs::file_size(played);
    constexpr uintmax_t kBlockBytes = 1024 * platform::Mixer::kFrameBytes;
    EXPECT_TRUE(testing_support::WaitUntil([&] { return fs::file_size(played) > broke_at + 8 * kBlockBytes; }));
    b->Release();
    EXPECT_EQ(device->Release(), 0u);
    platform::SetMixTap(nullptr);

    std::ifstream file(played, std::ios::binary);
    const std::string bytes { std::istreambuf_iterator<char>(file), {} };
    int loud_blocks = 0;
    for (size_t at = 0; at + kBlockBytes <= bytes.size(); at += kBlockBytes) {
        const auto* samples = reinterpret_cast<const int16_t*>(bytes.data() + at);
        loud_blocks += HoldsTone(samples, kBlockBytes / 2);
    }
    EXPECT_EQ(loud_blocks, 2) << "only the blocks mixed before the fault; " << bytes.size() << " bytes played";
}

// Without a device, the null output's own thread paces the mix on the real clock: a fault there is reported too.
TEST(AudioOutput, AFaultInTheMixOnTheNullOutputsPacingThreadIsReported)
{
    platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
    platform::SetMixTap(BreakAfterLoudBlocks(0));
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
    ASSERT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_NORMAL), DS_OK);
    IDirectSoundBuffer* b = MakeTone(device, 2205);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(AwaitThreadFault(), "std::runtime_error: the mix broke");
    b->Release();
    device->Release();
    platform::SetMixTap(nullptr);
    platform::ResetAudioForTests();
}

} // namespace
