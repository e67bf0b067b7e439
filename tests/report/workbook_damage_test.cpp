#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include <sys/resource.h>
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

using Paths = std::vector<std::filesystem::path>;

// A saved workbook holding one sheet with one row.
std::string StoredWorkbook(const std::filesystem::path& file)
{
    RecordRun(file, L"Старый", L"Число попыток", L"3");
    return ReadBytes(file);
}

// The one file of the folder, which must be a copy kept aside; a failure, and no path, when there is none.
std::filesystem::path OnlyBrokenCopy(const std::filesystem::path& folder)
{
    Paths files = FilesIn(folder);
    if (files.size() != 1 || !files[0].string().starts_with("book.xls.broken-")) {
        ADD_FAILURE() << "no single copy kept aside among " << testing::PrintToString(files);
        return {};
    }
    return folder / files[0];
}

struct Damage {
    const char* name;
    const char* bytes; // "truncated": the first half of a stored workbook
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << damage.name;
}

class DamagedWorkbook : public WorkbookTest, public testing::WithParamInterface<Damage> { };

TEST_P(DamagedWorkbook, IsKeptAsideAndTheReportStartsEmpty)
{
    auto file = folder_ / "book.xls";
    std::string damaged = GetParam().bytes;
    if (damaged == "truncated") {
        std::string whole = StoredWorkbook(file);
        damaged = whole.substr(0, whole.size() / 2);
    }
    WriteBytes(file, damaged);

    platform::DebugCapture capture;
    auto report = IMReport::Open(Wide(file), L"Новый");
    ASSERT_TRUE(report);
    EXPECT_EQ(capture.Entries().size(), 1u) << platform::ToUtf8(capture.Text());
    EXPECT_FALSE(std::filesystem::exists(file));
    auto aside = OnlyBrokenCopy(folder_);
    EXPECT_EQ(ReadBytes(aside), damaged);
    std::string stamp = aside.filename().string().substr(std::strlen("book.xls.broken-"));
    EXPECT_EQ(stamp.size(), 15u);
    EXPECT_EQ(stamp[8], '-');

    report->AddRow(L"Число попыток", L"0", L"Number");
    ASSERT_TRUE(report->Save(L""));
    auto document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetNames(*document), std::vector<std::wstring> { L"Новый" });
    EXPECT_EQ(ReadBytes(aside), damaged);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedWorkbook,
    testing::Values(Damage { "Empty", "" }, Damage { "Truncated", "truncated" },
        Damage { "Unbalanced", "<Workbook><Worksheet></Workbook>" }, Damage { "NotXml", "not a workbook at all" },
        Damage { "UnknownVersion", "<?xml version=\"1.(0\"?><Workbook/>" },
        Damage { "EntityBomb",
            "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
            "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
            "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]><Workbook>&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;</Workbook>" }),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// Another program damaged the workbook while this copy had it open: the damaged file is kept aside and the save writes
// everything the copy holds, the sheets and rows it read as well as its own new rows.
TEST_F(WorkbookTest, AWorkbookDamagedWhileOpenIsKeptAsideAndRewrittenWhole)
{
    auto file = folder_ / "book.xls";
    RecordRun(file, L"Старый", L"Число попыток", L"3");
    RecordRun(file, L"Новый", L"Запуск", L"первый");
    auto report = IMReport::Open(Wide(file), L"Новый");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"второй", L"String");
    ASSERT_TRUE(report->Save(L""));
    WriteBytes(file, "<Workbook>");

    platform::DebugCapture capture;
    report->AddRow(L"Запуск", L"третий", L"String");
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(capture.Entries().size(), 1u);
    auto document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetNames(*document), (std::vector<std::wstring> { L"Старый", L"Новый" }));
    EXPECT_EQ(SheetRows(*document, L"Старый"), (std::vector<std::vector<std::wstring>> { { L"Число попыток", L"3" } }));
    EXPECT_EQ(SheetRows(*document, L"Новый"),
        (std::vector<std::vector<std::wstring>> {
            { L"Запуск", L"первый" }, { L"Запуск", L"второй" }, { L"Запуск", L"третий" } }));
    std::filesystem::remove(file);
    EXPECT_EQ(ReadBytes(OnlyBrokenCopy(folder_)), "<Workbook>");
}

// A stored workbook that cannot be read for a reason of its reader, not of its content, stays where it is: the save
// fails with one line, a copy opened meanwhile starts empty with one line, and the rows of both join the workbook
// once it can be read.
class UnreadableAtSave : public WorkbookTest {
protected:
    // In a child process: the workbook of one run, then tries of a save and an Open of another copy, each while
    // limit(n) holds for the n-th try (n = 0, 1, ...), until one fails for the reason said; after lift the saves
    // of both. limit gives false when no try is left. A try that fails otherwise, as the limit may make anything
    // fail, is followed by the next; whatever failed, nothing is touched. What went wrong, "" when nothing did.
    std::string SaveWhileUnreadable(
        const std::function<bool(int)>& limit, const std::function<void()>& lift, const std::wstring& reason)
    {
        const auto file = folder_ / "book.xls";
        return testing_support::RunInChild(
            [&]() -> std::string {
                if (!std::filesystem::exists(file))
                    RecordRun(file, L"Новый", L"Запуск", L"первый");
                auto report = IMReport::Open(Wide(file), L"Новый");
                if (!report)
                    return "no report";
                report->AddRow(L"Запуск", L"второй", L"String");
                const std::string stored = ReadBytes(file);
                platform::DebugCapture capture;
                std::unique_ptr<IMReport> late;
                for (int n = 0; !late; ++n) {
                    capture.Clear();
                    if (!limit(n))
                        return "no try failed for the reason; the last said "
                            + testing::PrintToString(capture.Entries());
                    const bool saved = report->Save(L"");
                    late = saved ? nullptr : IMReport::Open(Wide(file), L"Новый");
                    lift();
                    if (saved)
                        return "saved at try " + std::to_string(n);
                    if (FilesIn(folder_) != Paths { "book.xls" } || ReadBytes(file) != stored)
                        return "the stored workbook was touched at try " + std::to_string(n);
                    const auto lines = capture.Entries();
                    if (late
                        && (lines.size() != 2 || lines[0].find(reason) == std::wstring::npos
                            || lines[1].find(reason) == std::wstring::npos))
                        late.reset();
                }
                late->AddRow(L"Запуск", L"третий", L"String");
                return report->Save(L"") && late->Save(L"") ? "" : "not saved once readable";
            },
            account_);
    }

    void ExpectEveryRow()
    {
        EXPECT_EQ(FilesIn(folder_), Paths { "book.xls" });
        auto document = ParseStrictly(ReadBytes(folder_ / "book.xls"));
        EXPECT_EQ(SheetRows(*document, L"Новый"),
            (std::vector<std::vector<std::wstring>> {
                { L"Запуск", L"первый" }, { L"Запуск", L"второй" }, { L"Запуск", L"третий" } }));
    }

    std::optional<uid_t> account_;
};

TEST_F(UnreadableAtSave, ForWantOfPermission)
{
    // Root reads any file: the save then runs under an account of its own, which owns the folder and the workbook.
    if (::geteuid() == 0) {
        account_ = 65534;
        ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    }
    const auto file = folder_ / "book.xls";
    EXPECT_EQ(SaveWhileUnreadable([&](int n) { return n == 0 && ::chmod(file.c_str(), 0) == 0; },
                  [&] { ::chmod(file.c_str(), 0644); }, L"Permission denied"),
        "");
    ExpectEveryRow();
}

TEST_F(UnreadableAtSave, ForWantOfMemory)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit leaves";
#endif
    // A large, good workbook: 1500 sheets.
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Новый", L"Запуск", L"первый");
    std::string bytes = ReadBytes(file);
    std::string sheets;
    for (int n = 0; n < 1500; ++n) {
        sheets += "<Worksheet ss:Name=\"Лист " + std::to_string(n) + "\"><Table>";
        for (int row = 0; row < 40; ++row)
            sheets += "<Row><Cell><Data ss:Type=\"String\">Запуск</Data></Cell>"
                      "<Cell><Data ss:Type=\"Number\">"
                + std::to_string(row) + "</Data></Cell></Row>";
        sheets += "</Table></Worksheet>";
    }
    bytes.insert(bytes.rfind("</Workbook>"), sheets);
    WriteBytes(file, bytes);
    rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &before), 0);
    // How much more address space an allocator takes for what it is asked depends on the allocator: the room left
    // above what the process has mapped grows from 1 MB by a quarter a try, until the workbook no longer fits in it
    // but an empty one does.
    EXPECT_EQ(SaveWhileUnreadable(
                  [&](int n) {
                      const double room = (1u << 20) * std::pow(1.25, n);
                      if (room > double(1u << 30))
                          return false;
                      long pages = 0;
                      std::ifstream("/proc/self/statm") >> pages;
                      const rlimit limit { rlim_t(pages) * ::sysconf(_SC_PAGESIZE) + rlim_t(room), before.rlim_max };
                      return ::setrlimit(RLIMIT_AS, &limit) == 0;
                  },
                  [&] { ::setrlimit(RLIMIT_AS, &before); }, L"out of memory"),
        "");
    auto document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetNames(*document).size(), 1501u);
    ExpectEveryRow();
}

// A damaged workbook is never overwritten unread: while it cannot be kept aside, the report starts empty and its
// saves fail, each with its line.
TEST_F(WorkbookTest, DamagedWorkbookThatCannotBeMovedIsLeftAlone)
{
    // Room for the name, not for the name with the ".broken-" suffix.
    auto file = folder_ / std::string(250, 'x');
    WriteBytes(file, "<Workbook>");
    platform::DebugCapture capture;
    auto report = IMReport::Open(Wide(file), L"Ира");
    ASSERT_TRUE(report);
    EXPECT_EQ(capture.Entries().size(), 1u) << platform::ToUtf8(capture.Text());
    report->AddRow(L"Время", L"10:15", L"String");
    EXPECT_FALSE(report->Save(L""));
    EXPECT_EQ(capture.Entries().size(), 2u) << platform::ToUtf8(capture.Text());
    EXPECT_EQ(ReadBytes(file), "<Workbook>");
}

// Another copy may be replacing a damaged workbook this moment: a copy opened while it holds the lock leaves the file
// where it is, and the copy's first save, under the lock, keeps it aside.
TEST_F(WorkbookTest, ADamagedWorkbookIsKeptAsideOnlyUnderTheLock)
{
    const auto file = folder_ / "book.xls";
    WriteBytes(file, "<Workbook>");
    platform::DebugCapture capture;
    std::unique_ptr<IMReport> report;
    {
        report::WorkbookLock other(file.string(), std::chrono::seconds(0));
        ASSERT_TRUE(other.Held());
        report = IMReport::Open(Wide(file), L"Ира");
        ASSERT_TRUE(report);
        EXPECT_EQ(FilesIn(folder_), (Paths { ".report.lock", "book.xls" }));
        EXPECT_EQ(ReadBytes(file), "<Workbook>");
    }
    EXPECT_EQ(capture.Entries().size(), 1u) << platform::ToUtf8(capture.Text());
    report->AddRow(L"Время", L"10:15", L"String");
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(StoredRows(file, L"Ира"), (std::vector<std::vector<std::wstring>> { { L"Время", L"10:15" } }));
    std::filesystem::remove(file);
    EXPECT_EQ(ReadBytes(OnlyBrokenCopy(folder_)), "<Workbook>");
}

TEST_F(WorkbookTest, MovingAsideNeverReplacesAnEarlierCopy)
{
    auto file = folder_ / "book.xls";
    std::string first, second, error;
    WriteBytes(file, "one");
    ASSERT_TRUE(report::MoveAside(file.string(), first, error));
    WriteBytes(file, "two");
    ASSERT_TRUE(report::MoveAside(file.string(), second, error));
    EXPECT_NE(first, second);
    EXPECT_EQ(ReadBytes(first), "one");
    EXPECT_EQ(ReadBytes(second), "two");
}

TEST_F(WorkbookTest, DoctypeNeverPullsInLocalFiles)
{
    auto secret = folder_ / "secret.txt";
    WriteBytes(secret, "SECRET-CONTENT");
    // Loading this DTD would be a parse error and move the workbook aside.
    WriteBytes(folder_ / "broken.dtd", "<!ENTITY this is not a DTD");
    auto file = folder_ / "book.xls";
    const std::string stored = "<?xml version=\"1.0\"?><!DOCTYPE Workbook SYSTEM \"" + (folder_ / "broken.dtd").string()
        + "\" [<!ENTITY leak SYSTEM \"file://" + secret.string() + "\">]>"
        + "<Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
          "<Worksheet ss:Name=\"Z\"><Table><Row><Cell><Data ss:Type=\"String\">&leak;</Data></Cell></Row>"
          "</Table></Worksheet></Workbook>";
    WriteBytes(file, stored);

    auto report = IMReport::Open(Wide(file), L"Z");
    ASSERT_TRUE(report);
    report->AddRow(L"a", L"b", L"String");
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(FilesIn(folder_), (Paths { "book.xls", "broken.dtd", "secret.txt" }));
    std::string saved = ReadBytes(file);
    EXPECT_EQ(saved.find("SECRET"), std::string::npos);
    EXPECT_NE(saved.find("<Row><Cell><Data ss:Type=\"String\">a</Data>"), std::string::npos);
}

TEST_F(WorkbookTest, PredefinedEntitiesAreNotLimited)
{
    auto file = folder_ / "book.xls";
    auto report = IMReport::Open(Wide(file), L"Ян");
    ASSERT_TRUE(report);
    for (int i = 0; i < 3000; ++i)
        report->AddRow(L"<&>", L"&&", L"String");
    ASSERT_TRUE(report->Save(L""));
    report = IMReport::Open(Wide(file), L"Ян");
    ASSERT_TRUE(report);
    EXPECT_EQ(FilesIn(folder_), Paths { "book.xls" });
}

class FailingSave : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        file_ = folder_ / "book.xls";
        stored_ = StoredWorkbook(file_);
        report_ = IMReport::Open(Wide(file_), L"Старый");
        ASSERT_TRUE(report_);
        report_->AddRow(L"Число попыток", L"4", L"Number");
    }

    // The save failed, said so once, and left the folder as it was.
    void ExpectCleanFailure(bool saved, const Paths& folderBefore)
    {
        EXPECT_FALSE(saved);
        EXPECT_EQ(capture_.Entries().size(), 1u);
        EXPECT_EQ(FilesIn(folder_), folderBefore);
        EXPECT_EQ(ReadBytes(file_), stored_);
    }

    std::filesystem::path file_;
    std::string stored_;
    std::unique_ptr<IMReport> report_;
    platform::DebugCapture capture_;
};

TEST_F(FailingSave, IntoAFolderThatCannotExist)
{
    WriteBytes(folder_ / "plain", "x");
    ExpectCleanFailure(report_->Save(Wide(folder_ / "plain" / "book.xls")), Paths { "book.xls", "plain" });
    EXPECT_EQ(ReadBytes(folder_ / "plain"), "x");
}

TEST_F(FailingSave, OverAFolder)
{
    std::filesystem::create_directory(folder_ / "dir.xls");
    ExpectCleanFailure(report_->Save(Wide(folder_ / "dir.xls")), Paths { "book.xls", "dir.xls" });
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "dir.xls"));
}

TEST_F(FailingSave, WhenTheDiskRefusesTheBytes)
{
    // The limit holds for the whole process: later tests in it must write again.
    rlimit before;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    std::shared_ptr<void> restore(nullptr, [&](void*) {
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, signalBefore);
    });
    rlimit limit { static_cast<rlim_t>(stored_.size() / 2), before.rlim_max };
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExpectCleanFailure(report_->Save(L""), Paths { "book.xls" });
}

TEST_F(FailingSave, WithAZeroCharacterInTheName)
{
    ExpectCleanFailure(report_->Save(std::wstring(L"book.xls\0x", 10)), Paths { "book.xls" });
}

TEST_F(FailingSave, AndTheNextSaveStillWorks)
{
    EXPECT_FALSE(report_->Save(Wide(folder_)));
    ASSERT_TRUE(report_->Save(L""));
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(file_)), L"Старый").size(), 2u);
}

} // namespace
