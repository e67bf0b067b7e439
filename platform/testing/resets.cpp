#include "platform/testing/resets.h"

#include <memory>

#include "platform/headless/headless_backend.h"
#include "platform/resources/resources.h"
#include "platform/window/window_backend.h"
#include "platform/window/window_records.h"

namespace platform {

void ResetWindowingForTests()
{
    InstallWindowBackend(std::make_unique<HeadlessBackend>());
    ForgetWindows();
    ForgetWindowClasses();
    TheMessageQueue().Clear();
    TheInputState() = InputState {};
    ResetCursorDisplayCount();
}

void ResetResourcesForTests()
{
    ForgetResources();
}

} // namespace platform
