// The program's one sound system: the device, the voices by id and the sources by sound name. Everything here runs
// on the user-interface thread; streaming threads report only through the four registered messages posted to the
// main window, which the window procedure hands back here.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/sound/sound_source.h"
#include "engine/sound/sound_stream.h"
#include "engine/window/sound_messages.h"

class CSoundSystem : public IMSoundMessageSink {
public:
    CSoundSystem() = default;
    // Stops every voice and waits for its thread, then drops the sources and the device.
    virtual ~CSoundSystem();
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;

    // 0 on success. Registers the messages, opens the default device at the priority level with a 44100 Hz
    // stereo primary buffer, or at the normal level without one; otherwise the HRESULT of the failure, and voices
    // made afterwards cannot play (they end at once).
    HRESULT Init(HWND window);

    // A decimal resource id (its low 16 bits), or else a file path. 0 when the sound cannot be opened.
    // A name asked for again gives the same voice, whose earlier end callbacks are dropped.
    DWORD CreateVoiceFromResource(const std::wstring& name);
    // data: a whole Ogg Vorbis stream that outlives the sound system; name: the cache key only.
    DWORD CreateVoiceFromMemory(const std::wstring& name, const void* data, DWORD size);

    // True when the id names a voice (whatever the voice made of the request).
    bool Play(DWORD id, bool loop);
    bool Stop(DWORD id);
    // The voice's finished signal; an empty connection when the id names no voice.
    template <CVoiceSlot F> im::Connection Connect(DWORD id, F&& slot)
    {
        CSoundStream* voice = FindVoice(id);
        return voice ? voice->ConnectFinished(std::forward<F>(slot)) : im::Connection();
    }
    // A label at time ms after each start until it has fired once; the slot gets (id, time) and stays connected.
    template <CLabelSlot F> void AddLabel(DWORD id, DWORD time, F&& slot)
    {
        if (CSoundStream* voice = FindVoice(id)) {
            voice->AddLabelTime(time);
            voice->ConnectLabel(time, std::forward<F>(slot));
        }
    }
    // For a caller that waits for the end of a voice that does not exist (id 0 from a failed creation, so Play
    // returned false): runs slot(id) on a later pass of the message loop, as a finished signal would.
    void LeadOn(DWORD id, std::function<long(DWORD)> slot);

    // Null for 0 and for ids that name no voice.
    CSoundStream* FindVoice(DWORD id) const;
    HWND GetSoundWindow() const { return sound_window_; }
    IDirectSound8* GetSoundDevice() const { return sound_device_; }
    const IMSoundMessageNumbers& GetMessageNumbers() const { return messages_; }

    // The window's dispatch of the four messages.
    void OnVoiceStarted(DWORD voice_id) override;
    void OnVoiceFinished(DWORD voice_id) override;
    void OnVoiceStopped(DWORD voice_id) override;
    // wParam: voice id; lParam: label time in ms.
    void OnLabelMessage(WPARAM wParam, LPARAM lParam) override;

private:
    struct CacheEntry {
        std::unique_ptr<CSoundSource> source;
        std::wstring name;
    };

    bool CreatePrimaryBuffer();
    DWORD CreateVoice(const std::wstring& name, const std::function<bool(CSoundSource&)>& open);
    CSoundStream* VoiceOf(const CSoundSource* source) const;

    std::map<DWORD, std::unique_ptr<CSoundStream>> voices_;
    std::vector<CacheEntry> cache_;
    IDirectSound8* sound_device_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    DWORD last_id_ = 0;
    HWND sound_window_ = nullptr;
    IMSoundMessageNumbers messages_;
    std::deque<std::pair<DWORD, std::function<long(DWORD)>>> lead_ons_;
};
