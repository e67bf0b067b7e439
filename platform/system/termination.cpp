#include "platform/system/termination.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <pthread.h>
#include <unistd.h>

#include "platform/window/window.h"

namespace platform {
namespace {

std::atomic<HWND> g_target { nullptr };

sigset_t TerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    // The end of the terminal session the program was started from.
    sigaddset(&set, SIGHUP);
    return set;
}

void WaitForSignals(sigset_t set)
{
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            continue;
        // A window already gone means the program is closing anyway: let it finish saving.
        if (!RequestClose())
            std::_Exit(0);
    }
}

} // namespace

void BlockTerminationSignals()
{
    const sigset_t set = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void RouteTerminationSignals()
{
    // Once per process: a forked child inherits the flag but not the waiting thread, so it routes again.
    static std::atomic<pid_t> routed_in { 0 };
    if (routed_in.exchange(getpid()) == getpid())
        return;
    BlockTerminationSignals();
    std::thread(WaitForSignals, TerminationSignals()).detach();
}

void SetTerminationTarget(HWND hwnd)
{
    g_target = hwnd;
}

bool RequestClose() noexcept
{
    const HWND target = g_target;
    if (!target)
        return false;
    PostCloseRequest(target);
    return true;
}

} // namespace platform
