// Gives every test the process-wide state a new process would have, so that a test executable passes when all of
// its tests run in one process, in any order; and stops a test that hangs.
#pragma once

#include <chrono>

#include <gtest/gtest.h>

namespace testing_support {

// Before every test: the window layer (on a fresh headless back end), the registered resources, the device and sound
// faults, a fault kept from another thread and the sound output (SDL's device or the null output, as the test
// chooses) start over. A test still running after kTestTimeLimit ends the process with its name on standard error, so
// a hang is reported as a failure even when no test runner watches the time (and before `make test`'s own limit of
// 300 s ends it unnamed).
// Since the reset comes between tests, windows, classes and resources belong in each test's own set-up, never in a
// set-up shared by a whole suite.
class FreshProcessState : public testing::EmptyTestEventListener {
public:
    static constexpr std::chrono::seconds kTestTimeLimit { 240 };

    // Also done once before any test: a death test's child runs its test without the listeners.
    static void Reset();

    void OnTestStart(const testing::TestInfo& test) override;
    void OnTestEnd(const testing::TestInfo& test) override;
};

} // namespace testing_support
