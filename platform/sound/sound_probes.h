// What can be steered and observed of the sound device from outside it: failures it is told to report, the name
// of the output in use and a tap on the mixed output. The program sets none of them; they let a caller reach the
// device's error paths and hear what it plays.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32.h"

namespace platform {

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
void SetAudioFaults(const AudioFaults& faults);
AudioFaults CurrentAudioFaults();
// Each takes one counted fault when there is one.
bool TakeSecondaryFailure();
bool TakeLostLock();

// "sdl" or "null" for the output of the newest device still alive; empty without one.
void SetActiveAudioOutput(const std::string& name);
std::string ActiveAudioOutput();

// Receives every mixed block (44100 Hz, interleaved stereo 16-bit) on the mixing thread; an empty tap receives
// nothing.
using MixTap = std::function<void(const int16_t* samples, int frames)>;
void SetMixTap(MixTap tap);
void TapMix(const int16_t* samples, int frames);

} // namespace platform
