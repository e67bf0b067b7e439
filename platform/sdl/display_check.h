// Whether the program can be seen: asked once at start, before any window, sound or file is touched.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Empty when a window can be opened on the display SDL will use; otherwise one line saying why not. Without a
// video driver chosen on purpose (SDL_VIDEODRIVER), only an X11 or Wayland display named by the environment
// counts, so SDL never falls back to a driver that shows nothing.
std::string DisplayProblem();

// Prints the problem, if any, as one line on standard error; false when the program should end.
bool CheckDisplay();

// The program's start up to its first thread of its own. The termination signals are blocked first, so that every
// later thread inherits the block, and SDL is told to leave them alone; check_display (CheckDisplay in the
// program) then runs while the process still has a single thread, which the graphics probe needs before it may
// fork, and a signal meanwhile stays pending; only then does the thread that waits for them start, taking a
// pending one at once. False, with nothing started, when check_display says the program should end.
bool StartBeforeThreads(const std::function<bool()>& check_display);

} // namespace platform
