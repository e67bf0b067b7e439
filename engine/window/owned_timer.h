// A timer of the main window with its one callback, held by whatever the callback serves: the timer and its
// connection go when the holder goes or arms again, so no timer outlives what it calls.
#pragma once

#include <utility>

#include "engine/window/window.h"

class IMOwnedTimer {
public:
    IMOwnedTimer() = default;
    ~IMOwnedTimer() { Stop(); }
    IMOwnedTimer(const IMOwnedTimer&) = delete;
    IMOwnedTimer& operator=(const IMOwnedTimer&) = delete;

    // Replaces the timer armed before, if any, with one that calls f every interval ms. Nothing is armed without a
    // main window. A callback may arm its own timer again.
    template <IMSlotFor<IMEvent> F> void Arm(DWORD interval, F&& f)
    {
        Stop();
        if (!g_main_window)
            return;
        id_ = g_main_window->AddTimer(interval);
        connection_ = g_main_window->ConnectTimer(id_, std::forward<F>(f));
    }

    // Removes the timer and its connection; nothing when none is armed. A callback may stop its own timer.
    void Stop()
    {
        connection_.disconnect();
        if (id_ != 0 && g_main_window)
            g_main_window->RemoveTimer(id_);
        id_ = 0;
    }

    // The window's id of the armed timer; 0 when none is armed.
    DWORD GetId() const { return id_; }

private:
    DWORD id_ = 0;
    im::Connection connection_;
};
