// Test controls of the sound device: which output a new device uses, injected faults and a capture of the
// mixed output. The program itself never calls these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

// Device: SDL's audio device, falling back to the null output when it cannot be opened (the default).
// Null: always the null output, which consumes the rings at the pace of the clock (the test clock while one
// exists: reading a buffer's position or status first mixes everything due by then, in steps of 10 ms).
enum class AudioOutputChoice { Device, Null };
// Applies to devices created afterwards.
void ChooseAudioOutput(AudioOutputChoice choice);
// "sdl" or "null" for the output of the newest device still alive; empty without one.
std::string ActiveAudioOutput();

// Failures to report; S_OK means none. Counted faults are used up one per call they fail.
struct AudioFaults {
    HRESULT create_device = S_OK; // DirectSoundCreate8
    HRESULT priority_level = S_OK; // SetCooperativeLevel at DSSCL_PRIORITY or above
    HRESULT normal_level = S_OK; // SetCooperativeLevel at DSSCL_NORMAL
    HRESULT primary_create = S_OK; // CreateSoundBuffer of the primary buffer
    HRESULT primary_format = S_OK; // SetFormat of the primary buffer
    HRESULT primary_play = S_OK; // Play of the primary buffer
    int secondary_failures = 0; // the next n secondary buffers are refused (DSERR_OUTOFMEMORY)
    int lost_locks = 0; // the next n Locks of secondary buffers find their buffer lost
};
void InjectAudioFaults(const AudioFaults& faults);
// Clears the faults and the output choice.
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
};

} // namespace platform
