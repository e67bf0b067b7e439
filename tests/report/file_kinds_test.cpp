// Only regular files are read, locked or replaced: a FIFO or a device under the workbook's or the lock file's name
// is said in one line, never waited on and never replaced. Files a save makes in a folder other accounts write are
// readable by them.
#include <chrono>
#include <filesystem>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "report/report.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr uid_t kOtherAccount = 65534;

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

std::string Mode(const fs::path& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "none";
    char text[8];
    std::snprintf(text, sizeof text, "%04o", st.st_mode & 07777);
    return text;
}

// Everything that waits on a FIFO runs in a child, so that a wait kills the child instead of hanging the test.
TEST_F(WorkbookTest, AFifoAsTheLockFileIsReportedWithoutWaiting)
{
    const auto file = folder_ / "book.xls", lockFile = folder_ / ".report.lock";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    const std::string stored = ReadBytes(file);
    auto report = IMReport::Open(Wide(file), L"Аня");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_EQ(::mkfifo(lockFile.c_str(), 0666), 0);

    EXPECT_EQ(testing_support::RunInChild([&]() -> std::string {
        report::WorkbookLock lock(file.string(), std::chrono::seconds(3));
        if (lock.Held() || !lock.Error().starts_with("lock file \"")
            || !lock.Error().ends_with(".report.lock\": not a regular file (a FIFO)"))
            return "lock: " + lock.Error();
        if (!IMReport::Open(Wide(file), L"Боря"))
            return "no report at a Start";
        platform::DebugCapture capture;
        if (report->Save(L""))
            return "saved";
        if (capture.Entries().size() != 1 || !Contains(capture.Text(), L"not a regular file (a FIFO)"))
            return "said: " + testing::PrintToString(capture.Entries());
        return "";
    }),
        "");
    EXPECT_TRUE(fs::is_fifo(lockFile));
    EXPECT_EQ(ReadBytes(file), stored);

    // The row waited for the next save.
    fs::remove(lockFile);
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(file)), L"Аня"), (Rows { { L"Запуск", L"0" }, { L"Запуск", L"1" } }));
}

// The workbook's name is a link to node, which is not a regular file: the copy starts empty and its save fails,
// each with one line saying what the node is, and neither the link nor the node is replaced.
void ExpectNeverReplaced(const fs::path& folder, const fs::path& node, const std::wstring& kind)
{
    const auto file = folder / "book.xls";
    fs::create_symlink(node.filename(), file);
    struct stat before;
    ASSERT_EQ(::lstat(node.c_str(), &before), 0);
    EXPECT_EQ(testing_support::RunInChild([&]() -> std::string {
        platform::DebugCapture capture;
        auto report = IMReport::Open(Wide(file), L"Аня");
        if (!report)
            return "no report";
        report->AddRow(L"Запуск", L"1", L"Number");
        const bool saved = report->Save(L"");
        if (saved || capture.Entries().size() != 2)
            return (saved ? "saved; said: " : "said: ") + testing::PrintToString(capture.Entries());
        for (const std::wstring& line : capture.Entries()) {
            if (!Contains(line, L"not a regular file (" + kind + L")"))
                return "said: " + testing::PrintToString(line);
        }
        if (report::ReadWholeFile(file.string()).status != report::ReadStatus::NotRegular)
            return "read as something else than a file that is not regular";
        std::string error;
        for (const fs::path& name : { file, node }) {
            if (report::ReplaceFile(name.string(), "replaced", error)
                || error.find("not a regular file") == std::string::npos)
                return name.filename().string() + " replaced: " + error;
        }
        return "";
    }),
        "");
    struct stat after;
    ASSERT_EQ(::lstat(node.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(FilesIn(folder), (Paths { "book.xls", node.filename() }));
}

TEST_F(WorkbookTest, AWorkbookLinkedToAFifoIsNeverReplaced)
{
    const auto node = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(node.c_str(), 0666), 0);
    ExpectNeverReplaced(folder_, node, L"a FIFO");
}

TEST_F(WorkbookTest, AWorkbookLinkedToADeviceIsNeverReplaced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a device node";
    // The null device's numbers, made in the test's own folder.
    const auto node = folder_ / "null";
    if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "this system lets no one make a device node: " << std::strerror(errno);
    ExpectNeverReplaced(folder_, node, L"a character device");
}

// A folder every account writes, and a copy whose mask keeps its files to itself: the lock file and a new workbook
// are readable by every account all the same; a workbook that exists keeps its permissions.
TEST_F(WorkbookTest, FilesMadeInASharedFolderAreReadableByEveryAccount)
{
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    const auto file = folder_ / "book.xls";
    const auto saveUnderOwnMask = [&]() -> std::string {
        ::umask(077);
        {
            report::WorkbookLock lock(file.string(), std::chrono::milliseconds(0));
            if (!lock.Held())
                return "lock: " + lock.Error();
            if (Mode(folder_ / ".report.lock") != "0644")
                return "lock file mode " + Mode(folder_ / ".report.lock");
        }
        auto report = IMReport::Open(Wide(file), L"Аня");
        if (!report)
            return "no report";
        report->AddRow(L"Запуск", L"1", L"Number");
        return report->Save(L"") ? "" : "not saved";
    };
    EXPECT_EQ(testing_support::RunInChild(saveUnderOwnMask), "");
    EXPECT_EQ(Mode(file), "0644");
    // Only root can read it as another account.
    if (::geteuid() == 0) {
        EXPECT_EQ(testing_support::RunInChild(
                      [&]() -> std::string {
                          const report::FileContents read = report::ReadWholeFile(file.string());
                          return read.status == report::ReadStatus::Read ? "" : "not read: " + read.error;
                      },
                      kOtherAccount),
            "");
    }

    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    EXPECT_EQ(testing_support::RunInChild(saveUnderOwnMask), "");
    EXPECT_EQ(Mode(file), "0640");
}

} // namespace
