// A mouse message; x and y are in the coordinates of the receiving control's parent.
#pragma once

#include "engine/controls/windows_event.h"

class IMMouseEvent : public IMWindowsEvent {
public:
    IMMouseEvent() = default;
    IMMouseEvent(IMControl* sender_, DWORD kind_, WPARAM wParam_, LONG x_, LONG y_)
        : IMWindowsEvent(sender_, kind_, wParam_, 0)
        , x(x_)
        , y(y_)
    {
    }

    bool IsMessage(UINT msg) const { return kind == msg; }

    LONG x = 0;
    LONG y = 0;
};
