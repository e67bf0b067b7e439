// A control joined with its view. The control's rectangle is the view's destination rectangle and its dirty flag
// the view's; the operations both bases declare are overridden here once, so a view that moves or repaints itself
// reaches the control (its dirty signal and the parent's hover re-check).
#pragma once

#include "engine/controls/control.h"
#include "engine/views/view.h"

template <class V> class IMViewControl : public IMControl, public V {
public:
    explicit IMViewControl(Dialog* parent, int layer = 0)
        : IMControl(parent, layer)
        , V()
    {
    }

    using V::HitTest;

    void Disable() override
    {
        IMControl::Disable();
        SetDirty(true);
    }
    void Enable() override
    {
        IMControl::Enable();
        SetDirty(true);
    }
    void Hide() override
    {
        IMControl::Hide();
        SetDirty(true);
    }
    void Show() override
    {
        IMControl::Show();
        SetDirty(true);
    }
    void SetDirty(bool dirty) override
    {
        V::SetDirty(dirty);
        IMControl::SetDirty(dirty);
    }
    bool IsDirty() const override { return V::IsDirty(); }
    bool HitTest(int x, int y) const override { return !IsHidden() && V::HitTest(POINT { x, y }); }
    void SetRect(const RECT& rect) override
    {
        const RECT current = V::GetRect();
        if (EqualRect(&rect, &current))
            return;
        V::StoreRect(rect);
        SetDirty(true);
    }
    RECT GetRect() const override { return V::GetRect(); }
    // A control without a parent is never drawn, but ends clean all the same.
    void Draw() override
    {
        if (!IsHidden() && GetParent())
            V::Draw();
        SetDirty(false);
    }
};
