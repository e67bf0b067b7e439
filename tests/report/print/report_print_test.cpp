// The pupil's sheet on paper: printed through a private scheduler on a queue whose printable area lies inside the
// sheet, and read back from the PDF the queue's device received.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/support/print_scheduler.h"

namespace {

namespace fs = std::filesystem;

class ReportPrintTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scheduler.Running());
        scheduler.AddQueue("Kabinet-1", PrintScheduler::Driver::kLetterWithMargins);
        dc = CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        margin = tm.tmAveCharWidth;
        line = tm.tmHeight + tm.tmExternalLeading;
        half = GetDeviceCaps(dc, HORZRES) / 2;
    }
    void TearDown() override { DeleteDC(dc); }

    std::unique_ptr<IMReport> Open(const char* file, const std::wstring& pupil)
    {
        return IMReport::Open(platform::FromUtf8((scheduler.Folder() / file).string()), pupil);
    }
    fs::path Print(IMReport& report, HDC on = nullptr, const std::string& queue = "Kabinet-1",
        const std::wstring& pupil = L"Иванов")
    {
        report.Print(
            on ? on : dc, { { L"Номер ЦОР", L"04271" }, { L"Название", L"Игра «Тумбилиада»" }, { L"Ученик", pupil } });
        const auto jobs = scheduler.WaitForJobs(queue, 1);
        return jobs.size() == 1 ? jobs[0] : fs::path();
    }
    // Device units on the printable area to points on the sheet.
    double X(int x) const { return (GetDeviceCaps(dc, PHYSICALOFFSETX) + x) * 72.0 / 600; }
    double Y(int y) const { return (GetDeviceCaps(dc, PHYSICALOFFSETY) + y) * 72.0 / 600; }
    int Width(const std::wstring& text) const
    {
        SIZE size {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    PrintScheduler scheduler;
    HDC dc = nullptr;
    int margin = 0, line = 0, half = 0;
};

// The first word with the text, or null.
const PdfWord* Find(const std::vector<PdfWord>& words, const std::string& text)
{
    for (const auto& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

// The darkest grey (0 black, 255 white) on the first page between the points given, from the sheet's top left
// corner; -1 when poppler cannot draw the page.
int Darkest(const fs::path& pdf, double left, double top, double right, double bottom)
{
    constexpr double kScale = 4; // pixels per point
    const auto pixels = [](double points) { return std::to_string(std::lround(points * kScale)); };
    const std::string pgm
        = CaptureOutput({ "pdftoppm", "-gray", "-r", std::to_string(int(72 * kScale)), "-f", "1", "-l", "1", "-x",
            pixels(left), "-y", pixels(top), "-W", pixels(right - left), "-H", pixels(bottom - top), pdf.string() });
    std::istringstream in(pgm);
    std::string magic;
    size_t width = 0, height = 0, top_value = 0;
    if (!(in >> magic >> width >> height >> top_value) || magic != "P5" || top_value != 255)
        return -1;
    const std::string grey = pgm.substr(static_cast<size_t>(in.tellg()) + 1);
    if (grey.size() != width * height || grey.empty())
        return -1;
    return static_cast<unsigned char>(*std::min_element(grey.begin(), grey.end()));
}

TEST_F(ReportPrintTest, HeaderThenBlankLineThenEveryRowOfThePupilsSheetInColumns)
{
    const std::wstring wide = L"Продолжительность успешной попытки с очень длинным пояснением в конце";
    auto report = Open("book.xls", L"Иванов");
    {
        // Saved by other copies after this one started: what is printed is the workbook as stored now.
        auto earlier = Open("book.xls", L"Иванов");
        earlier->AddRow(L"Число попыток", L"3", L"Number");
        earlier->AddEmptyRow();
        ASSERT_TRUE(earlier->Save(L""));
        auto other = Open("book.xls", L"Петров");
        other->AddRow(L"Чужая строка", L"9", L"Number");
        ASSERT_TRUE(other->Save(L""));
    }
    report->AddRow(L"Время начала работы с упражнением", L"07-March-2025 14:05", L"String");
    report->AddRow(wide, L"4567", L"Number");
    ASSERT_GT(Width(wide), half - margin);

    const fs::path pdf = Print(*report);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PrintScheduler::JobTitle(pdf), "Print1: Printing");
    EXPECT_EQ(PdfPages(pdf), 1);
    std::istringstream text(PdfText(pdf));
    std::vector<std::string> lines;
    for (std::string l; std::getline(text, l);)
        lines.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
    ASSERT_GE(lines.size(), 8u);
    const std::pair<std::string, std::string> expected[] = { { "Название", "Игра «Тумбилиада»" },
        { "Номер ЦОР", "04271" }, { "Ученик", "Иванов" }, {}, { "Число попыток", "3" }, {},
        { "Время начала работы с упражнением", "07-March-2025 14:05" }, { "Продолжительность успешной", "4567" } };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(lines[i].rfind(expected[i].first, 0), 0u) << lines[i];
        EXPECT_EQ(lines[i].empty(), expected[i].first.empty()) << i;
        EXPECT_NE(lines[i].find(expected[i].second), std::string::npos) << lines[i];
    }
    EXPECT_EQ(PdfText(pdf).find("Чужая"), std::string::npos);

    // Lines one line height apart from one line below the top; values at half the page or one character behind.
    const auto words = PdfWords(pdf);
    const PdfWord* title = Find(words, "Название");
    const PdfWord* first_row = Find(words, "Число");
    const PdfWord* number = Find(words, "04271");
    const PdfWord* value = Find(words, "07-March-2025");
    const PdfWord* wide_value = Find(words, "4567");
    ASSERT_TRUE(title && first_row && number && value && wide_value);
    EXPECT_NEAR(title->x_min, X(margin), 1.0);
    EXPECT_NEAR(first_row->y_min - title->y_min, Y(5 * line) - Y(line), 0.5);
    EXPECT_NEAR(number->x_min, X(margin + half), 1.0);
    EXPECT_NEAR(value->x_min, X(margin + half), 1.0);
    EXPECT_NEAR(wide_value->x_min, X(margin + Width(wide) + margin), 1.0);
}

// A teacher's comment typed on several lines (a spreadsheet program keeps the line breaks in the cell): each line
// starts in the value's column one line below the one before, and the next row follows its last line. The comment
// takes the room of its widest line, so a label beside it wider than half the page stays on one line. A tab in it
// prints as a space, not as the box of a missing glyph.
TEST_F(ReportPrintTest, ALineBreakInACellStartsANewLineInTheValuesColumn)
{
    const std::wstring label = L"Комментарий учителя о работе ученика на первом занятии в классе";
    const std::vector<std::wstring> typed { L"Старался", L"но торопился", L"и ошибался", L"в начале", L"а потом",
        L"исправил\tвсё сам" };
    std::wstring comment;
    int widest = 0;
    for (const std::wstring& l : typed) {
        comment += (comment.empty() ? L"" : l == typed[2] ? L"\r\n" : L"\n") + l;
        widest = std::max(widest, Width(l));
    }
    ASSERT_GT(Width(label), half - margin);
    ASSERT_GT(Width(comment), GetDeviceCaps(dc, HORZRES) - Width(label) - 2 * margin);
    ASSERT_LT(Width(label) + widest + 3 * margin, GetDeviceCaps(dc, HORZRES));
    auto report = Open("book.xls", L"Иванов");
    report->AddRow(label, comment, L"String");
    report->AddRow(L"Число попыток", L"3", L"Number");
    const fs::path pdf = Print(*report);
    ASSERT_FALSE(pdf.empty());

    const auto words = PdfWords(pdf);
    const PdfWord* first = Find(words, "Комментарий");
    const PdfWord* last = Find(words, "классе");
    const PdfWord* next_row = Find(words, "Число");
    ASSERT_TRUE(first && last && next_row);
    EXPECT_NEAR(last->y_min, first->y_min, 0.5) << "the label wrapped";
    const double line_points = line * 72.0 / 600;
    for (size_t i = 0; i < typed.size(); ++i) {
        const std::string start = platform::ToUtf8(typed[i].substr(0, typed[i].find_first_of(L" \t")));
        SCOPED_TRACE(start);
        const auto found = std::find_if(words.begin(), words.end(),
            [&](const PdfWord& w) { return w.text == start && w.y_min > first->y_min + (i - 0.5) * line_points; });
        ASSERT_NE(found, words.end());
        EXPECT_NEAR(found->y_min - first->y_min, i * line_points, 0.5);
        EXPECT_NEAR(found->x_min, X(margin + Width(label) + margin), 1.0);
    }
    EXPECT_NEAR(next_row->y_min - first->y_min, typed.size() * line_points, 0.5);
    const PdfWord* before_tab = Find(words, "исправил");
    const PdfWord* after_tab = Find(words, "всё");
    ASSERT_TRUE(before_tab && after_tab);
    EXPECT_GT(Darkest(pdf, before_tab->x_max + 0.5, before_tab->y_min, after_tab->x_min - 0.5, after_tab->y_max), 200)
        << "something is printed between the words the tab parts";
}

// A workbook re-saved by a spreadsheet program prefixes every element; its rows still reach the paper.
TEST_F(ReportPrintTest, TheRowsOfAResavedWorkbookPrint)
{
    fs::copy_file(REPORT_FIXTURES "/resaved_workbook.xml", scheduler.Folder() / "resaved.xls");
    auto report = Open("resaved.xls", L"Иванов");
    ASSERT_TRUE(report);
    const fs::path pdf = Print(*report);
    ASSERT_FALSE(pdf.empty());
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("07-March-2025 14:05"), std::string::npos) << text;
    EXPECT_NE(text.find("08-March-2025 09:30"), std::string::npos) << text;
}

TEST_F(ReportPrintTest, ASheetThatFillsThreePagesExactlyPrintsThree)
{
    // A page's last row stands at the last y with y + 2 lines >= its height; the first page's rows begin below
    // the header block and its blank line.
    int last = 1;
    while ((last + 2) * line < GetDeviceCaps(dc, VERTRES))
        ++last;
    const int rows = (last - 4) + 2 * last;
    auto report = Open("long.xls", L"Иванов");
    for (int i = 1; i <= rows; ++i)
        report->AddRow(L"Строка " + std::to_wstring(i), std::to_wstring(i), L"Number");
    const fs::path pdf = Print(*report);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PdfPages(pdf), 3);

    const auto words = PdfWords(pdf);
    auto on_page = [&](int page) {
        std::vector<const PdfWord*> found;
        for (const auto& w : words)
            if (w.page == page)
                found.push_back(&w);
        return found;
    };
    ASSERT_FALSE(on_page(1).empty());
    EXPECT_EQ(on_page(1).front()->text, "Строка"); // a new page starts one line down, as the first
    EXPECT_NEAR(on_page(1).front()->y_min, Find(words, "Название")->y_min, 0.5);
    ASSERT_FALSE(on_page(2).empty());
    EXPECT_EQ(on_page(2).back()->text, std::to_string(rows));
}

TEST_F(ReportPrintTest, AQueueWhoseDriverLeavesNothingPrintablePrintsInsideTheSheet)
{
    scheduler.AddQueue("Kabinet-2", PrintScheduler::Driver::kA4WithoutPrintableArea);
    HDC broken = CreateDCW(nullptr, L"Kabinet-2", nullptr, nullptr);
    ASSERT_NE(broken, nullptr);
    EXPECT_GT(GetDeviceCaps(broken, HORZRES), 0);
    EXPECT_GT(GetDeviceCaps(broken, VERTRES), 0);
    auto report = Open("book.xls", L"Иванов");
    for (int i = 1; i <= 5; ++i)
        report->AddRow(L"Строка " + std::to_wstring(i), std::to_wstring(i), L"Number");
    const fs::path pdf = Print(*report, broken, "Kabinet-2");
    DeleteDC(broken);
    ASSERT_FALSE(pdf.empty());

    EXPECT_EQ(PdfPages(pdf), 1);
    const auto words = PdfWords(pdf);
    EXPECT_EQ(std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "Строка"; }), 5);
    EXPECT_NE(Find(words, "Название"), nullptr);
    EXPECT_EQ(WordsOutside(pdf, 18, 18, 18, 18), ""); // the quarter inch every printer prints inside
}

// A driver whose margins differ on every side, on its default A4 and on A5 chosen in the user's options: the sheet
// starts at the printable area's top left corner and stays inside it, and a name too wide for the page wraps there,
// at its spaces where it can, else after a hyphen, its lines counted where the pages break.
TEST_F(ReportPrintTest, ALongNameWrapsInsideThePrintableAreaOfThePaperChosen)
{
    const std::wstring name = L"Анна-Мария-Антуанетта Владимировна Преображенская-Верхнеднепровская";
    std::wstring joined = name;
    std::erase(joined, L' ');
    const std::string joined_name = platform::ToUtf8(joined);
    auto report = Open("long.xls", name);
    for (int i = 1; i <= 30; ++i)
        report->AddRow(L"Попытка " + std::to_wstring(i), name, L"String");
    scheduler.AddQueue("Kabinet-5", PrintScheduler::Driver::kA4WithWideMargins);
    scheduler.AddQueue("Kabinet-6", PrintScheduler::Driver::kA4WithWideMargins);
    scheduler.SetUserOption("Kabinet-6", "media=A5");
    const struct {
        const char* queue;
        double width, height; // points
    } papers[] = { { "Kabinet-5", 595, 842 }, { "Kabinet-6", 420, 595 } };
    for (const auto& paper : papers) {
        SCOPED_TRACE(paper.queue);
        const std::wstring queue = platform::FromUtf8(paper.queue);
        HDC on = PrintScheduler::OnNewThread([&] { return CreateDCW(nullptr, queue.c_str(), nullptr, nullptr); });
        ASSERT_NE(on, nullptr);
        const fs::path pdf = Print(*report, on, paper.queue, name);
        DeleteDC(on);
        ASSERT_FALSE(pdf.empty());
        PrintScheduler::SavePages(pdf, paper.queue);
        EXPECT_NEAR(PdfPageSize(pdf).width, paper.width, 1.0);
        EXPECT_NEAR(PdfPageSize(pdf).height, paper.height, 1.0);
        EXPECT_EQ(WordsOutside(pdf, 72, 54, 36, 90), "");

        const auto words = PdfWords(pdf);
        ASSERT_FALSE(words.empty());
        EXPECT_NEAR(words.front().x_min, 72 + margin * 72.0 / 600, 1.0);
        EXPECT_NEAR(words.front().y_min, 54 + line * 72.0 / 600, 3.0);
        EXPECT_EQ(words.back().page + 1, PdfPages(pdf)) << "a blank last page";
        EXPECT_GE(PdfPages(pdf), 2);
        // The words in reading order, line after line (poppler lists a column's words together).
        auto lines = words;
        std::stable_sort(lines.begin(), lines.end(), [](const PdfWord& a, const PdfWord& b) {
            return std::tuple(a.page, std::lround(a.y_min), a.x_min)
                < std::tuple(b.page, std::lround(b.y_min), b.x_min);
        });
        std::string text;
        for (const PdfWord& w : lines)
            text += w.text;
        int names = 0;
        for (size_t at = text.find(joined_name); at != std::string::npos; at = text.find(joined_name, at + 1))
            ++names;
        EXPECT_EQ(names, 31) << "the name is not whole in the header and every row";
        EXPECT_EQ(
            std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "Владимировна"; }), 31)
            << "a word that fits on a line was broken";
        EXPECT_EQ(std::count_if(words.begin(), words.end(),
                      [](const PdfWord& w) { return w.text.ends_with("Верхнеднепровская"); }),
            31)
            << "a word too wide for a line was not broken after its hyphen";
    }
}

TEST_F(ReportPrintTest, ASheetWithoutRowsPrintsTheHeaderOnOnePageAndOneWithoutTableNothing)
{
    auto empty = Open("empty.xls", L"Сидоров");
    const fs::path pdf = Print(*empty);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_NE(PdfText(pdf).find("Ученик"), std::string::npos);
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
    Open("empty.xls", L"Сидоров")->Print(dc, { { L"Ученик", L"Сидоров" } });
    EXPECT_EQ(scheduler.JobCount("Kabinet-1"), 1);
}

} // namespace
