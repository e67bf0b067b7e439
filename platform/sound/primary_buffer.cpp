#include "platform/sound/primary_buffer.h"

#include "platform/sound/sound_probes.h"
#include "platform/sound/wave_format.h"

namespace platform {

PrimaryBuffer::PrimaryBuffer(SoundDevice* device)
    : device_(device)
{
    device_->AddRef();
}

PrimaryBuffer::~PrimaryBuffer()
{
    device_->Release();
}

HRESULT PrimaryBuffer::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IDirectSoundBuffer))
        return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSoundBuffer*>(this);
    return DS_OK;
}

HRESULT PrimaryBuffer::GetStatus(DWORD* status)
{
    if (!status)
        return DSERR_INVALIDPARAM;
    *status = playing_ ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::Play(DWORD reserved, DWORD, DWORD flags)
{
    if (reserved != 0 || !(flags & DSBPLAY_LOOPING))
        return DSERR_INVALIDPARAM;
    HRESULT fault = CurrentAudioFaults().primary_play;
    if (FAILED(fault))
        return fault;
    playing_ = true;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetFormat(const WAVEFORMATEX* format)
{
    if (device_->Level() < DSSCL_PRIORITY)
        return DSERR_PRIOLEVELNEEDED;
    HRESULT checked = CheckPcmFormat(format);
    if (FAILED(checked))
        return checked;
    HRESULT fault = CurrentAudioFaults().primary_format;
    return FAILED(fault) ? fault : DS_OK;
}

HRESULT PrimaryBuffer::Stop()
{
    playing_ = false;
    return DS_OK;
}

} // namespace platform
