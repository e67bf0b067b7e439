// A workbook after a teacher opened it in a spreadsheet program and saved it again: every element prefixed, rows
// placed by ss:Index and repeated by ss:Span, the table's extent declared, styles on rows.
#include "report/report.h"
#include "tests/support/workbook_fixture.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

class ResavedWorkbook : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        file_ = folder_ / "book.xls";
        std::filesystem::copy_file(REPORT_FIXTURES "/resaved_workbook.xml", file_);
    }

    std::filesystem::path file_;
};

TEST_F(ResavedWorkbook, ANewRunJoinsThePupilsSheetAndTheTableGrowsToHoldIt)
{
    auto report = IMReport::Open(Wide(file_), L"Иванов");
    ASSERT_TRUE(report);
    report->AddRow(L"Число попыток", L"0", L"Number");
    report->AddEmptyRow();
    ASSERT_TRUE(report->Save(L""));

    const std::string bytes = ReadBytes(file_);
    auto document = ParseStrictly(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), (std::vector<std::wstring> { L"Иванов", L"иванов" }));
    const Rows rows = SheetRows(*document, L"Иванов");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], (std::vector<std::wstring> { L"Число попыток", L"0" }));
    EXPECT_TRUE(rows[4].empty());
    // The rows follow the one placed at row 5; what the spreadsheet program wrote stays as it was.
    EXPECT_NE(bytes.find("ss:ExpandedColumnCount=\"2\" ss:ExpandedRowCount=\"7\""), std::string::npos);
    EXPECT_NE(bytes.find("<ss:Row ss:Index=\"5\" ss:StyleID=\"ce1\">"), std::string::npos);
    EXPECT_EQ(Count(bytes, "ss:StyleID=\"ce1\""), 2u);
    EXPECT_NE(bytes.find("<x:WorksheetOptions>"), std::string::npos);
    EXPECT_EQ(SheetRows(*document, L"иванов").size(), 1u);
}

TEST_F(ResavedWorkbook, ANewPupilGetsOneSheetInTheFilesOwnSpelling)
{
    for (const wchar_t* run : { L"первый", L"второй" })
        RecordRun(file_, L"иванов", L"Запуск", run);
    for (const wchar_t* run : { L"первый", L"второй" })
        RecordRun(file_, L"Петрова", L"Запуск", run);

    const std::string bytes = ReadBytes(file_);
    auto document = ParseStrictly(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), (std::vector<std::wstring> { L"Иванов", L"иванов", L"Петрова" }));
    // A repeated row counts twice: the two runs land at rows 3 and 4.
    EXPECT_EQ(SheetRows(*document, L"иванов"),
        (Rows { { L"Заметка учителя" }, { L"Запуск", L"первый" }, { L"Запуск", L"второй" } }));
    EXPECT_NE(bytes.find("ss:ExpandedColumnCount=\"2\" ss:ExpandedRowCount=\"4\""), std::string::npos);
    EXPECT_EQ(SheetRows(*document, L"Петрова"), (Rows { { L"Запуск", L"первый" }, { L"Запуск", L"второй" } }));
    EXPECT_EQ(Count(bytes, "<ss:Worksheet ss:Name="), 3u);
    EXPECT_EQ(Count(bytes, "<Worksheet"), 0u);
}

TEST_F(WorkbookTest, AttributesOfANewSheetAreBoundWhereTheFileBindsNoPrefix)
{
    const auto file = folder_ / "book.xls";
    WriteBytes(file, "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"/>");
    for (const wchar_t* run : { L"первый", L"второй" })
        RecordRun(file, L"Z", L"Запуск", run);

    const std::string bytes = ReadBytes(file);
    auto document = ParseStrictly(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), std::vector<std::wstring> { L"Z" });
    EXPECT_EQ(SheetRows(*document, L"Z").size(), 2u);
    EXPECT_EQ(Count(bytes, "<Worksheet "), 1u);
}

TEST_F(WorkbookTest, CountsTooLargeForAnyTableStayAsWritten)
{
    const auto file = folder_ / "book.xls";
    const std::string extent
        = "ss:ExpandedColumnCount=\"99999999999999999999\" ss:ExpandedRowCount=\"9999999999999999999\"";
    WriteBytes(file,
        "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\"Z\"><Table "
            + extent
            + "><Row ss:Index=\"18446744073709551617\" ss:Span=\"99999999999999999999\"><Cell><Data "
              "ss:Type=\"String\">far</Data></Cell></Row></Table></Worksheet></Workbook>");
    RecordRun(file, L"Z", L"Запуск", L"первый");

    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find(extent), std::string::npos);
    EXPECT_EQ(SheetRows(*ParseStrictly(bytes), L"Z"), (Rows { { L"far" }, { L"Запуск", L"первый" } }));
}

} // namespace
