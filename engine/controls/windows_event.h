// An event that carries the two parameters of a window message.
#pragma once

#include "engine/controls/event.h"

class IMWindowsEvent : public IMEvent {
public:
    IMWindowsEvent() = default;
    IMWindowsEvent(IMControl* sender_, DWORD kind_, WPARAM wParam_, LPARAM lParam_)
        : IMEvent(sender_, kind_)
        , wParam(wParam_)
        , lParam(lParam_)
    {
    }

    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
