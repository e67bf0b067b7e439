#include "engine/sound/sound_system.h"

#include "platform/sound/wave_format.h"
#include "platform/window/window.h"

CSoundSystem::~CSoundSystem()
{
    if (GetSoundMessageSink() == this)
        SetSoundMessageSink(nullptr);
    voices_.clear();
    cache_.clear();
    if (primary_) {
        primary_->Stop();
        primary_->Release();
    }
    if (sound_device_)
        sound_device_->Release();
}

HRESULT CSoundSystem::Init(HWND window)
{
    if (sound_device_)
        return DSERR_ALLOCATED;
    sound_window_ = window;
    messages_ = SoundMessageNumbers();
    SetSoundMessageSink(this);
    HRESULT hr = DirectSoundCreate8(&DSDEVID_DefaultPlayback, &sound_device_, nullptr);
    if (FAILED(hr)) {
        sound_device_ = nullptr;
        return hr;
    }
    if (SUCCEEDED(sound_device_->SetCooperativeLevel(window, DSSCL_PRIORITY)) && CreatePrimaryBuffer())
        return S_OK;
    hr = sound_device_->SetCooperativeLevel(window, DSSCL_NORMAL);
    if (SUCCEEDED(hr))
        return S_OK;
    sound_device_->Release();
    sound_device_ = nullptr;
    return hr;
}

// The primary buffer only sets the mix format; it is kept playing so the device stays awake.
bool CSoundSystem::CreatePrimaryBuffer()
{
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    if (FAILED(sound_device_->CreateSoundBuffer(&desc, &primary_, nullptr))) {
        primary_ = nullptr;
        return false;
    }
    WAVEFORMATEX format = platform::PcmFormat(44100, 2);
    if (SUCCEEDED(primary_->SetFormat(&format)) && SUCCEEDED(primary_->Play(0, 0, DSBPLAY_LOOPING)))
        return true;
    primary_->Release();
    primary_ = nullptr;
    return false;
}

CSoundStream* CSoundSystem::FindVoice(DWORD id) const
{
    auto it = id ? voices_.find(id) : voices_.end();
    return it == voices_.end() ? nullptr : it->second.get();
}

CSoundStream* CSoundSystem::VoiceOf(const CSoundSource* source) const
{
    for (const auto& [id, voice] : voices_)
        if (voice->GetSource() == source)
            return voice.get();
    return nullptr;
}

// One source and at most one voice per sound name; ids run from 1 and are never handed out twice.
DWORD CSoundSystem::CreateVoice(const std::wstring& name, const std::function<bool(CSoundSource&)>& open)
{
    CSoundSource* source = nullptr;
    for (const CacheEntry& entry : cache_)
        if (entry.name == name)
            source = entry.source.get();
    if (source) {
        if (CSoundStream* voice = VoiceOf(source)) {
            voice->DropFinishedSlots();
            return voice->GetId();
        }
    } else {
        auto made = std::make_unique<CSoundSource>();
        if (!open(*made))
            return 0;
        source = made.get();
        cache_.push_back(CacheEntry { std::move(made), name });
    }
    const DWORD id = ++last_id_;
    if (id == 0 || voices_.count(id))
        return 0;
    voices_[id] = std::make_unique<CSoundStream>(this, source, id);
    return id;
}

DWORD CSoundSystem::CreateVoiceFromResource(const std::wstring& name)
{
    return CreateVoice(name, [&name](CSoundSource& source) { return source.OpenResourceByName(name); });
}

DWORD CSoundSystem::CreateVoiceFromMemory(const std::wstring& name, const void* data, DWORD size)
{
    return CreateVoice(name, [data, size](CSoundSource& source) { return source.OpenMemory(data, size); });
}

bool CSoundSystem::Play(DWORD id, bool loop)
{
    CSoundStream* voice = FindVoice(id);
    if (!voice)
        return false;
    voice->Play(loop);
    return true;
}

bool CSoundSystem::Stop(DWORD id)
{
    CSoundStream* voice = FindVoice(id);
    if (!voice)
        return false;
    voice->Stop();
    return true;
}

// The finished message with id 0 names no voice, so it carries the lead-ons, in the order they were asked for.
void CSoundSystem::LeadOn(DWORD id, std::function<long(DWORD)> slot)
{
    lead_ons_.emplace_back(id, std::move(slot));
    PostMessageW(sound_window_, messages_.pause, 0, 0);
}

void CSoundSystem::OnVoiceStarted(DWORD voice_id)
{
    if (CSoundStream* voice = FindVoice(voice_id))
        voice->EmitStarted();
}

void CSoundSystem::OnVoiceFinished(DWORD voice_id)
{
    if (CSoundStream* voice = FindVoice(voice_id)) {
        voice->EmitFinished();
    } else if (voice_id == 0 && !lead_ons_.empty()) {
        auto [id, slot] = std::move(lead_ons_.front());
        lead_ons_.pop_front();
        if (slot)
            slot(id);
    }
}

void CSoundSystem::OnVoiceStopped(DWORD voice_id)
{
    if (CSoundStream* voice = FindVoice(voice_id))
        voice->EmitStopped();
}

void CSoundSystem::OnLabelMessage(WPARAM wParam, LPARAM lParam)
{
    if (CSoundStream* voice = FindVoice(wParam))
        voice->EmitLabel(lParam);
}
