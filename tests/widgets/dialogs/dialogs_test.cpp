// The printer choice and save-as dialogs in the main window, used with the mouse and keys through its loop; the
// results screen's own use of them is tested with the whole program.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/print/printer_dc.h"
#include "tests/support/print_scheduler.h"
#include "tests/widgets/widget_fixture.h"
#include "widgets/printer_dialog.h"
#include "widgets/save_as_dialog.h"

namespace {

class StandardDialogTest : public WidgetTest {
protected:
    bool Shown(const IMControl* dialog) const
    {
        const auto live = window_->LiveChildren();
        return std::find(live.begin(), live.end(), dialog) != live.end();
    }
    // Print as the results screen wires it: a context is asked for, then the dialog closes.
    void WireLikeResults(IMSelectPrinterDialog* dialog)
    {
        contexts_ = 0;
        ConnectDialogConfirm(dialog, [this, dialog](const IMMouseEvent&) {
            if (HDC dc = dialog->GetPrinterDC()) {
                ++contexts_;
                DeleteDC(dc);
            }
            return 0L;
        });
        ConnectDialogConfirm(dialog, [dialog](const IMMouseEvent&) { return dialog->Close(); });
    }
    // From elsewhere, so that the button under the pointer hears of it.
    void ClickPrint()
    {
        input_.MoveTo(0, 0);
        ClickAt(220 + 30 + 40, 125 + 179 + 20);
        RunFor(3);
    }

    int contexts_ = 0;
};

TEST_F(StandardDialogTest, AVanishedOrUnselectedPrinterGivesNoContextAndTheDialogCloses)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueues({ "Kabinet-1", "Kabinet-2" });
    auto* first = new IMSelectPrinterDialog(window_);
    WireLikeResults(first);
    RunFor(2);
    ASSERT_NE(first->GetList()->GetSelected(), nullptr);
    scheduler.RemoveQueue("Kabinet-2"); // the selected default goes while the dialog is open
    ClickPrint();
    EXPECT_EQ(contexts_, 0);
    EXPECT_FALSE(Shown(first));

    auto* second = new IMSelectPrinterDialog(window_); // no default now: nothing selected
    WireLikeResults(second);
    RunFor(2);
    EXPECT_EQ(second->GetList()->GetItems().size(), 1u);
    EXPECT_EQ(second->GetList()->GetSelected(), nullptr);
    ClickPrint();
    EXPECT_EQ(contexts_, 0);
    EXPECT_FALSE(Shown(second));
}

TEST_F(StandardDialogTest, WithoutASchedulerThePrinterListIsEmptyAndPrintStillCloses)
{
    setenv("CUPS_SERVER", "/nonexistent/im-cups.sock", 1);
    auto* dialog = new IMSelectPrinterDialog(window_);
    WireLikeResults(dialog);
    RunFor(2);
    EXPECT_TRUE(dialog->GetList()->GetItems().empty());
    ClickPrint();
    EXPECT_FALSE(Shown(dialog));
}

TEST_F(StandardDialogTest, TheSaveAsFieldShowsThePathsEndAndTakesTypingAtOnce)
{
    const std::wstring path = L"/home/учитель/.local/share/TIRQ/04271 Игра «Тумбилиада».xls";
    auto* dialog = new IMSaveAsDialog(window_);
    dialog->SetFileName(path);
    dialog->SetFocus(true);
    RunFor(3);
    // Wider than the field: its start is shifted out on the left, the caret after the last character in view.
    const IMTextEdit* edit = dialog->GetEditBar()->GetEdit();
    EXPECT_EQ(edit->GetCaretPos(), static_cast<int32_t>(path.size()));
    EXPECT_LT(edit->GetRect().left, 0);
    EXPECT_GT(edit->GetCaretPicture()->GetRect().left, 0);
    EXPECT_LT(edit->GetCaretPicture()->GetRect().right, 300);

    Key(VK_BACK, 3);
    input_.Type(L"ods");
    RunFor(3);
    EXPECT_EQ(dialog->GetFileName(), path.substr(0, path.size() - 3) + L"ods");
}

} // namespace
