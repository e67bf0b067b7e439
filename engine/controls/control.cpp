#include "engine/controls/control.h"

#include "engine/controls/dialog_base.h"

namespace {

DWORD g_next_control_id = 0;

bool IsButtonRelease(DWORD kind)
{
    return kind == WM_LBUTTONUP || kind == WM_RBUTTONUP || kind == WM_MBUTTONUP;
}

DWORD ClickKindFor(DWORD release)
{
    if (release == WM_RBUTTONUP)
        return IMEV_RCLICK;
    if (release == WM_MBUTTONUP)
        return IMEV_MCLICK;
    return IMEV_LCLICK;
}

// The wheel counts as a press only while exactly one button is held; every other message as long as any is.
bool ButtonsHeld(const IMMouseEvent& ev)
{
    constexpr WPARAM buttons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
    if (ev.kind == WM_MOUSEWHEEL) {
        const WORD state = LOWORD(ev.wParam);
        return state == MK_LBUTTON || state == MK_RBUTTON || state == MK_MBUTTON;
    }
    return (ev.wParam & buttons) != 0;
}

template <class E> E ResentBy(IMControl* sender, const E& ev)
{
    E copy = ev;
    copy.sender = sender;
    return copy;
}

} // namespace

IMControl::IMControl(Dialog* parent, int layer)
    : parent_(parent)
    , id_(g_next_control_id++)
{
    if (parent_)
        parent_->AddChild(this, layer);
}

IMControl::~IMControl() = default;

void IMControl::Notify(IMEventSignal& signal, DWORD kind)
{
    Fire(signal, IMEvent(this, kind));
}

void IMControl::SetFocus(bool focus)
{
    if (!focusable_ || focus == focused_)
        return;
    if (focus)
        OnFocus(IMEvent(this, IMEV_FOCUS));
    else
        OnBlur(IMEvent(this, IMEV_BLUR));
}

void IMControl::Disable()
{
    Notify(signals_.disabled, IMEV_NOTIFY);
    enabled_ = false;
}

void IMControl::Enable()
{
    Notify(signals_.enabled, IMEV_NOTIFY);
    enabled_ = true;
}

void IMControl::Hide()
{
    Notify(signals_.hidden, IMEV_NOTIFY);
    hidden_ = true;
}

void IMControl::Show()
{
    Notify(signals_.shown, IMEV_NOTIFY);
    hidden_ = false;
}

long IMControl::Close()
{
    closing_ = true;
    const IMEvent ev(this, IMEV_CLOSE);
    Fire(signals_.closing, ev);
    return OnClose(ev);
}

// A changed control may now lie under the cursor, or no longer: the parent re-checks its hover child.
void IMControl::SetDirty(bool dirty)
{
    if (!dirty)
        return;
    Notify(signals_.dirty, IMEV_NOTIFY);
    if (parent_)
        parent_->UpdateHover(parent_->LastMouseMoveEvent(this));
}

long IMControl::OnMouseMove(const IMMouseEvent& ev)
{
    Fire(signals_.mouse_move, ResentBy(this, ev));
    return 0;
}

long IMControl::OnMouseButton(const IMMouseEvent& ev)
{
    if (pressed_ && IsButtonRelease(ev.kind) && enabled_)
        Fire(signals_.click, IMMouseEvent(this, ClickKindFor(ev.kind), ev.wParam, ev.x, ev.y));
    pressed_ = ButtonsHeld(ev);
    const IMMouseEvent copy = ResentBy(this, ev);
    if (enabled_)
        Fire(signals_.mouse_button, copy);
    if (ev.kind == WM_LBUTTONDBLCLK && enabled_)
        Fire(signals_.double_click, copy);
    return 0;
}

long IMControl::OnClick(const IMMouseEvent& ev)
{
    Fire(signals_.click, ResentBy(this, ev));
    return 0;
}

long IMControl::OnMouseEnter(const IMMouseEvent& ev)
{
    hovered_ = true;
    Fire(signals_.mouse_enter, ResentBy(this, ev));
    return 0;
}

long IMControl::OnMouseLeave(const IMMouseEvent& ev)
{
    hovered_ = false;
    Fire(signals_.mouse_leave, ResentBy(this, ev));
    return 0;
}

long IMControl::OnKeyboard(const IMKeyboardEvent& ev)
{
    const IMKeyboardEvent copy = ResentBy(this, ev);
    if (ev.kind == WM_KEYDOWN || ev.kind == WM_SYSKEYDOWN)
        Fire(signals_.key_down, copy);
    if (ev.kind == WM_KEYUP || ev.kind == WM_SYSKEYUP)
        Fire(signals_.key_up, copy);
    Fire(signals_.key, copy);
    return 0;
}

long IMControl::OnDraw(const IMEvent&)
{
    Draw();
    SetDirty(false);
    Notify(signals_.drawn, IMEV_DRAW);
    return 0;
}

long IMControl::OnFrame(const IMEvent&)
{
    Update();
    Notify(signals_.frame, IMEV_FRAME);
    return 0;
}

long IMControl::OnClose(const IMEvent&)
{
    Destroy();
    return 0;
}

long IMControl::OnFocus(const IMEvent&)
{
    if (!focusable_)
        return 0;
    focused_ = true;
    Notify(signals_.focus, IMEV_FOCUS);
    return 0;
}

long IMControl::OnBlur(const IMEvent&)
{
    if (!focusable_)
        return 0;
    focused_ = false;
    Notify(signals_.blur, IMEV_BLUR);
    return 0;
}

// The focus signals keep their slots: the parent still learns when a destroyed child loses the focus.
void IMControl::Destroy()
{
    closing_ = true;
    signals_.drawn.disconnect_all_slots();
    signals_.closing.disconnect_all_slots();
    signals_.frame.disconnect_all_slots();
    signals_.disabled.disconnect_all_slots();
    signals_.enabled.disconnect_all_slots();
    signals_.hidden.disconnect_all_slots();
    signals_.shown.disconnect_all_slots();
    signals_.mouse_move.disconnect_all_slots();
    signals_.mouse_button.disconnect_all_slots();
    signals_.click.disconnect_all_slots();
    signals_.mouse_enter.disconnect_all_slots();
    signals_.mouse_leave.disconnect_all_slots();
    signals_.double_click.disconnect_all_slots();
    signals_.key.disconnect_all_slots();
    signals_.key_down.disconnect_all_slots();
    signals_.key_up.disconnect_all_slots();
    signals_.dirty.disconnect_all_slots();
    if (parent_)
        parent_->DetachChild(this);
}
