// SDL events to window messages, as a pure function over event values and a small input state.
// Both back ends feed their events through here: SDL's real events, and the headless harness's synthetic ones.
#pragma once

#include <bitset>
#include <vector>

#include <SDL_events.h>

#include "platform/win32.h"
#include "platform/window/letterbox.h"

namespace platform {

// How window points reach the client: where the client appears in the window, its size in pixels, and where its
// top-left corner is on the screen.
struct InputMapping {
    Viewport viewport;
    SIZE client { 800, 600 };
    POINT screen_origin;
};

// An identity mapping: window points are client pixels.
InputMapping DirectMapping(SIZE client, POINT screen_origin);

struct InputMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct InputState {
    std::bitset<SDL_NUM_SCANCODES> keys; // physical keys held
    WPARAM buttons = 0; // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON held
    bool has_move = false;
    POINT last_move; // client position of the last WM_MOUSEMOVE
    POINT cursor; // screen position of the last mouse event, also outside the client
    bool has_press = false;
    WPARAM press_button = 0; // the first press of a possible double click
    Uint32 press_time = 0;
    POINT press_at;
    int shown = -1; // last visibility reported with WM_SHOWWINDOW; -1 before any
};

constexpr Uint32 kDoubleClickMs = 500;
constexpr int kDoubleClickWidth = 4;
constexpr int kDoubleClickHeight = 4;

// Appends the messages for one event to out.
//  - Keys: virtual-key code of the physical key; lParam holds repeat count 1, scan code, extended bit, Alt context,
//    previous state and transition. WM_SYSKEY* while Alt is held without Ctrl, and for F10.
//  - Characters: one WM_CHAR per code point of typed text (also beyond U+FFFF), and for Enter 13 (Ctrl+Enter 10),
//    Esc 27, Backspace 8 (Ctrl+Backspace 127), Tab 9, Ctrl+letter 1..26 and Ctrl+[ \ ] 27..29, which arrive as
//    keys only; none while Alt is held.
//  - Mouse: client coordinates; nothing for points outside the client except the wheel, which carries screen
//    coordinates. wParam holds the buttons held after the event plus MK_SHIFT / MK_CONTROL. A WM_MOUSEMOVE comes
//    first when a button event is at a new position. A second press of the same button within kDoubleClickMs and
//    the 4 x 4 pixel square around the first becomes *BUTTONDBLCLK; a third press starts over. Side buttons and
//    the horizontal wheel give nothing.
//  - Window: minimise / restore / maximise give WM_SIZE, show / hide WM_SHOWWINDOW, expose WM_PAINT, close and
//    quit WM_CLOSE.
void TranslateEvent(
    const SDL_Event& event, const InputMapping& mapping, InputState& state, std::vector<InputMessage>& out);

// 0x8000 while the key or button is held in state.
SHORT AsyncKeyState(const InputState& state, int vk);

} // namespace platform
