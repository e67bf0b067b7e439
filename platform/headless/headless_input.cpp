#include "platform/headless/headless_input.h"

#include <cstring>
#include <string>

#include "platform/input/keymap.h"
#include "platform/text/utf8.h"
#include "platform/time/clock.h"

namespace platform {
namespace {

constexpr SDL_Scancode kRussianRow[] = {
    SDL_SCANCODE_Q,
    SDL_SCANCODE_W,
    SDL_SCANCODE_E,
    SDL_SCANCODE_R,
    SDL_SCANCODE_T,
    SDL_SCANCODE_Y,
    SDL_SCANCODE_U,
    SDL_SCANCODE_I,
    SDL_SCANCODE_O,
    SDL_SCANCODE_P,
    SDL_SCANCODE_LEFTBRACKET,
    SDL_SCANCODE_RIGHTBRACKET,
    SDL_SCANCODE_A,
    SDL_SCANCODE_S,
    SDL_SCANCODE_D,
    SDL_SCANCODE_F,
    SDL_SCANCODE_G,
    SDL_SCANCODE_H,
    SDL_SCANCODE_J,
    SDL_SCANCODE_K,
    SDL_SCANCODE_L,
    SDL_SCANCODE_SEMICOLON,
    SDL_SCANCODE_APOSTROPHE,
    SDL_SCANCODE_Z,
    SDL_SCANCODE_X,
    SDL_SCANCODE_C,
    SDL_SCANCODE_V,
    SDL_SCANCODE_B,
    SDL_SCANCODE_N,
    SDL_SCANCODE_M,
    SDL_SCANCODE_COMMA,
    SDL_SCANCODE_PERIOD,
    SDL_SCANCODE_GRAVE,
};
constexpr std::wstring_view kRussianLetters = L"йцукенгшщзхъфывапролджэячсмитьбюё";
constexpr std::wstring_view kPunctuation = L"-=[];',./\\`";
constexpr SDL_Scancode kPunctuationKeys[] = {
    SDL_SCANCODE_MINUS,
    SDL_SCANCODE_EQUALS,
    SDL_SCANCODE_LEFTBRACKET,
    SDL_SCANCODE_RIGHTBRACKET,
    SDL_SCANCODE_SEMICOLON,
    SDL_SCANCODE_APOSTROPHE,
    SDL_SCANCODE_COMMA,
    SDL_SCANCODE_PERIOD,
    SDL_SCANCODE_SLASH,
    SDL_SCANCODE_BACKSLASH,
    SDL_SCANCODE_GRAVE,
};

wchar_t LowerRussian(wchar_t ch, bool* upper)
{
    *upper = (ch >= 0x410 && ch <= 0x42F) || ch == 0x401;
    if (ch >= 0x410 && ch <= 0x42F)
        return ch + 0x20;
    return ch == 0x401 ? 0x451 : ch;
}

// The key that types ch, and whether Shift is needed; SDL_SCANCODE_UNKNOWN when no key does.
SDL_Scancode KeyForChar(wchar_t ch, bool* shift)
{
    *shift = false;
    if (ch >= L'a' && ch <= L'z')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (ch - L'a'));
    if (ch >= L'A' && ch <= L'Z') {
        *shift = true;
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (ch - L'A'));
    }
    if (ch >= L'1' && ch <= L'9')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (ch - L'1'));
    switch (ch) {
    case L'0':
        return SDL_SCANCODE_0;
    case L' ':
        return SDL_SCANCODE_SPACE;
    case L'\r':
    case L'\n':
        return SDL_SCANCODE_RETURN;
    case L'\t':
        return SDL_SCANCODE_TAB;
    case L'\b':
        return SDL_SCANCODE_BACKSPACE;
    case 0x1B:
        return SDL_SCANCODE_ESCAPE;
    default:
        break;
    }
    if (size_t at = kPunctuation.find(ch); at != std::wstring_view::npos)
        return kPunctuationKeys[at];
    wchar_t lower = LowerRussian(ch, shift);
    if (size_t at = kRussianLetters.find(lower); at != std::wstring_view::npos)
        return kRussianRow[at];
    *shift = false;
    return SDL_SCANCODE_UNKNOWN;
}

Uint8 SdlButton(MouseButton button)
{
    switch (button) {
    case MouseButton::Left:
        return SDL_BUTTON_LEFT;
    case MouseButton::Right:
        return SDL_BUTTON_RIGHT;
    case MouseButton::Middle:
        return SDL_BUTTON_MIDDLE;
    case MouseButton::X1:
        return SDL_BUTTON_X1;
    case MouseButton::X2:
        return SDL_BUTTON_X2;
    }
    return SDL_BUTTON_LEFT;
}

SDL_Scancode ModifierKey(Modifier modifier)
{
    switch (modifier) {
    case Modifier::Shift:
        return SDL_SCANCODE_LSHIFT;
    case Modifier::Ctrl:
        return SDL_SCANCODE_LCTRL;
    case Modifier::Alt:
        return SDL_SCANCODE_LALT;
    }
    return SDL_SCANCODE_LSHIFT;
}

SDL_Event NewEvent(Uint32 type)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    event.common.timestamp = timeGetTime();
    return event;
}

} // namespace

HeadlessInput::HeadlessInput()
{
    backend_ = HeadlessBackend::Current();
    if (backend_ == nullptr) {
        auto backend = std::make_unique<HeadlessBackend>();
        backend_ = backend.get();
        InstallWindowBackend(std::move(backend));
    }
    backend_->SetPumpHook([this] { RunDueSteps(); });
    // Fresh devices: no key or button held and no press waiting for its double click, whatever an earlier
    // harness in the process left (a test clock starting again at 0 would make its press look recent).
    TheInputState() = InputState {};
}

HeadlessInput::~HeadlessInput()
{
    if (HeadlessBackend::Current() == backend_)
        backend_->SetPumpHook(nullptr);
}

void HeadlessInput::Feed(const SDL_Event& event)
{
    DeliverEvent(event, backend_->TargetMapping(), Target());
}

void HeadlessInput::MoveTo(int x, int y)
{
    mouse_ = POINT { x, y };
    SDL_Event event = NewEvent(SDL_MOUSEMOTION);
    event.motion.x = x;
    event.motion.y = y;
    Feed(event);
}

void HeadlessInput::Button(MouseButton button, bool down)
{
    SDL_Event event = NewEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    event.button.button = SdlButton(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = mouse_.x;
    event.button.y = mouse_.y;
    Feed(event);
}

void HeadlessInput::Press(MouseButton button)
{
    Button(button, true);
}
void HeadlessInput::Release(MouseButton button)
{
    Button(button, false);
}

void HeadlessInput::Click(MouseButton button)
{
    Press(button);
    Release(button);
}

void HeadlessInput::DoubleClick(MouseButton button)
{
    Click(button);
    Click(button);
}

void HeadlessInput::Wheel(int notches)
{
    SDL_Event event = NewEvent(SDL_MOUSEWHEEL);
    event.wheel.y = notches;
    event.wheel.preciseY = static_cast<float>(notches);
    event.wheel.mouseX = mouse_.x;
    event.wheel.mouseY = mouse_.y;
    Feed(event);
}

void HeadlessInput::CursorLeaves(POINT screen)
{
    TheInputState().cursor = screen;
}

void HeadlessInput::Key(SDL_Scancode scancode, bool down, bool repeat)
{
    SDL_Event event = NewEvent(down ? SDL_KEYDOWN : SDL_KEYUP);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = KMOD_NUM;
    Feed(event);
}

void HeadlessInput::KeyDown(UINT vk, bool repeat)
{
    Key(ScancodeFromVk(vk), true, repeat);
}
void HeadlessInput::KeyUp(UINT vk)
{
    Key(ScancodeFromVk(vk), false, false);
}
void HeadlessInput::KeyDown(SDL_Scancode scancode, bool repeat)
{
    Key(scancode, true, repeat);
}
void HeadlessInput::KeyUp(SDL_Scancode scancode)
{
    Key(scancode, false, false);
}

void HeadlessInput::SetModifier(Modifier modifier, bool down)
{
    Key(ModifierKey(modifier), down, false);
}

void HeadlessInput::Type(std::wstring_view text)
{
    for (wchar_t ch : text)
        TypeHeld(ch, 0);
}

void HeadlessInput::TypeHeld(wchar_t ch, int repeats)
{
    bool shift = false;
    SDL_Scancode key = KeyForChar(ch, &shift);
    bool shift_pressed = shift && !TheInputState().keys.test(SDL_SCANCODE_LSHIFT);
    if (shift_pressed)
        SetModifier(Modifier::Shift, true);
    for (int i = 0; i <= repeats; ++i) {
        if (key != SDL_SCANCODE_UNKNOWN)
            Key(key, true, i > 0);
        if (ch >= 0x20 && ch != 0x7F) {
            SDL_Event event = NewEvent(SDL_TEXTINPUT);
            std::string utf8 = ToUtf8(std::wstring_view(&ch, 1));
            std::strncpy(event.text.text, utf8.c_str(), sizeof event.text.text - 1);
            Feed(event);
        }
    }
    if (key != SDL_SCANCODE_UNKNOWN)
        Key(key, false, false);
    if (shift_pressed)
        SetModifier(Modifier::Shift, false);
}

void HeadlessInput::WindowEvent(SDL_WindowEventID id)
{
    SDL_Event event = NewEvent(SDL_WINDOWEVENT);
    event.window.event = id;
    Feed(event);
}

void HeadlessInput::Minimise()
{
    WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
}
void HeadlessInput::Restore()
{
    WindowEvent(SDL_WINDOWEVENT_RESTORED);
}
void HeadlessInput::Hide()
{
    WindowEvent(SDL_WINDOWEVENT_HIDDEN);
}
void HeadlessInput::Show()
{
    WindowEvent(SDL_WINDOWEVENT_SHOWN);
}
void HeadlessInput::Paint()
{
    WindowEvent(SDL_WINDOWEVENT_EXPOSED);
}
void HeadlessInput::CloseWindow()
{
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
}

BOOL HeadlessInput::Post(UINT message, WPARAM wparam, LPARAM lparam)
{
    return PostMessageW(Target(), message, wparam, lparam);
}

void HeadlessInput::At(DWORD ms, std::function<void()> step)
{
    steps_.emplace(NowMs() + ms, std::move(step));
}

void HeadlessInput::QuitAfter(DWORD ms)
{
    At(ms, [] { PostQuitMessage(0); });
}

// A step may add steps; each is taken out before it runs.
void HeadlessInput::RunDueSteps()
{
    while (!steps_.empty() && steps_.begin()->first <= NowMs()) {
        auto step = std::move(steps_.begin()->second);
        steps_.erase(steps_.begin());
        step();
    }
}

HWND HeadlessInput::Target() const
{
    return backend_->Target();
}
bool HeadlessInput::CursorVisible() const
{
    return backend_->CursorVisible();
}

} // namespace platform
