#include "platform/sdl/sdl_audio_output.h"

#include <cstring>

#include <SDL2/SDL.h>

#include "platform/system/thread_faults.h"

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

// Nothing may unwind into SDL's audio thread. After a fault the device plays silence, without asking the mixer
// again, while the program closes.
void SdlAudioOutput::Callback(void* self, Uint8* stream, int bytes)
{
    auto* output = static_cast<SdlAudioOutput*>(self);
    if (!output->failed_) {
        try {
            output->mixer_->Mix(reinterpret_cast<int16_t*>(stream), bytes / Mixer::kFrameBytes);
            return;
        } catch (...) {
            output->failed_ = true;
            ReportThreadFault();
        }
    }
    std::memset(stream, 0, static_cast<size_t>(bytes));
}

void InstallSdlAudioOutput()
{
    InstallAudioOutput([](const std::shared_ptr<Mixer>& mixer) -> std::unique_ptr<AudioOutput> {
        return SdlAudioOutput::Open(mixer);
    });
}

} // namespace platform
