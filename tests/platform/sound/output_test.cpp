#include <cstdlib>

#include "sound_fixture.h"

namespace {

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

} // namespace
