#include "bench/startup/first_frame_watch.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);
constexpr int kRows = 8;

// A window can vanish between being listed and being read; such a read simply finds nothing.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// Whether any of a few rows spread over the window holds a pixel that is not black: cheap enough to ask every
// millisecond, and no screen of the program is black on all of them.
bool ShowsSomething(Display* display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    for (int k = 0; k < kRows; ++k) {
        const int y = attributes.height * (2 * k + 1) / (2 * kRows);
        XImage* row = XGetImage(display, window, 0, y, unsigned(attributes.width), 1, AllPlanes, ZPixmap);
        if (row == nullptr)
            return false;
        bool lit = false;
        for (int x = 0; x < row->width && !lit; ++x)
            lit = (XGetPixel(row, x, 0) & 0xFFFFFF) != 0;
        XDestroyImage(row);
        if (lit)
            return true;
    }
    return false;
}

std::string FirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

FirstFrameWatch::FirstFrameWatch()
{
    XSetErrorHandler(IgnoreErrors);
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        problem_ = "no X display to start the program on (DISPLAY is not set or does not answer)";
        return;
    }
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, True);
    // The program keeps its pupils' records under this folder; a measured start must not touch the user's.
    char folder[] = "/tmp/bench-startup-XXXXXX";
    if (mkdtemp(folder) != nullptr) {
        folder_ = folder;
        setenv("XDG_DATA_HOME", folder, 1);
    }
}

FirstFrameWatch::~FirstFrameWatch()
{
    if (display_ != nullptr)
        XCloseDisplay(display_);
    std::error_code ignored;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ignored);
}

std::optional<double> FirstFrameWatch::Measure(const std::string& executable)
{
    if (display_ == nullptr)
        return std::nullopt;
    const std::filesystem::path log = std::filesystem::path(folder_.empty() ? "/tmp" : folder_) / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char* argv[] = { const_cast<char*>(executable.c_str()), nullptr };
    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&child, executable.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        problem_ = "cannot start " + executable;
        return std::nullopt;
    }

    std::vector<Window> windows;
    std::optional<double> seconds;
    int status = 0;
    bool ended = false;
    while (!seconds && Clock::now() - start < kPatience) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == CreateNotify)
                windows.push_back(event.xcreatewindow.window);
            else if (event.type == DestroyNotify)
                std::erase(windows, event.xdestroywindow.window);
        }
        for (Window window : windows)
            if (ShowsSomething(display_, window)) {
                seconds = std::chrono::duration<double>(Clock::now() - start).count();
                break;
            }
        if (!seconds && waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    // The next start begins on a black screen again: the server drops the windows of a client that is gone.
    const Clock::time_point gone = Clock::now();
    while (!windows.empty() && Clock::now() - gone < kPatience) {
        XEvent event;
        if (XPending(display_) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        XNextEvent(display_, &event);
        if (event.type == DestroyNotify)
            std::erase(windows, event.xdestroywindow.window);
    }
    if (!seconds) {
        const std::string said = FirstLine(log);
        problem_ = executable + (ended ? " ended before it showed a frame" : " showed no frame within ten seconds")
            + (said.empty() ? "" : ": " + said);
    }
    return seconds;
}

} // namespace bench
