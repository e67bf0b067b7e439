#include "voice_fixture.h"

namespace {

using soundtest::EncodeTone;

// First and last frame of the captured mix louder than a quiet hiss, and the longest quiet run between them.
struct Span {
    size_t first = SIZE_MAX, last = 0, longest_gap = 0;
};

Span Loud(const std::vector<int16_t>& stereo)
{
    Span span;
    size_t run = 0;
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::abs(stereo[2 * i]) > 2000) {
            if (span.first != SIZE_MAX)
                span.longest_gap = std::max(span.longest_gap, run);
            span.first = std::min(span.first, i);
            span.last = i;
            run = 0;
        } else {
            ++run;
        }
    }
    return span;
}

class MixedOutput : public soundtest::Voices {
protected:
    Span PlayAndCapture(const std::vector<BYTE>& ogg, bool loop, DWORD ms)
    {
        platform::AudioCapture capture;
        CSoundSystem& sound = *IMResourceManager::Instance();
        const DWORD id = Memory(sound, std::to_wstring(++count_), ogg);
        sound.Play(id, loop);
        RunFor(ms);
        sound.Stop(id);
        return Loud(capture.Samples());
    }
    int count_ = 0;
};

// 0.6 s of tone comes out as 0.6 s at 44100 Hz whatever its own rate and channels, including 11025 Hz stereo,
// whose half second of bytes is not a whole number of frames.
TEST_F(MixedOutput, ASoundPlayedThroughAVoiceKeepsItsLength)
{
    Open();
    for (auto [rate, channels] : { std::pair { 22050, 1 }, { 44100, 2 }, { 11025, 2 } }) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, channels " + std::to_string(channels));
        Span span = PlayAndCapture(EncodeTone(rate, channels, rate * 6 / 10), false, 2000);
        ASSERT_NE(span.first, SIZE_MAX);
        EXPECT_NEAR(static_cast<double>(span.last - span.first), 26460, 300);
        EXPECT_LT(span.longest_gap, 50u);
    }
}

TEST_F(MixedOutput, ALoopedSoundShorterThanAHalfRepeatsWithoutGaps)
{
    Open();
    Span span = PlayAndCapture(EncodeTone(44100, 2, 8820), true, 3000); // 0.2 s
    EXPECT_GT(span.last - span.first, 2u * 44100);
    EXPECT_LT(span.longest_gap, 50u);
}

} // namespace
