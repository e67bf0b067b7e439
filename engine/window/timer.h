// Millisecond timers of the main window: pure bookkeeping over the performance counter, looked at once per idle
// pass of the message loop.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "engine/controls/control.h"

struct IMTimer {
    DWORD interval = 0;
    // Counter reading of the creation or the last firing.
    int64_t last = 0;
    // Shared so that a callback may remove its own timer while the signal is still calling it.
    std::shared_ptr<IMEventSignal> signal = std::make_shared<IMEventSignal>();
};

class IMTimerTable {
public:
    // Ids are 1, 2, 3, ... and never handed out again.
    DWORD Add(DWORD interval);
    // Id 0 and ids that name no timer are ignored.
    void Remove(DWORD id);
    // An empty connection for an id that names no timer.
    template <IMSlotFor<IMEvent> F> im::Connection Connect(DWORD id, F&& f)
    {
        auto it = timers_.find(id);
        if (it == timers_.end())
            return {};
        return it->second->signal->connect(std::forward<F>(f));
    }
    // Fires every due timer once, in ascending id order, all judged against one counter reading.
    void RunDue(const IMEvent& ev);
    void Clear();
    bool Empty() const { return timers_.empty(); }
    std::size_t Count() const { return timers_.size(); }

private:
    DWORD counter_ = 0;
    std::map<DWORD, std::unique_ptr<IMTimer>> timers_;
};
