#include "platform/sdl/gpu_probe.h"

#include <cctype>
#include <filesystem>
#include <string>

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
using GetStringFunction = const unsigned char* (*)(unsigned);
constexpr int kProbeTimeoutMs = 5000;

std::string Lower(const char* text)
{
    std::string s = text != nullptr ? text : "";
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The child's side: one byte down the pipe, then gone without running this process's exit handlers.
[[noreturn]] void AnswerFromChild(int fd)
{
    char answer = 'S';
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
        SDL_Renderer* renderer = window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
        if (renderer != nullptr && RendererIsHardware(renderer))
            answer = 'G';
    }
    [[maybe_unused]] ssize_t written = write(fd, &answer, 1);
    _exit(0);
}

} // namespace

bool ProcessIsSingleThreaded()
{
    std::error_code error;
    int threads = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++threads;
    return !error && threads == 1;
}

bool HasGraphicsDevice()
{
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/dev/dri", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("renderD") || name.starts_with("card"))
            return true;
    }
    return std::filesystem::exists("/dev/nvidia0", error);
}

bool RendererIsHardware(SDL_Renderer* renderer)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_ACCELERATED) == 0)
        return false;
    if (Lower(info.name).find("opengl") == std::string::npos)
        return true;
    auto get_string = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    if (get_string == nullptr)
        return false;
    const char* name = reinterpret_cast<const char*>(get_string(kGlRenderer));
    const char* vendor = reinterpret_cast<const char*>(get_string(kGlVendor));
    SDL_Log("GL renderer: %s, %s", vendor ? vendor : "?", name ? name : "?");
    return name != nullptr && !IsSoftwareRasteriser(name);
}

bool IsSoftwareRasteriser(const char* gl_renderer)
{
    const std::string name = Lower(gl_renderer);
    for (const char* word : { "llvmpipe", "softpipe", "swrast", "software" }) {
        if (name.find(word) != std::string::npos)
            return true;
    }
    return false;
}

GpuVerdict ProbeGpuBeforeVideo()
{
    return HasGraphicsDevice() ? ProbeGpuInChild() : GpuVerdict::Software;
}

GpuVerdict ProbeGpuInChild()
{
    int fds[2];
    if (!ProcessIsSingleThreaded() || pipe2(fds, O_CLOEXEC) != 0)
        return GpuVerdict::Unknown;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        AnswerFromChild(fds[1]);
    }
    close(fds[1]);
    char answer = 0;
    pollfd ready { fds[0], POLLIN, 0 };
    if (child > 0 && poll(&ready, 1, kProbeTimeoutMs) == 1 && read(fds[0], &answer, 1) != 1)
        answer = 0;
    close(fds[0]);
    if (child > 0) {
        if (answer == 0)
            kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return answer == 'G' ? GpuVerdict::Hardware : answer == 'S' ? GpuVerdict::Software : GpuVerdict::Unknown;
}

} // namespace platform
