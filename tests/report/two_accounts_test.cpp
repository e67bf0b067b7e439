// Copies of the program run by two accounts on one shared data folder. Switching a copy to another account needs
// root: without it these tests are skipped.
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

constexpr uid_t kFirstAccount = 65534, kSecondAccount = 65533;
constexpr int kRounds = 24;

class TwoAccounts : public WorkbookTest {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root can run a copy under another account";
        WorkbookTest::SetUp();
    }
};

// A copy under the account that has added its row and, once the pipe go is closed, makes the program's last save.
pid_t StartClosingCopy(
    const std::filesystem::path& file, uid_t account, const std::wstring& pupil, int round, const int (&go)[2])
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::close(go[1]);
    bool saved = false;
    if (::setgroups(0, nullptr) == 0 && ::setgid(account) == 0 && ::setuid(account) == 0) {
        ::umask(022);
        if (auto report = IMReport::Open(Wide(file), pupil)) {
            report->AddRow(L"Запуск", std::to_wstring(round), L"Number");
            char byte;
            (void)!::read(go[0], &byte, 1);
            saved = report->SaveBeforeClosing();
        }
    }
    ::_exit(saved ? 0 : 1);
}

TEST_F(TwoAccounts, ClosingAtTheSameMomentLoseNoRun)
{
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    const auto file = folder_ / "book.xls";
    Rows expected;
    for (int round = 0; round < kRounds; ++round) {
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        const pid_t first = StartClosingCopy(file, kFirstAccount, L"Аня", round, go);
        const pid_t second = StartClosingCopy(file, kSecondAccount, L"Боря", round, go);
        ::close(go[0]);
        // Both copies wake at once when the pipe closes.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::close(go[1]);
        for (const pid_t copy : { first, second }) {
            const auto status = testing_support::WaitForChild(copy);
            EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "round " << round;
        }
        expected.push_back({ L"Запуск", std::to_wstring(round) });
    }
    auto document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetRows(*document, L"Аня"), expected);
    EXPECT_EQ(SheetRows(*document, L"Боря"), expected);
}

// In a folder where only a file's owner may remove it, another account's lock file stays after the lock is given
// up, and still serves; one that cannot be opened at all is said for what it is.
TEST_F(TwoAccounts, TheLockFileOfAnotherAccount)
{
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    const auto file = folder_ / "book.xls", lockFile = folder_ / ".report.lock";
    // Left by the second account, which neither owns the folder nor is the copy's.
    WriteBytes(lockFile, "");
    ASSERT_EQ(::chown(lockFile.c_str(), kSecondAccount, kSecondAccount), 0);
    ASSERT_EQ(::chmod(lockFile.c_str(), 0600), 0);
    EXPECT_EQ(testing_support::RunInChild(
                  [&]() -> std::string {
                      report::WorkbookLock lock(file.string(), std::chrono::milliseconds(0));
                      if (lock.Held() || lock.Error().find("Permission denied") == std::string::npos)
                          return "unusable lock file: " + lock.Error();
                      return "";
                  },
                  kFirstAccount),
        "");

    ASSERT_EQ(::chmod(lockFile.c_str(), 0644), 0);
    EXPECT_EQ(testing_support::RunInChild(
                  [&]() -> std::string {
                      {
                          report::WorkbookLock held(file.string(), std::chrono::milliseconds(0));
                          if (!held.Held())
                              return "first lock: " + held.Error();
                          report::WorkbookLock refused(file.string(), std::chrono::milliseconds(0));
                          if (refused.Held() || refused.Error() != "another copy of the program holds the workbook")
                              return "second lock: " + refused.Error();
                      }
                      report::WorkbookLock again(file.string(), std::chrono::milliseconds(0));
                      return again.Held() ? "" : "after release: " + again.Error();
                  },
                  kFirstAccount),
        "");
    EXPECT_TRUE(std::filesystem::exists(lockFile));
}

// In a shared folder with the sticky bit only a file's owner may replace it or move it aside: a save of another
// account's workbook says so, naming the folder, and leaves the workbook as it was.
TEST_F(TwoAccounts, AWorkbookOfAnotherAccountInAStickyFolderIsReplacedOnlyByItsOwner)
{
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    ASSERT_EQ(::chown(file.c_str(), kSecondAccount, kSecondAccount), 0);
    const std::string folder = "in the folder \"" + std::filesystem::canonical(folder_).string() + "\"";
    const auto saveSays = [&](const std::string& expected) {
        const std::string stored = ReadBytes(file);
        EXPECT_EQ(
            testing_support::RunInChild(
                [&]() -> std::string {
                    platform::DebugCapture capture;
                    auto report = IMReport::Open(Wide(file), L"Боря");
                    if (!report)
                        return "not opened";
                    report->AddRow(L"Запуск", L"1", L"Number");
                    const std::string said = platform::ToUtf8(capture.Text());
                    if (report->Save(L""))
                        return "saved";
                    const std::string line = platform::ToUtf8(capture.Text()).substr(said.size());
                    if (line.find(expected) == std::string::npos || line.find("not permitted") != std::string::npos)
                        return line;
                    return "";
                },
                kFirstAccount),
            "");
        EXPECT_EQ(ReadBytes(file), stored);
    };
    saveSays(folder + " only the owner of \"book.xls\" may replace it");
    WriteBytes(file, "<Workbook");
    saveSays(folder + " only the owner of \"book.xls\" may move it");
}

} // namespace
