// What a window back end gives the message layer, and how it hands its events in. The program installs the SDL
// back end; the tests' support installs the headless one. Using windows, the cursor or the queue's waits before
// one is installed ends the process with a line that says so.
#pragma once

#include <memory>
#include <string>

#include <SDL_events.h>

#include "platform/input/input_translator.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"

namespace platform {

// Called on the user-interface thread only.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // The native side of a new window whose client is client.cx x client.cy pixels with its top-left corner at
    // origin on the layer's screen. False when it cannot be made (the reason goes to standard error).
    virtual bool CreateNative(HWND hwnd, const std::wstring& title, DWORD style, POINT origin, SIZE client) = 0;
    virtual void DestroyNative(HWND hwnd) = 0;
    // SW_HIDE, SW_MINIMIZE, SW_RESTORE, or any other command to show.
    virtual void ShowNative(HWND hwnd, int command) = 0;
    // Hands pending native events to DeliverEvent.
    virtual void Pump() = 0;
    // Waits until a message is pending or ms have passed.
    virtual void Wait(DWORD ms) = 0;
    // The cursor in screen coordinates; false when unknown.
    virtual bool CursorPos(POINT* screen) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
};

// Replaces the back end; to be done before any window exists.
void InstallWindowBackend(std::unique_ptr<WindowBackend> backend);
WindowBackend& CurrentWindowBackend();

MessageQueue& TheMessageQueue();
// The keyboard and mouse state of the translator, shared by all windows.
InputState& TheInputState();

// Waits in real time until a message is pending or ms have passed, pumping the back end every millisecond.
void WaitPumping(DWORD ms, WindowBackend& backend);

// Translates event and queues the messages for target; WM_PAINT becomes a paint request. A null or destroyed
// target still updates the input state.
void DeliverEvent(const SDL_Event& event, const InputMapping& mapping, HWND target);

} // namespace platform
