// Test controls of the sound device: which output a new device uses, injected faults and a capture of the
// mixed output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/sound_probes.h"

namespace platform {

// Device: SDL's audio device, falling back to the null output when it cannot be opened (the default).
// Null: always the null output, which consumes the rings at the pace of the clock (the test clock while one
// exists: reading a buffer's position or status first mixes everything due by then, in steps of 10 ms).
enum class AudioOutputChoice { Device, Null };
// Applies to devices created afterwards.
void ChooseAudioOutput(AudioOutputChoice choice);

void InjectAudioFaults(const AudioFaults& faults);
// Clears the faults, the mix tap and the output choice, and installs the output that honours ChooseAudioOutput.
void ResetAudioForTests();

// While it exists, every mixed frame (44100 Hz, interleaved stereo 16-bit) is kept.
class AudioCapture {
public:
    AudioCapture();
    ~AudioCapture();
    AudioCapture(const AudioCapture&) = delete;
    AudioCapture& operator=(const AudioCapture&) = delete;

    std::vector<int16_t> Samples() const;
    size_t Frames() const;
    void Clear();

private:
    struct Store;
    std::shared_ptr<Store> store_;
};

} // namespace platform
