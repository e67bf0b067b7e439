#include "platform/sdl/sdl_presenter.h"

#include <SDL_hints.h>
#include <SDL_log.h>

#include "platform/sdl/gpu_probe.h"
#include "platform/sdl/sdl_renderer_presenter.h"
#include "platform/sdl/sdl_surface_presenter.h"

namespace platform {
namespace {

GpuVerdict g_verdict = GpuVerdict::Unknown;

std::unique_ptr<SdlPresenter> MakeGpuPresenter(SDL_Window* window)
{
    if (g_verdict == GpuVerdict::Software || (g_verdict == GpuVerdict::Unknown && !HasGraphicsDevice()))
        return nullptr;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (renderer == nullptr)
        return nullptr;
    if (!RendererIsHardware(renderer)) {
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    return std::make_unique<SdlRendererPresenter>(renderer);
}

std::unique_ptr<SdlPresenter> MakeSoftwarePresenter(SDL_Window* window)
{
    // The window's framebuffer is plain memory sent to the display, not a texture of a GL renderer that would
    // run on the CPU anyway. SDL reads this when the first window surface is made.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(window) != nullptr)
        return std::make_unique<SdlSurfacePresenter>(window);
    SDL_Log("no window surface: %s", SDL_GetError());
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer != nullptr ? std::make_unique<SdlRendererPresenter>(renderer) : nullptr;
}

} // namespace

void SdlPresenter::PrepareDisplay()
{
    // The program asks before its display check starts the video; a later window keeps that answer.
    if (g_verdict == GpuVerdict::Unknown)
        g_verdict = ProbeGpuBeforeVideo();
}

std::unique_ptr<SdlPresenter> SdlPresenter::Create(SDL_Window* window)
{
    if (auto presenter = MakeGpuPresenter(window))
        return presenter;
    return MakeSoftwarePresenter(window);
}

void SdlPresenter::Present(const uint32_t* pixels, int width, int height)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || !Show(pixels, width, height))
        return;
    ++present_count_;
}

} // namespace platform
