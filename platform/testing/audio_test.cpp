#include "platform/testing/audio_test.h"

#include <atomic>
#include <mutex>

#include "platform/sdl/sdl_audio_output.h"

namespace platform {
namespace {

std::atomic<AudioOutputChoice> g_choice { AudioOutputChoice::Device };

std::unique_ptr<AudioOutput> OpenChosenOutput(const std::shared_ptr<Mixer>& mixer)
{
    if (g_choice == AudioOutputChoice::Device)
        return SdlAudioOutput::Open(mixer);
    return nullptr;
}

} // namespace

void ChooseAudioOutput(AudioOutputChoice choice)
{
    g_choice = choice;
}

void InjectAudioFaults(const AudioFaults& faults)
{
    SetAudioFaults(faults);
}

void ResetAudioForTests()
{
    SetAudioFaults(AudioFaults {});
    SetMixTap(nullptr);
    g_choice = AudioOutputChoice::Device;
    InstallAudioOutput(OpenChosenOutput);
}

struct AudioCapture::Store {
    std::mutex mutex;
    std::vector<int16_t> samples;
};

AudioCapture::AudioCapture()
    : store_(std::make_shared<Store>())
{
    SetMixTap([store = store_](const int16_t* samples, int frames) {
        std::lock_guard<std::mutex> lock(store->mutex);
        store->samples.insert(store->samples.end(), samples, samples + static_cast<size_t>(frames) * 2);
    });
}

AudioCapture::~AudioCapture()
{
    SetMixTap(nullptr);
}

std::vector<int16_t> AudioCapture::Samples() const
{
    std::lock_guard<std::mutex> lock(store_->mutex);
    return store_->samples;
}

size_t AudioCapture::Frames() const
{
    std::lock_guard<std::mutex> lock(store_->mutex);
    return store_->samples.size() / 2;
}

void AudioCapture::Clear()
{
    std::lock_guard<std::mutex> lock(store_->mutex);
    store_->samples.clear();
}

} // namespace platform
