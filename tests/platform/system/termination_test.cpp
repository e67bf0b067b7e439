// The termination signals blocked first and waited for only later, as the program starts: a signal in between is
// not lost, and the block alone leaves the single thread the graphics probe needs before it may fork.
#include <csignal>
#include <optional>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sdl/gpu_probe.h"
#include "platform/system/termination.h"
#include "tests/support/child_process.h"

namespace {

// In a forked child, which has a single thread: the signals blocked, SIGTERM sent, then routed. With no window to
// close yet, the signal ends the process with code 0; lost, the child would wait for ever.
TEST(TerminationSignals, ASignalBeforeTheWaitingThreadStartsIsTakenOnceItDoes)
{
    int answers[2];
    ASSERT_EQ(pipe(answers), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(answers[0]);
        platform::BlockTerminationSignals();
        kill(getpid(), SIGTERM);
        sigset_t pending;
        sigpending(&pending);
        const char said[]
            = { sigismember(&pending, SIGTERM) == 1 ? 'P' : '-', platform::ProcessIsSingleThreaded() ? '1' : 'n' };
        (void)!write(answers[1], said, sizeof said);
        platform::RouteTerminationSignals();
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

} // namespace
