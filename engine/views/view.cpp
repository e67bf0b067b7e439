#include "engine/views/view.h"

void IMView::SetRect(const RECT& rect)
{
    if (EqualRect(&rect, &rect_))
        return;
    rect_ = rect;
    SetDirty(true);
}

void IMView::SetSrcRect(const RECT& rect)
{
    if (EqualRect(&rect, &src_rect_))
        return;
    src_rect_ = rect;
    SetDirty(true);
}

void IMView::SetPos(int x, int y)
{
    SetPos(POINT { x, y });
}

void IMView::SetPos(POINT p)
{
    SetRect(RECT { p.x, p.y, p.x + GetWidth(), p.y + GetHeight() });
}

void IMView::SetSize(int width, int height)
{
    const RECT r = GetRect();
    SetRect(RECT { r.left, r.top, r.left + width, r.top + height });
}

bool IMView::HitTest(POINT p) const
{
    const RECT r = GetRect();
    return PtInRect(&r, p) != FALSE;
}
