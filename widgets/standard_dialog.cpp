#include "widgets/standard_dialog.h"

#include <string>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "widgets/place.h"

IMStandardDialog::IMStandardDialog(Dialog* parent, const RECT& rect)
    : IMDialogBase<IMEmptyView>(parent, nullptr, 0)
{
    SetRect(rect);
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    background_ = CreatePicture(this, 0, 0, L"DefaultBackGround");
    PlaceView(background_, 0, 0, w, h);
    PlaceView(CreatePicture(this, 0, 0, L"EditBarKaretka"), 0, 0, 1, h);
    PlaceView(CreatePicture(this, 0, 0, L"EditBarKaretka"), 0, 0, w, 1);
    PlaceView(CreatePicture(this, 0, 0, L"EditBarKaretka"), 0, h - 1, w, 1);
    PlaceView(CreatePicture(this, 0, 0, L"EditBarKaretka"), w - 1, 0, 1, h);
}

IMStandardDialog::~IMStandardDialog() = default;

void IMStandardDialog::AddButtons(const wchar_t* skin, int y)
{
    confirm_ = CreateSkinButton(this, 30, y, skin);
    close_ = CreateSkinButton(this, 221, y, L"CloseButton");
    ConnectClick(close_, boost::bind(&IMControl::Close, this));
}
