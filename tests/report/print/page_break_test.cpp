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

TEST_F(PageBreakTest, APageWithoutPrintableAreaHasNoContext)
{
    EXPECT_EQ(CreatePdfFileDC(platform::PageSetup { 600, 600, 300, 0, 300, 0 }, (folder / "x.pdf").string()), nullptr);
    EXPECT_EQ(CreatePdfFileDC(platform::PageSetup { 600, 0, 0, 0, 0, 0 }, (folder / "x.pdf").string()), nullptr);
    EXPECT_EQ(CreatePdfFileDC(platform::DefaultPage(), ""), nullptr);
}

} // namespace
