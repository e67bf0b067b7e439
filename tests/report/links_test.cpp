// One workbook, whatever path leads to it: through symbolic links, a hard link or another spelling of its name, a
// save is the workbook's own save, and no link is replaced by a plain file.
#include <filesystem>

#include <sys/stat.h>

#include "report/report.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::wstring>>;

// The data folder's workbook reached through a link on the teacher's desktop, and through a linked data folder, by
// two copies at once: both runs reach the real workbook, under one lock, and the links stay links.
TEST_F(WorkbookTest, CopiesReachingTheWorkbookThroughLinksSaveIntoIt)
{
    fs::create_directories(folder_ / "data" / "TIRQ");
    fs::create_directories(folder_ / "desktop");
    const auto real = folder_ / "data" / "TIRQ" / "book.xls";
    RecordRun(real, L"Аня", L"Запуск", L"0");
    fs::create_symlink("../data/TIRQ/book.xls", folder_ / "desktop" / "book.xls");
    fs::create_directory_symlink(folder_ / "data", folder_ / "linked-data");

    auto throughLink = IMReport::Open(Wide(folder_ / "desktop" / "book.xls"), L"Аня");
    auto throughFolder = IMReport::Open(Wide(folder_ / "linked-data" / "TIRQ" / "book.xls"), L"Боря");
    ASSERT_TRUE(throughLink && throughFolder);
    throughLink->AddRow(L"Запуск", L"1", L"Number");
    throughFolder->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_TRUE(throughLink->Save(L""));
    ASSERT_TRUE(throughFolder->Save(L""));
    throughLink->AddRow(L"Запуск", L"2", L"Number");
    ASSERT_TRUE(throughLink->Save(L""));

    EXPECT_TRUE(fs::is_symlink(folder_ / "desktop" / "book.xls"));
    EXPECT_EQ(FilesIn(folder_ / "desktop"), std::vector<fs::path> { "book.xls" });
    EXPECT_EQ(FilesIn(folder_ / "data" / "TIRQ"), std::vector<fs::path> { "book.xls" });
    EXPECT_EQ(StoredRows(real, L"Аня"), (Rows { { L"Запуск", L"0" }, { L"Запуск", L"1" }, { L"Запуск", L"2" } }));
    EXPECT_EQ(StoredRows(real, L"Боря"), (Rows { { L"Запуск", L"1" } }));
}

// A link on the desktop to a link to the workbook: the save reaches the file at the end of the chain, and both
// links stay links.
TEST_F(WorkbookTest, AChainOfLinksLeadsToTheWorkbook)
{
    fs::create_directory(folder_ / "data");
    const auto real = folder_ / "data" / "book.xls";
    RecordRun(real, L"Аня", L"Запуск", L"0");
    fs::create_symlink("data/book.xls", folder_ / "middle.xls");
    fs::create_symlink("middle.xls", folder_ / "desktop.xls");

    auto report = IMReport::Open(Wide(folder_ / "desktop.xls"), L"Аня");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_TRUE(report->Save(L""));

    EXPECT_TRUE(fs::is_symlink(folder_ / "middle.xls"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "desktop.xls"));
    EXPECT_EQ(FilesIn(folder_ / "data"), std::vector<fs::path> { "book.xls" });
    EXPECT_EQ(StoredRows(real, L"Аня"), (Rows { { L"Запуск", L"0" }, { L"Запуск", L"1" } }));
}

// Save As to a path that is the workbook: the rows go into the workbook once (and under a second name typed), under
// its lock, merged with what another copy saved, and a link named is left a link.
TEST_F(WorkbookTest, SaveAsToAPathThatIsTheWorkbookIsItsOwnSave)
{
    const auto file = folder_ / "book.xls";
    auto anna = IMReport::Open(Wide(file), L"Аня");
    auto boris = IMReport::Open(Wide(file), L"Боря");
    ASSERT_TRUE(anna && boris);

    // Before the file first exists, under another spelling of its folder.
    anna->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_TRUE(anna->Save(Wide(folder_ / "." / "book.xls")));
    ASSERT_TRUE(anna->Save(L""));
    EXPECT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"1" } }));

    fs::create_hard_link(file, folder_ / "hard.xls");
    fs::create_symlink("book.xls", folder_ / "soft.xls");
    boris->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_TRUE(boris->Save(Wide(folder_ / "hard.xls")));
    // The save parts the two names; the workbook has the run at once, and the name typed still gets it.
    EXPECT_EQ(StoredRows(file, L"Боря"), (Rows { { L"Запуск", L"1" } }));
    EXPECT_EQ(StoredRows(folder_ / "hard.xls", L"Боря"), (Rows { { L"Запуск", L"1" } }));
    boris->AddRow(L"Запуск", L"2", L"Number");
    ASSERT_TRUE(boris->Save(Wide(folder_ / "soft.xls")));
    ASSERT_TRUE(boris->Save(L""));

    EXPECT_TRUE(fs::is_symlink(folder_ / "soft.xls"));
    EXPECT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"1" } }));
    EXPECT_EQ(StoredRows(file, L"Боря"), (Rows { { L"Запуск", L"1" }, { L"Запуск", L"2" } }));
}

// Save As to a link that leads to another file writes that file and keeps the link.
TEST_F(WorkbookTest, SaveAsThroughALinkToAnotherFileKeepsTheLink)
{
    const auto file = folder_ / "book.xls";
    fs::create_directory(folder_ / "copies");
    fs::create_symlink("copies/copy.xls", folder_ / "copy.xls");
    auto report = IMReport::Open(Wide(file), L"Аня");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"1", L"Number");
    ASSERT_TRUE(report->Save(Wide(folder_ / "copy.xls")));
    EXPECT_TRUE(fs::is_symlink(folder_ / "copy.xls"));
    EXPECT_EQ(StoredRows(folder_ / "copies" / "copy.xls", L"Аня"), (Rows { { L"Запуск", L"1" } }));
}

} // namespace
