// What the printer choice and the save-as dialogs share: a framed panel on the skin's background with a confirm
// button, whose handlers the opener connects, and a Close button that closes the dialog.
#pragma once

#include <utility>

#include "engine/controls/button_base.h"
#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "engine/views/state_view.h"
#include "engine/views/texture_view.h"

class IMStandardDialog : public IMDialogBase<IMEmptyView> {
public:
    using Button = IMButtonBase<IMStateView>;
    using Picture = IMStaticPictureBase<IMTextureView>;

    ~IMStandardDialog() override;

    Button* GetConfirmButton() const { return confirm_; }
    Button* GetCloseButton() const { return close_; }
    Picture* GetBackground() const { return background_; }

protected:
    // A child of parent on layer 0 over rect, with the background and a one-pixel black frame.
    IMStandardDialog(Dialog* parent, const RECT& rect);
    // The confirm button (pictures named after skin) at (30, y) and Close at (221, y); made after the content.
    void AddButtons(const wchar_t* skin, int y);

private:
    Picture* background_ = nullptr;
    Button* confirm_ = nullptr;
    Button* close_ = nullptr;
};

// Connects callback to the dialog's confirm button; handlers run in the order they were connected.
template <IMSlotFor<IMMouseEvent> F> im::Connection ConnectDialogConfirm(IMStandardDialog* dialog, F&& callback)
{
    return IMControl::ConnectClick(dialog->GetConfirmButton(), std::forward<F>(callback));
}
