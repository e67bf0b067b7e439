// SIGTERM, SIGINT and SIGHUP as an orderly close: they reach the program's window as WM_CLOSE, like the window
// manager's close, so the message loop ends and the program saves before it exits.
#pragma once

#include "platform/win32.h"

namespace platform {

// Blocks the signals in the calling thread. To be called first thing in the program, before any other thread
// exists, so that every later thread inherits the block; a signal that comes before they are routed stays pending.
void BlockTerminationSignals();
// Starts the thread that waits for the signals (blocking them in the calling thread first, should that not be
// done yet); a signal pending since the block is taken at once. Called once the display check is done: the
// graphics probe there forks only while the process has a single thread. Once per process.
void RouteTerminationSignals();
// The window that receives WM_CLOSE, kept after the window is gone (signals are then ignored while the program
// finishes). While none was ever set, a signal ends the process at once with code 0: nothing could be lost yet.
void SetTerminationTarget(HWND hwnd);
// Asks that window to close (WM_CLOSE, with no memory needed), as a signal does; false while none was ever set.
bool RequestClose() noexcept;

} // namespace platform
