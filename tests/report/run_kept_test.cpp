// Nothing a copy holds is lost: a workbook gone or damaged is rewritten with everything the report holds, also by
// the last save with nothing left unsaved, and a run the workbook cannot take goes into a workbook of its own.
#include <csignal>
#include <filesystem>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::wstring>>;

// A save that moved the damaged workbook aside and then could not write the new one (the disk full) leaves no
// workbook at all; the next save still writes the other pupils' sheets and every earlier row.
TEST_F(WorkbookTest, AWorkbookDamagedAndThenNotWrittenKeepsEverythingForTheNextSave)
{
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    RecordRun(file, L"Боря", L"Запуск", L"0");
    const std::string said = testing_support::RunInChild([&]() -> std::string {
        auto report = IMReport::Open(Wide(file), L"Боря");
        if (!report)
            return "no report";
        report->AddRow(L"Запуск", L"1", L"Number");
        WriteBytes(file, "<Workbook");
        // Files may grow to 16 bytes: the move aside goes through, the new workbook does not.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t room = limit.rlim_cur;
        limit.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (report->Save(L""))
            return "saved with no room";
        if (fs::exists(file))
            return "the damaged workbook stayed";
        limit.rlim_cur = room;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        report->AddRow(L"Запуск", L"2", L"Number");
        return report->Save(L"") ? "" : "not saved with room";
    });
    ASSERT_EQ(said, "");
    EXPECT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"0" } }));
    EXPECT_EQ(StoredRows(file, L"Боря"), (Rows { { L"Запуск", L"0" }, { L"Запуск", L"1" }, { L"Запуск", L"2" } }));
}

// Everything was saved, then the workbook was damaged or removed: the last save reads it all the same and writes
// what the copy holds.
TEST_F(WorkbookTest, TheLastSaveRewritesAWorkbookDamagedOrRemovedWithNothingUnsaved)
{
    for (const bool damaged : { true, false }) {
        const auto file = folder_ / (damaged ? "damaged" : "removed") / "book.xls";
        fs::create_directory(file.parent_path());
        RecordRun(file, L"Аня", L"Запуск", L"0");
        auto report = IMReport::Open(Wide(file), L"Боря");
        ASSERT_TRUE(report);
        report->AddRow(L"Запуск", L"1", L"Number");
        ASSERT_TRUE(report->Save(Wide(file.parent_path() / "." / "book.xls")));
        if (damaged)
            WriteBytes(file, "<Workbook><Worksheet");
        else
            fs::remove(file);
        EXPECT_TRUE(report->SaveBeforeClosing()) << damaged;
        EXPECT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"0" } })) << damaged;
        EXPECT_EQ(StoredRows(file, L"Боря"), (Rows { { L"Запуск", L"1" } })) << damaged;
        EXPECT_EQ(FilesIn(file.parent_path()).size(), damaged ? 2u : 1u) << "the damaged one kept aside";
    }
}

// A folder another account made, which this account cannot use: the last save writes the run into a workbook of
// its own in this account's data folder, says where and that this account may not write the folder in one line,
// and reports the run as not stored.
// - Made for that account alone (mode 0700): the workbook cannot be read; the file holds the rows not yet stored.
// - Readable but not writable, and the workbook removed after this copy read it: the file holds everything the
//   copy holds, the other pupil's sheet too.
TEST_F(WorkbookTest, ARunTheWorkbookCannotTakeIsKeptInAWorkbookOfItsOwn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can run a copy under another account";
    constexpr uid_t kAccount = 65534;
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    for (const bool removed : { false, true }) {
        const auto others = folder_ / (removed ? "read-only" : "private");
        fs::create_directory(others);
        ASSERT_EQ(::chmod(others.c_str(), removed ? 0755 : 0700), 0);
        const auto file = others / "book.xls";
        RecordRun(file, L"Аня", L"Запуск", L"0");
        // The lock file that account's copies left there, which every account may lock.
        WriteBytes(others / ".report.lock", "");
        const auto own = folder_ / (removed ? "own-2" : "own-1");
        fs::create_directory(own);
        ASSERT_EQ(::chown(own.c_str(), kAccount, kAccount), 0);

        int read[2], removal[2];
        ASSERT_EQ(::pipe(read), 0);
        ASSERT_EQ(::pipe(removal), 0);
        std::thread remover([&] {
            if (testing_support::ReadByteWithin(read[0]) && removed)
                fs::remove(file);
            (void)!::write(removal[1], "g", 1);
        });
        const std::string said = testing_support::RunInChild(
            [&]() -> std::string {
                ::setenv("XDG_DATA_HOME", own.c_str(), 1);
                platform::DebugCapture capture;
                auto report = IMReport::Open(Wide(file), L"Боря");
                if (!report)
                    return "no report";
                report->AddRow(L"Запуск", L"1", L"Number");
                (void)!::write(read[1], "r", 1);
                testing_support::ReadByteWithin(removal[0]);
                const size_t before = capture.Entries().size();
                if (report->SaveBeforeClosing())
                    return "said stored";
                return capture.Entries().size() == before + 1 ? platform::ToUtf8(capture.Entries().back())
                                                              : "lines: " + platform::ToUtf8(capture.Text());
            },
            kAccount);
        (void)!::write(read[1], "r", 1);
        remover.join();
        for (int fd : { read[0], read[1], removal[0], removal[1] })
            ::close(fd);

        if (!removed) {
            EXPECT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"0" } }));
        }
        const std::vector<fs::path> kept = FilesIn(own / "TIRQ");
        ASSERT_EQ(kept.size(), 1u) << said;
        EXPECT_TRUE(kept[0].string().starts_with("book.unsaved-")) << kept[0];
        EXPECT_EQ(kept[0].extension(), ".xls");
        const auto keptFile = own / "TIRQ" / kept[0];
        EXPECT_EQ(StoredRows(keptFile, L"Боря"), (Rows { { L"Запуск", L"1" } })) << removed;
        EXPECT_EQ(SheetNames(*ParseStrictly(ReadBytes(keptFile))).size(), removed ? 2u : 1u) << removed;
        EXPECT_NE(said.find(keptFile.string()), std::string::npos) << said;
        // Why, in words a teacher can act on: the folder, not the hidden lock file.
        EXPECT_NE(said.find("this account may not write in the folder \"" + others.string() + "\""), std::string::npos)
            << said;
    }
}

} // namespace
