// The mix played on SDL's audio device; SDL's audio thread pulls it through the callback.
#pragma once

#include <memory>

#include <SDL2/SDL_audio.h>

#include "platform/sound/audio_output.h"

namespace platform {

class SdlAudioOutput : public AudioOutput {
public:
    // Null when SDL's audio cannot start or no device opens.
    static std::unique_ptr<SdlAudioOutput> Open(const std::shared_ptr<Mixer>& mixer);
    ~SdlAudioOutput() override;
    const char* Name() const override { return "sdl"; }

private:
    explicit SdlAudioOutput(std::shared_ptr<Mixer> mixer)
        : mixer_(std::move(mixer))
    {
    }
    static void Callback(void* self, Uint8* stream, int bytes);

    std::shared_ptr<Mixer> mixer_;
    SDL_AudioDeviceID device_ = 0;
    // Only the callback, on SDL's audio thread, reads and writes it.
    bool failed_ = false;
};

// Makes SDL's audio device the output of sound devices created afterwards (the null output where it cannot open).
void InstallSdlAudioOutput();

} // namespace platform
