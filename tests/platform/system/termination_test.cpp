// The program's start: the termination signals blocked first and waited for only after the display check, so
// that a signal in between is not lost and the check's graphics probe still finds the single thread it needs
// before it may fork.
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>
#include <thread>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sdl/display_check.h"
#include "platform/sdl/gpu_probe.h"
#include "tests/support/child_process.h"

namespace {

// In a forked child, which has a single thread, a SIGTERM sent during the display check: it waits, blocked, and the
// check still runs on a single thread. Once the start is done the signal is taken: with no window to close yet,
// it ends the process with code 0; lost, the child would wait for ever.
TEST(ProgramStart, ASignalDuringTheDisplayCheckWaitsAndIsTakenOnceTheCheckIsDone)
{
    int answers[2];
    ASSERT_EQ(pipe(answers), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(answers[0]);
        platform::StartBeforeThreads([&] {
            kill(getpid(), SIGTERM);
            sigset_t pending;
            sigpending(&pending);
            const char said[]
                = { sigismember(&pending, SIGTERM) == 1 ? 'P' : '-', platform::ProcessIsSingleThreaded() ? '1' : 'n' };
            (void)!write(answers[1], said, sizeof said);
            return true;
        });
        for (;;)
            pause();
    }
    close(answers[1]);
    EXPECT_EQ(testing_support::ReadByteWithin(answers[0]), 'P') << "SIGTERM waits while blocked";
    EXPECT_EQ(testing_support::ReadByteWithin(answers[0]), '1') << "the probe may still fork";
    close(answers[0]);
    const std::optional<int> status = testing_support::WaitForChild(child);
    ASSERT_TRUE(status.has_value()) << "the pending signal was never taken";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

// A fork of a process with other threads could deadlock in the child: the probe then does not ask. Alone in a
// forked child it asks, and the answer comes whatever the machine's graphics devices.
TEST(ProgramStart, TheGraphicsProbeForksOnlyFromASingleThread)
{
    std::mutex mutex;
    std::condition_variable done;
    bool asked = false;
    std::thread other([&] {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return asked; });
    });
    EXPECT_EQ(platform::ProbeGpuInChild(), platform::GpuVerdict::Unknown);
    {
        std::lock_guard<std::mutex> lock(mutex);
        asked = true;
    }
    done.notify_all();
    other.join();

    const std::string alone = testing_support::RunInChild([] {
        if (!platform::ProcessIsSingleThreaded())
            return std::string("the forked child has other threads");
        return platform::ProbeGpuInChild() == platform::GpuVerdict::Unknown ? std::string("no answer") : std::string();
    });
    EXPECT_EQ(alone, "");
}

} // namespace
