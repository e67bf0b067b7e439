#include "platform/sdl/display_check.h"

#include <cstdio>
#include <cstdlib>

#include <SDL.h>

#include "platform/sdl/sdl_presenter.h"
#include "platform/system/termination.h"

namespace platform {
namespace {

constexpr const char* kNeedsSession = "This program needs a graphical desktop session";

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// SDL's drivers for the displays the environment names, in the order SDL itself tries them.
std::string NamedDrivers(const std::string& x11, const std::string& wayland)
{
    if (!x11.empty() && !wayland.empty())
        return "x11,wayland";
    return x11.empty() ? "wayland" : "x11";
}

std::string NamedDisplays(const std::string& x11, const std::string& wayland)
{
    std::string names;
    if (!x11.empty())
        names = "DISPLAY=" + x11;
    if (!wayland.empty())
        names += (names.empty() ? "" : " or ") + ("WAYLAND_DISPLAY=" + wayland);
    return names;
}

// A hidden window, never shown, with the simplest renderer that can draw into it: a display that refuses either
// says so before anything else starts. Its framebuffer stays in plain memory: a GL one would load a software GL
// driver that keeps its memory after the video subsystem quits.
std::string ProbeWindow()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Window* probe = SDL_CreateWindow(
        "", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800, 600, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    SDL_Renderer* renderer = probe != nullptr ? SDL_CreateRenderer(probe, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    std::string problem;
    if (renderer != nullptr)
        SDL_DestroyRenderer(renderer);
    else
        problem = std::string("This program cannot open its window on the display: ") + SDL_GetError();
    if (probe != nullptr)
        SDL_DestroyWindow(probe);
    return problem;
}

} // namespace

std::string DisplayProblem()
{
    const char* chosen = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool on_purpose = chosen != nullptr && *chosen != '\0';
    const std::string x11 = Variable("DISPLAY");
    const std::string wayland = Variable("WAYLAND_DISPLAY");
    if (!on_purpose && x11.empty() && wayland.empty())
        return std::string(kNeedsSession) + ": neither DISPLAY nor WAYLAND_DISPLAY is set.";

    // Only the displays the environment names: the program's own start later takes the same drivers, so SDL can
    // never fall back to an off-screen driver that nobody sees.
    const std::string drivers = NamedDrivers(x11, wayland);
    if (!on_purpose)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    // The graphics question is asked here, while the process has one thread and no video yet.
    SdlPresenter::PrepareDisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (on_purpose)
            return "This program cannot start the chosen video driver \"" + std::string(chosen) + "\".";
        return std::string(kNeedsSession) + ": no display answers at " + NamedDisplays(x11, wayland) + ".";
    }
    // A display that works stays open for the program's own start: SDL's X11 driver does not always start again
    // once it has been shut down in the same process.
    std::string problem = ProbeWindow();
    if (!problem.empty())
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return problem;
}

bool CheckDisplay()
{
    const std::string problem = DisplayProblem();
    if (problem.empty())
        return true;
    std::fprintf(stderr, "%s\n", problem.c_str());
    return false;
}

bool StartBeforeThreads(const std::function<bool()>& check_display)
{
    BlockTerminationSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!check_display())
        return false;
    RouteTerminationSignals();
    return true;
}

} // namespace platform
