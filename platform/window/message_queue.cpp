#include "platform/window/message_queue.h"

#include <algorithm>

#include "platform/time/clock.h"

namespace platform {
namespace {

bool Matches(const MSG& msg, HWND hwnd, UINT filter_min, UINT filter_max)
{
    if (hwnd != nullptr && msg.hwnd != hwnd)
        return false;
    if (filter_min == 0 && filter_max == 0)
        return true;
    return msg.message >= filter_min && msg.message <= filter_max;
}

} // namespace

void MessageQueue::AddWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    windows_[hwnd] = Requests {};
}

void MessageQueue::RemoveWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(hwnd);
    auto of_window = [hwnd](const MSG& m) { return m.hwnd == hwnd; };
    std::erase_if(posted_, of_window);
    std::erase_if(input_, of_window);
}

void MessageQueue::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.clear();
    input_.clear();
    windows_.clear();
    quit_ = false;
    quit_code_ = 0;
}

bool MessageQueue::IsAlive(HWND hwnd) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return windows_.count(hwnd) != 0;
}

// Waiters are woken with the lock still held: a thread posting from outside (a signal, a sound) could otherwise
// still be notifying after the main thread has taken the message, ended and destroyed the queue.
bool MessageQueue::Post(const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (msg.hwnd != nullptr && windows_.count(msg.hwnd) == 0)
            return false;
        posted_.push_back(msg);
        changed_.notify_all();
    }
    return true;
}

bool MessageQueue::PostClose(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end())
        return false;
    it->second.close = true;
    changed_.notify_all();
    return true;
}

void MessageQueue::PushInput(const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (msg.hwnd == nullptr || windows_.count(msg.hwnd) == 0)
            return;
        input_.push_back(msg);
        changed_.notify_all();
    }
}

void MessageQueue::PostQuit(int exit_code)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        quit_code_ = exit_code;
        changed_.notify_all();
    }
}

void MessageQueue::Invalidate(HWND hwnd)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = windows_.find(hwnd);
        if (it == windows_.end())
            return;
        it->second.paint = true;
        changed_.notify_all();
    }
}

void MessageQueue::Validate(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it != windows_.end())
        it->second.paint = false;
}

bool MessageQueue::NeedsPaint(HWND hwnd) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(hwnd);
    return it != windows_.end() && it->second.paint;
}

bool MessageQueue::Take(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return TakeFrom(posted_, msg, hwnd, filter_min, filter_max, remove)
        || TakeRequest(&Requests::close, WM_CLOSE, msg, hwnd, filter_min, filter_max, remove)
        || TakeQuit(msg, hwnd, filter_min, filter_max, remove)
        || TakeFrom(input_, msg, hwnd, filter_min, filter_max, remove)
        || TakeRequest(&Requests::paint, WM_PAINT, msg, hwnd, filter_min, filter_max, remove);
}

bool MessageQueue::TakeFrom(std::deque<MSG>& queue, MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove)
{
    auto it = std::find_if(
        queue.begin(), queue.end(), [&](const MSG& m) { return Matches(m, hwnd, filter_min, filter_max); });
    if (it == queue.end())
        return false;
    *msg = *it;
    if (remove)
        queue.erase(it);
    return true;
}

// The quit message waits for the posted messages, but not for input.
bool MessageQueue::TakeQuit(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove)
{
    MSG quit;
    quit.message = WM_QUIT;
    quit.wParam = static_cast<WPARAM>(quit_code_);
    quit.time = timeGetTime();
    if (!quit_ || !posted_.empty() || hwnd != nullptr || !Matches(quit, nullptr, filter_min, filter_max))
        return false;
    *msg = quit;
    if (remove)
        quit_ = false;
    return true;
}

// A window's requests are flags: its paint request stays until the window validates it (DefWindowProcW does), its
// close request is gone once taken.
bool MessageQueue::TakeRequest(
    bool Requests::*request, UINT message, MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, bool remove)
{
    for (auto& [window, requests] : windows_) {
        MSG made;
        made.hwnd = window;
        made.message = message;
        made.time = timeGetTime();
        if (requests.*request && Matches(made, hwnd, filter_min, filter_max)) {
            *msg = made;
            if (remove && request == &Requests::close)
                requests.close = false;
            return true;
        }
    }
    return false;
}

bool MessageQueue::HasPending() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return HasPendingLocked();
}

bool MessageQueue::HasPendingLocked() const
{
    if (quit_ || !posted_.empty() || !input_.empty())
        return true;
    return std::any_of(
        windows_.begin(), windows_.end(), [](const auto& w) { return w.second.paint || w.second.close; });
}

bool MessageQueue::WaitForPending(std::chrono::microseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return HasPendingLocked(); });
}

} // namespace platform
