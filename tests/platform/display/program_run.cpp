#include "tests/platform/display/program_run.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A line from fd, or what came of it within ten seconds.
std::string ReadLine(int fd)
{
    std::string line;
    pollfd ready { fd, POLLIN, 0 };
    char c;
    while (poll(&ready, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

} // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, int extra_fd)
{
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0)
        return;
    fcntl(err[0], F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (extra_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, extra_fd, 3);
    std::vector<char*> args, vars;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& v : env)
        vars.push_back(const_cast<char*>(v.c_str()));
    args.push_back(nullptr);
    vars.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), vars.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    err_ = err[0];
}

Child::~Child()
{
    if (running())
        Stop(SIGKILL);
    if (err_ >= 0)
        close(err_);
}

bool Child::WaitEnd(std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (running() && std::chrono::steady_clock::now() < until) {
        if (waitpid(pid_, &status_, WNOHANG) == pid_)
            ended_ = true;
        else
            std::this_thread::sleep_for(20ms);
    }
    return ended_;
}

bool Child::Stop(int signal)
{
    kill(pid_, signal);
    return WaitEnd(5s);
}

std::string Child::ErrorText()
{
    char buffer[4096];
    ssize_t n;
    while ((n = read(err_, buffer, sizeof buffer)) > 0)
        err_text_.append(buffer, size_t(n));
    return err_text_;
}

void ProgramStart::SetUp()
{
    home_ = fs::temp_directory_path() / ("display-check-" + std::to_string(getpid()));
    fs::create_directories(home_);
}

void ProgramStart::TearDown()
{
    if (server_)
        server_->Stop(SIGTERM);
    fs::remove_all(home_);
}

Child ProgramStart::Start(const std::vector<std::string>& extra) const
{
    std::vector<std::string> env { "PATH=/usr/bin:/bin", "HOME=" + home_.string(),
        "XDG_DATA_HOME=" + (home_ / "data").string(), "SDL_AUDIODRIVER=dummy" };
    // The sanitizers' settings (their suppressions of system libraries) hold for the program as for the test.
    for (const char* name : { "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS" }) {
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    }
    for (const std::string& variable : extra) {
        const std::string name = variable.substr(0, variable.find('=') + 1);
        std::erase_if(env, [&](const std::string& set) { return set.rfind(name, 0) == 0; });
        env.push_back(variable);
    }
    return Child({ MAZE_EXERCISE }, env);
}

void ProgramOnVirtualDisplay::SetUp()
{
    if (access(kServer, X_OK) != 0)
        GTEST_SKIP() << "no virtual X server installed";
    ProgramStart::SetUp();
}

std::string ProgramOnVirtualDisplay::StartServer(const std::string& depth)
{
    int number[2];
    if (pipe2(number, O_CLOEXEC) != 0)
        return {};
    server_ = std::make_unique<Child>(std::vector<std::string> { kServer, "-displayfd", "3", "-nolisten", "tcp",
                                          "-screen", "0", "1024x768x" + depth },
        std::vector<std::string> { "PATH=/usr/bin:/bin" }, number[1]);
    close(number[1]);
    const std::string line = ReadLine(number[0]);
    close(number[0]);
    EXPECT_FALSE(line.empty()) << "the virtual X server did not start: " << server_->ErrorText();
    return ":" + line;
}
