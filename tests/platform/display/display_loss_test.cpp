// The display going away in the middle of a named run, as when the teacher logs out of the session: the program
// keeps the pupil's workbook and ends by itself.
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xercesc/util/PlatformUtils.hpp>

#include "app/core/program.h"
#include "platform/text/utf8.h"
#include "tests/platform/display/program_run.h"
#include "tests/support/workbook_fixture.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kInputTool = "/usr/bin/xdotool";

class DisplayLoss : public ProgramOnVirtualDisplay {
protected:
    void SetUp() override
    {
        if (access(kInputTool, X_OK) != 0)
            GTEST_SKIP() << "no X input tool installed";
        ProgramOnVirtualDisplay::SetUp();
        xercesc::XMLPlatformUtils::Initialize();
    }

    // Runs the input tool against the display with the given arguments, to its end.
    void Input(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv { kInputTool };
        argv.insert(argv.end(), args.begin(), args.end());
        Child tool(argv, { "DISPLAY=" + display_ });
        ASSERT_TRUE(tool.WaitEnd(15s)) << args.front() << " did not finish";
        ASSERT_TRUE(WIFEXITED(tool.status()) && WEXITSTATUS(tool.status()) == 0) << tool.ErrorText();
    }

    std::filesystem::path Workbook() const
    {
        return home_ / "data" / "TIRQ" / (platform::ToUtf8(kExerciseCaption) + ".xls");
    }

    std::string display_;
};

TEST_F(DisplayLoss, TheRunInProgressIsSavedAndTheProgramEndsAtOnce)
{
    display_ = StartServer("24");
    Child program = Start({ "DISPLAY=" + display_ });
    ASSERT_TRUE(program.started());
    // The start screen takes the name, Enter starts the instruction, Esc skips it into the game, whose start
    // writes the run's first row.
    Input({ "search", "--sync", "--onlyvisible", "--name", "04271" });
    Input({ "type", "--delay", "40", "Masha" });
    Input({ "key", "Return" });
    std::this_thread::sleep_for(1s);
    Input({ "key", "Escape" });
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(program.running()) << program.ErrorText();

    ASSERT_TRUE(server_->Stop(SIGTERM));
    const bool ended = program.WaitEnd(5s);
    ASSERT_TRUE(ended) << "still running after the display went away";
    EXPECT_TRUE(WIFEXITED(program.status()) && WEXITSTATUS(program.status()) != 0) << program.status();
    EXPECT_NE(program.ErrorText().find("The display was lost"), std::string::npos);

    ASSERT_TRUE(std::filesystem::is_regular_file(Workbook()));
    const auto rows = SheetRows(*ParseStrictly(ReadBytes(Workbook())), L"Masha");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

} // namespace
