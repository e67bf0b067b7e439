// Showing 800 x 600 frames in a window of 1024 x 768 and of 1920 x 1080, letterboxed, through each way SDL offers:
// its software renderer, the window surface with SDL's scaled blit, its GL renderer (on a machine without a GPU,
// GL over a software rasteriser), and our presenter; set against the engine's own cost of drawing the same frames,
// and our presenter against SDL's software renderer on the walk frames (present_vs_sdl_software).
// "Full" frames change everywhere each time; "walk" frames are the game's: the maze picture, the drawn path over it
// and the hero walking. The window candidates need a display (run.sh starts a virtual one when it can) and are
// left out without one. CPU time of the whole process, so a renderer's own threads count.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "bench/support/median_report.h"
#include "bench/support/pictures.h"
#include "engine/resources/resource_manager.h"
#include "platform/sdl/sdl_renderer_presenter.h"
#include "platform/sdl/sdl_surface_presenter.h"
#include "platform/window/letterbox.h"
#include "platform/window/presenter.h"

namespace {

using bench::kFrameHeight;
using bench::kFrameWidth;
using Frame = std::vector<uint32_t>;
constexpr int kWalkFrames = 64;

class Capture : public platform::Presenter {
public:
    void Present(const uint32_t* pixels, int width, int height) override
    {
        frames.emplace_back(pixels, pixels + size_t(width) * height);
    }
    std::vector<Frame> frames;
};

// The game's frame: maze picture, the path canvas over all of it, the hero moving two pixels a frame.
class WalkScene {
public:
    WalkScene()
    {
        IMResourceManager::StartGraphics(false);
        maze_ = bench::AddTexture(L"maze", bench::MakeBackdrop());
        bench::Picture canvas = bench::MakeBackdrop();
        for (uint32_t& p : canvas.pixels)
            p &= (p & 1) ? 0xFFFF0000u : 0x00FFFFFFu;
        canvas_ = bench::AddTexture(L"canvas", canvas);
        hero_ = bench::AddTexture(L"hero", bench::MakeSprite(40, 3));
    }
    ~WalkScene() { IMResourceManager::StopGraphics(); }

    void Draw(int frame) const
    {
        IMResourceManager* rm = IMResourceManager::Instance();
        rm->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        rm->DrawQuad(maze_, RECT { 0, 0, kFrameWidth, kFrameHeight }, nullptr, 0xFFFFFFFF, 0.0f);
        rm->DrawQuad(canvas_, RECT { 0, 0, kFrameWidth, kFrameHeight }, nullptr, 0xFFFFFFFF, 0.0f);
        const int x = 200 + 2 * frame, y = 300;
        rm->DrawQuad(hero_, RECT { x, y, x + 40, y + 40 }, nullptr, 0xFFFFFFFF, 0.0f);
    }
    void Present() const { IMResourceManager::Instance()->GetDevice()->Present(nullptr, nullptr, nullptr, nullptr); }

private:
    DWORD maze_ = 0, canvas_ = 0, hero_ = 0;
};

const std::vector<Frame>& WalkFrames()
{
    static const std::vector<Frame> frames = [] {
        Capture capture;
        platform::SetPresenter(&capture);
        {
            WalkScene scene;
            for (int k = 0; k < kWalkFrames; ++k) {
                scene.Draw(k);
                scene.Present();
            }
        }
        platform::SetPresenter(nullptr);
        return capture.frames;
    }();
    return frames;
}

const std::vector<Frame>& FullFrames()
{
    static const std::vector<Frame> frames = [] {
        std::vector<Frame> out(2, Frame(size_t(kFrameWidth) * kFrameHeight));
        uint32_t seed = 1;
        for (Frame& f : out)
            for (uint32_t& p : f) {
                seed = seed * 1664525u + 1013904223u;
                p = 0xFF000000u | seed >> 8;
            }
        return out;
    }();
    return frames;
}

void BM_EngineWalk(benchmark::State& state)
{
    WalkScene scene;
    int k = 0;
    for (auto _ : state) {
        scene.Draw(k++ % kWalkFrames);
        benchmark::ClobberMemory();
    }
}

enum class Way { SoftwareRenderer, SurfaceBlit, GlRenderer, Ours };

// Whether SDL reaches a real display. Video stays started for the whole run: SDL cannot always start it again at
// once. Window surfaces are plain memory, as our presenter asks; the GL renderer does not use them.
bool StartDisplay()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && std::string(SDL_GetCurrentVideoDriver()) != "dummy";
}

// A shown window with the presenting way, letterboxing 800 x 600 frames.
class Window {
public:
    Window(Way way, int w, int h)
    {
        window_ = SDL_CreateWindow("bench", 0, 0, w, h, SDL_WINDOW_BORDERLESS);
        if (window_ == nullptr) {
            error_ = SDL_GetError();
            return;
        }
        if (way == Way::SoftwareRenderer || way == Way::GlRenderer) {
            SDL_Renderer* renderer = SDL_CreateRenderer(
                window_, -1, way == Way::GlRenderer ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE);
            if (renderer != nullptr)
                presenter_ = std::make_unique<platform::SdlRendererPresenter>(renderer);
        } else if (way == Way::Ours) {
            presenter_ = std::make_unique<platform::SdlSurfacePresenter>(window_);
        } else {
            screen_ = SDL_GetWindowSurface(window_);
        }
        if (presenter_ == nullptr && screen_ == nullptr)
            error_ = SDL_GetError();
    }
    ~Window()
    {
        presenter_.reset();
        if (window_ != nullptr)
            SDL_DestroyWindow(window_);
    }
    const std::string& Error() const { return error_; }

    void Show(const Frame& frame)
    {
        if (presenter_ != nullptr) {
            presenter_->Present(frame.data(), kFrameWidth, kFrameHeight);
            return;
        }
        SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.data()), kFrameWidth,
            kFrameHeight, 32, kFrameWidth * 4, SDL_PIXELFORMAT_ARGB8888);
        const platform::Viewport v = platform::LetterboxViewport(screen_->w, screen_->h, SIZE { 800, 600 });
        SDL_Rect to { v.x, v.y, v.width, v.height };
        SDL_BlitScaled(from, nullptr, screen_, &to);
        SDL_FreeSurface(from);
        SDL_UpdateWindowSurface(window_);
    }

private:
    std::string error_;
    SDL_Window* window_ = nullptr;
    SDL_Surface* screen_ = nullptr;
    std::unique_ptr<platform::SdlPresenter> presenter_;
};

void Present(benchmark::State& state, Way way, const std::vector<Frame>& frames)
{
    Window window(way, int(state.range(0)), int(state.range(1)));
    if (!window.Error().empty()) {
        state.SkipWithError(window.Error().c_str());
        return;
    }
    size_t k = 0;
    for (auto _ : state)
        window.Show(frames[k++ % frames.size()]);
}

void BM_PresentSoftwareRenderer(benchmark::State& state)
{
    Present(state, Way::SoftwareRenderer, FullFrames());
}
void BM_PresentSurfaceBlit(benchmark::State& state)
{
    Present(state, Way::SurfaceBlit, FullFrames());
}
void BM_PresentGlRenderer(benchmark::State& state)
{
    Present(state, Way::GlRenderer, FullFrames());
}
void BM_PresentOurs(benchmark::State& state)
{
    Present(state, Way::Ours, FullFrames());
}
void BM_PresentSoftwareRendererWalk(benchmark::State& state)
{
    Present(state, Way::SoftwareRenderer, WalkFrames());
}
void BM_PresentGlRendererWalk(benchmark::State& state)
{
    Present(state, Way::GlRenderer, WalkFrames());
}
void BM_PresentOursWalk(benchmark::State& state)
{
    Present(state, Way::Ours, WalkFrames());
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Args({ 1024, 768 })->Args({ 1920, 1080 })->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_EngineWalk)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

void RegisterWindowBenchmarks()
{
    const std::pair<const char*, void (*)(benchmark::State&)> ways[] = {
        { "BM_PresentSoftwareRenderer", BM_PresentSoftwareRenderer },
        { "BM_PresentSurfaceBlit", BM_PresentSurfaceBlit },
        { "BM_PresentGlRenderer", BM_PresentGlRenderer },
        { "BM_PresentOurs", BM_PresentOurs },
        { "BM_PresentSoftwareRendererWalk", BM_PresentSoftwareRendererWalk },
        { "BM_PresentGlRendererWalk", BM_PresentGlRendererWalk },
        { "BM_PresentOursWalk", BM_PresentOursWalk },
    };
    for (const auto& [name, function] : ways)
        benchmark::RegisterBenchmark(name, function)->Apply(Sizes);
}

} // namespace

int main(int argc, char** argv)
{
    if (StartDisplay())
        RegisterWindowBenchmarks();
    else
        std::printf("no display: only the engine's own cost is measured\n");
    const bench::Report report = bench::RunWithMedians(argc, argv);
    const bench::Medians& medians = report.medians;
    bench::PrintRatio(medians, "present_vs_engine", "BM_PresentOursWalk/1024/768", "BM_EngineWalk");
    bench::PrintRatio(medians, "present_vs_engine_1920x1080", "BM_PresentOursWalk/1920/1080", "BM_EngineWalk");
    bench::PrintRatio(
        medians, "present_vs_sdl_software", "BM_PresentOursWalk/1024/768", "BM_PresentSoftwareRendererWalk/1024/768");
    bench::PrintRatio(medians, "present_vs_sdl_software_1920x1080", "BM_PresentOursWalk/1920/1080",
        "BM_PresentSoftwareRendererWalk/1920/1080");
    for (const char* way :
        { "SoftwareRenderer", "SurfaceBlit", "GlRenderer", "Ours", "SoftwareRendererWalk", "GlRendererWalk" })
        for (const char* size : { "1024/768", "1920/1080" }) {
            std::string name = std::string("present_") + way + "_" + size + "_vs_engine";
            for (char& c : name)
                c = c == '/' ? 'x' : c;
            bench::PrintRatio(medians, name, std::string("BM_Present") + way + "/" + size, "BM_EngineWalk");
        }
    return report.ExitStatus();
}
