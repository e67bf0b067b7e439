// Converting one 320 × 240 clip frame to 32-bit pixels: the view's converter against SDL's own.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/views/yuv_converter.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// One IYUV picture: the Y plane, then U, then V, each row packed.
struct Picture {
    std::vector<BYTE> planes;
    std::vector<BYTE> pixels = std::vector<BYTE>(4 * kWidth * kHeight);

    Picture()
        : planes(kWidth * kHeight * 3 / 2)
    {
        std::mt19937 random(5);
        for (BYTE& b : planes)
            b = static_cast<BYTE>(random());
    }
    const BYTE* Y() const { return planes.data(); }
    const BYTE* U() const { return Y() + kWidth * kHeight; }
    const BYTE* V() const { return U() + kWidth * kHeight / 4; }
};

void ConvertYuvFrame320x240(benchmark::State& state)
{
    Picture picture;
    for (auto _ : state) {
        ConvertYuvFrame(picture.pixels.data(), 4 * kWidth, picture.Y(), picture.U(), picture.V(), kWidth, kWidth / 2,
            kWidth, kHeight);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

void SdlConvertPixels320x240(benchmark::State& state)
{
    Picture picture;
    for (auto _ : state) {
        if (SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_IYUV, picture.Y(), kWidth, SDL_PIXELFORMAT_ARGB8888,
                picture.pixels.data(), 4 * kWidth)
            != 0) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

BENCHMARK(ConvertYuvFrame320x240);
BENCHMARK(SdlConvertPixels320x240);

// The console report, keeping each benchmark's time per frame for the ratio.
class TimingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ours = reporter.times.find("ConvertYuvFrame320x240");
    const auto sdl = reporter.times.find("SdlConvertPixels320x240");
    if (ours != reporter.times.end() && sdl != reporter.times.end() && ours->second > 0)
        std::printf("SDL time / our time per 320 x 240 frame: %.2f\n", sdl->second / ours->second);
    return 0;
}
