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
    // The key-down that starts a press, or a character it types. False for a key-up and for what the keyboard's
    // auto-repeat sends while the key stays held (the previous-state bit 30 of the key data).
    bool IsNewPress() const
    {
        const bool down = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN || kind == WM_CHAR;
        return down && (lParam & (LPARAM(1) << 30)) == 0;
    }
};
