// Gives every test the process-wide state a new process would have, so that a test executable passes when all of
// its tests run in one process, in any order.
#pragma once

#include <functional>

#include <gtest/gtest.h>

namespace testing_support {

// Before every test: the window layer, the registered resources, the device and sound faults start over, then the
// resets added below run.
class FreshProcessState : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& test) override;
};

// A reset of state held above the platform layer (a singleton of the engine, a cache), run before every test.
// Meant for a static initialiser in the test support of the library that owns the state.
void AddResetBeforeEachTest(std::function<void()> reset);

} // namespace testing_support
