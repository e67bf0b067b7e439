#include "platform/sdl/sdl_presenter.h"

#include <cctype>
#include <filesystem>
#include <string>

#include <SDL_hints.h>
#include <SDL_log.h>

#include "platform/sdl/sdl_renderer_presenter.h"
#include "platform/sdl/sdl_surface_presenter.h"

namespace platform {
namespace {

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
using GetStringFunction = const unsigned char* (*)(unsigned);

std::string Lower(const char* text)
{
    std::string s = text != nullptr ? text : "";
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Without a kernel graphics device the GL driver can only be a software one; loading it just to ask would cost
// start-up time and tens of megabytes.
bool HasGraphicsDevice()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().starts_with("renderD")
            || entry.path().filename().string().starts_with("card"))
            return true;
    }
    return std::filesystem::exists("/dev/nvidia0", error);
}

// Asks the GL driver, through the renderer's current context, whether it runs on a GPU.
bool RendererIsHardware(SDL_Renderer* renderer)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_ACCELERATED) == 0)
        return false;
    const std::string name = Lower(info.name);
    if (name.find("opengl") == std::string::npos)
        return true;
    auto get_string = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    if (get_string == nullptr)
        return false;
    const char* renderer_name = reinterpret_cast<const char*>(get_string(kGlRenderer));
    const char* vendor = reinterpret_cast<const char*>(get_string(kGlVendor));
    SDL_Log("GL renderer: %s, %s", vendor ? vendor : "?", renderer_name ? renderer_name : "?");
    return renderer_name != nullptr && !IsSoftwareRasteriser(renderer_name);
}

std::unique_ptr<SdlPresenter> MakeGpuPresenter(SDL_Window* window)
{
    if (!HasGraphicsDevice())
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
    // run on the CPU anyway. SDL reads this when the surface is first made.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(window) != nullptr)
        return std::make_unique<SdlSurfacePresenter>(window);
    SDL_Log("no window surface: %s", SDL_GetError());
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer != nullptr ? std::make_unique<SdlRendererPresenter>(renderer) : nullptr;
}

} // namespace

bool IsSoftwareRasteriser(const char* gl_renderer)
{
    const std::string name = Lower(gl_renderer);
    for (const char* word : { "llvmpipe", "softpipe", "swrast", "software" }) {
        if (name.find(word) != std::string::npos)
            return true;
    }
    return false;
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
