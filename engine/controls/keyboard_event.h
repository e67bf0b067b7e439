// A key message as received: kind is the message, wParam the key, lParam the key data.
#pragma once

#include "engine/controls/windows_event.h"

class IMKeyboardEvent : public IMWindowsEvent {
public:
    IMKeyboardEvent() = default;
    IMKeyboardEvent(IMControl* sender_, DWORD kind_, WPARAM wParam_, LPARAM lParam_ = 0)
        : IMWindowsEvent(sender_, kind_, wParam_, lParam_)
    {
    }

    bool IsMessage(UINT msg) const { return kind == msg; }
};
