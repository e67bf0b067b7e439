// The display going away mid-run (the X server ends, the session logs out). Xlib reports a dead connection once,
// through its I/O error handler, and exits from inside it if the handler returns; that exit would run the window
// back end's teardown on the dead connection, which never returns. The handler installed here keeps what the
// program asks for and ends the process at once instead.
#pragma once

#include <functional>

namespace platform {

// Status of a process that lost its display.
inline constexpr int kDisplayLostStatus = 1;

// What to keep when the display is lost, run once on the thread that noticed, before the process ends; an empty
// function keeps nothing. Whatever it throws is swallowed: the process ends either way.
void SetDisplayLossSave(std::function<void()> save);

// Installs the handler when SDL's video runs on X11; nothing otherwise. To be called once the video subsystem has
// started (it may install a handler of its own).
void WatchDisplayLoss();

} // namespace platform
