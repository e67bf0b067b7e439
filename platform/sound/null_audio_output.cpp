#include "platform/sound/null_audio_output.h"

#include <algorithm>

#include "platform/system/thread_faults.h"
#include "platform/time/clock.h"

namespace platform {
namespace {

constexpr int64_t kStepFrames = Mixer::kRate / 100;

} // namespace

NullAudioOutput::NullAudioOutput(std::shared_ptr<Mixer> mixer)
    : mixer_(std::move(mixer))
    , clock_(CurrentManualClock())
    , start_ms_(NowMs())
{
    scratch_.resize(kStepFrames * Mixer::kChannels);
    mixer_->SetPump([this] { CatchUp(); });
    if (!clock_)
        pacer_ = std::thread([this] { Pace(); });
}

NullAudioOutput::~NullAudioOutput()
{
    {
        std::lock_guard<std::mutex> lock(pace_mutex_);
        stopping_ = true;
    }
    pace_wake_.notify_all();
    if (pacer_.joinable())
        pacer_.join();
    mixer_->SetPump(nullptr);
}

void NullAudioOutput::CatchUp()
{
    ManualClock* clock = CurrentManualClock();
    int64_t now = NowMs();
    if (clock != clock_) {
        // The clock source changed: start counting again from here.
        clock_ = clock;
        start_ms_ = now;
        mixed_frames_ = 0;
    }
    int64_t due = (now - start_ms_) * Mixer::kRate / 1000;
    // On the real clock a stalled process skips what it missed rather than rushing through it.
    if (!clock_ && due - mixed_frames_ > Mixer::kRate)
        mixed_frames_ = due - Mixer::kRate;
    while (mixed_frames_ < due) {
        int64_t frames = std::min(kStepFrames, due - mixed_frames_);
        mixer_->Mix(scratch_.data(), static_cast<int>(frames));
        mixed_frames_ += frames;
    }
}

// A fault in the mix ends the pacing: it is reported, and the program closes.
void NullAudioOutput::Pace()
{
    try {
        std::unique_lock<std::mutex> lock(pace_mutex_);
        while (!stopping_) {
            lock.unlock();
            mixer_->Pump();
            lock.lock();
            pace_wake_.wait_for(lock, std::chrono::milliseconds(5));
        }
    } catch (...) {
        ReportThreadFault();
    }
}

} // namespace platform
