#include "widgets/save_as_dialog.h"

#include "widgets/place.h"

IMSaveAsDialog::IMSaveAsDialog(Dialog* parent)
    : IMStandardDialog(parent, RECT { 220, 225, 580, 375 })
{
    edit_bar_ = new IMEditBar(this);
    PlaceView(edit_bar_, 30, 28, 300, 20);
    // Whenever the dialog gains the focus it hands it on, so typing goes into the field.
    ConnectFocus(this, [bar = edit_bar_](const IMEvent&) {
        bar->SetFocus(true);
        return 0L;
    });
    AddButtons(L"SaveAsButton", 79);
}

void IMSaveAsDialog::SetFileName(const std::wstring& name)
{
    IMTextEdit* edit = edit_bar_->GetEdit();
    edit->SetText(name);
    edit->SetCaretPos(static_cast<int32_t>(name.size()));
    edit->Relayout();
    edit_bar_->ScrollToCaret();
}

std::wstring IMSaveAsDialog::GetFileName() const
{
    return edit_bar_->GetText();
}
