#include <cstring>

#include "platform/text/utf8.h"
#include "report/code_page.h"
#include "report/report.h"
#include "report/workbook_template.h"
#include "tests/support/workbook_fixture.h"

namespace {

const std::string kSep = "\t\t\t\t\t\t\t ";

std::string Utf8(const std::wstring& text)
{
    return platform::ToUtf8(text);
}

// Everything from the document properties to the end of the styles, as the template holds it.
std::string TemplateBody()
{
    std::string text(kEmptyWorkbook, kEmptyWorkbookLength);
    auto from = text.find("<DocumentProperties");
    auto to = text.find("</Styles>") + std::strlen("</Styles>") + kSep.size();
    return text.substr(from, to - from);
}

TEST_F(WorkbookTest, NewFileHoldsTheTemplateThePupilsSheetAndTheRows)
{
    auto file = folder_ / "04271 Игра «Тумбилиада».xls";
    auto report = IMReport::Open(Wide(file), L"Иванов");
    ASSERT_TRUE(report);
    report->AddRow(L"Время начала работы с упражнением", L"07-March-2025 14:05", L"String");
    report->AddRow(L"Число попыток", L"0", L"Number");
    report->AddEmptyRow();
    ASSERT_TRUE(report->Save(L""));

    EXPECT_EQ(std::strlen(kEmptyWorkbook), 1322u);
    std::string bytes = ReadBytes(file);
    // The separators inside the workbook element come back unchanged; none is added.
    EXPECT_EQ(Count(bytes, kSep), 28u);
    EXPECT_EQ(Count(bytes, "\t"), 28u * 7);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
                          "<?mso-application progid=\"Excel.Sheet\"?><Workbook ",
                  0),
        0u);
    EXPECT_NE(bytes.find(TemplateBody()), std::string::npos);
    const std::string sheet = "<Worksheet ss:Name=\"" + Utf8(L"Иванов")
        + "\"><Table><Column ss:AutoFitWidth=\"0\" ss:Width=\"240\"/>"
          "<Column ss:AutoFitWidth=\"0\" ss:Width=\"96\"/>"
          "<Row><Cell><Data ss:Type=\"String\">"
        + Utf8(L"Время начала работы с упражнением")
        + "</Data></Cell><Cell><Data ss:Type=\"String\">07-March-2025 14:05</Data></Cell></Row>"
          "<Row><Cell><Data ss:Type=\"String\">"
        + Utf8(L"Число попыток")
        + "</Data></Cell><Cell><Data ss:Type=\"Number\">0</Data></Cell></Row>"
          "<Row/></Table></Worksheet></Workbook>";
    EXPECT_EQ(bytes.substr(bytes.size() - sheet.size() - kSep.size()), kSep + sheet);

    // The declared encoding is the one written: a strict parser reads the Russian texts back.
    auto document = ParseStrictly(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), std::vector<std::wstring> { L"Иванов" });
    auto rows = SheetRows(*document, L"Иванов");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::wstring> { L"Число попыток", L"0" }));
    EXPECT_TRUE(rows[2].empty());
}

TEST_F(WorkbookTest, SavingIsByteStableAcrossSavesAndReopening)
{
    auto file = folder_ / "book.xls";
    RecordRun(file, L"Петров", L"Число попыток", L"2");
    std::string first = ReadBytes(file);
    auto report = IMReport::Open(Wide(file), L"Петров");
    ASSERT_TRUE(report);
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(report->Save(L""));
        EXPECT_EQ(ReadBytes(file), first);
    }
    EXPECT_EQ(FilesIn(folder_), std::vector<std::filesystem::path> { "book.xls" });
}

TEST_F(WorkbookTest, RowsGoToTheSheetWithExactlyThePupilsName)
{
    auto file = folder_ / "book.xls";
    for (const wchar_t* pupil : { L"Анна", L"Борис" })
        RecordRun(file, pupil, L"Первый запуск", pupil);
    for (const wchar_t* pupil : { L"Борис", L"борис" })
        RecordRun(file, pupil, L"Второй запуск", pupil);

    auto document = ParseStrictly(ReadBytes(file));
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), (std::vector<std::wstring> { L"Анна", L"Борис", L"борис" }));
    EXPECT_EQ(SheetRows(*document, L"Анна").size(), 1u);
    auto boris = SheetRows(*document, L"Борис");
    ASSERT_EQ(boris.size(), 2u);
    EXPECT_EQ(boris[1], (std::vector<std::wstring> { L"Второй запуск", L"Борис" }));
    EXPECT_EQ(SheetRows(*document, L"борис").size(), 1u);
    // A returning pupil's sheet gets no second pair of columns.
    EXPECT_EQ(Count(ReadBytes(file), "<Column "), 6u);
}

TEST_F(WorkbookTest, TextIsNarrowedAndMadeSafeForXml)
{
    auto file = folder_ / "book.xls";
    auto report = IMReport::Open(Wide(file), L"Ма\x01ша\x7");
    ASSERT_TRUE(report);
    report->AddRow(L"Он сказал \"да\" & <ушёл>", L"ä€😀\t\x1F", L"Str\"ing");
    ASSERT_TRUE(report->Save(L""));

    auto document = ParseStrictly(ReadBytes(file));
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), std::vector<std::wstring> { L"Ма?ша?" });
    auto rows = SheetRows(*document, L"Ма?ша?");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring> { L"Он сказал 'да' & <ушёл>", L"?€?\t?" }));
    EXPECT_NE(ReadBytes(file).find("ss:Type=\"Str'ing\""), std::string::npos);

    // The cleaned name finds the same sheet again.
    report = IMReport::Open(Wide(file), L"Ма\x02ша\x3");
    ASSERT_TRUE(report);
    report->AddEmptyRow();
    ASSERT_TRUE(report->Save(L""));
    document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetNames(*document).size(), 1u);
}

TEST_F(WorkbookTest, SaveWithoutPathUsesTheOwnPathAndSaveAsLeavesItAlone)
{
    auto own = folder_ / "own.xls";
    // Paths are not text of the workbook: characters without a Windows-1251 form stay as they are.
    std::filesystem::create_directory(folder_ / "josé 中");
    auto other = folder_ / "josé 中" / "копия \"1\".xls";
    auto report = IMReport::Open(Wide(own), L"Оля");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->WidenString(), Wide(own));

    report->AddRow(L"Число попыток", L"1", L"Number");
    ASSERT_TRUE(report->Save(Wide(other)));
    EXPECT_FALSE(std::filesystem::exists(own));
    EXPECT_EQ(report->WidenString(), Wide(own));

    report->AddEmptyRow();
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(own)), L"Оля").size(), 2u);
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(other)), L"Оля").size(), 1u);
}

TEST_F(WorkbookTest, AWorkbookStoredInAnotherEncodingIsWrittenBackInIt)
{
    auto file = folder_ / "book.xls";
    WriteBytes(file,
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><Workbook "
        "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\""
            + NarrowString(L"Иванов") + "\"><Table/></Worksheet></Workbook>");
    auto report = IMReport::Open(Wide(file), L"Иванов");
    ASSERT_TRUE(report);
    report->AddRow(L"Число попыток", L"1", L"Number");
    ASSERT_TRUE(report->Save(L""));

    std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"windows-1251\"", 0), 0u);
    EXPECT_NE(bytes.find(NarrowString(L">Число попыток<")), std::string::npos);
    auto document = ParseStrictly(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(SheetNames(*document), std::vector<std::wstring> { L"Иванов" });
    EXPECT_EQ(SheetRows(*document, L"Иванов"), (std::vector<std::vector<std::wstring>> { { L"Число попыток", L"1" } }));
}

} // namespace
