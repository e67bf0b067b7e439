#include "platform/sound/sound_device.h"

#include "platform/sound/primary_buffer.h"
#include "platform/sound/secondary_buffer.h"
#include "platform/sound/sound_probes.h"
#include "platform/sound/wave_format.h"

namespace platform {
namespace {

bool KnownDescSize(DWORD size)
{
    return size == 20 || size == 36 || size == sizeof(DSBUFFERDESC);
}

} // namespace

SoundDevice::SoundDevice()
    : mixer_(std::make_shared<Mixer>())
    , output_(OpenAudioOutput(mixer_))
{
    SetActiveAudioOutput(output_->Name());
}

SoundDevice::~SoundDevice()
{
    output_.reset();
    SetActiveAudioOutput("");
}

HRESULT SoundDevice::SetCooperativeLevel(HWND window, DWORD level)
{
    if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
        return DSERR_INVALIDPARAM;
    AudioFaults faults = CurrentAudioFaults();
    HRESULT refusal = level == DSSCL_NORMAL ? faults.normal_level : faults.priority_level;
    if (FAILED(refusal))
        return refusal;
    level_ = level;
    return DS_OK;
}

HRESULT SoundDevice::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer)
{
    if (!buffer)
        return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (!desc || outer || !KnownDescSize(desc->dwSize))
        return DSERR_INVALIDPARAM;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER)
        return CreatePrimary(*desc, buffer);
    return CreateSecondary(*desc, buffer);
}

HRESULT SoundDevice::CreatePrimary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer)
{
    if (desc.dwBufferBytes != 0 || desc.lpwfxFormat)
        return DSERR_INVALIDPARAM;
    HRESULT fault = CurrentAudioFaults().primary_create;
    if (FAILED(fault))
        return fault;
    *buffer = new PrimaryBuffer(this);
    return DS_OK;
}

HRESULT SoundDevice::CreateSecondary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer)
{
    HRESULT format = CheckPcmFormat(desc.lpwfxFormat);
    if (FAILED(format))
        return format;
    DWORD bytes = desc.dwBufferBytes;
    if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX || bytes % desc.lpwfxFormat->nBlockAlign != 0)
        return DSERR_INVALIDPARAM;
    if (TakeSecondaryFailure())
        return DSERR_OUTOFMEMORY;
    Mixer::Voice* voice = mixer_->AddVoice(*desc.lpwfxFormat, bytes);
    if (!voice)
        return DSERR_BADFORMAT;
    *buffer = new SecondaryBuffer(this, voice);
    return DS_OK;
}

} // namespace platform
