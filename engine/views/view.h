// The visible half of a control: where it is drawn, which part of its picture it shows, and whether it must be
// redrawn. Rectangles are in the coordinates of the control's parent.
#pragma once

#include "platform/win32.h"

class IMView {
public:
    IMView() = default;
    virtual ~IMView() = default;

    IMView(const IMView&) = delete;
    IMView& operator=(const IMView&) = delete;

    // Both setters mark the view dirty through the virtual SetDirty, so a control embedding the view hears of it.
    virtual void SetRect(const RECT& rect);
    virtual RECT GetRect() const { return rect_; }
    virtual void SetSrcRect(const RECT& rect);
    virtual RECT GetSrcRect() const { return src_rect_; }
    // Moves, keeping the size.
    virtual void SetPos(int x, int y);
    virtual void SetPos(POINT p);
    virtual POINT GetPos() const { return POINT { rect_.left, rect_.top }; }
    // Resizes, keeping the top-left corner.
    virtual void SetSize(int width, int height);
    virtual LONG GetHeight() const { return rect_.bottom - rect_.top; }
    virtual LONG GetWidth() const { return rect_.right - rect_.left; }
    virtual void Draw() = 0;
    // Left and top edges belong to the view, right and bottom do not.
    virtual bool HitTest(POINT p) const;
    virtual bool IsDirty() const { return dirty_; }
    virtual void SetDirty(bool dirty) { dirty_ = dirty; }

protected:
    // Stores the destination rectangle without marking anything dirty.
    void StoreRect(const RECT& rect) { rect_ = rect; }

    bool dirty_ = false;

private:
    RECT rect_ {};
    RECT src_rect_ {};
};
