// The printer choice over a private scheduler, used with the mouse through the main window's loop.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/print/printer_dc.h"
#include "tests/support/print_scheduler.h"
#include "tests/widgets/widget_fixture.h"
#include "widgets/printer_dialog.h"

namespace {

constexpr POINT kDialog { 220, 125 };

class PrinterDialogTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(scheduler_.Running());
        for (const char* queue : { "Kabinet-3", "Kabinet-1", "Kabinet-2" })
            scheduler_.AddQueue(queue);
        scheduler_.SetDefault("Kabinet-2");
    }

    IMSelectPrinterDialog* Open()
    {
        auto* dialog = new IMSelectPrinterDialog(window_);
        RunFor(2);
        return dialog;
    }
    std::vector<std::wstring> Lines(const IMSelectPrinterDialog* dialog) const
    {
        std::vector<std::wstring> texts;
        for (const IMList::Line* line : dialog->GetList()->GetItems())
            texts.push_back(line->GetText());
        return texts;
    }
    void ClickLine(const IMSelectPrinterDialog* dialog, size_t i)
    {
        const RECT r = dialog->GetList()->GetItems()[i]->GetRect();
        ClickAt(kDialog.x + 30 + 1 + 5, kDialog.y + 58 + 1 + (r.top + r.bottom) / 2);
        RunFor(2);
    }
    void ClickPrint()
    {
        ClickAt(kDialog.x + 30 + 40, kDialog.y + 179 + 20);
        RunFor(3);
    }
    void ClickClose()
    {
        ClickAt(kDialog.x + 221 + 50, kDialog.y + 179 + 20);
        RunFor(3);
    }
    bool Shown(const IMControl* dialog) const
    {
        const auto live = window_->LiveChildren();
        return std::find(live.begin(), live.end(), dialog) != live.end();
    }

    // What a Print handler saw: whether it got a context, and (when it did) the job it printed one line into.
    struct Confirmed {
        int clicks = 0;
        int contexts = 0;
    };
    void PrintOnConfirm(IMSelectPrinterDialog* dialog, Confirmed& seen)
    {
        ConnectDialogConfirm(dialog, [dialog, &seen](const IMMouseEvent&) {
            ++seen.clicks;
            if (HDC dc = dialog->GetPrinterDC()) {
                ++seen.contexts;
                DOCINFOW info;
                info.lpszDocName = L"Print1: Printing";
                StartDocW(dc, &info);
                StartPage(dc);
                TextOutW(dc, 0, 0, L"Проба", 5);
                EndDoc(dc);
                DeleteDC(dc);
            }
            return 0L;
        });
        ConnectDialogConfirm(dialog, [dialog](const IMMouseEvent&) { return dialog->Close(); });
    }

    PrintScheduler scheduler_;
};

TEST_F(PrinterDialogTest, TheDefaultIsSelectedAndPrintGoesToTheClickedPrinter)
{
    IMSelectPrinterDialog* dialog = Open();
    EXPECT_EQ(dialog->GetRect().left, 220);
    EXPECT_EQ(dialog->GetRect().bottom, 375);
    ASSERT_EQ(Lines(dialog), (std::vector<std::wstring> { L"Kabinet-1", L"Kabinet-2", L"Kabinet-3" }));
    IMList* list = dialog->GetList();
    EXPECT_EQ(list->GetSelected(), list->GetItems()[1]);
    EXPECT_EQ(list->GetSelectionPicture()->GetRect().top, list->GetItems()[1]->GetRect().top);
    EXPECT_EQ(list->GetSelectionPicture()->GetRect().right, 298);

    Confirmed seen;
    PrintOnConfirm(dialog, seen);
    ClickLine(dialog, 2);
    EXPECT_EQ(list->GetSelected(), list->GetItems()[2]);
    ClickPrint();
    EXPECT_EQ(seen.clicks, 1);
    EXPECT_EQ(seen.contexts, 1);
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(scheduler_.WaitForJobs("Kabinet-3", 1).size(), 1u);
    EXPECT_TRUE(scheduler_.Jobs("Kabinet-2").empty());
}

TEST_F(PrinterDialogTest, AVanishedPrinterOrNoSelectionGivesNoContextAndCloseOnlyCloses)
{
    IMSelectPrinterDialog* first = Open();
    Confirmed seen;
    PrintOnConfirm(first, seen);
    scheduler_.RemoveQueue("Kabinet-2"); // the selected default goes while the dialog is open
    ClickPrint();
    EXPECT_EQ(seen.clicks, 1);
    EXPECT_EQ(seen.contexts, 0);
    EXPECT_FALSE(Shown(first));

    // Without a default printer nothing is selected.
    IMSelectPrinterDialog* second = Open();
    EXPECT_EQ(Lines(second), (std::vector<std::wstring> { L"Kabinet-1", L"Kabinet-3" }));
    EXPECT_EQ(second->GetList()->GetSelected(), nullptr);
    EXPECT_EQ(second->GetPrinterDC(), nullptr);
    Confirmed unseen;
    PrintOnConfirm(second, unseen);
    ClickClose();
    EXPECT_EQ(unseen.clicks, 0);
    EXPECT_FALSE(Shown(second));
}

TEST_F(WidgetTest, WithoutASchedulerThePrinterListIsEmptyAndPrintStillCloses)
{
    setenv("CUPS_SERVER", "/nonexistent/im-cups.sock", 1);
    auto* dialog = new IMSelectPrinterDialog(window_);
    RunFor(2);
    EXPECT_TRUE(dialog->GetList()->GetItems().empty());
    EXPECT_EQ(dialog->GetPrinterDC(), nullptr);
    ConnectDialogConfirm(dialog, [dialog](const IMMouseEvent&) { return dialog->Close(); });
    ClickAt(kDialog.x + 30 + 40, kDialog.y + 179 + 20);
    RunFor(3);
    const auto live = window_->LiveChildren();
    EXPECT_EQ(std::find(live.begin(), live.end(), dialog), live.end());
}

} // namespace
