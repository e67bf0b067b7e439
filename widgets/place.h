// Placing a widget's parts: every part is moved and sized through its view, so the control hears of it.
#pragma once

#include "engine/views/view.h"

inline void PlaceView(IMView* view, LONG x, LONG y, LONG width, LONG height)
{
    view->SetRect(RECT { x, y, x + width, y + height });
}
