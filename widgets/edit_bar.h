// The framed one-line entry field: a background, a one-pixel frame and an edit, which the bar shifts sideways so
// the caret stays inside the field. The bar clips the text it shifts out.
#pragma once

#include <array>
#include <string>

#include "engine/controls/dialog_base.h"
#include "widgets/text_edit.h"

class IMEditBar : public IMDialogBase<IMEmptyView> {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;

    // Covers the whole back buffer until the owner gives it its rectangle with SetRect.
    explicit IMEditBar(Dialog* parent);
    ~IMEditBar() override;

    // Lays out the frame, the background and the edit for the new size.
    void SetRect(const RECT& rect) override;
    std::wstring GetText() const;
    // Shifts the text so that the caret is inside the field; runs after every key the edit takes.
    long ScrollToCaret();

    IMTextEdit* GetEdit() const { return edit_; }

private:
    enum Corner { kTopLeft, kTopRight, kBottomLeft, kBottomRight };
    enum Line { kLeft, kTop, kRight, kBottom };

    IMTextEdit* edit_ = nullptr;
    Picture* background_ = nullptr;
    std::array<Picture*, 4> corners_ {};
    std::array<Picture*, 4> lines_ {};
};
