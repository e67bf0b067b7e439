// Start-up as the program does it (assets registered, SDL window and presenter on SDL's dummy display, the
// resource manager with its skins, the maze scene) up to the first presented frame, against decoding every
// embedded picture once. Each start-up runs in a fresh child process, timed by the CPU time it used.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/core/app.h"
#include "assets/embedded_assets.h"
#include "bench/support/median_report.h"
#include "engine/resources/image_sink.h"
#include "engine/resources/png_decoder.h"
#include "engine/window/window.h"
#include "platform/resources/resources.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_presenter.h"

namespace {

// The program's start, closing its window once the first frame was shown.
int StartAndShowOneFrame()
{
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    const RECT rect { 0, 0, 800, 600 };
    IMWindow* window = IMWindow::Create(nullptr, &rect, L"Тумбилиада", false, nullptr);
    auto* app = static_cast<App*>(App::Instance(L"Тумбилиада", false));
    auto* scene = new IMControl::Dialog(window, nullptr, 0);
    app->BuildGameScreen(scene);
    IMControl::ConnectFrame(window, [window](const IMEvent&) -> long {
        auto* presenter = dynamic_cast<platform::SdlPresenter*>(platform::GetPresenter());
        if (presenter != nullptr && presenter->PresentCount() > 0)
            window->Close();
        return 0;
    });
    IMWindow::Run(window);
    const bool shown = dynamic_cast<platform::SdlPresenter*>(platform::GetPresenter()) != nullptr;
    delete window;
    delete app;
    return shown ? 0 : 1;
}

double ChildCpuSeconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void BM_StartupToFirstFrame(benchmark::State& state)
{
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0)
            _exit(StartAndShowOneFrame());
        int status = 0;
        rusage usage {};
        if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the start-up did not show a frame");
            return;
        }
        state.SetIterationTime(ChildCpuSeconds(usage));
    }
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

BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEveryEmbeddedPicture)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const bench::Medians medians = bench::RunWithMedians(argc, argv);
    bench::PrintRatio(medians, "startup_vs_decode", "BM_StartupToFirstFrame", "BM_DecodeEveryEmbeddedPicture");
    return 0;
}
