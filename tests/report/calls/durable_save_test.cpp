// What a save promises beyond the bytes it writes: the new workbook is on the disk before it replaces the stored one,
// the replacement itself is flushed, and the workbook keeps the permissions it was given. A run kept in a file of its
// own is flushed, name and all, in the same way.
#include <memory>
#include <regex>

#include <sys/stat.h>

#include "platform/testing/debug_capture.h"
#include "report/report.h"
#include "tests/report/calls/file_calls.h"
#include "tests/support/workbook_fixture.h"

namespace {

using Calls = std::vector<std::string>;

// The calls with any temporary file named T and any kept file K.
Calls Named(Calls lines)
{
    for (std::string& line : lines) {
        line = std::regex_replace(line, std::regex("\\.report-[0-9]+-[0-9]+\\.tmp"), "T");
        line = std::regex_replace(line, std::regex("book\\.unsaved-[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.xls"), "K");
    }
    return lines;
}

// The file calls of a save to path.
Calls SaveCalls(IMReport& report, const std::wstring& path, testing_support::FileCalls& calls)
{
    calls.Take();
    EXPECT_TRUE(report.Save(path));
    return Named(calls.Take());
}

TEST_F(WorkbookTest, ASaveReachesTheDiskBeforeItReplacesTheStoredWorkbook)
{
    const auto file = folder_ / "book.xls";
    std::filesystem::create_directory(folder_ / "copies");
    auto report = IMReport::Open(Wide(file), L"Оля");
    ASSERT_TRUE(report);
    testing_support::FileCalls calls(folder_);

    // The lock is taken before anything is read and given up after the folder holding the new name is flushed;
    // the new file's bytes are flushed before it takes the workbook's name. The lock file goes while still held, so
    // that no copy locks a file that is no longer under the name.
    const Calls release { "unlink .report.lock", "close .report.lock" };
    const Calls replace { "create T", "lock T", "write T", "fsync T", "rename T book.xls", "open .", "fsync .",
        "close .", "close book.xls" };
    report->AddRow(L"Число попыток", L"1", L"Number");
    Calls expected { "create .report.lock", "lock .report.lock" };
    expected.insert(expected.end(), replace.begin(), replace.end());
    expected.insert(expected.end(), release.begin(), release.end());
    EXPECT_EQ(SaveCalls(*report, L"", calls), expected) << "a new workbook";

    report->AddRow(L"Число попыток", L"2", L"Number");
    expected = { "create .report.lock", "lock .report.lock", "open book.xls", "close book.xls" };
    expected.insert(expected.end(), replace.begin(), replace.end());
    expected.insert(expected.end(), release.begin(), release.end());
    EXPECT_EQ(SaveCalls(*report, L"", calls), expected) << "a stored workbook";

    // The copy takes in the stored workbook under the lock first.
    EXPECT_EQ(SaveCalls(*report, Wide(folder_ / "copies" / "copy.xls"), calls),
        (Calls { "create .report.lock", "lock .report.lock", "open book.xls", "close book.xls", "unlink .report.lock",
            "close .report.lock", "create copies/T", "lock copies/T", "write copies/T", "fsync copies/T",
            "rename copies/T copies/copy.xls", "open copies", "fsync copies", "close copies",
            "close copies/copy.xls" }))
        << "saved under another name";
}

// A run the workbook cannot take (no copy can lock it) is kept in a file of its own that is on the disk before it takes
// its name, and whose name is on the disk before the program says where the run went.
TEST_F(WorkbookTest, AKeptRunReachesTheDiskWithItsName)
{
    const auto file = folder_ / "book.xls";
    auto report = IMReport::Open(Wide(file), L"Оля");
    ASSERT_TRUE(report);
    report->AddRow(L"Число попыток", L"1", L"Number");
    std::filesystem::create_symlink("elsewhere", folder_ / ".report.lock");
    testing_support::FileCalls calls(folder_);
    platform::DebugCapture capture;
    EXPECT_FALSE(report->SaveBeforeClosing());
    EXPECT_EQ(Named(calls.Take()),
        (Calls {
            "create T", "lock T", "write T", "fsync T", "rename T K", "open .", "fsync .", "close .", "close K" }));
}

TEST_F(WorkbookTest, AHundredSavesLeaveNoFileOpen)
{
    const auto count = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Оля", L"Запуск", L"0");
    auto report = IMReport::Open(Wide(file), L"Оля");
    ASSERT_TRUE(report);
    const auto before = count();
    platform::DebugCapture capture;
    for (int n = 1; n <= 100; ++n) {
        report->AddRow(L"Запуск", std::to_wstring(n), L"Number");
        // Own saves, copies, a damaged workbook kept aside, a save that cannot write.
        if (n % 10 == 0)
            WriteBytes(file, "<Workbook>");
        const std::wstring target = n % 3 == 0 ? Wide(folder_ / "copy.xls") : n % 7 == 0 ? Wide(folder_) : L"";
        EXPECT_EQ(report->Save(target), n % 7 != 0 || n % 3 == 0) << n;
    }
    EXPECT_EQ(count(), before);
}

TEST_F(WorkbookTest, ASavedWorkbookKeepsItsPermissions)
{
    // Without the workbook's own mode, a new file would be readable by everyone under this mask.
    const mode_t mask = ::umask(022);
    std::shared_ptr<void> restore(nullptr, [mask](void*) { ::umask(mask); });
    const auto file = folder_ / "book.xls", copy = folder_ / "copy.xls";
    for (const mode_t mode : { 0600, 0640 }) {
        SCOPED_TRACE(testing::Message() << "mode " << std::oct << mode);
        RecordRun(file, L"Оля", L"Запуск", L"первый");
        WriteBytes(copy, "");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_EQ(::chmod(copy.c_str(), mode), 0);
        auto report = IMReport::Open(Wide(file), L"Оля");
        ASSERT_TRUE(report);
        report->AddRow(L"Запуск", L"второй", L"String");
        ASSERT_TRUE(report->Save(L""));
        ASSERT_TRUE(report->Save(Wide(copy)));
        struct stat saved, copied;
        ASSERT_EQ(::stat(file.c_str(), &saved), 0);
        ASSERT_EQ(::stat(copy.c_str(), &copied), 0);
        EXPECT_EQ(saved.st_mode & 07777, mode);
        EXPECT_EQ(copied.st_mode & 07777, mode) << "saved under another name over a stored file";
    }
}

} // namespace
