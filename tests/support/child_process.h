// Waiting for a forked child with a bound: a child that hangs is killed and the test fails instead of hanging.
#pragma once

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
// for. Gives what body returned, "" when all went well, or why the child did not end well.
inline std::string RunInChild(const std::function<std::string()>& body, std::optional<uid_t> uid = {})
{
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
    char buffer[512];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(got));
    ::close(pipe[0]);
    const std::optional<int> status = WaitForChild(child);
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return "the child did not end well: " + said;
    return said;
}

} // namespace testing_support
