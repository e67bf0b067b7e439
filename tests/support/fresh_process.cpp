#include "tests/support/fresh_process.h"

#include <vector>

#include "platform/audio_test.h"
#include "platform/headless/device_faults.h"
#include "platform/resources.h"
#include "platform/window_backend.h"

namespace testing_support {
namespace {

std::vector<std::function<void()>>& Resets()
{
    static std::vector<std::function<void()>> resets;
    return resets;
}

} // namespace

void AddResetBeforeEachTest(std::function<void()> reset)
{
    Resets().push_back(std::move(reset));
}

void FreshProcessState::OnTestStart(const testing::TestInfo&)
{
    for (const auto& reset : Resets())
        reset();
    platform::ResetWindowingForTests();
    platform::ResetResourcesForTests();
    platform::ResetAudioForTests();
    platform::headless::ResetDeviceFaults();
    platform::headless::RecordStateCalls(false);
}

} // namespace testing_support
