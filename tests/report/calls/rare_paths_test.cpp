// Ways through the file steps that this machine never takes by itself, forced at the C library: a file system whose
// rename cannot refuse to replace, a lock file replaced between its open and its lock, and a workbook's name given to
// a link between the save's look at its path and its lock.
#include <algorithm>
#include <chrono>
#include <ctime>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/kept_file.h"
#include "report/report.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "tests/report/calls/file_calls.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;

// "YYYYMMDD-HHMMSS" of the local time second.
std::string StampOf(std::time_t second)
{
    std::tm local {};
    ::localtime_r(&second, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

// Moving a damaged workbook aside and keeping a run take names by link where rename cannot refuse to replace: a copy
// kept earlier under the name the clock gives stays whole, and no name is left behind for the file that moved.
TEST_F(WorkbookTest, WithoutARenameThatRefusesToReplaceNoEarlierCopyIsReplaced)
{
    const auto file = folder_ / "book.xls";
    testing_support::FileCalls calls(folder_);
    calls.RefuseNoReplace();
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now; second < now + 5; ++second) {
        WriteBytes(folder_ / ("book.xls.broken-" + StampOf(second)), "earlier");
        WriteBytes(folder_ / ("book.unsaved-" + StampOf(second) + ".xls"), "earlier");
    }
    WriteBytes(file, "damaged");
    std::string movedTo, kept, error;
    ASSERT_TRUE(report::MoveAside(file.string(), movedTo, error)) << error;
    ASSERT_TRUE(report::WriteKeptFile(folder_.string(), file.string(), "run", kept, error)) << error;

    EXPECT_EQ(ReadBytes(movedTo), "damaged");
    EXPECT_EQ(ReadBytes(kept), "run");
    const std::vector<fs::path> files = FilesIn(folder_);
    EXPECT_EQ(files.size(), 12u) << testing::PrintToString(files);
    for (const fs::path& name : files) {
        if (folder_ / name == fs::path(movedTo) || folder_ / name == fs::path(kept))
            continue;
        EXPECT_EQ(ReadBytes(folder_ / name), "earlier") << name;
    }
    const auto lines = calls.Take();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.starts_with("link "); }), 2)
        << testing::PrintToString(lines);
}

// The copy that held the lock removed its lock file, and a third copy made a new one, between this copy's open and
// its lock: the lock this copy holds is the one on the file under the name, so no other copy can have it too.
TEST_F(WorkbookTest, ALockFileReplacedBeforeItIsLockedIsNotTheOneHeld)
{
    const auto file = folder_ / "book.xls";
    testing_support::FileCalls calls(folder_);
    calls.ReplaceBeforeNextLock(".report.lock");
    report::WorkbookLock first(file.string(), std::chrono::milliseconds(0));
    ASSERT_TRUE(first.Held()) << first.Error();
    report::WorkbookLock second(file.string(), std::chrono::milliseconds(0));
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(second.Error(), "another copy of the program holds the workbook");
    const auto lines = calls.Take();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "lock .report.lock"), 2) << testing::PrintToString(lines);
}

// Between the save's look at the workbook's path and its lock, the name is given to a symbolic link to another
// workbook: nothing is read through it, so the next save, finding no workbook, writes what this copy held, not what
// the link led to.
TEST_F(WorkbookTest, ALinkPutAtTheWorkbooksNameOnceItsPathIsKnownIsNotRead)
{
    const auto file = folder_ / "book.xls", secret = folder_ / "private" / "secret.xls";
    fs::create_directory(secret.parent_path());
    RecordRun(secret, L"Секрет", L"Запуск", L"0");
    RecordRun(file, L"Аня", L"Запуск", L"0");
    auto report = IMReport::Open(Wide(file), L"Боря");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"1", L"Number");
    {
        testing_support::FileCalls calls(folder_);
        calls.BeforeNextLock(".report.lock", [&] {
            fs::remove(file);
            fs::create_symlink(secret, file);
        });
        platform::DebugCapture capture;
        EXPECT_FALSE(report->Save(L""));
        EXPECT_NE(capture.Text().find(L"a symbolic link"), std::wstring::npos) << platform::ToUtf8(capture.Text());
    }
    fs::remove(file);
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(SheetNames(*ParseStrictly(ReadBytes(file))), (std::vector<std::wstring> { L"Аня", L"Боря" }));
}

} // namespace
