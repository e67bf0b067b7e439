#include "platform/sound/dsound.h"

#include "platform/sound/sound_device.h"
#include "platform/sound/sound_probes.h"

// Our own identifiers: only their identity matters.
const GUID DSDEVID_DefaultPlayback = { 0x1d5a0001, 0x5eed, 0x0001, { 'p', 'l', 'a', 'y', 'b', 'a', 'c', 'k' } };
const GUID IID_IDirectSoundBuffer = { 0x1d5a0002, 0x5eed, 0x0001, { 'b', 'u', 'f', 'f', 'e', 'r', 0, 0 } };
const GUID IID_IDirectSoundBuffer8 = { 0x1d5a0003, 0x5eed, 0x0001, { 'b', 'u', 'f', 'f', 'e', 'r', 0, 8 } };

HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** sound, void* outer)
{
    if (!sound)
        return DSERR_INVALIDPARAM;
    *sound = nullptr;
    if (outer)
        return DSERR_INVALIDPARAM;
    if (device && !(*device == DSDEVID_DefaultPlayback))
        return DSERR_NODRIVER;
    HRESULT fault = platform::CurrentAudioFaults().create_device;
    if (FAILED(fault))
        return fault;
    *sound = new platform::SoundDevice();
    return DS_OK;
}
