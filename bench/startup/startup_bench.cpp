// Start-up as a user meets it: the program started afresh until its start screen shows, in wall time, against the
// same for a bare SDL program (the floor of any SDL program) and against decoding every embedded picture once.
// Both programs run on the X display run.sh provides.
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "assets/embedded_assets.h"
#include "bench/startup/first_frame_watch.h"
#include "bench/support/median_report.h"
#include "engine/resources/image_sink.h"
#include "engine/resources/png_decoder.h"
#include "platform/resources/resources.h"

namespace {

bench::FirstFrameWatch& Watch()
{
    static bench::FirstFrameWatch watch;
    return watch;
}

void StartUntilFirstFrame(benchmark::State& state, const char* executable)
{
    for (auto _ : state) {
        const std::optional<double> seconds = Watch().Measure(executable);
        if (!seconds) {
            state.SkipWithError(Watch().Problem().c_str());
            return;
        }
        state.SetIterationTime(*seconds);
    }
}

void BM_StartupToFirstFrame(benchmark::State& state)
{
    StartUntilFirstFrame(state, MAZE_PROGRAM);
}

void BM_BareSdlToFirstFrame(benchmark::State& state)
{
    StartUntilFirstFrame(state, MAZE_BARE_SDL);
}

class PixelSink : public ImageSink {
public:
    bool Begin(UINT width, UINT height, ImageTarget* target) override
    {
        pixels.resize(size_t(width) * height * 4);
        *target = ImageTarget { pixels.data(), int(width) * 4, width, height };
        return true;
    }
    void End(bool) override { }
    std::vector<BYTE> pixels;
};

// Every PNG the manifest embeds, as resource or blob.
std::vector<platform::Blob> EmbeddedPictures()
{
    RegisterEmbeddedAssets();
    std::vector<platform::Blob> pictures;
    std::ifstream manifest(MAZE_ASSET_MANIFEST);
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        std::string kind, key, file;
        if (!(fields >> kind >> key >> file) || !file.ends_with(".png"))
            continue;
        if (kind == "blob") {
            pictures.push_back(platform::FindNamedBlob(key));
        } else if (kind == "id") {
            HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(WORD(std::stoi(key))), RT_RCDATA);
            if (found != nullptr)
                pictures.push_back(platform::Blob {
                    static_cast<const BYTE*>(LockResource(LoadResource(GetModuleHandleW(nullptr), found))),
                    SizeofResource(GetModuleHandleW(nullptr), found) });
        }
    }
    return pictures;
}

void BM_DecodeEveryEmbeddedPicture(benchmark::State& state)
{
    const std::vector<platform::Blob> pictures = EmbeddedPictures();
    if (pictures.empty()) {
        state.SkipWithError("no embedded pictures");
        return;
    }
    PixelSink sink;
    for (auto _ : state) {
        for (const platform::Blob& picture : pictures) {
            UINT w = 0, h = 0;
            DecodePngFromMemory(picture.data, picture.size, sink, &w, &h);
        }
        benchmark::DoNotOptimize(sink.pixels.data());
    }
    state.counters["pictures"] = double(pictures.size());
}

BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSdlToFirstFrame)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEveryEmbeddedPicture)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const bench::Report report = bench::RunWithMedians(argc, argv);
    bench::PrintRatio(report.medians, "startup_vs_bare_sdl", "BM_StartupToFirstFrame", "BM_BareSdlToFirstFrame");
    bench::PrintRatio(report.medians, "startup_vs_decode", "BM_StartupToFirstFrame", "BM_DecodeEveryEmbeddedPicture");
    return report.ExitStatus();
}
