// Consumes the mix at 44100 frames per second of the clock, so rings advance and one-shot ones end without a
// sound device. On the real clock a pacing thread keeps it going; on a manual clock it moves only when the
// mixer is read (a position or status), which keeps tests deterministic.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/sound/audio_output.h"
#include "platform/time/clock.h"

namespace platform {

class NullAudioOutput : public AudioOutput {
public:
    explicit NullAudioOutput(std::shared_ptr<Mixer> mixer);
    ~NullAudioOutput() override;
    const char* Name() const override { return "null"; }

private:
    // Runs under the mixer's pump lock.
    void CatchUp();
    void Pace();

    std::shared_ptr<Mixer> mixer_;
    ManualClock* clock_ = nullptr;
    int64_t start_ms_ = 0;
    int64_t mixed_frames_ = 0;
    std::vector<int16_t> scratch_;

    std::mutex pace_mutex_;
    std::condition_variable pace_wake_;
    bool stopping_ = false;
    std::thread pacer_;
};

} // namespace platform
