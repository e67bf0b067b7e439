#include "platform/sound/audio_output.h"

#include "platform/headless/null_audio_output.h"
#include "platform/sdl/sdl_audio_output.h"
#include "platform/testing/audio_hooks.h"

namespace platform {

std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<Mixer>& mixer)
{
    if (CurrentAudioOutputChoice() == AudioOutputChoice::Device)
        if (auto output = SdlAudioOutput::Open(mixer))
            return output;
    return std::make_unique<NullAudioOutput>(mixer);
}

} // namespace platform
