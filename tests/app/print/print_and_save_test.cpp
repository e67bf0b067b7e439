// The results screen's Print and Save As in the whole program: the sheet printed through a private scheduler, and
// the workbook saved under a typed name, with the cases where the name cannot be written.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/text/text_view.h"
#include "game/tumbil.h"
#include "platform/print/printer_dc.h"
#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "tests/app/app_fixture.h"
#include "tests/app/screens/screen_run.h"
#include "tests/support/maze_route.h"
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
    scheduler.AddQueues({ "Kabinet-1", "Kabinet-3", "Kabinet-2" }); // listed by name, Kabinet-2 the default

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
    const RECT line = dialog->GetList()->GetItems()[0]->GetRect();
    Click(220 + 30 + 6, 125 + 58 + 1 + (line.top + line.bottom) / 2);
    Click(220 + 30 + 40, 125 + 179 + 20);
    EXPECT_EQ(Open<IMSelectPrinterDialog>(), nullptr);
    EXPECT_TRUE(ResultsShown());

    const auto jobs = scheduler.WaitForJobs("Kabinet-1", 1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(scheduler.JobCount("Kabinet-2"), 0);
    EXPECT_EQ(PrintScheduler::JobTitle(jobs[0]), "Print1: Printing");
    const std::string text = PdfText(jobs[0]);
    size_t at = 0;
    for (const char* part : { "Название", "Игра «Тумбилиада»", "Номер ЦОР", "04271", "Ученик", "Маша",
             "Время начала работы с упражнением", "Число попыток", "Продолжительность успешной попытки",
             "Количество дополнительных вызовов инструкций", "Общее время работы с упражнением. с." }) {
        at = text.find(part, at);
        ASSERT_NE(at, std::string::npos) << part << " in order in\n" << text;
    }

    const fs::path png = fs::current_path() / "printed_page";
    CaptureOutput(
        { "pdftoppm", "-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", jobs[0].string(), png.string() });
    EXPECT_TRUE(fs::exists(png.string() + ".png"));
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
