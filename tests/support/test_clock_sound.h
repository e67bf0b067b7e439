// Sound that follows the test clock: the null audio output, and a loop whose every pass waits for the streaming
// threads, so that runs repeat exactly.
#pragma once

#include <functional>

#include "platform/headless/headless_input.h"
#include "platform/testing/audio_test.h"
#include "platform/threads/sync.h"

class TestClockSound {
public:
    TestClockSound() = default;
    TestClockSound(const TestClockSound&) = delete;
    TestClockSound& operator=(const TestClockSound&) = delete;

    // From the next pass of the loop on; input must outlive this.
    void Start(platform::HeadlessInput& input)
    {
        platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
        settle_ = [this, &input] { platform::Settle(), input.At(1, settle_); };
        input.At(0, settle_);
    }

private:
    std::function<void()> settle_;
};
