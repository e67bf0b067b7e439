// Test entry point: every test runs on the headless window back end, with SDL's dummy video and audio drivers unless
// told otherwise.
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/fresh_process.h"

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Tests run beside threads (sound, the hang watchdog): a death test runs its child as a new process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::InitGoogleTest(&argc, argv);
    testing_support::FreshProcessState::Reset();
    testing::UnitTest::GetInstance()->listeners().Append(new testing_support::FreshProcessState);
    return RUN_ALL_TESTS();
}
