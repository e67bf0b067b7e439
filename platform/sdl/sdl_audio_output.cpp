#include "platform/sdl/sdl_audio_output.h"

#include <SDL2/SDL.h>

namespace platform {

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Open(const std::shared_ptr<Mixer>& mixer)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;
    std::unique_ptr<SdlAudioOutput> output(new SdlAudioOutput(mixer));
    SDL_AudioSpec want {};
    want.freq = Mixer::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = Mixer::kChannels;
    want.samples = 1024;
    want.callback = &SdlAudioOutput::Callback;
    want.userdata = output.get();
    // No changes allowed: SDL converts to whatever the hardware takes.
    output->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (output->device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(output->device_, 0);
    return output;
}

SdlAudioOutput::~SdlAudioOutput()
{
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioOutput::Callback(void* self, Uint8* stream, int bytes)
{
    auto* output = static_cast<SdlAudioOutput*>(self);
    output->mixer_->Mix(reinterpret_cast<int16_t*>(stream), bytes / Mixer::kFrameBytes);
}

void InstallSdlAudioOutput()
{
    InstallAudioOutput([](const std::shared_ptr<Mixer>& mixer) -> std::unique_ptr<AudioOutput> {
        return SdlAudioOutput::Open(mixer);
    });
}

} // namespace platform
