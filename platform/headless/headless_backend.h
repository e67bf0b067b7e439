// Windows without a display: the queue, the translator and the cursor work as with SDL, input comes from the
// test (HeadlessInput). Under a manual clock the idle wait advances the clock instead of sleeping.
#pragma once

#include <functional>
#include <map>

#include "platform/window/window_backend.h"

namespace platform {

class HeadlessBackend : public WindowBackend {
public:
    // The longest a wait without timeout advances a manual clock before it gives up.
    static constexpr DWORD kLongestSimulatedWait = 60 * 60 * 1000;

    bool CreateNative(HWND hwnd, const std::wstring& title, DWORD style, POINT origin, SIZE client) override;
    void DestroyNative(HWND hwnd) override;
    void ShowNative(HWND hwnd, int command) override;
    void Pump() override;
    void Wait(DWORD ms) override;
    bool CursorPos(POINT* screen) override;
    void SetCursorVisible(bool visible) override { cursor_visible_ = visible; }

    // The most recently created window still alive; null when none.
    HWND Target() const;
    // Client pixels of the target map one to one onto window points.
    InputMapping TargetMapping() const;
    bool CursorVisible() const { return cursor_visible_; }
    // Runs on every pump: lets the test's script act at its simulated times.
    void SetPumpHook(std::function<void()> hook) { hook_ = std::move(hook); }

    // The installed back end when it is headless; null otherwise.
    static HeadlessBackend* Current();

private:
    struct Native {
        POINT origin;
        SIZE client;
    };
    std::map<HWND, Native> windows_;
    std::vector<HWND> order_;
    std::function<void()> hook_;
    bool cursor_visible_ = true;
};

} // namespace platform
