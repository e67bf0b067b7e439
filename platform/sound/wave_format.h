#pragma once

#include "platform/sound/dsound.h"

namespace platform {

// DS_OK for PCM of 1 or 2 channels, 8 or 16 bits, a rate the device takes, and consistent block and byte rate;
// DSERR_BADFORMAT for another encoding or layout, DSERR_INVALIDPARAM for a missing or inconsistent one.
HRESULT CheckPcmFormat(const WAVEFORMATEX* format);

// Interleaved PCM with whole-frame block alignment and the matching byte rate.
WAVEFORMATEX PcmFormat(DWORD rate, WORD channels, WORD bits = 16);

} // namespace platform
