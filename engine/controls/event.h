// The base event record and the event kinds of the control tree.
// Events are plain values built on the stack and passed by constant reference.
#pragma once

#include "platform/win32.h"

class IMControl;

// Kinds that are not Windows messages (those keep their message numbers).
constexpr DWORD IMEV_NOTIFY = 0;
constexpr DWORD IMEV_DRAW = 15;
constexpr DWORD IMEV_CLOSE = 16;
constexpr DWORD IMEV_FRAME = 16;
constexpr DWORD IMEV_FOCUS = 17;
constexpr DWORD IMEV_BLUR = 18;
constexpr DWORD IMEV_MOUSEENTER = 0x020B;
constexpr DWORD IMEV_MOUSELEAVE = 0x02A3;
constexpr DWORD IMEV_LCLICK = 0x020C;
constexpr DWORD IMEV_RCLICK = 0x020D;
constexpr DWORD IMEV_MCLICK = 0x020E;

class IMEvent {
public:
    IMEvent() = default;
    IMEvent(IMControl* sender_, DWORD kind_)
        : sender(sender_)
        , kind(kind_)
    {
    }

    bool Is(DWORD k) const { return kind == k; }

    IMControl* sender = nullptr;
    DWORD kind = IMEV_NOTIFY;
};
