#include "platform/sound/mixer.h"

#include <algorithm>
#include <exception>

#include <SDL2/SDL_audio.h>

#include "platform/sound/sound_probes.h"

namespace platform {
namespace {

int16_t Saturate(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

} // namespace

Mixer::~Mixer()
{
    for (auto& voice : voices_)
        SDL_FreeAudioStream(voice->stream);
}

Mixer::Voice* Mixer::AddVoice(const WAVEFORMATEX& format, DWORD bytes)
{
    SDL_AudioFormat source = format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioStream* stream = SDL_NewAudioStream(
        source, format.nChannels, static_cast<int>(format.nSamplesPerSec), AUDIO_S16SYS, kChannels, kRate);
    if (!stream)
        return nullptr;
    auto voice = std::make_unique<Voice>();
    // The ring starts as silence: zero for signed samples, the middle value for unsigned 8-bit ones.
    voice->silence = format.wBitsPerSample == 8 ? 0x80 : 0;
    voice->ring.assign(bytes, voice->silence);
    voice->block = format.nBlockAlign;
    voice->rate = format.nSamplesPerSec;
    voice->stream = stream;
    std::lock_guard<std::mutex> lock(mutex_);
    voices_.push_back(std::move(voice));
    return voices_.back().get();
}

void Mixer::RemoveVoice(Voice* voice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    voices_.remove_if([&](const std::unique_ptr<Voice>& v) {
        if (v.get() != voice)
            return false;
        SDL_FreeAudioStream(v->stream);
        return true;
    });
}

// A change of state takes effect from now: an output that mixes by the clock first mixes what was due before it.
void Mixer::Play(Voice* voice, bool looping)
{
    Pump();
    std::lock_guard<std::mutex> lock(mutex_);
    if (voice->draining && looping) {
        voice->draining = false;
        voice->read = 0;
    }
    voice->playing = true;
    voice->looping = looping;
}

// A fault in the mix must not leave the ring sounding while the program closes.
void Mixer::Stop(Voice* voice)
{
    std::exception_ptr unmixed;
    try {
        Pump();
    } catch (...) {
        unmixed = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (voice->playing) {
            // Resume later from what was heard, not from what the stream had already taken.
            Restart(*voice, PlayPosition(*voice));
            voice->playing = false;
        }
    }
    if (unmixed)
        std::rethrow_exception(unmixed);
}

void Mixer::SetPosition(Voice* voice, DWORD position)
{
    Pump();
    std::lock_guard<std::mutex> lock(mutex_);
    Restart(*voice, position - position % voice->block);
}

void Mixer::GetPositions(Voice* voice, DWORD* play, DWORD* write)
{
    Pump();
    std::lock_guard<std::mutex> lock(mutex_);
    if (play)
        *play = PlayPosition(*voice);
    if (write)
        *write = voice->read % static_cast<DWORD>(voice->ring.size());
}

DWORD Mixer::Status(Voice* voice)
{
    Pump();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!voice->playing)
        return 0;
    return DSBSTATUS_PLAYING | (voice->looping ? DSBSTATUS_LOOPING : 0);
}

void Mixer::Silence(Voice* voice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::fill(voice->ring.begin(), voice->ring.end(), voice->silence);
}

DWORD Mixer::PlayPosition(const Voice& voice) const
{
    int64_t size = static_cast<int64_t>(voice.ring.size());
    int64_t heard_bytes = voice.heard * voice.rate / kRate * voice.block;
    return static_cast<DWORD>((voice.origin + heard_bytes) % size);
}

void Mixer::Mix(int16_t* out, int frames)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sum_.assign(static_cast<size_t>(frames) * kChannels, 0);
    for (auto& voice : voices_)
        if (voice->playing)
            MixVoice(*voice, frames);
    for (size_t i = 0; i < sum_.size(); ++i)
        out[i] = Saturate(sum_[i]);
    TapMix(out, frames);
}

void Mixer::MixVoice(Voice& voice, int frames)
{
    int need = frames * kFrameBytes;
    while (!voice.draining && SDL_AudioStreamAvailable(voice.stream) < need)
        if (!Feed(voice, frames))
            break;
    converted_.resize(static_cast<size_t>(frames) * kChannels);
    int got = SDL_AudioStreamGet(voice.stream, converted_.data(), need);
    for (int i = 0; i < got / 2; ++i)
        sum_[i] += converted_[i];
    voice.heard += got / kFrameBytes;
    if (voice.draining && SDL_AudioStreamAvailable(voice.stream) == 0)
        Finish(voice);
}

// Hands the stream the source frames that make about `frames` output frames, wrapping round a looping ring;
// a one-shot ring is flushed once its end has gone in.
bool Mixer::Feed(Voice& voice, int frames_wanted)
{
    DWORD size = static_cast<DWORD>(voice.ring.size());
    DWORD bytes = static_cast<DWORD>((int64_t { frames_wanted } * voice.rate / kRate + 1) * voice.block);
    while (bytes > 0) {
        DWORD chunk = std::min(bytes, size - voice.read);
        if (SDL_AudioStreamPut(voice.stream, voice.ring.data() + voice.read, static_cast<int>(chunk)) != 0)
            return false;
        voice.read += chunk;
        bytes -= chunk;
        if (voice.read < size)
            continue;
        if (!voice.looping) {
            SDL_AudioStreamFlush(voice.stream);
            voice.draining = true;
            return true;
        }
        voice.read = 0;
    }
    return true;
}

// A one-shot ring has been heard to its end: it stops and its position goes back to the start.
void Mixer::Finish(Voice& voice)
{
    voice.playing = false;
    Restart(voice, 0);
}

void Mixer::Restart(Voice& voice, DWORD position)
{
    voice.read = position;
    voice.origin = position;
    voice.heard = 0;
    voice.draining = false;
    SDL_AudioStreamClear(voice.stream);
}

void Mixer::SetPump(std::function<void()> pump)
{
    std::lock_guard<std::mutex> lock(pump_mutex_);
    pump_ = std::move(pump);
}

void Mixer::Pump()
{
    std::lock_guard<std::mutex> lock(pump_mutex_);
    if (pump_)
        pump_();
}

} // namespace platform
