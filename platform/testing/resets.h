// Returns process-wide state of the platform layer to that of a new process, so that tests sharing one process
// do not see each other's windows, resources or cursor count.
#pragma once

namespace platform {

// Forgets every window, class, queued message and the input state, and installs a fresh headless back end. No
// window procedure is called.
void ResetWindowingForTests();
// Forgets every registered resource, blob and sibling entry and the store folder. Sibling modules still loaded
// keep their handles but no longer see in-memory entries.
void ResetResourcesForTests();
// Back to a display counter of 0.
void ResetCursorDisplayCount();

} // namespace platform
