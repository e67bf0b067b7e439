// What the device reads of the test controls in platform/testing/audio_test.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/testing/audio_test.h"

namespace platform {

AudioFaults CurrentAudioFaults();
// Each takes one counted fault when there is one.
bool TakeSecondaryFailure();
bool TakeLostLock();

AudioOutputChoice CurrentAudioOutputChoice();
void SetActiveAudioOutput(const std::string& name);

void AppendCapture(const int16_t* samples, int frames);

} // namespace platform
