#include "widgets/edit_bar.h"

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "widgets/place.h"

namespace {

constexpr D3DCOLOR kTextColour = 0xFF000000u;

long FocusChild(IMControl* child, bool focus)
{
    child->SetFocus(focus);
    return 0;
}

} // namespace

IMEditBar::IMEditBar(Dialog* parent)
    : IMDialogBase<IMEmptyView>(parent, nullptr, 0)
{
    background_ = CreatePicture(this, 0, 0, L"EditBarBackGround");
    for (Picture*& corner : corners_) {
        corner = CreatePicture(this, 0, 0, L"EditBarKaretka");
        corner->SetSize(1, 1);
    }
    for (Picture*& line : lines_)
        line = CreatePicture(this, 0, 0, L"EditBarKaretka");
    edit_ = new IMTextEdit(this);
    ConnectFocus(this, boost::bind(&FocusChild, edit_, true));
    ConnectBlur(this, boost::bind(&FocusChild, edit_, false));
    edit_->SetColor(kTextColour);
    ConnectKey(edit_, boost::bind(&IMEditBar::ScrollToCaret, this));
}

IMEditBar::~IMEditBar() = default;

void IMEditBar::SetRect(const RECT& rect)
{
    IMDialogBase<IMEmptyView>::SetRect(rect);
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    PlaceView(corners_[kTopLeft], 0, 0, 1, 1);
    PlaceView(corners_[kTopRight], w - 1, 0, 1, 1);
    PlaceView(corners_[kBottomLeft], 0, h - 1, 1, 1);
    PlaceView(corners_[kBottomRight], w - 1, h - 1, 1, 1);
    PlaceView(lines_[kLeft], 0, 1, 1, h - 2);
    PlaceView(lines_[kTop], 1, 0, w - 2, 1);
    PlaceView(lines_[kRight], w - 1, 1, 1, h - 2);
    PlaceView(lines_[kBottom], 1, h - 1, w - 2, 1);
    background_->SetRect(RECT { 1, 1, w - 1, h - 1 });
    edit_->SetRect(RECT { 3, 2, w - 1, h - 1 });
}

std::wstring IMEditBar::GetText() const
{
    return edit_->GetText();
}

long IMEditBar::ScrollToCaret()
{
    const RECT caret = edit_->GetCaretPicture()->GetRect();
    const LONG inner_right = GetWidth() - 3;
    if (caret.right > inner_right) {
        const POINT at = edit_->GetPos();
        edit_->SetPos(at.x - caret.right + inner_right, at.y);
        RECT r = edit_->GetRect();
        if (caret.right > r.right) {
            r.right = caret.right;
            edit_->SetRect(r);
        }
    }
    if (caret.left < 0) {
        const POINT at = edit_->GetPos();
        edit_->SetPos(at.x - caret.left + 2, at.y);
    }
    RECT extent = edit_->GetSrcRect();
    extent.right += 6;
    extent.bottom += 2;
    SetSrcRect(extent);
    return 0;
}
