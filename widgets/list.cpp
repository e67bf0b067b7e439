#include "widgets/list.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "engine/text/create_text.h"
#include "widgets/place.h"

namespace {

constexpr D3DCOLOR kTextColour = 0xFF000000u;

} // namespace

IMList::IMList(Dialog* parent)
    : IMViewControl<IMEmptyView>(parent, 0)
{
    frameDialog_ = new Dialog(parent, nullptr, 0);
    background_ = CreatePicture(frameDialog_, 0, 0, L"EditBarBackGround");
    itemDialog_ = new Dialog(frameDialog_, nullptr, 0);
    topLine_ = CreatePicture(frameDialog_, 0, 0, L"EditBarKaretka");
    bottomLine_ = CreatePicture(frameDialog_, 0, 0, L"EditBarKaretka");
    leftLine_ = CreatePicture(frameDialog_, 0, 0, L"EditBarKaretka");
    rightLine_ = CreatePicture(frameDialog_, 0, 0, L"EditBarKaretka");
    selection_ = CreatePicture(itemDialog_, 0, 0, L"SelectionMask");
    selection_->Hide();
}

IMList::~IMList() = default;

void IMList::SetRect(const RECT& rect)
{
    IMViewControl<IMEmptyView>::SetRect(rect);
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    frameDialog_->SetRect(rect);
    const RECT inner { 1, 1, w - 1, h - 1 };
    itemDialog_->SetRect(inner);
    background_->SetRect(inner);
    PlaceView(leftLine_, 0, 0, 1, h);
    PlaceView(topLine_, 0, 0, w, 1);
    PlaceView(bottomLine_, 0, h - 1, w, 1);
    PlaceView(rightLine_, w - 1, 0, 1, h);
}

IMList::Line* IMList::AddItem(const std::wstring& text)
{
    LONG y = 0;
    for (const Line* line : items_)
        y += line->GetHeight();
    Line* line = CreateText(itemDialog_, 0, y, text, 0);
    line->SetColor(kTextColour);
    ConnectClick(line, boost::bind(&IMList::OnItemMouse, this, boost::placeholders::_1));
    items_.push_back(line);
    return line;
}

void IMList::Select(Line* line)
{
    selected_ = line;
    if (!line) {
        selection_->Hide();
        return;
    }
    selection_->Show();
    const RECT r = line->GetRect();
    selection_->SetRect(RECT { 0, r.top, itemDialog_->GetWidth(), r.bottom + 1 });
}

// Only the list's own lines are taken; the sender is looked up rather than cast.
long IMList::OnItemMouse(const IMMouseEvent& ev)
{
    const auto found = std::find(items_.begin(), items_.end(), ev.sender);
    if (found != items_.end())
        Select(*found);
    return 0;
}
