// Where the mixed sound goes: the installed output (the program installs SDL's audio device), or the null output
// that consumes it by the clock.
#pragma once

#include <memory>

#include "platform/sound/mixer.h"

namespace platform {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual const char* Name() const = 0;
};

// Opens an output for a new device; null when it cannot.
using AudioOutputOpener = std::unique_ptr<AudioOutput> (*)(const std::shared_ptr<Mixer>& mixer);
// Applies to devices created afterwards.
void InstallAudioOutput(AudioOutputOpener opener);

// The installed opener's output, or the null output when there is none or it cannot open. Must be called on the
// thread that owns SDL.
std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<Mixer>& mixer);

} // namespace platform
