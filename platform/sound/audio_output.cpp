#include "platform/sound/audio_output.h"

#include <atomic>

#include "platform/sound/null_audio_output.h"

namespace platform {
namespace {

std::atomic<AudioOutputOpener> g_opener { nullptr };

} // namespace

void InstallAudioOutput(AudioOutputOpener opener)
{
    g_opener = opener;
}

std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<Mixer>& mixer)
{
    if (AudioOutputOpener opener = g_opener)
        if (auto output = opener(mixer))
            return output;
    return std::make_unique<NullAudioOutput>(mixer);
}

} // namespace platform
