// The root of the control tree and the one window of the program: it creates the window and the rendering device,
// turns window messages into events for the tree, runs the message loop that frames the tree once per idle pass
// and draws it only when something changed, and keeps millisecond timers for the rest of the program.
#pragma once

#include <string>

#include "engine/controls/dialog_base.h"
#include "engine/window/timer.h"
#include "platform/window/window.h"

class IMWindow : public IMDialogBase<IMEmptyView> {
public:
    // rect: window position (left, top) and client size. Registers the window class, opens the window (full
    // screen unless windowed), starts the graphics, makes the main window and shows it. The process ends with the
    // error code when the class or the window cannot be made; a graphics start-up failure is thrown, with the
    // window and its class already gone.
    static IMWindow* Create(
        HMENU menu, const RECT* rect, const std::wstring& caption, bool windowed, HINSTANCE instance);
    // Runs the message loop until WM_QUIT; returns 0.
    static int Run(IMWindow* window);
    static LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Disposes of the tree, stops the graphics, destroys the window and unregisters its class. Timers still
    // armed never fire again.
    ~IMWindow() override;

    DWORD AddTimer(DWORD interval);
    void RemoveTimer(DWORD id);
    template <IMSlotFor<IMEvent> F> im::Connection ConnectTimer(DWORD id, F&& f)
    {
        return timers_.Connect(id, std::forward<F>(f));
    }
    // Timers armed now.
    std::size_t TimerCount() const { return timers_.Count(); }

    // Ends the message loop; the window stays in place until its owner deletes it.
    void Destroy() override;
    // Sends the window its enter and leave by polling the cursor: no message arrives when it leaves the client.
    long Update() override;
    // Clears and redraws the whole back buffer when anything in the tree is dirty; only counts the frame
    // otherwise. Nothing while paused.
    virtual void Render();

    // Drawing stops while the window is minimised, hidden or being moved; frames and timers go on.
    bool IsPaused() const { return paused_; }

private:
    IMWindow();

    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void IdlePass();
    // True also while no manager exists: nothing can be drawn then.
    static bool DeviceLost();

    bool paused_ = false;
    IMTimerTable timers_;
};

// Set by IMWindow::Create; the main window is cleared again at its teardown.
extern IMWindow* g_main_window;
extern HWND g_main_window_handle;
