// A control that plays its view's frame range once, driven by the performance counter: frame n of the run is due
// n periods after Play, frames are skipped when the frame loop is slower than the period, and finished fires on
// the first update after the last frame's time.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "engine/views/view_control.h"
#include "platform/system/debug_output.h"
#include "platform/time/clock.h"

template <class V> class IMAnimationBase : public IMViewControl<V> {
public:
    // 2400 sixty-thousandths of a second: 25 frames per second.
    static constexpr int32_t kDefaultPeriod = 2400;

    explicit IMAnimationBase(IMControl::Dialog* parent, int layer = 0)
        : IMViewControl<V>(parent, layer)
    {
    }

    // Starts (or restarts) the run from now; the first Update shows the first frame.
    void Play(bool forward = true)
    {
        const IMEvent ev(this, IMEV_NOTIFY);
        IMControl::Fire(started_, ev);
        IMControl::Fire(frame_, ev);
        playing_ = true;
        forward_ = forward;
        start_time_ = Counter();
    }

    void Stop()
    {
        playing_ = false;
        IMControl::Fire(finished_, IMEvent(this, IMEV_NOTIFY));
    }

    long Update() override
    {
        if (!playing_)
            return 0;
        const int64_t n = (Counter() - start_time_) * 60000 / Frequency() / period_;
        const int start = V::GetStart();
        const int end = V::GetEnd();
        const int64_t count = int64_t(end) - start + 1;
        // The end test comes before the shown-frame test: a one-frame run, whose computed frame always equals
        // the shown one, would otherwise never finish. An empty range finishes at once.
        if (count <= 0 || n > int64_t(end) - start) {
            Stop();
            return 0;
        }
        const int64_t f = n % count;
        const int frame = static_cast<int>(forward_ ? start + f : end - f);
        if (frame == V::GetFrame())
            return 0;
        IMControl::Fire(frame_, IMEvent(this, IMEV_NOTIFY));
        // A frame the view cannot make (a damaged clip) ends the run: the owner hears finished, and nothing
        // unwinds through the frame loop.
        try {
            V::SetFrame(frame);
        } catch (const std::runtime_error& error) {
            OutputDebugStringA(error.what());
            Stop();
        }
        return 0;
    }

    // Milliseconds since the last Play.
    int64_t ElapsedMs() const { return (Counter() - start_time_) * 1000 / Frequency(); }

    bool IsPlaying() const { return playing_; }
    bool IsForward() const { return forward_; }
    int32_t GetPeriod() const { return period_; }
    // One frame's duration in sixty-thousandths of a second; must be positive.
    void SetPeriod(int32_t period)
    {
        if (period <= 0)
            throw std::invalid_argument("animation period must be positive");
        period_ = period;
    }

    template <IMSlotFor<IMEvent> F> static im::Connection ConnectFinished(IMAnimationBase* a, F&& f)
    {
        if (!a)
            return {};
        return a->finished_.connect(std::forward<F>(f));
    }

private:
    static int64_t Counter()
    {
        LARGE_INTEGER now {};
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    static int64_t Frequency()
    {
        LARGE_INTEGER f {};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }

    int64_t start_time_ = 0;
    int32_t period_ = kDefaultPeriod;
    bool playing_ = false;
    bool forward_ = true;
    IMEventSignal started_;
    IMEventSignal finished_;
    IMEventSignal frame_;
};
