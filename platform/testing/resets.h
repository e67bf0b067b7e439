// Returns process-wide state of the platform layer to that of a new process, so that tests sharing one process
// do not see each other's windows, resources or cursor count.
#pragma once

namespace platform {

// Forgets every window, class, queued message, the input state and the cursor count, and installs a fresh
// headless back end. No window procedure is called.
void ResetWindowingForTests();
// Forgets every registered resource, blob and sibling entry and the store folder (ForgetResources).
void ResetResourcesForTests();

} // namespace platform
