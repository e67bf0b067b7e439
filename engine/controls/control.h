// The base of every element of the user interface: state flags, default event handling, and a signal per event
// so that screens attach behaviour by connecting callbacks instead of deriving.
#pragma once

#include <type_traits>
#include <utility>

#include "engine/controls/event.h"
#include "engine/controls/keyboard_event.h"
#include "engine/controls/mouse_event.h"
#include "platform/signals.h"
#include "platform/win32.h"

class IMEmptyView;
template <class V> class IMDialogBase;

using IMEventSignal = im::Signal<long(const IMEvent&)>;
using IMMouseSignal = im::Signal<long(const IMMouseEvent&)>;
using IMKeyboardSignal = im::Signal<long(const IMKeyboardEvent&)>;

// Connect functions accept any callable, so a bind expression over a trackable object is tracked: its slot is cut
// when that object dies. A callback first wrapped in a type-erased function object is not tracked.
template <class F, class E>
concept IMSlotFor = std::is_invocable_r_v<long, F, const E&>;

class IMControl : public im::Trackable {
public:
    using Dialog = IMDialogBase<IMEmptyView>;

    // Adds the control to parent (when given) on the given layer; higher layers lie above lower ones.
    IMControl(Dialog* parent, int layer);
    // Does not detach from the parent: only the parent deletes its children, after Destroy.
    virtual ~IMControl();

    IMControl(const IMControl&) = delete;
    IMControl& operator=(const IMControl&) = delete;

    virtual void SetFocus(bool focus);
    virtual void Disable();
    virtual void Enable();
    virtual void Hide();
    virtual void Show();
    virtual long Close();
    virtual void SetDirty(bool dirty);
    virtual bool IsDirty() const = 0;
    virtual bool IsFocusable() const { return focusable_; }
    virtual void SetFocusable(bool focusable) { focusable_ = focusable; }
    virtual bool IsEnabled() const { return enabled_; }
    virtual bool IsHidden() const { return hidden_; }
    virtual bool IsHovered() const { return hovered_; }
    virtual bool IsPressed() const { return pressed_; }
    virtual bool IsLocked() const { return locked_; }
    virtual bool IsFocused() const { return focused_; }
    // The point is in the parent's coordinates.
    virtual bool HitTest(int x, int y) const = 0;
    virtual long OnMouseMove(const IMMouseEvent& ev);
    virtual long OnMouseButton(const IMMouseEvent& ev);
    virtual long OnClick(const IMMouseEvent& ev);
    virtual long OnMouseEnter(const IMMouseEvent& ev);
    virtual long OnMouseLeave(const IMMouseEvent& ev);
    virtual long OnKeyboard(const IMKeyboardEvent& ev);
    virtual long OnDraw(const IMEvent& ev);
    virtual long OnFrame(const IMEvent& ev);
    virtual long OnClose(const IMEvent& ev);
    virtual long OnFocus(const IMEvent& ev);
    virtual long OnBlur(const IMEvent& ev);
    virtual void SetRect(const RECT& rect) = 0;
    virtual RECT GetRect() const = 0;
    // Cuts the signals and hands the control to its parent for deletion; the owner must not use it afterwards.
    virtual void Destroy();
    virtual void Draw() = 0;
    virtual long Update() { return 0; }

    DWORD GetId() const { return id_; }
    Dialog* GetParent() const { return parent_; }
    // True from the start of Close (before the closing signal) or from Destroy on: nothing new should be built
    // on such a control.
    bool IsClosing() const { return closing_; }

    template <IMSlotFor<IMEvent> F> static im::Connection ConnectClosing(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::closing, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectFrame(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::frame, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectDisabled(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::disabled, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectEnabled(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::enabled, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectHidden(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::hidden, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectShown(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::shown, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectDirty(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::dirty, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectFocus(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::focus, std::forward<F>(f));
    }
    template <IMSlotFor<IMEvent> F> static im::Connection ConnectBlur(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::blur, std::forward<F>(f));
    }
    template <IMSlotFor<IMMouseEvent> F> static im::Connection ConnectMouseMove(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::mouse_move, std::forward<F>(f));
    }
    template <IMSlotFor<IMMouseEvent> F> static im::Connection ConnectMouseButton(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::mouse_button, std::forward<F>(f));
    }
    template <IMSlotFor<IMMouseEvent> F> static im::Connection ConnectClick(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::click, std::forward<F>(f));
    }
    template <IMSlotFor<IMMouseEvent> F> static im::Connection ConnectMouseEnter(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::mouse_enter, std::forward<F>(f));
    }
    template <IMSlotFor<IMMouseEvent> F> static im::Connection ConnectMouseLeave(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::mouse_leave, std::forward<F>(f));
    }
    template <IMSlotFor<IMKeyboardEvent> F> static im::Connection ConnectKey(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::key, std::forward<F>(f));
    }
    template <IMSlotFor<IMKeyboardEvent> F> static im::Connection ConnectKeyDown(IMControl* c, F&& f)
    {
        return Attach(c, &Signals::key_down, std::forward<F>(f));
    }

protected:
    struct Signals {
        IMEventSignal drawn;
        IMEventSignal closing;
        IMEventSignal frame;
        IMEventSignal disabled;
        IMEventSignal enabled;
        IMEventSignal hidden;
        IMEventSignal shown;
        IMEventSignal dirty;
        IMEventSignal focus;
        IMEventSignal blur;
        IMMouseSignal mouse_move;
        IMMouseSignal mouse_button;
        IMMouseSignal click;
        IMMouseSignal mouse_enter;
        IMMouseSignal mouse_leave;
        IMMouseSignal double_click;
        IMKeyboardSignal key;
        IMKeyboardSignal key_down;
        IMKeyboardSignal key_up;
    };

    // Calls the signal's slots, in the order they were connected, when it has any.
    template <class S, class E> static void Fire(S& signal, const E& ev)
    {
        if (!signal.empty())
            signal(ev);
    }
    // Fires a notification of the given kind with this control as sender.
    void Notify(IMEventSignal& signal, DWORD kind);

    Signals signals_;

private:
    template <class S, class F> static im::Connection Attach(IMControl* c, S Signals::*member, F&& f)
    {
        if (!c)
            return {};
        return (c->signals_.*member).connect(std::forward<F>(f));
    }

    Dialog* parent_;
    bool hovered_ = false;
    bool pressed_ = false;
    bool enabled_ = true;
    bool hidden_ = false;
    bool focused_ = false;
    bool locked_ = false;
    bool focusable_ = false;
    bool closing_ = false;
    DWORD id_;
};
