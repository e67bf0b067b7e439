#include "platform/sound/secondary_buffer.h"

#include <algorithm>

#include "platform/sound/sound_probes.h"

namespace platform {

SecondaryBuffer::SecondaryBuffer(SoundDevice* device, Mixer::Voice* voice)
    : device_(device)
    , voice_(voice)
{
    device_->AddRef();
}

SecondaryBuffer::~SecondaryBuffer()
{
    device_->GetMixer()->RemoveVoice(voice_);
    device_->Release();
}

HRESULT SecondaryBuffer::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IDirectSoundBuffer8) && !(iid == IID_IDirectSoundBuffer))
        return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSoundBuffer8*>(this);
    return DS_OK;
}

HRESULT SecondaryBuffer::GetCurrentPosition(DWORD* play, DWORD* write)
{
    if (!play && !write)
        return DSERR_INVALIDPARAM;
    device_->GetMixer()->GetPositions(voice_, play, write);
    return DS_OK;
}

HRESULT SecondaryBuffer::GetStatus(DWORD* status)
{
    if (!status)
        return DSERR_INVALIDPARAM;
    *status = device_->GetMixer()->Status(voice_) | (lost_ ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
}

HRESULT SecondaryBuffer::Lock(
    DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags)
{
    if (!part1 || !bytes1)
        return DSERR_INVALIDPARAM;
    if (flags & DSBLOCK_FROMWRITECURSOR)
        device_->GetMixer()->GetPositions(voice_, nullptr, &offset);
    if (flags & DSBLOCK_ENTIREBUFFER)
        bytes = Size();
    if (offset >= Size() || bytes == 0 || bytes > Size())
        return DSERR_INVALIDPARAM;
    DWORD first = std::min(bytes, Size() - offset);
    DWORD second = bytes - first;
    if (second > 0 && (!part2 || !bytes2))
        return DSERR_INVALIDPARAM;
    if (lost_ || TakeLostLock()) {
        lost_ = true;
        return DSERR_BUFFERLOST;
    }
    *part1 = voice_->ring.data() + offset;
    *bytes1 = first;
    if (part2)
        *part2 = second > 0 ? voice_->ring.data() : nullptr;
    if (bytes2)
        *bytes2 = second;
    return DS_OK;
}

bool SecondaryBuffer::InRing(const void* part, DWORD bytes) const
{
    if (!part)
        return bytes == 0;
    auto* p = static_cast<const BYTE*>(part);
    const BYTE* begin = voice_->ring.data();
    return p >= begin && p <= begin + Size() && bytes <= static_cast<DWORD>(begin + Size() - p);
}

HRESULT SecondaryBuffer::Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2)
{
    if (!part1 || !InRing(part1, bytes1) || !InRing(part2, bytes2))
        return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT SecondaryBuffer::Play(DWORD reserved, DWORD, DWORD flags)
{
    if (reserved != 0)
        return DSERR_INVALIDPARAM;
    if (device_->Level() == 0)
        return DSERR_PRIOLEVELNEEDED;
    if (lost_)
        return DSERR_BUFFERLOST;
    device_->GetMixer()->Play(voice_, (flags & DSBPLAY_LOOPING) != 0);
    return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD position)
{
    if (position >= Size())
        return DSERR_INVALIDPARAM;
    device_->GetMixer()->SetPosition(voice_, position);
    return DS_OK;
}

HRESULT SecondaryBuffer::Stop()
{
    device_->GetMixer()->Stop(voice_);
    return DS_OK;
}

// The contents of a lost buffer are gone: it comes back as silence, to be filled again.
HRESULT SecondaryBuffer::Restore()
{
    if (lost_.exchange(false))
        device_->GetMixer()->Silence(voice_);
    return DS_OK;
}

} // namespace platform
