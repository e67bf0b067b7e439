// A ring of PCM in its own format, played by the device's mixer.
#pragma once

#include "platform/sound/com_object.h"
#include "platform/sound/sound_device.h"

namespace platform {

class SecondaryBuffer : public ComObject<IDirectSoundBuffer8> {
public:
    SecondaryBuffer(SoundDevice* device, Mixer::Voice* voice);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(
        DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }
    HRESULT Stop() override;
    HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override;
    HRESULT Restore() override;

private:
    ~SecondaryBuffer() override;
    DWORD Size() const { return static_cast<DWORD>(voice_->ring.size()); }
    bool InRing(const void* part, DWORD bytes) const;

    SoundDevice* device_;
    Mixer::Voice* voice_;
    // A lost buffer refuses Lock and Play until Restore; it keeps playing meanwhile, so streams still end.
    std::atomic<bool> lost_ { false };
};

} // namespace platform
