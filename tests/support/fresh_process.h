// Gives every test the process-wide state a new process would have, so that a test executable passes when all of
// its tests run in one process, in any order; and stops a test that hangs.
#pragma once

#include <chrono>
#include <functional>

#include <gtest/gtest.h>

namespace testing_support {

// Before every test: the resets added below run, then the window layer, the registered resources, and the device
// and sound faults start over. A test still running after kTestTimeLimit ends the process with its name on standard
// error, so a hang is reported as a failure even when no test runner watches the time.
class FreshProcessState : public testing::EmptyTestEventListener {
public:
    static constexpr std::chrono::seconds kTestTimeLimit { 300 };

    void OnTestStart(const testing::TestInfo& test) override;
    void OnTestEnd(const testing::TestInfo& test) override;
};

// A reset of state held above the platform layer (a singleton of the engine, a cache), run before every test.
void AddResetBeforeEachTest(std::function<void()> reset);

} // namespace testing_support
