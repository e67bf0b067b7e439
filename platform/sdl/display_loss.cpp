#include "platform/sdl/display_loss.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <SDL_video.h>
#include <X11/Xlib.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex g_save_lock;
std::function<void()> g_save;

void RunSave()
{
    std::function<void()> save;
    {
        std::lock_guard<std::mutex> hold(g_save_lock);
        save = g_save;
    }
    if (!save)
        return;
    try {
        save();
    } catch (...) {
        std::fputs("The results could not be saved.\n", stderr);
    }
}

// Never returns: the connection is not touched again, and neither are static destructors or atexit handlers that
// would touch it. A second thread that hits the dead connection waits here while the first saves.
int OnDisplayLost(Display*)
{
    static std::atomic<bool> noticed { false };
    if (noticed.exchange(true)) {
        for (;;)
            pause();
    }
    std::fputs("The display was lost (the graphical session ended): saving the results and closing.\n", stderr);
    RunSave();
    _exit(kDisplayLostStatus);
}

} // namespace

void SetDisplayLossSave(std::function<void()> save)
{
    std::lock_guard<std::mutex> hold(g_save_lock);
    g_save = std::move(save);
}

void WatchDisplayLoss()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0)
        XSetIOErrorHandler(OnDisplayLost);
}

} // namespace platform
