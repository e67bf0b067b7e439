// Waiting for a forked child with a bound: a child that hangs is killed and the test fails instead of hanging.
#pragma once

#include <chrono>
#include <optional>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

// The child's wait status once it has ended within limit; otherwise it is killed, reaped, and nothing is returned.
inline std::optional<int> WaitForChild(pid_t child, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return status;
}

// One byte from fd within limit; nothing on timeout, end of file or error.
inline std::optional<char> ReadByteWithin(int fd, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    pollfd p { fd, POLLIN, 0 };
    char byte = 0;
    if (poll(&p, 1, int(limit.count())) != 1 || read(fd, &byte, 1) != 1)
        return std::nullopt;
    return byte;
}

} // namespace testing_support
