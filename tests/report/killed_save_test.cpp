// Saves of a real separate process, killed at random moments.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/support/workbook_fixture.h"

extern char** environ;

namespace {

using Paths = std::vector<std::filesystem::path>;

const std::wstring kPupil = L"Ученик";

// The saver program working on one workbook; its output comes through a pipe.
class Saver {
public:
    explicit Saver(const std::filesystem::path& file)
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        const std::string path = file.string(), pupil = platform::ToUtf8(kPupil);
        char* argv[] = { const_cast<char*>(REPORT_SAVER), const_cast<char*>(path.c_str()),
            const_cast<char*>(pupil.c_str()), nullptr };
        if (::posix_spawn(&pid_, REPORT_SAVER, &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        pipe_ = pipe[0];
    }
    ~Saver()
    {
        Kill();
        if (pipe_ >= 0)
            ::close(pipe_);
    }

    pid_t Pid() const { return pid_; }

    // Waits until the saver reports its first completed save; false when none comes in time.
    bool AwaitFirstSave(std::chrono::milliseconds timeout)
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (output_.find('\n') == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            pollfd ready { pipe_, POLLIN, 0 };
            if (left.count() <= 0 || ::poll(&ready, 1, int(left.count())) <= 0 || !ReadSome())
                return false;
        }
        return true;
    }

    // Kills the saver and gives the rows its last reported save held, 0 when it reported none.
    size_t Kill()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
        while (ReadSome()) { }
        auto end = output_.rfind('\n');
        if (end == std::string::npos)
            return 0;
        auto start = end == 0 ? std::string::npos : output_.rfind('\n', end - 1);
        return std::stoul(output_.substr(start == std::string::npos ? 0 : start + 1, end));
    }

private:
    bool ReadSome()
    {
        char buffer[4096];
        ssize_t got = pipe_ >= 0 ? ::read(pipe_, buffer, sizeof buffer) : 0;
        if (got > 0)
            output_.append(buffer, size_t(got));
        return got > 0;
    }

    pid_t pid_ = -1;
    int pipe_ = -1;
    std::string output_;
};

std::vector<std::string> Temporaries(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    for (const auto& name : FilesIn(folder))
        if (name.string().rfind(".report-", 0) == 0)
            found.push_back(name.string());
    return found;
}

TEST_F(WorkbookTest, SavesKilledAtRandomMomentsLoseNothingAlreadySaved)
{
    // KILL_SEED repeats a run.
    const char* given = std::getenv("KILL_SEED");
    const unsigned seed = given ? unsigned(std::stoul(given)) : std::random_device {}();
    std::cout << "kill-during-save seed: " << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    // Long enough for a few saves, so that kills land during and between them.
    std::uniform_int_distribution<int> lifetime(0, 20000);

    const auto file = folder_ / "book.xls";
    size_t saved = 0;
    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        Saver saver(file);
        ASSERT_GT(saver.Pid(), 0);
        const pid_t pid = saver.Pid();
        ASSERT_TRUE(saver.AwaitFirstSave(std::chrono::seconds(20)));
        std::this_thread::sleep_for(std::chrono::microseconds(lifetime(random)));
        const size_t reported = saver.Kill();
        ASSERT_GT(reported, saved) << "the saver did not find the rows saved before";
        saved = reported;

        auto document = ParseStrictly(ReadBytes(file));
        ASSERT_TRUE(document);
        ASSERT_GE(SheetRows(*document, kPupil).size(), saved);
        // The saver's first save removed the leftovers of the savers killed before.
        for (const auto& name : Temporaries(folder_))
            EXPECT_EQ(name.rfind(".report-" + std::to_string(pid) + "-", 0), 0u) << name;
    }
    RecordRun(file, kPupil, L"Сохранение", L"последнее");
    EXPECT_EQ(FilesIn(folder_), Paths { "book.xls" });
}

// A child process that is still running, or has run and is gone.
pid_t LiveProcess()
{
    pid_t pid = ::fork();
    if (pid == 0) {
        ::pause();
        ::_exit(0);
    }
    return pid;
}

pid_t GoneProcess()
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST_F(WorkbookTest, LeftoverTemporariesGoOnlyOnceTheirProcessIsGone)
{
    const auto file = folder_ / "book.xls";
    RecordRun(file, kPupil, L"Число попыток", L"1");
    const pid_t live = LiveProcess(), gone = GoneProcess();
    std::shared_ptr<void> reap(nullptr, [live](void*) {
        ::kill(live, SIGKILL);
        ::waitpid(live, nullptr, 0);
    });
    ASSERT_GT(live, 0);
    ASSERT_GT(gone, 0);
    const std::string ofLive = ".report-" + std::to_string(live) + "-1.tmp";
    const std::string ofGone = ".report-" + std::to_string(gone) + "-1.tmp";
    auto leave = [&](const std::string& name) { WriteBytes(folder_ / name, "<Workbook"); };
    for (const auto& name : { ofLive, ofGone, std::string(".report-x-1.tmp"), std::string("notes.tmp") })
        leave(name);
    const Paths others = { ".report-x-1.tmp", "book.xls", "notes.tmp" };
    Paths withLive = others;
    withLive.insert(withLive.begin(), ofLive);

    auto report = IMReport::Open(Wide(file), kPupil);
    ASSERT_TRUE(report);
    EXPECT_EQ(FilesIn(folder_), withLive) << "opening removes what a gone process left";

    leave(ofGone);
    report->AddRow(L"Число попыток", L"2", L"Number");
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(FilesIn(folder_), withLive) << "saving removes it too";

    reap.reset();
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(FilesIn(folder_), others);
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(file)), kPupil).size(), 2u);
}

} // namespace
