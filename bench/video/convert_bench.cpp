// Converting one 320 × 240 clip frame to 32-bit pixels: the view's converter against SDL's own.
#include <random>
#include <vector>

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "bench/support/median_report.h"
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

} // namespace

int main(int argc, char** argv)
{
    const bench::Report report = bench::RunWithMedians(argc, argv);
    const bench::Medians& medians = report.medians;
    bench::PrintRatio(medians, "yuv_vs_sdl", "ConvertYuvFrame320x240", "SdlConvertPixels320x240");
    return report.ExitStatus();
}
