// Test input for headless windows. Every action is built as the SDL event a real device would give and goes
// through the same translator as the SDL back end, aimed at the most recently created window. Positions are
// client pixels. Events are stamped with timeGetTime, so a manual clock decides what counts as a double click.
#pragma once

#include <functional>
#include <map>
#include <string_view>

#include <SDL_scancode.h>

#include "platform/headless/headless_backend.h"

namespace platform {

enum class MouseButton { Left, Right, Middle, X1, X2 };
enum class Modifier { Shift, Ctrl, Alt };

class HeadlessInput {
public:
    // Installs the headless back end when another one is installed (before any window exists). Starts with no key
    // or button held.
    HeadlessInput();
    ~HeadlessInput();
    HeadlessInput(const HeadlessInput&) = delete;
    HeadlessInput& operator=(const HeadlessInput&) = delete;

    void MoveTo(int x, int y);
    void Press(MouseButton button = MouseButton::Left);
    void Release(MouseButton button = MouseButton::Left);
    void Click(MouseButton button = MouseButton::Left);
    void DoubleClick(MouseButton button = MouseButton::Left);
    // Notches away from the user are positive.
    void Wheel(int notches);
    // Moves the polled cursor to a screen point (outside the client by default) without any message.
    void CursorLeaves(POINT screen = POINT { -1, -1 });

    // By virtual-key code (the first key giving it) or by physical key. repeat: an auto-repeat while held.
    void KeyDown(UINT vk, bool repeat = false);
    void KeyUp(UINT vk);
    void KeyDown(SDL_Scancode scancode, bool repeat = false);
    void KeyUp(SDL_Scancode scancode);
    // Per character: the key that types it on the English or Russian layout (with Shift for capitals) goes down,
    // the text arrives, the key goes up. Characters without a key arrive as text only; "\r", "\n", "\t", "\b" and
    // "\x1b" press their keys.
    void Type(std::wstring_view text);
    // One character as from a held key: its key goes down and the text arrives, then the keyboard's auto-repeat
    // sends both again repeats times, then the key goes up.
    void TypeHeld(wchar_t ch, int repeats);
    // Holds or lets go of the left-hand key: key messages as from the keyboard, and GetAsyncKeyState follows.
    void SetModifier(Modifier modifier, bool down);

    void Minimise();
    void Restore();
    void Hide();
    void Show();
    void Paint();
    void CloseWindow();
    BOOL Post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
    // A synthetic SDL event of any kind, through the translator.
    void Feed(const SDL_Event& event);

    // Runs step once the clock has reached now + ms, during a later pump (PeekMessageW or the idle wait).
    void At(DWORD ms, std::function<void()> step);
    // PostQuitMessage(0) ms from now, so a message loop returns normally.
    void QuitAfter(DWORD ms);

    HWND Target() const;
    bool CursorVisible() const;

private:
    void Button(MouseButton button, bool down);
    void Key(SDL_Scancode scancode, bool down, bool repeat);
    void WindowEvent(SDL_WindowEventID id);
    void RunDueSteps();

    HeadlessBackend* backend_;
    POINT mouse_;
    std::multimap<int64_t, std::function<void()>> steps_;
};

} // namespace platform
