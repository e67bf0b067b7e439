// Whether the program can be seen: asked once at start, before any window, sound or file is touched.
#pragma once

#include <string>

namespace platform {

// Empty when a window can be opened on the display SDL will use; otherwise one line saying why not. Without a
// video driver chosen on purpose (SDL_VIDEODRIVER), only an X11 or Wayland display named by the environment
// counts, so SDL never falls back to a driver that shows nothing.
std::string DisplayProblem();

// Prints the problem, if any, as one line on standard error; false when the program should end.
bool CheckDisplay();

} // namespace platform
