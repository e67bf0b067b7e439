// Sums every playing ring into 44100 Hz 16-bit stereo. Each ring is converted by its own SDL audio stream;
// the play position of a ring is counted from the output frames its stream has given, so what the stream holds
// back for resampling is not counted as heard.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sound/dsound.h"

struct _SDL_AudioStream;

namespace platform {

class Mixer {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kFrameBytes = 4;

    // One ring and its playback state. The ring's bytes are written by whoever locked them, without the mixer
    // lock: writers and the mixer keep to different parts of the ring.
    struct Voice {
        std::vector<BYTE> ring;
        DWORD block = 0;
        BYTE silence = 0;
        DWORD rate = 0;
        _SDL_AudioStream* stream = nullptr;
        DWORD read = 0;
        // Where the stream's current run started in the ring, and how many output frames it has given since.
        DWORD origin = 0;
        int64_t heard = 0;
        bool playing = false;
        bool looping = false;
        bool draining = false;
    };

    Mixer() = default;
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The format must already be valid; null when no conversion to the output format exists.
    Voice* AddVoice(const WAVEFORMATEX& format, DWORD bytes);
    void RemoveVoice(Voice* voice);

    void Play(Voice* voice, bool looping);
    // Stops the ring even when bringing the mix up to date first throws; the exception is passed on after.
    void Stop(Voice* voice);
    void SetPosition(Voice* voice, DWORD position);
    void GetPositions(Voice* voice, DWORD* play, DWORD* write);
    // DSBSTATUS_PLAYING and DSBSTATUS_LOOPING bits.
    DWORD Status(Voice* voice);
    void Silence(Voice* voice);

    // Mixes the next frames of output into out (frames * 2 samples) and advances every playing ring.
    void Mix(int16_t* out, int frames);

    // An output that consumes by the clock rather than by a device's demand brings the mix up to date here;
    // every read of a position or status calls it first.
    void SetPump(std::function<void()> pump);
    void Pump();

private:
    void MixVoice(Voice& voice, int frames);
    bool Feed(Voice& voice, int frames_wanted);
    void Finish(Voice& voice);
    static void Restart(Voice& voice, DWORD position);
    DWORD PlayPosition(const Voice& voice) const;

    std::mutex mutex_;
    std::list<std::unique_ptr<Voice>> voices_;
    std::vector<int32_t> sum_;
    std::vector<int16_t> converted_;
    std::mutex pump_mutex_;
    std::function<void()> pump_;
};

} // namespace platform
