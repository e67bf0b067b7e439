// The pupil's sheet on paper: printed through a private scheduler and read back from the PDF the queue received.
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "platform/utf8.h"
#include "report/report.h"
#include "tests/support/print_scheduler.h"

namespace {

namespace fs = std::filesystem;

const std::map<std::wstring, std::wstring> kHeader {
    { L"Номер ЦОР", L"04271" },
    { L"Название", L"Игра «Тумбилиада»" },
    { L"Ученик", L"Иванов" },
};

class ReportPrintTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scheduler.Running());
        scheduler.AddQueueWithMargins("Kabinet-1"); // the printable area starts away from the sheet's corner
        dc = CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        margin = tm.tmAveCharWidth;
        line = tm.tmHeight + tm.tmExternalLeading;
        half = GetDeviceCaps(dc, HORZRES) / 2;
        height = GetDeviceCaps(dc, VERTRES);
        left = GetDeviceCaps(dc, PHYSICALOFFSETX);
        top = GetDeviceCaps(dc, PHYSICALOFFSETY);
    }
    void TearDown() override { DeleteDC(dc); }

    std::wstring File(const char* name) const { return platform::FromUtf8((scheduler.Folder() / name).string()); }

    // Device units on the printable area to points on the sheet.
    double X(int x) const { return (left + x) * 72.0 / 600; }
    double Y(int y) const { return (top + y) * 72.0 / 600; }

    int Width(const std::wstring& text) const
    {
        SIZE size {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    fs::path PrintOne(IMReport& report)
    {
        report.Print(dc, kHeader);
        auto jobs = scheduler.WaitForJobs("Kabinet-1", 1);
        EXPECT_EQ(jobs.size(), 1u);
        return jobs.empty() ? fs::path() : jobs[0];
    }

    PrintScheduler scheduler;
    HDC dc = nullptr;
    int margin = 0, line = 0, half = 0, height = 0, left = 0, top = 0;
};

const PdfWord* Find(const std::vector<PdfWord>& words, const std::string& text)
{
    for (const auto& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

std::string Trimmed(std::string line)
{
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

TEST_F(ReportPrintTest, HeaderThenBlankLineThenEveryRowOfThePupilsSheet)
{
    const std::wstring wide = L"Продолжительность успешной попытки с очень длинным пояснением в конце";
    {
        auto earlier = IMReport::Open(File("book.xls"), L"Иванов");
        earlier->AddRow(L"Число попыток", L"3", L"Number");
        earlier->AddEmptyRow();
        ASSERT_TRUE(earlier->Save(L""));
        auto other = IMReport::Open(File("book.xls"), L"Петров");
        other->AddRow(L"Чужая строка", L"9", L"Number");
        ASSERT_TRUE(other->Save(L""));
    }
    auto report = IMReport::Open(File("book.xls"), L"Иванов");
    report->AddRow(L"Время начала работы с упражнением", L"07-March-2025 14:05", L"String");
    report->AddRow(wide, L"4567", L"Number");
    ASSERT_GT(Width(wide), half - margin);

    const fs::path pdf = PrintOne(*report);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PrintScheduler::JobTitle(pdf), "Print1: Printing");
    EXPECT_EQ(PdfPages(pdf), 1);

    std::vector<std::string> lines;
    const auto pages = PdfPageLines(pdf);
    for (const auto& l : pages[0])
        lines.push_back(Trimmed(l));
    ASSERT_GE(lines.size(), 8u);
    auto starts = [&](size_t i, const std::string& a, const std::string& b) {
        EXPECT_EQ(lines[i].rfind(a, 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(b), std::string::npos) << lines[i];
    };
    starts(0, "Название", "Игра «Тумбилиада»");
    starts(1, "Номер ЦОР", "04271");
    starts(2, "Ученик", "Иванов");
    EXPECT_EQ(lines[3], "");
    starts(4, "Число попыток", "3");
    EXPECT_EQ(lines[5], ""); // the empty row between runs
    starts(6, "Время начала работы с упражнением", "07-March-2025 14:05");
    starts(7, "Продолжительность успешной попытки", "4567");
    EXPECT_EQ(PdfText(pdf).find("Чужая"), std::string::npos);

    const auto words = PdfWords(pdf);
    const PdfWord* title = Find(words, "Название");
    const PdfWord* first_row = Find(words, "Число");
    const PdfWord* value = Find(words, "07-March-2025");
    const PdfWord* wide_value = Find(words, "4567");
    ASSERT_TRUE(title && first_row && value && wide_value);
    EXPECT_NEAR(title->x_min, X(margin), 1.0);
    EXPECT_NEAR(first_row->y_min - title->y_min, Y(5 * line) - Y(line), 0.5);
    EXPECT_NEAR(value->x_min, X(margin + half), 1.0);
    EXPECT_NEAR(wide_value->x_min, X(margin + Width(wide) + margin), 1.0);
    const PdfWord* header_value = Find(words, "04271");
    ASSERT_TRUE(header_value);
    EXPECT_NEAR(header_value->x_min, X(margin + half), 1.0);
}

TEST_F(ReportPrintTest, ASheetThatFillsThreePagesPrintsExactlyThree)
{
    // Rows on a page run from the first line down to the last y with y + 2 lines >= the page height; the first
    // page starts below the header block and its blank line.
    int last = 1;
    while ((last + 2) * line < height)
        ++last;
    const int rows = (last - 4) + 2 * last;

    auto report = IMReport::Open(File("long.xls"), L"Иванов");
    for (int i = 1; i <= rows; ++i)
        report->AddRow(L"Строка " + std::to_wstring(i), std::to_wstring(i), L"Number");
    const fs::path pdf = PrintOne(*report);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PdfPages(pdf), 3);

    const auto words = PdfWords(pdf);
    const std::string final_value = std::to_string(rows);
    const PdfWord* final_row = nullptr;
    for (const auto& w : words)
        if (w.text == final_value && w.x_min > X(half))
            final_row = &w;
    ASSERT_TRUE(final_row);
    EXPECT_EQ(final_row->page, 2);
    const PdfWord* second_page_first = nullptr;
    for (const auto& w : words)
        if (w.page == 1 && !second_page_first)
            second_page_first = &w;
    ASSERT_TRUE(second_page_first);
    EXPECT_EQ(second_page_first->text, "Строка");
    // A new page starts one line below its top edge, as the first page's header does.
    EXPECT_NEAR(second_page_first->y_min, Find(words, "Название")->y_min, 0.5);
}

TEST_F(ReportPrintTest, ASheetWithoutRowsPrintsTheHeaderOnOnePageAndWithoutTableNothing)
{
    auto empty = IMReport::Open(File("empty.xls"), L"Сидоров");
    const fs::path pdf = PrintOne(*empty);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PdfPages(pdf), 1);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Ученик"), std::string::npos);
    EXPECT_NE(text.find("Иванов"), std::string::npos);
    ASSERT_TRUE(empty->Save(L""));

    // The same workbook with the pupil's table taken out by hand.
    const fs::path file = scheduler.Folder() / "empty.xls";
    std::stringstream bytes;
    bytes << std::ifstream(file).rdbuf();
    std::string xml = bytes.str();
    const size_t from = xml.rfind("<Table>"), to = xml.find("</Table>", from);
    ASSERT_NE(from, std::string::npos);
    xml.erase(from, to + 8 - from);
    std::ofstream(file, std::ios::trunc) << xml;
    auto tableless = IMReport::Open(File("empty.xls"), L"Сидоров");
    tableless->Print(dc, kHeader);
    EXPECT_EQ(scheduler.JobCount("Kabinet-1"), 1); // only the first
}

} // namespace
