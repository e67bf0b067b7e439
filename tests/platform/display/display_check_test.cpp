// The program started as a user would, from an environment with or without a display. Each run gets a minimal
// environment of its own, a scratch home and SDL's silent audio driver.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kNeedsSession = "This program needs a graphical desktop session";

// A child process with its standard error in a pipe; killed and reaped if still running at the end.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, int extra_fd = -1)
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
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (running())
            Stop(SIGKILL);
        if (err_ >= 0)
            close(err_);
    }

    bool started() const { return pid_ > 0; }
    bool running() const { return pid_ > 0 && !ended_; }

    // True when the child ended within limit.
    bool WaitEnd(std::chrono::milliseconds limit)
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
    bool Stop(int signal)
    {
        kill(pid_, signal);
        return WaitEnd(5s);
    }
    int status() const { return status_; }

    // What the child has written on standard error so far; all of it once the child has ended.
    std::string ErrorText()
    {
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = read(err_, buffer, sizeof buffer)) > 0)
            text.append(buffer, size_t(n));
        return text;
    }

private:
    pid_t pid_ = -1;
    int err_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

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

class ProgramStart : public testing::Test {
protected:
    void SetUp() override
    {
        home_ = fs::temp_directory_path() / ("display-check-" + std::to_string(getpid()));
        fs::create_directories(home_);
    }
    void TearDown() override
    {
        if (server_)
            server_->Stop(SIGTERM);
        fs::remove_all(home_);
    }

    // The program's environment: nothing of the test's own (no display, no chosen driver) beyond extra.
    Child Start(const std::vector<std::string>& extra) const
    {
        std::vector<std::string> env { "PATH=/usr/bin:/bin", "HOME=" + home_.string(),
            "XDG_DATA_HOME=" + (home_ / "data").string(), "SDL_AUDIODRIVER=dummy" };
        env.insert(env.end(), extra.begin(), extra.end());
        return Child({ MAZE_EXERCISE }, env);
    }

    // The program ends by itself within a few seconds, unsuccessfully, with exactly one line on standard error.
    static std::string OneLineFailure(Child& program)
    {
        if (!program.started()) {
            ADD_FAILURE() << "the program did not start";
            return {};
        }
        if (!program.WaitEnd(5s)) {
            ADD_FAILURE() << "still running";
            program.Stop(SIGKILL);
        }
        EXPECT_TRUE(WIFEXITED(program.status()) && WEXITSTATUS(program.status()) != 0);
        const std::string text = program.ErrorText();
        EXPECT_TRUE(!text.empty() && text.find('\n') == text.size() - 1) << text;
        return text;
    }

    // The program is still running after a while with nothing to complain about; asked to end by a signal, it
    // closes as it does when its window is closed.
    static void Runs(Child& program)
    {
        ASSERT_TRUE(program.started());
        EXPECT_FALSE(program.WaitEnd(1500ms)) << program.ErrorText();
        EXPECT_TRUE(program.Stop(SIGTERM));
        EXPECT_TRUE(WIFEXITED(program.status()) && WEXITSTATUS(program.status()) == 0) << program.status();
        EXPECT_EQ(program.ErrorText().find(kNeedsSession), std::string::npos);
    }

    fs::path home_;
    std::unique_ptr<Child> server_;
};

// The same on a virtual X server; skipped where none is installed.
class ProgramOnVirtualDisplay : public ProgramStart {
protected:
    static constexpr const char* kServer = "/usr/bin/Xvfb";

    void SetUp() override
    {
        if (access(kServer, X_OK) != 0)
            GTEST_SKIP() << "no virtual X server installed";
        ProgramStart::SetUp();
    }

    // Starts the server with the given colour depth, running until the test ends; its display name.
    std::string StartServer(const std::string& depth)
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
};

// An X display number with no server behind it.
std::string UnusedDisplay()
{
    int n = 900;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        ++n;
    return ":" + std::to_string(n);
}

TEST_F(ProgramStart, WithoutADisplayEndsWithOneClearLine)
{
    Child program = Start({});
    const std::string line = OneLineFailure(program);
    EXPECT_NE(line.find(kNeedsSession), std::string::npos) << line;
    EXPECT_NE(line.find("neither DISPLAY nor WAYLAND_DISPLAY is set"), std::string::npos) << line;
}

TEST_F(ProgramStart, ADisplayThatDoesNotAnswerIsNamedAndNotReplacedByAnInvisibleOne)
{
    const std::string display = UnusedDisplay();
    Child program = Start({ "DISPLAY=" + display });
    const std::string line = OneLineFailure(program);
    EXPECT_NE(line.find(kNeedsSession), std::string::npos) << line;
    EXPECT_NE(line.find("DISPLAY=" + display), std::string::npos) << line;
}

TEST_F(ProgramStart, AChosenDriverThatCannotStartSaysWhich)
{
    Child program = Start({ "SDL_VIDEODRIVER=x11" });
    const std::string line = OneLineFailure(program);
    EXPECT_NE(line.find("\"x11\""), std::string::npos) << line;
}

TEST_F(ProgramStart, TheChosenDummyDriverRuns)
{
    Child program = Start({ "SDL_VIDEODRIVER=dummy" });
    Runs(program);
}

TEST_F(ProgramOnVirtualDisplay, ARealDisplayRuns)
{
    Child program = Start({ "DISPLAY=" + StartServer("24") });
    Runs(program);
}

// An 8-bit display accepts the connection but gives the window nothing to draw with.
TEST_F(ProgramOnVirtualDisplay, ADisplayThatRefusesTheWindowGivesSdlsReason)
{
    Child program = Start({ "DISPLAY=" + StartServer("8") });
    const std::string line = OneLineFailure(program);
    const std::string lead = "This program cannot open its window on the display: ";
    EXPECT_EQ(line.rfind(lead, 0), 0u) << line;
    EXPECT_GT(line.size(), lead.size() + 1) << line;
}

} // namespace
