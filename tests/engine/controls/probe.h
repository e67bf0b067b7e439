// Test controls for the control tree: a plain rectangle that writes what happens to it into a shared log.
#pragma once

#include <string>
#include <vector>

#include "engine/controls/dialog_base.h"
#include "engine/views/empty_view.h"
#include "engine/views/view_control.h"

using IMDialog = IMDialogBase<IMEmptyView>;
using Log = std::vector<std::string>;

class Probe : public IMViewControl<IMEmptyView> {
public:
    Probe(IMDialog* parent, RECT rect, int layer = 0, std::string name = "probe", Log* log = nullptr)
        : IMViewControl<IMEmptyView>(parent, layer)
        , name_(std::move(name))
        , log_(log)
    {
        SetRect(rect);
    }
    ~Probe() override
    {
        if (deaths_)
            ++*deaths_;
        Write("deleted");
    }

    long OnMouseEnter(const IMMouseEvent& ev) override { return Record("enter", ev, IMControl::OnMouseEnter(ev)); }
    long OnMouseLeave(const IMMouseEvent& ev) override { return Record("leave", ev, IMControl::OnMouseLeave(ev)); }
    long OnMouseMove(const IMMouseEvent& ev) override { return Record("move", ev, IMControl::OnMouseMove(ev)); }
    long OnMouseButton(const IMMouseEvent& ev) override { return Record("button", ev, IMControl::OnMouseButton(ev)); }
    long OnKeyboard(const IMKeyboardEvent& ev) override
    {
        Write("key " + std::to_string(ev.wParam));
        return IMControl::OnKeyboard(ev);
    }
    long OnFrame(const IMEvent& ev) override
    {
        Write("frame");
        return IMControl::OnFrame(ev);
    }
    long OnDraw(const IMEvent& ev) override
    {
        Write("draw");
        return IMControl::OnDraw(ev);
    }

    void CountDeathsIn(int* deaths) { deaths_ = deaths; }
    IMMouseSignal& DoubleClickSignal() { return signals_.double_click; }
    IMKeyboardSignal& KeyUpSignal() { return signals_.key_up; }
    IMEventSignal& DrawnSignal() { return signals_.drawn; }

private:
    void Write(const std::string& what)
    {
        if (log_)
            log_->push_back(name_ + " " + what);
    }
    long Record(const char* what, const IMMouseEvent& ev, long result)
    {
        Write(std::string(what) + " " + std::to_string(ev.kind) + " (" + std::to_string(ev.x) + ","
            + std::to_string(ev.y) + ")" + (ev.sender == GetParent() ? " from parent" : ""));
        return result;
    }

    std::string name_;
    Log* log_;
    int* deaths_ = nullptr;
};

inline RECT Rect(LONG l, LONG t, LONG r, LONG b)
{
    return RECT { l, t, r, b };
}

// A frame tick as the window sends it.
inline void Tick(IMDialog& d)
{
    d.OnFrame(IMEvent(&d, IMEV_FRAME));
}

inline IMMouseEvent Mouse(DWORD kind, LONG x, LONG y, WPARAM wParam = 0)
{
    return IMMouseEvent(nullptr, kind, wParam, x, y);
}
