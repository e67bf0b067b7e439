#include "engine/controls/viewport_clip.h"

bool ClipViewportToRect(const D3DVIEWPORT9& current, const RECT& rect, POINT origin, D3DVIEWPORT9* clipped)
{
    const RECT view { static_cast<LONG>(current.X), static_cast<LONG>(current.Y),
        static_cast<LONG>(current.X + current.Width), static_cast<LONG>(current.Y + current.Height) };
    RECT screen = rect;
    OffsetRect(&screen, origin.x, origin.y);
    RECT clip;
    if (!IntersectRect(&clip, &view, &screen))
        return false;
    *clipped = D3DVIEWPORT9 { static_cast<DWORD>(clip.left), static_cast<DWORD>(clip.top),
        static_cast<DWORD>(clip.right - clip.left), static_cast<DWORD>(clip.bottom - clip.top), 0.0f, 1.0f };
    return true;
}
