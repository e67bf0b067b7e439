#include "platform/headless/headless_backend.h"

#include <algorithm>

#include "platform/time/clock.h"

namespace platform {

bool HeadlessBackend::CreateNative(HWND hwnd, const std::wstring&, DWORD, POINT origin, SIZE client)
{
    windows_[hwnd] = Native { origin, client };
    order_.push_back(hwnd);
    return true;
}

void HeadlessBackend::DestroyNative(HWND hwnd)
{
    windows_.erase(hwnd);
    std::erase(order_, hwnd);
}

void HeadlessBackend::ShowNative(HWND, int) { }

void HeadlessBackend::Pump()
{
    if (hook_)
        hook_();
}

void HeadlessBackend::Wait(DWORD ms)
{
    MessageQueue& queue = TheMessageQueue();
    ManualClock* clock = CurrentManualClock();
    if (clock == nullptr) {
        WaitPumping(ms, *this);
        return;
    }
    DWORD steps = std::min(ms, kLongestSimulatedWait);
    for (DWORD i = 0; i < steps && !queue.HasPending(); ++i) {
        clock->Advance(1);
        Pump();
    }
}

bool HeadlessBackend::CursorPos(POINT* screen)
{
    *screen = TheInputState().cursor;
    return true;
}

HWND HeadlessBackend::Target() const
{
    return order_.empty() ? nullptr : order_.back();
}

InputMapping HeadlessBackend::TargetMapping() const
{
    auto it = windows_.find(Target());
    if (it == windows_.end())
        return DirectMapping(SIZE { 800, 600 }, POINT {});
    return DirectMapping(it->second.client, it->second.origin);
}

HeadlessBackend* HeadlessBackend::Current()
{
    auto* headless = dynamic_cast<HeadlessBackend*>(&CurrentWindowBackend());
    return headless;
}

} // namespace platform
