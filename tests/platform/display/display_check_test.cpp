// The program started as a user would, from an environment with or without a display.
#include <csignal>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tests/platform/display/program_run.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kNeedsSession = "This program needs a graphical desktop session";

// The program ends by itself within a few seconds, unsuccessfully, with exactly one line on standard error.
std::string OneLineFailure(Child& program)
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
void Runs(Child& program)
{
    ASSERT_TRUE(program.started());
    EXPECT_FALSE(program.WaitEnd(1500ms)) << program.ErrorText();
    EXPECT_TRUE(program.Stop(SIGTERM));
    EXPECT_TRUE(WIFEXITED(program.status()) && WEXITSTATUS(program.status()) == 0) << program.status();
    EXPECT_EQ(program.ErrorText().find(kNeedsSession), std::string::npos);
}

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

// A run with nothing wrong leaves standard error empty; the traces are there when asked for.
TEST_F(ProgramStart, TheChosenDummyDriverRunsQuietlyUnlessTracesAreAskedFor)
{
    Child quiet = Start({ "SDL_VIDEODRIVER=dummy" });
    Runs(quiet);
    EXPECT_EQ(quiet.ErrorText(), "");

    Child traced = Start({ "SDL_VIDEODRIVER=dummy", "MAZE_DEBUG=1" });
    Runs(traced);
    EXPECT_NE(traced.ErrorText().find("FPS: "), std::string::npos) << traced.ErrorText();
}

// On a machine without a sound card the program plays through the null output: what the sound library says about the
// missing card is a trace, never a line on standard error.
TEST_F(ProgramStart, TheSoundLibrarysOwnMessagesAreTracesOnly)
{
    Child quiet = Start({ "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=alsa" });
    Runs(quiet);
    EXPECT_EQ(quiet.ErrorText(), "");

    if (fs::exists("/dev/snd"))
        return; // a card ALSA can open says nothing
    Child traced = Start({ "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=alsa", "MAZE_DEBUG=1" });
    Runs(traced);
    EXPECT_NE(traced.ErrorText().find("ALSA lib "), std::string::npos) << traced.ErrorText();
}

// With an ordinary user's environment the window is on that display, never on an off-screen driver.
TEST_F(ProgramOnVirtualDisplay, ARealDisplayRunsAndShowsTheWindowThere)
{
    const std::string display = StartServer("24");
    Child program = Start({ "DISPLAY=" + display, "LANG=C.UTF-8", "TERM=xterm", "SHELL=/bin/bash", "SHLVL=1" });
    if (access("/usr/bin/xdotool", X_OK) == 0) {
        Child search(
            { "/usr/bin/xdotool", "search", "--sync", "--onlyvisible", "--name", "04271" }, { "DISPLAY=" + display });
        EXPECT_TRUE(search.WaitEnd(std::chrono::seconds(10))) << "no visible window on " << display;
    }
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
