// The results screen's Print and Save As in the whole program: the sheet printed through a private scheduler, and
// the workbook saved under a typed name, with the cases where the name cannot be written.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/text/text_view.h"
#include "game/tumbil.h"
#include "platform/print/printer_dc.h"
#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/app/app_fixture.h"
#include "tests/app/screens/screen_run.h"
#include "tests/support/maze_route.h"
#include "tests/support/own_folder.h"
#include "tests/support/print_scheduler.h"
#include "tests/support/workbook_fixture.h"
#include "widgets/printer_dialog.h"
#include "widgets/save_as_dialog.h"

namespace {

namespace fs = std::filesystem;
using IMDialog = IMDialogBase<IMEmptyView>;
using Label = IMStaticPictureBase<IMTextView>;

class PrintAndSaveTest : public AppTest {
protected:
    void Click(int x, int y)
    {
        ClickAt(x, y);
        RunFor(3);
    }
    // The scene ends as the praise's clip would end it: the results come.
    void ToResults(const std::wstring& name)
    {
        StartGame(name);
        ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
        app_->GetCurrentSceneDialog()->Close();
        RunFor(5);
    }
    template <class D> D* Open() const
    {
        for (IMDialog* dialog : ChildrenOf<IMDialog>(window_))
            if (auto* d = dynamic_cast<D*>(dialog))
                return d;
        return nullptr;
    }
    bool ResultsShown() const
    {
        for (IMDialog* dialog : ChildrenOf<IMDialog>(window_))
            for (const Label* label : ChildrenOf<Label>(dialog))
                if (label->GetText() == L"ЗАДАНИЕ ВЫПОЛНЕНО")
                    return true;
        return false;
    }
    fs::path Workbook() const { return folder_ / "TIRQ" / (platform::ToUtf8(kExerciseCaption) + ".xls"); }

    // In the open printer dialog, the line given, then Print: the job the queue received, or nothing.
    fs::path ChoosePrinter(size_t index, const PrintScheduler& scheduler, const std::string& queue)
    {
        IMSelectPrinterDialog* dialog = Open<IMSelectPrinterDialog>();
        if (!dialog || index >= dialog->GetList()->GetItems().size()) {
            ADD_FAILURE() << "no printer dialog with line " << index;
            return {};
        }
        const RECT line = dialog->GetList()->GetItems()[index]->GetRect();
        Click(220 + 30 + 6, 125 + 58 + 1 + (line.top + line.bottom) / 2);
        Click(220 + 30 + 40, 125 + 179 + 20);
        EXPECT_EQ(Open<IMSelectPrinterDialog>(), nullptr);
        const auto jobs = scheduler.WaitForJobs(queue, 1);
        EXPECT_EQ(jobs.size(), 1u) << queue;
        return jobs.size() == 1 ? jobs[0] : fs::path();
    }

    // The pupil's sheet as earlier runs left it: rows numbered from 1 to kEarlierRows, closed by an empty row.
    static constexpr int kEarlierRows = 150;
    void WriteEarlierRuns(const std::wstring& pupil) const
    {
        fs::create_directories(Workbook().parent_path());
        auto report = IMReport::Open(Wide(Workbook()), pupil);
        for (int i = 1; i <= kEarlierRows; ++i)
            report->AddRow(L"Число попыток", std::to_wstring(i), L"Number");
        report->AddEmptyRow();
        ASSERT_TRUE(report->Save(L""));
    }

    struct Edges {
        double left, top, right, bottom; // points
    };
    // A sheet printed after WriteEarlierRuns: on the paper given, no text nearer its edges than clear, and page
    // breaks where a page whose printable area lies inside the margins given breaks: a page's last line is the last
    // one before another would reach the area's end, and the first page's rows start below the header block and its
    // blank line. No page is left blank.
    void ExpectOnPaper(const fs::path& pdf, PdfSize paper, Edges clear, Edges margins) const
    {
        const PdfSize sheet = PdfPageSize(pdf);
        EXPECT_NEAR(sheet.width, paper.width, 1.0);
        EXPECT_NEAR(sheet.height, paper.height, 1.0);
        EXPECT_EQ(WordsOutside(pdf, clear.left, clear.top, clear.right, clear.bottom), "");

        // Line height of the printer's font, in device units of 1/600 inch.
        HDC dc = CreatePdfFileDC(platform::DefaultPage(), (folder_ / "unused.pdf").string());
        TEXTMETRICW tm {};
        ASSERT_TRUE(GetTextMetricsW(dc, &tm));
        DeleteDC(dc);
        const int line = tm.tmHeight + tm.tmExternalLeading;
        const double height = (sheet.height - margins.top - margins.bottom) * 600 / 72;
        int lines = 1;
        while ((lines + 2) * line < height)
            ++lines;

        const auto words = PdfWords(pdf);
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.back().page + 1, PdfPages(pdf)) << "a blank last page";
        // The last word of a page's first line: the earlier runs' number there.
        const auto first_row = [&](int page) {
            double top = 1e9;
            for (const PdfWord& w : words)
                if (w.page == page)
                    top = std::min(top, w.y_min);
            const PdfWord* last = nullptr;
            for (const PdfWord& w : words)
                if (w.page == page && w.y_min < top + 1 && (!last || w.x_min > last->x_min))
                    last = &w;
            return last ? last->text : std::string();
        };
        ASSERT_LE(2 * lines - 3, kEarlierRows);
        EXPECT_EQ(first_row(1), std::to_string(lines - 3));
        EXPECT_EQ(first_row(2), std::to_string(2 * lines - 3));
    }

    // Save As on the results screen, the field emptied and name typed, then the dialog's Save As.
    void SaveAs(const std::wstring& name)
    {
        Click(128 + 74, 490 + 23);
        IMSaveAsDialog* dialog = Open<IMSaveAsDialog>();
        ASSERT_NE(dialog, nullptr);
        for (size_t i = dialog->GetFileName().size(); i > 0; --i)
            Press(VK_BACK);
        input_.Type(name);
        RunFor(3);
        ASSERT_EQ(dialog->GetFileName(), name);
        Click(220 + 30 + 70, 225 + 79 + 20);
        EXPECT_EQ(Open<IMSaveAsDialog>(), nullptr);
    }
};

TEST_F(PrintAndSaveTest, AWholeRunPrintsThePupilsSheetOnTheChosenPrinter)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    // Listed by name: a queue without a driver, the default one whose driver gives A4 without margins, and one
    // whose driver gives Letter with margins.
    scheduler.AddQueue("Kabinet-1");
    scheduler.AddQueue("Kabinet-3", PrintScheduler::Driver::kLetterWithMargins);
    scheduler.AddQueue("Kabinet-2", PrintScheduler::Driver::kA4WithoutMargins);
    scheduler.SetDefault("Kabinet-2");
    // Earlier runs have filled more than two pages of the pupil's sheet.
    WriteEarlierRuns(L"Маша");

    StartGame(L"Маша");
    const auto hero_at_goal = [this] {
        IMDialog* scene = app_->GetCurrentSceneDialog();
        const auto fields = scene ? ChildrenOf<IMDialog>(scene) : std::vector<IMDialog*> {};
        const auto heroes = fields.empty() ? std::vector<IMTumbil*> {} : ChildrenOf<IMTumbil>(fields.front());
        return !heroes.empty() && !heroes.front()->IsPlaying() && heroes.front()->GetCell() == kRouteCorners.back();
    };
    const auto to = [this](MazeCell c) { input_.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); };
    to(kRouteCorners.front());
    input_.Press();
    for (const MazeCell& cell : kRouteCorners)
        to(cell);
    input_.Release();
    ASSERT_TRUE(RunUntil(hero_at_goal, 120'000));
    ASSERT_TRUE(RunUntil([this] { return ResultsShown(); }, 30'000));

    Click(30 + 42, 490 + 23);
    IMSelectPrinterDialog* dialog = Open<IMSelectPrinterDialog>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->GetList()->GetItems().size(), 3u);
    EXPECT_EQ(dialog->GetList()->GetSelected(), dialog->GetList()->GetItems()[1]);
    Snapshot("printer_dialog");
    const fs::path raw = ChoosePrinter(0, scheduler, "Kabinet-1");
    ASSERT_FALSE(raw.empty());
    EXPECT_TRUE(ResultsShown());
    EXPECT_EQ(scheduler.JobCount("Kabinet-2"), 0);
    EXPECT_EQ(PrintScheduler::JobTitle(raw), "Print1: Printing");
    const std::string text = PdfText(raw);
    size_t at = 0;
    for (const char* part : { "Название", "Игра «Тумбилиада»", "Номер ЦОР", "04271", "Ученик", "Маша",
             "Время начала работы с упражнением", "Число попыток", "Продолжительность успешной попытки",
             "Количество дополнительных вызовов инструкций", "Общее время работы с упражнением. с." }) {
        at = text.find(part, at);
        ASSERT_NE(at, std::string::npos) << part << " in order in\n" << text;
    }
    // A queue that reports neither paper nor margins: A4, nothing within 6 mm of an edge.
    ExpectOnPaper(raw, { 595, 842 }, { 17, 17, 17, 17 }, { 18, 18, 18, 18 });
    PrintScheduler::SavePages(raw, "without-driver");

    // The same sheet on the default queue, then on the Letter one.
    Click(30 + 42, 490 + 23);
    const fs::path a4 = ChoosePrinter(1, scheduler, "Kabinet-2");
    ASSERT_FALSE(a4.empty());
    ExpectOnPaper(a4, { 595, 842 }, { 18, 18, 18, 18 }, { 18, 18, 18, 18 });
    PrintScheduler::SavePages(a4, "a4");
    Click(30 + 42, 490 + 23);
    const fs::path letter = ChoosePrinter(2, scheduler, "Kabinet-3");
    ASSERT_FALSE(letter.empty());
    ExpectOnPaper(letter, { 612, 792 }, { 18, 36, 18, 36 }, { 18, 36, 18, 36 });
}

TEST_F(PrintAndSaveTest, SaveAsWritesTheWorkbookUnderTheTypedNameAndCloseWritesNothing)
{
    ToResults(L"Петя");

    Click(128 + 74, 490 + 23);
    IMSaveAsDialog* dialog = Open<IMSaveAsDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetFileName(), Wide(Workbook()));
    EXPECT_EQ(dialog->GetEditBar()->GetEdit()->GetCaretPos(), static_cast<int32_t>(Wide(Workbook()).size()));
    Snapshot("save_as_dialog");
    Click(220 + 221 + 50, 225 + 79 + 20); // Close
    EXPECT_EQ(Open<IMSaveAsDialog>(), nullptr);
    EXPECT_TRUE(FilesIn(folder_ / "TIRQ").empty());

    const fs::path copy = folder_ / "копия.xls";
    SaveAs(Wide(copy));
    ASSERT_TRUE(fs::exists(copy));
    const auto rows = SheetRows(*ParseStrictly(ReadBytes(copy)), L"Петя");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");

    SaveAs(Wide(Workbook())); // the name it came with
    ASSERT_TRUE(fs::exists(Workbook()));
    EXPECT_EQ(ReadBytes(Workbook()), ReadBytes(copy));
}

TEST_F(PrintAndSaveTest, ANameThatCannotBeWrittenSavesNothingAndTheProgramGoesOn)
{
    ToResults(L"Оля");
    Click(128 + 74, 490 + 23);
    Click(220 + 30 + 70, 225 + 79 + 20); // Save As with the name it came with
    const std::string stored = ReadBytes(Workbook());
    ASSERT_FALSE(stored.empty());

    platform::DebugCapture diagnostics;
    const std::vector<fs::path> refused {
        folder_ / "нет такой папки" / "отчёт.xls", // missing folder
        "/proc/отчёт.xls", // a folder nobody may write into, root included
        folder_ / std::string(300, 'z').append(".xls"), // longer than a file name may be
        folder_, // a folder, not a file
    };
    for (const fs::path& name : refused)
        SaveAs(Wide(name));
    EXPECT_TRUE(ResultsShown());
    EXPECT_EQ(FilesIn(folder_), (std::vector<fs::path> { "TIRQ" }));
    EXPECT_EQ(ReadBytes(Workbook()), stored);
    EXPECT_EQ(diagnostics.Entries().size(), refused.size()) << platform::ToUtf8(diagnostics.Text());

    // The program still saves where it can.
    SaveAs(Wide(folder_ / "потом.xls"));
    EXPECT_TRUE(fs::exists(folder_ / "потом.xls"));
}

TEST_F(PrintAndSaveTest, WithoutAReportNothingOpensAndAGivenPrinterContextIsStillReleased)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-1");
    ASSERT_EQ(app_->GetReport(), nullptr); // the start screen: no pupil yet
    app_->OnPrint();
    app_->OnSaveAs();
    RunFor(3);
    EXPECT_EQ(Open<IMSelectPrinterDialog>(), nullptr);
    EXPECT_EQ(Open<IMSaveAsDialog>(), nullptr);

    HDC dc = CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    app_->PrintReport(dc);
    EXPECT_FALSE(DeleteDC(dc)) << "the context was left to the caller";
    EXPECT_EQ(scheduler.JobCount("Kabinet-1"), 0);
    app_->PrintReport(nullptr);
}

} // namespace
