// Waiting for a forked child with a bound: a child that hangs is killed and the test fails instead of hanging.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <grp.h>
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

// Runs body in a forked child, under the account uid (group uid too) when one is given, which only root may ask
// for. Gives what body returned, "" when all went well, or why the child did not end well. A child that has not
// ended within limit is killed: its output is read with the same deadline, since a hung child keeps the pipe open.
inline std::string RunInChild(const std::function<std::string()>& body, std::optional<uid_t> uid = {},
    std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string said;
        if (uid && (::setgroups(0, nullptr) != 0 || ::setgid(*uid) != 0 || ::setuid(*uid) != 0))
            said = "cannot become account " + std::to_string(*uid);
        else
            said = body();
        (void)!::write(pipe[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string said;
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p { pipe[0], POLLIN, 0 };
        const int ready = ::poll(&p, 1, int(std::max<long long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[512];
        const ssize_t got = ready == 1 ? ::read(pipe[0], buffer, sizeof buffer) : 0;
        if (got <= 0)
            break;
        said.append(buffer, size_t(got));
    }
    ::close(pipe[0]);
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const std::optional<int> status = WaitForChild(child, std::max(left, std::chrono::milliseconds(0)));
    if (!status)
        return "the child did not end within " + std::to_string(limit.count()) + " ms: " + said;
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return "the child did not end well: " + said;
    return said;
}

} // namespace testing_support
