// The device behind DirectSoundCreate8: the cooperative level, the mixer and its output.
#pragma once

#include <memory>

#include "platform/sound/audio_output.h"
#include "platform/sound/com_object.h"

namespace platform {

class SoundDevice : public ComObject<IDirectSound8> {
public:
    SoundDevice();
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;

    DWORD Level() const { return level_; }
    const std::shared_ptr<Mixer>& GetMixer() const { return mixer_; }

private:
    ~SoundDevice() override;
    HRESULT CreatePrimary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer);
    HRESULT CreateSecondary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer);

    std::atomic<DWORD> level_ { 0 };
    std::shared_ptr<Mixer> mixer_;
    std::unique_ptr<AudioOutput> output_;
};

} // namespace platform
