// Where the mixed sound goes: SDL's audio device, or the null output that consumes it by the clock.
#pragma once

#include <memory>

#include "platform/sound/mixer.h"

namespace platform {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual const char* Name() const = 0;
};

// Honours the test controls' choice; the device output falls back to the null output when it cannot open.
// Must be called on the thread that owns SDL.
std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<Mixer>& mixer);

} // namespace platform
