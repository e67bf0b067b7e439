#include "widgets/scroll.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "engine/window/window.h"
#include "widgets/place.h"

namespace {

constexpr LONG kDefaultWidth = 16;
constexpr DWORD kFirstRepeatMs = 500;
constexpr DWORD kRepeatMs = 50;

IMScroll::Button* MakeButton(IMScroll* bar, const wchar_t* picture)
{
    auto* button = new IMScroll::Button(bar, 0);
    button->SetPictures(picture, L"", L"", L"");
    return button;
}

} // namespace

IMScroll::IMScroll(Dialog* parent, const RECT* rect)
    : IMDialogBase<IMEmptyView>(parent, rect, 0)
{
    using boost::placeholders::_1;
    background_ = CreatePicture(this, 0, 0, L"ScrollBackground");
    up_ = MakeButton(this, L"ScrollButtonUp");
    down_ = MakeButton(this, L"ScrollButtonDown");
    upperTrack_ = MakeButton(this, L"ScrollBackground");
    lowerTrack_ = MakeButton(this, L"ScrollBackground");
    slider_ = MakeButton(this, L"ScrollSlider");
    for (Button* piece : { up_, down_, upperTrack_, lowerTrack_ }) {
        ConnectMouseButton(piece, boost::bind(&IMScroll::OnButtonMouse, this, _1));
        ConnectMouseLeave(piece, boost::bind(&IMScroll::OnButtonMouse, this, _1));
    }
    ConnectMouseButton(slider_, boost::bind(&IMScroll::OnSliderMouse, this, _1));
    ConnectMouseLeave(g_main_window, boost::bind(&IMScroll::OnSliderMouse, this, _1));
    ConnectMouseButton(g_main_window, boost::bind(&IMScroll::OnSliderMouse, this, _1));
    if (!rect) {
        const RECT area = parent ? parent->GetRect() : GetRect();
        const LONG width = area.right - area.left;
        SetRect(RECT { width - kDefaultWidth, 0, width, area.bottom - area.top });
    }
}

IMScroll::~IMScroll()
{
    StopActive();
    positionChanged_.disconnect_all_slots();
}

void IMScroll::StopActive()
{
    drag_.disconnect();
    repeat_.Stop();
}

void IMScroll::SetRect(const RECT& rect)
{
    IMDialogBase<IMEmptyView>::SetRect(rect);
    Layout();
}

long IMScroll::SetPosition(int32_t p)
{
    int32_t c = std::max(p, min);
    if (c > max - page)
        c = max - page;
    if (c == position)
        return 0;
    position = c;
    if (!positionChanged_.empty())
        positionChanged_(IMEvent(this, IMEV_NOTIFY), c);
    Layout();
    return 0;
}

// An empty range (max = min) shows the slider over the whole track instead of dividing by zero.
void IMScroll::Layout()
{
    const int64_t w = GetWidth();
    const int64_t h = GetHeight();
    const int64_t track = h - 2 * w;
    const int64_t range = int64_t(max) - min;
    auto along = [&](int64_t value) { return range > 0 ? track * value / range : (value > position ? track : 0); };
    const int64_t above = along(position);
    const int64_t below = along(int64_t(position) + page);
    PlaceView(up_, 0, 0, LONG(w), LONG(w));
    PlaceView(upperTrack_, 0, LONG(w), LONG(w), LONG(above));
    PlaceView(down_, 0, LONG(h - w), LONG(w), LONG(w));
    PlaceView(lowerTrack_, 0, LONG(w + below), LONG(w), LONG(track - below));
    PlaceView(background_, 0, 0, LONG(w), LONG(h));
    if (!IsDragging())
        slider_->SetPos(0, LONG(w + above));
    slider_->SetSize(LONG(w), LONG(range > 0 ? track * page / range : track));
}

int32_t IMScroll::StepOf(const IMControl* sender) const
{
    if (sender == up_)
        return -(page / 10);
    if (sender == down_)
        return page / 10;
    if (sender == upperTrack_)
        return -page;
    if (sender == lowerTrack_)
        return page;
    return 0;
}

// A press steps at once and arms the first repeat; each repeat steps and arms the next, with a copy of the press
// as its event. A double click's second press is no press here.
long IMScroll::OnButtonMouse(const IMMouseEvent& ev)
{
    const int32_t step = StepOf(ev.sender);
    if (ev.kind == IMEV_NOTIFY || ev.kind == WM_LBUTTONDOWN) {
        const bool first = ev.kind == WM_LBUTTONDOWN;
        StopActive();
        SetPosition(position + step);
        const IMMouseEvent tick(ev.sender, IMEV_NOTIFY, ev.wParam, ev.x, ev.y);
        repeat_.Arm(first ? kFirstRepeatMs : kRepeatMs, boost::bind(&IMScroll::OnButtonMouse, this, tick));
    } else if ((ev.kind == WM_LBUTTONUP || ev.kind == IMEV_MOUSELEAVE) && repeat_.GetId() != 0) {
        StopActive();
    }
    return 0;
}

long IMScroll::OnSliderMouse(const IMMouseEvent& ev)
{
    using boost::placeholders::_1;
    if (ev.sender == slider_ && ev.kind == WM_LBUTTONDOWN && g_main_window) {
        StopActive();
        const IMMouseEvent last = g_main_window->LastMouseMoveEvent(nullptr);
        anchor_ = POINT { last.x, last.y };
        drag_ = ConnectMouseMove(g_main_window, boost::bind(&IMScroll::OnSliderMouse, this, _1));
    }
    // A release anywhere in the window, or the pointer leaving it, ends a drag (and a repeat with its timer).
    if (ev.kind == WM_LBUTTONUP || ev.kind == IMEV_MOUSELEAVE)
        StopActive();
    if (ev.kind == WM_MOUSEMOVE && IsDragging())
        Drag(ev);
    return 0;
}

// The slider follows the pointer pixel by pixel between the arrows; the position follows in whole units.
void IMScroll::Drag(const IMMouseEvent& ev)
{
    const LONG w = GetWidth();
    const LONG h = GetHeight();
    const RECT s = slider_->GetRect();
    LONG y = std::max(w, s.top + (ev.y - anchor_.y));
    if (y > h - w - (s.bottom - s.top))
        y = h - w - (s.bottom - s.top);
    if (h - 2 * w > 0) {
        const double v = std::floor(double(y - w) * (double(max) - min) / double(h - 2 * w) + 0.5);
        if (int32_t(v) != position)
            SetPosition(int32_t(v));
    }
    slider_->SetPos(0, y);
    anchor_ = POINT { ev.x, ev.y };
    Layout();
}
