// The primary buffer only carries the mix format: the mixer always outputs 44100 Hz 16-bit stereo.
#pragma once

#include "platform/sound/com_object.h"
#include "platform/sound/sound_device.h"

namespace platform {

class PrimaryBuffer : public ComObject<IDirectSoundBuffer> {
public:
    explicit PrimaryBuffer(SoundDevice* device);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetCurrentPosition(DWORD*, DWORD*) override { return DSERR_INVALIDCALL; }
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT Stop() override;
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Restore() override { return DS_OK; }

private:
    ~PrimaryBuffer() override;

    SoundDevice* device_;
    std::atomic<bool> playing_ { false };
};

} // namespace platform
