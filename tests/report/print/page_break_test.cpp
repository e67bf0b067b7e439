// Where the pupil's sheet breaks into pages, printed on a short page by a printer context that writes the PDF to a
// file, and read back from that file.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/support/print_scheduler.h"

namespace {

namespace fs = std::filesystem;

class PageBreakTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("page-break-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A sheet of runs of rows, each run closed by an empty row as the program closes it, printed on a page two
    // inches tall with margins; the PDF written.
    fs::path PrintRuns(int rows, bool closing_empty_row, const std::string& name)
    {
        auto report = IMReport::Open(platform::FromUtf8((folder / (name + ".xls")).string()), L"Иванов");
        for (int i = 1; i <= rows; ++i) {
            report->AddRow(L"Строка " + std::to_wstring(i), L"1", L"Number");
            if (i % 4 == 0 && i < rows)
                report->AddEmptyRow();
        }
        if (closing_empty_row)
            report->AddEmptyRow();
        const fs::path pdf = folder / (name + ".pdf");
        HDC dc = CreatePdfFileDC(platform::PageSetup { 4961, 1500, 100, 150, 100, 150 }, pdf.string());
        EXPECT_NE(dc, nullptr);
        report->Print(dc, { { L"Ученик", L"Иванов" } });
        DeleteDC(dc);
        return pdf;
    }
    // The height of one printed line, in device units.
    int LineHeight()
    {
        HDC probe = CreatePdfFileDC(platform::DefaultPage(), (folder / "probe.pdf").string());
        EXPECT_NE(probe, nullptr);
        TEXTMETRICW tm {};
        GetTextMetricsW(probe, &tm);
        DeleteDC(probe);
        return tm.tmHeight + tm.tmExternalLeading;
    }
    // The report printed on a page whose printable height is exactly ten lines; the PDF written.
    fs::path PrintOnTenLines(IMReport& report, int line, const std::string& name)
    {
        const fs::path pdf = folder / (name + ".pdf");
        HDC dc = CreatePdfFileDC(platform::PageSetup { 4961, 300 + 10 * line, 150, 150, 150, 150 }, pdf.string());
        EXPECT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 10 * line);
        report.Print(dc, { { L"Ученик", L"Иванов" } });
        DeleteDC(dc);
        return pdf;
    }
    std::string PageText(const fs::path& pdf, int page)
    {
        const std::string p = std::to_string(page);
        return CaptureOutput({ "pdftotext", "-f", p, "-l", p, pdf.string(), "-" });
    }

    fs::path folder;
};

TEST_F(PageBreakTest, TheClosingEmptyRowOpensNoPageAndEveryRowIsPrinted)
{
    // Enough sheets that the last row with text falls on every line of a page, the last one included.
    for (int rows = 1; rows <= 24; ++rows) {
        SCOPED_TRACE(rows);
        const fs::path closed = PrintRuns(rows, true, "closed");
        const fs::path open = PrintRuns(rows, false, "open");
        const int pages = PdfPages(closed);
        ASSERT_GE(pages, 1);
        EXPECT_EQ(pages, PdfPages(open)) << "the closing empty row added a page";
        for (int page = 2; page <= pages; ++page)
            EXPECT_NE(PageText(closed, page).find("Строка"), std::string::npos) << "page " << page << " is blank";
        const std::string text = PdfText(closed);
        for (int i = 1; i <= rows; ++i)
            EXPECT_NE(text.find("Строка " + std::to_string(i) + " "), std::string::npos) << "row " << i;
    }
    EXPECT_GE(PdfPages(PrintRuns(24, true, "long")), 3) << "the page is too tall to break the sheet";
}

TEST_F(PageBreakTest, ARowThatWouldReachThePagesEndOpensTheNextPage)
{
    // A printable height of exactly ten lines. The header line and the blank line take lines 1 and 2 (line n stands
    // at y = n line heights); rows follow from line 3. After the row on line 8 the next would reach line 9, whose
    // bottom touches the page's end: that row opens page 2 on line 1.
    const int line = LineHeight();
    ASSERT_GT(line, 0);
    auto report = IMReport::Open(platform::FromUtf8((folder / "exact.xls").string()), L"Иванов");
    for (int i = 1; i <= 8; ++i)
        report->AddRow(L"Строка " + std::to_wstring(i), L"1", L"Number");
    const fs::path pdf = PrintOnTenLines(*report, line, "exact");

    // Each line's words in reading order: label, number, value.
    const auto words = PdfWords(pdf);
    auto row = [&](const std::string& number) -> const PdfWord* {
        for (size_t i = 1; i < words.size(); ++i)
            if (words[i - 1].text == "Строка" && words[i].text == number)
                return &words[i - 1];
        return nullptr;
    };
    ASSERT_EQ(PdfPages(pdf), 2);
    ASSERT_FALSE(words.empty());
    const PdfWord* sixth = row("6");
    const PdfWord* seventh = row("7");
    ASSERT_TRUE(sixth && seventh);
    const double points_per_line = line * 72.0 / platform::kPrintDpi;
    EXPECT_EQ(sixth->page, 0);
    EXPECT_NEAR(sixth->y_min - words.front().y_min, 7 * points_per_line, 0.5) << "the lowest row is not on line 8";
    EXPECT_EQ(seventh->page, 1) << "the row that would reach the page's end stayed on it";
    EXPECT_NEAR(seventh->y_min, words.front().y_min, 0.5) << "page 2 does not start on line 1";
}

// Lines left blank open no page: the header and its blank line take lines 1 and 2 of a page ten lines tall, five
// rows lines 3 to 7, and a comment typed with line breaks after it starts on line 8. Its blank lines run past the
// page's end without opening another; a row after them opens page 2 on line 1.
TEST_F(PageBreakTest, LinesLeftBlankByLineBreaksOpenNoPage)
{
    const int line = LineHeight();
    ASSERT_GT(line, 0);
    const auto print = [&](bool row_after, const std::string& name) {
        auto report = IMReport::Open(platform::FromUtf8((folder / (name + ".xls")).string()), L"Иванов");
        for (int i = 1; i <= 5; ++i)
            report->AddRow(L"Строка " + std::to_wstring(i), L"1", L"String");
        report->AddRow(L"Комментарий", L"Хорошо\n\n\r\n\n\n\n", L"String");
        if (row_after)
            report->AddRow(L"Строка 6", L"\n\n1", L"String");
        return PrintOnTenLines(*report, line, name);
    };
    const double points_per_line = line * 72.0 / platform::kPrintDpi;

    const fs::path last = print(false, "last");
    EXPECT_EQ(PdfPages(last), 1) << "the comment's blank lines opened a page";
    auto words = PdfWords(last);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words.back().text, "Хорошо");
    EXPECT_NEAR(words.back().y_min - words.front().y_min, 7 * points_per_line, 0.5);

    const fs::path more = print(true, "more");
    ASSERT_EQ(PdfPages(more), 2);
    for (int page = 1; page <= 2; ++page)
        EXPECT_NE(PageText(more, page).find("Строка"), std::string::npos) << "page " << page << " is blank";
    words = PdfWords(more);
    ASSERT_GE(words.size(), 3u);
    const PdfWord& value = words.back();
    EXPECT_EQ(value.text, "1");
    EXPECT_EQ(value.page, 1);
    EXPECT_NEAR(value.y_min - words.front().y_min, 2 * points_per_line, 0.5) << "the row's own line breaks were lost";
}

TEST_F(PageBreakTest, APageWithoutPrintableAreaHasNoContext)
{
    EXPECT_EQ(CreatePdfFileDC(platform::PageSetup { 600, 600, 300, 0, 300, 0 }, (folder / "x.pdf").string()), nullptr);
    EXPECT_EQ(CreatePdfFileDC(platform::PageSetup { 600, 0, 0, 0, 0, 0 }, (folder / "x.pdf").string()), nullptr);
    EXPECT_EQ(CreatePdfFileDC(platform::DefaultPage(), ""), nullptr);
}

} // namespace
