// The save-as dialog through the main window's loop: what it shows, where typing goes, and its two buttons.
#include <algorithm>
#include <string>

#include "tests/widgets/widget_fixture.h"
#include "widgets/save_as_dialog.h"

namespace {

constexpr POINT kDialog { 220, 225 };
const std::wstring kPath = L"/home/учитель/.local/share/TIRQ/04271 Игра «Тумбилиада».xls";

class SaveAsDialogTest : public WidgetTest {
protected:
    IMSaveAsDialog* Open()
    {
        auto* dialog = new IMSaveAsDialog(window_);
        dialog->SetFileName(kPath);
        dialog->SetFocus(true);
        RunFor(3);
        return dialog;
    }
    bool Shown(const IMControl* dialog) const
    {
        const auto live = window_->LiveChildren();
        return std::find(live.begin(), live.end(), dialog) != live.end();
    }
};

TEST_F(SaveAsDialogTest, ShowsTheEndOfTheWholePathAndTakesTypingAtOnce)
{
    IMSaveAsDialog* dialog = Open();
    EXPECT_EQ(dialog->GetRect().top, 225);
    EXPECT_EQ(dialog->GetFileName(), kPath);
    IMTextEdit* edit = dialog->GetEditBar()->GetEdit();
    EXPECT_EQ(edit->GetCaretPos(), static_cast<int32_t>(kPath.size()));
    // The path is wider than the field: its start is shifted out on the left, the caret stays inside.
    const RECT text = edit->GetRect();
    const RECT caret = edit->GetCaretPicture()->GetRect();
    EXPECT_LT(text.left, 0);
    EXPECT_GT(caret.left, 0);
    EXPECT_LT(caret.right, 300);

    input_.Type(L"x");
    Key(VK_BACK, 4);
    input_.Type(L"ods");
    RunFor(3);
    EXPECT_EQ(dialog->GetFileName(), kPath.substr(0, kPath.size() - 3) + L"ods");
}

TEST_F(SaveAsDialogTest, SaveAsRunsItsHandlersInOrderAndCloseRunsNone)
{
    IMSaveAsDialog* dialog = Open();
    std::vector<std::wstring> saved;
    ConnectDialogConfirm(dialog, [dialog, &saved](const IMMouseEvent&) {
        saved.push_back(dialog->GetFileName());
        return 0L;
    });
    ConnectDialogConfirm(dialog, [dialog](const IMMouseEvent&) { return dialog->Close(); });
    ClickAt(kDialog.x + 30 + 70, kDialog.y + 79 + 20);
    RunFor(3);
    EXPECT_EQ(saved, std::vector<std::wstring> { kPath });
    EXPECT_FALSE(Shown(dialog));

    IMSaveAsDialog* other = Open();
    ConnectDialogConfirm(other, [&saved](const IMMouseEvent&) {
        saved.push_back(L"?");
        return 0L;
    });
    ClickAt(kDialog.x + 221 + 50, kDialog.y + 79 + 20);
    RunFor(3);
    EXPECT_EQ(saved.size(), 1u);
    EXPECT_FALSE(Shown(other));
}

} // namespace
