#include "platform/win32.h"

BOOL PtInRect(const RECT* rect, POINT pt)
{
    return pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top && pt.y < rect->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL IsRectEmpty(const RECT* rect)
{
    return rect->left >= rect->right || rect->top >= rect->bottom;
}

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b)
{
    RECT r;
    r.left = a->left > b->left ? a->left : b->left;
    r.top = a->top > b->top ? a->top : b->top;
    r.right = a->right < b->right ? a->right : b->right;
    r.bottom = a->bottom < b->bottom ? a->bottom : b->bottom;
    if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(&r)) {
        *dst = RECT {};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy)
{
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    *rect = RECT { left, top, right, bottom };
    return TRUE;
}
