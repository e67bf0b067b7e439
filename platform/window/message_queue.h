// The queue of the user-interface thread: posted messages, input messages, the quit request and the windows
// waiting for a paint or asked to close. Posting is safe from any thread; everything else happens on the
// user-interface thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "platform/window/window.h"

namespace platform {

class MessageQueue {
public:
    void AddWindow(HWND hwnd);
    // Drops the window's queued messages and its paint request; later posts to it fail.
    void RemoveWindow(HWND hwnd);
    bool IsAlive(HWND hwnd) const;

    // False when msg.hwnd names a window that is gone. A null hwnd is a message for the queue itself.
    bool Post(const MSG& msg);
    // WM_CLOSE for the window, kept as a flag so that asking needs no memory: the thread that asks may have none
    // left. Asked again before it is taken, it still comes once. False when the window is gone.
    bool PostClose(HWND hwnd);
    void PushInput(const MSG& msg);
    void PostQuit(int exit_code);
    // Paint requests are flags, not messages: many exposures give one WM_PAINT.
    void Invalidate(HWND hwnd);
    void Validate(HWND hwnd);
    bool NeedsPaint(HWND hwnd) const;

    bool Take(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove);
    bool HasPending() const;
    // Returns as soon as something is pending (true), or after the timeout (false).
    bool WaitForPending(std::chrono::microseconds timeout);
    // Back to empty, with no window known and no quit request.
    void Clear();

private:
    bool HasPendingLocked() const;
    bool TakeFrom(std::deque<MSG>& queue, MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove);
    bool TakeQuit(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove);

    struct Requests {
        bool paint = false;
        bool close = false;
    };
    bool TakeRequest(
        bool Requests::*request, UINT message, MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<MSG> posted_;
    std::deque<MSG> input_;
    std::map<HWND, Requests> windows_;
    bool quit_ = false;
    int quit_code_ = 0;
};

} // namespace platform
