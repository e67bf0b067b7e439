#include "sound_fixture.h"

namespace {

using soundtest::Pcm;

class Playback : public soundtest::NullDevice {
protected:
    // Advances the clock in 10 ms steps, reading the status each time, until the buffer stops (or the limit).
    int RunUntilStopped(IDirectSoundBuffer* b, int limit_ms)
    {
        int ms = 0;
        while (ms < limit_ms && (Status(b) & DSBSTATUS_PLAYING)) {
            clock.Advance(10);
            ms += 10;
        }
        return ms;
    }
};

std::vector<int16_t> Sine(DWORD rate, int channels, double hz, double seconds, double amplitude = 12000)
{
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<int16_t> samples;
    for (size_t i = 0; i < frames; ++i) {
        auto v = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c)
            samples.push_back(v);
    }
    return samples;
}

// Frames of the capture from the first to the last one louder than the threshold, on one channel.
std::pair<size_t, size_t> Loud(const std::vector<int16_t>& stereo, int channel, int threshold = 2000)
{
    size_t first = SIZE_MAX, last = 0;
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::abs(stereo[i * 2 + channel]) > threshold) {
            first = std::min(first, i);
            last = i;
        }
    }
    return { first, last };
}

double Frequency(const std::vector<int16_t>& stereo, int channel, size_t first, size_t last)
{
    int crossings = 0;
    size_t first_crossing = 0, last_crossing = 0;
    for (size_t i = first + 1; i <= last; ++i) {
        if ((stereo[(i - 1) * 2 + channel] < 0) != (stereo[i * 2 + channel] < 0)) {
            if (crossings == 0)
                first_crossing = i;
            last_crossing = i;
            ++crossings;
        }
    }
    return (crossings - 1) / 2.0 * 44100.0 / static_cast<double>(last_crossing - first_crossing);
}

TEST_F(Playback, PlayCursorFollowsTheClockAndWrapsWhileLooping)
{
    IDirectSoundBuffer8* b = Make(Pcm(44100, 2), 176400);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(PlayCursor(b), 0u);

    clock.Advance(100);
    DWORD play = 0, write = 0;
    b->GetCurrentPosition(&play, &write);
    EXPECT_NEAR(static_cast<double>(play), 17640, 64);
    EXPECT_EQ(play % 4, 0u);
    EXPECT_GE(write, play);
    EXPECT_LT(write - play, 4096u);

    for (int i = 0; i < 100; ++i)
        clock.Advance(10);
    EXPECT_NEAR(static_cast<double>(PlayCursor(b)), 17640, 64); // once round the one-second ring
    EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

    EXPECT_EQ(b->Stop(), DS_OK);
    DWORD stopped = PlayCursor(b);
    clock.Advance(200);
    EXPECT_EQ(PlayCursor(b), stopped);
    EXPECT_EQ(Status(b), 0u);

    EXPECT_EQ(b->SetCurrentPosition(88202), DS_OK);
    EXPECT_EQ(PlayCursor(b), 88200u); // whole frames only
}

TEST_F(Playback, HalfRateMonoCursorMovesAtItsOwnRate)
{
    IDirectSoundBuffer8* b = Make(Pcm(22050, 1), 44100);
    ASSERT_NE(b, nullptr);
    b->Play(0, 0, DSBPLAY_LOOPING);
    clock.Advance(500);
    EXPECT_NEAR(static_cast<double>(PlayCursor(b)), 22050, 64);
}

TEST_F(Playback, OneShotStopsAtTheEndWhileLoopingGoesOn)
{
    IDirectSoundBuffer8* once = Make(Pcm(22050, 2), 22050 * 4 / 5); // 200 ms
    IDirectSoundBuffer8* looped = Make(Pcm(22050, 2), 22050 * 4 / 5);
    ASSERT_TRUE(once && looped);
    once->Play(0, 0, 0);
    looped->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(Status(once), DSBSTATUS_PLAYING);

    int heard = RunUntilStopped(once, 2000);
    EXPECT_GE(heard, 200);
    EXPECT_LE(heard, 220);
    EXPECT_EQ(Status(once), 0u);
    EXPECT_EQ(PlayCursor(once), 0u);
    EXPECT_EQ(Status(looped), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

    // Played again it runs through once more.
    once->Play(0, 0, 0);
    heard = RunUntilStopped(once, 2000);
    EXPECT_GE(heard, 200);
    EXPECT_LE(heard, 220);
}

TEST_F(Playback, PlayNeedsACooperativeLevel)
{
    IDirectSound8* fresh = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &fresh, nullptr), DS_OK);
    WAVEFORMATEX f = Pcm(22050, 1);
    DSBUFFERDESC desc;
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwBufferBytes = 4410;
    desc.lpwfxFormat = &f;
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(fresh->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    EXPECT_EQ(b->Play(0, 0, 0), DSERR_PRIOLEVELNEEDED);
    b->Release();
    fresh->Release();
}

// A 441 Hz tone of 300 ms comes out at 44100 Hz stereo with the same pitch and length, whatever its rate.
class ToneThroughMixer : public Playback, public ::testing::WithParamInterface<std::tuple<DWORD, int>> { };

TEST_P(ToneThroughMixer, KeepsPitchAndLength)
{
    auto [rate, channels] = GetParam();
    std::vector<int16_t> tone = Sine(rate, channels, 441.0, 0.3);
    DWORD bytes = static_cast<DWORD>(tone.size() * 2);
    IDirectSoundBuffer8* b = Make(Pcm(rate, static_cast<WORD>(channels)), bytes);
    ASSERT_NE(b, nullptr);
    Fill(b, 0, tone.data(), bytes);

    platform::AudioCapture capture;
    b->Play(0, 0, 0);
    RunUntilStopped(b, 2000);
    clock.Advance(50);
    Status(b);
    std::vector<int16_t> out = capture.Samples();

    for (int channel = 0; channel < 2; ++channel) {
        auto [first, last] = Loud(out, channel);
        ASSERT_NE(first, SIZE_MAX);
        EXPECT_LT(first, 10u); // starts at once
        EXPECT_NEAR(static_cast<double>(last - first), 0.3 * 44100, 0.3 * 44100 * 0.01);
        EXPECT_NEAR(Frequency(out, channel, first, last), 441.0, 441.0 * 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, ToneThroughMixer,
    ::testing::Values(std::tuple<DWORD, int> { 11025, 2 }, std::tuple<DWORD, int> { 22050, 1 },
        std::tuple<DWORD, int> { 44000, 2 }, std::tuple<DWORD, int> { 44100, 2 }));

TEST_F(Playback, TwoBuffersAreSummedWithSaturation)
{
    std::vector<int16_t> loud(4410 * 2, 30000);
    IDirectSoundBuffer8* a = Make(Pcm(44100, 2), 4410 * 4);
    IDirectSoundBuffer8* b = Make(Pcm(44100, 2), 4410 * 4);
    ASSERT_TRUE(a && b);
    Fill(a, 0, loud.data(), 4410 * 4);
    Fill(b, 0, loud.data(), 4410 * 4);
    platform::AudioCapture capture;
    a->Play(0, 0, DSBPLAY_LOOPING);
    b->Play(0, 0, DSBPLAY_LOOPING);
    clock.Advance(50);
    Status(a);
    std::vector<int16_t> out = capture.Samples();
    ASSERT_EQ(out.size(), 2205u * 2);
    EXPECT_EQ(out[1000], INT16_MAX);
}

TEST_F(Playback, EightBitUnsignedSilenceIsSilent)
{
    IDirectSoundBuffer8* b = Make(Pcm(8000, 1, 8), 8000);
    ASSERT_NE(b, nullptr);
    platform::AudioCapture capture;
    b->Play(0, 0, DSBPLAY_LOOPING);
    clock.Advance(100);
    Status(b);
    auto [first, last] = Loud(capture.Samples(), 0, 300);
    EXPECT_EQ(first, SIZE_MAX);
    EXPECT_EQ(capture.Frames(), 4410u);
}

} // namespace
