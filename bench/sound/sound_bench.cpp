// Real-time playback cost: one second of the stereo 44100 Hz success jingle decoded into a voice's ring, half a
// second at a time as the streaming thread does, and mixed to the output in device-sized chunks.
#include <vector>

#include <benchmark/benchmark.h>

#include "assets/embedded_assets.h"
#include "bench/support/median_report.h"
#include "engine/sound/sound_source.h"
#include "platform/sound/mixer.h"
#include "platform/sound/wave_format.h"

namespace {

constexpr int kChunkFrames = 1024;

void DecodeAndMixOneSecond(benchmark::State& state)
{
    RegisterEmbeddedAssets();
    CSoundSource source;
    if (!source.OpenResource(14465) || source.GetChannels() != 2 || source.GetRate() != 44100) {
        state.SkipWithError("the stereo jingle 14465 does not open");
        return;
    }
    WAVEFORMATEX format = platform::PcmFormat(44100, 2);
    platform::Mixer mixer;
    platform::Mixer::Voice* voice = mixer.AddVoice(format, format.nAvgBytesPerSec);
    mixer.Play(voice, true);
    const DWORD half = format.nAvgBytesPerSec / 2;
    std::vector<int16_t> out(kChunkFrames * 2);
    for (auto _ : state) {
        ov_pcm_seek(source.GetDecoder(), 0);
        for (DWORD offset : { 0u, half }) {
            if (source.ReadPcm(voice->ring.data() + offset, half) != half)
                state.SkipWithError("the jingle is shorter than a second");
            for (int frames = 0; frames < 44100 / 2; frames += kChunkFrames)
                mixer.Mix(out.data(), kChunkFrames);
        }
        benchmark::DoNotOptimize(out.data());
    }
    // Time per iteration over the one second it plays for: the share of one core that playback takes.
    state.counters["core_share_%"] = benchmark::Counter(
        static_cast<double>(state.iterations()) / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(DecodeAndMixOneSecond)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunWithMedians(argc, argv).ExitStatus();
}
