#include "platform/input/input_translator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/input/keymap.h"
#include "platform/text/utf8.h"

namespace platform {
namespace {

bool Held(const InputState& s, SDL_Scancode a, SDL_Scancode b)
{
    return s.keys.test(a) || s.keys.test(b);
}
bool CtrlHeld(const InputState& s)
{
    return Held(s, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
}
bool ShiftHeld(const InputState& s)
{
    return Held(s, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT);
}
bool AltHeld(const InputState& s)
{
    return Held(s, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
}
bool IsAltKey(SDL_Scancode sc)
{
    return sc == SDL_SCANCODE_LALT || sc == SDL_SCANCODE_RALT;
}

WPARAM MouseFlags(const InputState& s)
{
    return s.buttons | (ShiftHeld(s) ? MK_SHIFT : 0) | (CtrlHeld(s) ? MK_CONTROL : 0);
}

LPARAM PackPoint(POINT p)
{
    return MAKELPARAM(p.x, p.y);
}

POINT ToScreen(const InputMapping& m, POINT client)
{
    return POINT { client.x + m.screen_origin.x, client.y + m.screen_origin.y };
}

bool operator==(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

// Characters that come only as keys: the text events never carry control characters.
WPARAM ControlChar(UINT vk, bool ctrl)
{
    switch (vk) {
    case VK_RETURN:
        return ctrl ? 10 : 13;
    case VK_ESCAPE:
        return 27;
    case VK_BACK:
        return ctrl ? 0x7F : 8;
    case VK_TAB:
        return ctrl ? 0 : 9;
    default:
        break;
    }
    if (!ctrl)
        return 0;
    if (vk >= 'A' && vk <= 'Z')
        return vk - 'A' + 1;
    // The bracket keys by position, as the letters: Ctrl+[ is Esc, Ctrl+\ and Ctrl+] the separators 28 and 29.
    switch (vk) {
    case VK_OEM_4:
        return 27;
    case VK_OEM_5:
        return 28;
    case VK_OEM_6:
        return 29;
    default:
        return 0;
    }
}

LPARAM KeyLParam(const KeyCode& key, bool down, bool was_down, bool alt_context)
{
    LPARAM lp = 1 | (LPARAM(key.scan) << 16);
    if (key.extended)
        lp |= 1u << 24;
    if (alt_context)
        lp |= 1u << 29;
    if (!down || was_down)
        lp |= 1u << 30;
    if (!down)
        lp |= 1u << 31;
    return lp;
}

void TranslateKey(const SDL_KeyboardEvent& k, InputState& s, std::vector<InputMessage>& out)
{
    SDL_Scancode sc = k.keysym.scancode;
    if (sc <= SDL_SCANCODE_UNKNOWN || sc >= SDL_NUM_SCANCODES)
        return;
    bool down = k.type == SDL_KEYDOWN;
    bool was_down = s.keys.test(sc) || k.repeat != 0;
    s.keys.set(sc, down);
    KeyCode key = KeyFromScancode(sc, (k.keysym.mod & KMOD_NUM) != 0);
    if (key.vk == 0)
        return;
    // The release of Alt itself still counts as a key under Alt.
    bool alt = AltHeld(s) || (!down && IsAltKey(sc));
    bool ctrl = CtrlHeld(s);
    bool sys = (alt && !ctrl) || key.vk == VK_F10;
    LPARAM lp = KeyLParam(key, down, was_down, sys && alt);
    UINT message = sys ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out.push_back({ message, key.vk, lp });
    if (down && !alt) {
        if (WPARAM ch = ControlChar(key.vk, ctrl))
            out.push_back({ WM_CHAR, ch, lp });
    }
}

void TranslateText(const SDL_TextInputEvent& t, const InputState& s, std::vector<InputMessage>& out)
{
    // Ctrl with a key types nothing; left Alt makes system characters, which the program never sees. Right Alt
    // alone and Ctrl+Alt are the third level of the layout and do type.
    bool typed = CtrlHeld(s) ? AltHeld(s) : !s.keys.test(SDL_SCANCODE_LALT);
    if (!typed)
        return;
    std::wstring text = FromUtf8(std::string_view(t.text, strnlen(t.text, sizeof t.text)));
    for (wchar_t ch : text) {
        if (ch >= 0x20 && ch != 0x7F)
            out.push_back({ WM_CHAR, WPARAM(ch), 1 });
    }
}

void EmitMove(POINT client, InputState& s, std::vector<InputMessage>& out)
{
    s.has_move = true;
    s.last_move = client;
    out.push_back({ WM_MOUSEMOVE, MouseFlags(s), PackPoint(client) });
}

void TranslateMotion(
    const SDL_MouseMotionEvent& m, const InputMapping& map, InputState& s, std::vector<InputMessage>& out)
{
    POINT client;
    bool inside = WindowToClient(map.viewport, map.client, m.x, m.y, &client);
    s.cursor = ToScreen(map, client);
    if (inside && !(s.has_move && s.last_move == client))
        EmitMove(client, s, out);
}

WPARAM ButtonFlag(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return MK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return MK_MBUTTON;
    default:
        return 0;
    }
}

UINT ButtonMessage(WPARAM flag, bool down, bool double_click)
{
    UINT base = flag == MK_LBUTTON ? WM_LBUTTONDOWN : flag == MK_RBUTTON ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    return base + (double_click ? 2 : down ? 0 : 1);
}

// The square is the first press's point minus half the size, up to (exclusive) plus half the size.
bool CompletesDoubleClick(const InputState& s, WPARAM flag, Uint32 time, POINT at)
{
    if (!s.has_press || s.press_button != flag || time - s.press_time > kDoubleClickMs)
        return false;
    int dx = at.x - s.press_at.x;
    int dy = at.y - s.press_at.y;
    return dx >= -kDoubleClickWidth / 2 && dx < kDoubleClickWidth / 2 && dy >= -kDoubleClickHeight / 2
        && dy < kDoubleClickHeight / 2;
}

void TranslateButton(
    const SDL_MouseButtonEvent& b, const InputMapping& map, InputState& s, std::vector<InputMessage>& out)
{
    WPARAM flag = ButtonFlag(b.button);
    if (flag == 0)
        return;
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    POINT client;
    bool inside = WindowToClient(map.viewport, map.client, b.x, b.y, &client);
    s.cursor = ToScreen(map, client);
    if (inside && !(s.has_move && s.last_move == client))
        EmitMove(client, s, out);
    s.buttons = down ? (s.buttons | flag) : (s.buttons & ~flag);
    if (!inside) {
        if (down)
            s.has_press = false;
        return;
    }
    bool double_click = false;
    if (down) {
        double_click = CompletesDoubleClick(s, flag, b.timestamp, client);
        s.has_press = !double_click;
        s.press_button = flag;
        s.press_time = b.timestamp;
        s.press_at = client;
    }
    out.push_back({ ButtonMessage(flag, down, double_click), MouseFlags(s), PackPoint(client) });
}

void TranslateWheel(
    const SDL_MouseWheelEvent& w, const InputMapping& map, InputState& s, std::vector<InputMessage>& out)
{
    float notches = w.preciseY != 0.0f ? w.preciseY : float(w.y);
    if (w.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    long delta = std::clamp(std::lround(notches * WHEEL_DELTA), -32768L, 32767L);
    if (delta == 0)
        return;
    POINT client;
    WindowToClient(map.viewport, map.client, w.mouseX, w.mouseY, &client);
    s.cursor = ToScreen(map, client);
    WPARAM wparam = MAKELONG(WORD(MouseFlags(s)), WORD(SHORT(delta)));
    out.push_back({ WM_MOUSEWHEEL, wparam, PackPoint(s.cursor) });
}

void ReportShown(int shown, InputState& s, std::vector<InputMessage>& out)
{
    if (s.shown != shown)
        out.push_back({ WM_SHOWWINDOW, WPARAM(shown), 0 });
    s.shown = shown;
}

void TranslateWindow(const SDL_WindowEvent& w, const InputMapping& map, InputState& s, std::vector<InputMessage>& out)
{
    LPARAM size = MAKELPARAM(map.client.cx, map.client.cy);
    switch (w.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({ WM_SIZE, SIZE_MINIMIZED, 0 });
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({ WM_SIZE, SIZE_RESTORED, size });
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back({ WM_SIZE, SIZE_MAXIMIZED, size });
        break;
    case SDL_WINDOWEVENT_SHOWN:
        ReportShown(1, s, out);
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        ReportShown(0, s, out);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back({ WM_PAINT, 0, 0 });
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({ WM_CLOSE, 0, 0 });
        break;
    default:
        break;
    }
}

} // namespace

InputMapping DirectMapping(SIZE client, POINT screen_origin)
{
    return InputMapping { Viewport { 0, 0, client.cx, client.cy }, client, screen_origin };
}

void TranslateEvent(
    const SDL_Event& event, const InputMapping& mapping, InputState& state, std::vector<InputMessage>& out)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key, state, out);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text, state, out);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event.motion, mapping, state, out);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button, mapping, state, out);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event.wheel, mapping, state, out);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindow(event.window, mapping, state, out);
        break;
    case SDL_QUIT:
        out.push_back({ WM_CLOSE, 0, 0 });
        break;
    default:
        break;
    }
}

SHORT AsyncKeyState(const InputState& state, int vk)
{
    constexpr SHORT kDown = static_cast<SHORT>(0x8000);
    UINT code = static_cast<UINT>(vk);
    if (code == VK_LBUTTON || code == VK_RBUTTON || code == VK_MBUTTON) {
        WPARAM flag = code == VK_LBUTTON ? MK_LBUTTON : code == VK_RBUTTON ? MK_RBUTTON : MK_MBUTTON;
        return (state.buttons & flag) ? kDown : 0;
    }
    bool held = false;
    switch (code) {
    case VK_SHIFT:
        held = ShiftHeld(state);
        break;
    case VK_CONTROL:
        held = CtrlHeld(state);
        break;
    case VK_MENU:
        held = AltHeld(state);
        break;
    default: {
        SDL_Scancode side = ScancodeFromVk(code);
        for (int sc = 1; sc < SDL_NUM_SCANCODES && !held; ++sc) {
            auto scancode = static_cast<SDL_Scancode>(sc);
            held = state.keys.test(sc)
                && (scancode == side || KeyFromScancode(scancode, true).vk == code
                    || KeyFromScancode(scancode, false).vk == code);
        }
        break;
    }
    }
    return held ? kDown : 0;
}

} // namespace platform
