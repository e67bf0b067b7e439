// Test entry point: every test runs headless, with SDL's dummy video and audio drivers unless told otherwise.
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/fresh_process.h"

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new testing_support::FreshProcessState);
    return RUN_ALL_TESTS();
}
