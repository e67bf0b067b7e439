#include "platform/input/keymap.h"

#include <array>

namespace platform {
namespace {

struct Entry {
    SDL_Scancode scancode;
    UINT vk;
    BYTE scan;
    bool extended;
};

constexpr Entry kFixedKeys[] = {
    { SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false },
    { SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false },
    { SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false },
    { SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false },
    { SDL_SCANCODE_TAB, VK_TAB, 0x0F, false },
    { SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false },
    { SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false },
    { SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false },
    { SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false },
    { SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false },
    { SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false },
    { SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false },
    { SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false },
    { SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false },
    { SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false },
    { SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false },
    { SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false },
    { SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false },
    { SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false },
    { SDL_SCANCODE_LALT, VK_MENU, 0x38, false },
    { SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false },
    { SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false },
    { SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true },
    { SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false },
    { SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false },
    { SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false },
    { SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false },
    { SDL_SCANCODE_F11, VK_F1 + 10, 0x57, false },
    { SDL_SCANCODE_F12, VK_F12, 0x58, false },
    { SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true },
    { SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true },
    { SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true },
    { SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true },
    { SDL_SCANCODE_RALT, VK_MENU, 0x38, true },
    { SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false },
    { SDL_SCANCODE_HOME, VK_HOME, 0x47, true },
    { SDL_SCANCODE_UP, VK_UP, 0x48, true },
    { SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true },
    { SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true },
    { SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true },
    { SDL_SCANCODE_END, VK_END, 0x4F, true },
    { SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true },
    { SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true },
    { SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true },
    { SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true },
    { SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true },
    { SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true },
    { SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true },
};

// Scan codes of the letters A..Z on the main block.
constexpr BYTE kLetterScan[26] = { 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31,
    0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C };

// Keypad 1..9, 0 and the decimal point: scan code, code with Num Lock on, code with it off.
struct KeypadKey {
    SDL_Scancode scancode;
    BYTE scan;
    UINT on;
    UINT off;
};
constexpr KeypadKey kKeypad[] = {
    { SDL_SCANCODE_KP_1, 0x4F, VK_NUMPAD0 + 1, VK_END },
    { SDL_SCANCODE_KP_2, 0x50, VK_NUMPAD0 + 2, VK_DOWN },
    { SDL_SCANCODE_KP_3, 0x51, VK_NUMPAD0 + 3, VK_NEXT },
    { SDL_SCANCODE_KP_4, 0x4B, VK_NUMPAD0 + 4, VK_LEFT },
    { SDL_SCANCODE_KP_5, 0x4C, VK_NUMPAD0 + 5, VK_CLEAR },
    { SDL_SCANCODE_KP_6, 0x4D, VK_NUMPAD0 + 6, VK_RIGHT },
    { SDL_SCANCODE_KP_7, 0x47, VK_NUMPAD0 + 7, VK_HOME },
    { SDL_SCANCODE_KP_8, 0x48, VK_NUMPAD0 + 8, VK_UP },
    { SDL_SCANCODE_KP_9, 0x49, VK_NUMPAD0 + 9, VK_PRIOR },
    { SDL_SCANCODE_KP_0, 0x52, VK_NUMPAD0, VK_INSERT },
    { SDL_SCANCODE_KP_PERIOD, 0x53, VK_DECIMAL, VK_DELETE },
};

using Table = std::array<KeyCode, SDL_NUM_SCANCODES>;

Table BuildTable()
{
    Table table {};
    for (int i = 0; i < 26; ++i)
        table[SDL_SCANCODE_A + i] = KeyCode { UINT('A' + i), kLetterScan[i], false };
    // SDL orders the digit row 1..9, 0; so do the scan codes 0x02..0x0B.
    for (int i = 0; i < 10; ++i)
        table[SDL_SCANCODE_1 + i] = KeyCode { UINT(i == 9 ? '0' : '1' + i), BYTE(0x02 + i), false };
    for (int i = 0; i < 10; ++i)
        table[SDL_SCANCODE_F1 + i] = KeyCode { VK_F1 + i, BYTE(0x3B + i), false };
    for (const Entry& e : kFixedKeys)
        table[e.scancode] = KeyCode { e.vk, e.scan, e.extended };
    return table;
}

const Table& KeyTable()
{
    static const Table table = BuildTable();
    return table;
}

} // namespace

KeyCode KeyFromScancode(SDL_Scancode scancode, bool num_lock)
{
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES)
        return {};
    for (const KeypadKey& k : kKeypad) {
        if (k.scancode == scancode)
            return KeyCode { num_lock ? k.on : k.off, k.scan, false };
    }
    return KeyTable()[scancode];
}

SDL_Scancode ScancodeFromVk(UINT vk)
{
    switch (vk) {
    case VK_LSHIFT:
        return SDL_SCANCODE_LSHIFT;
    case VK_RSHIFT:
        return SDL_SCANCODE_RSHIFT;
    case VK_LCONTROL:
        return SDL_SCANCODE_LCTRL;
    case VK_RCONTROL:
        return SDL_SCANCODE_RCTRL;
    case VK_LMENU:
        return SDL_SCANCODE_LALT;
    case VK_RMENU:
        return SDL_SCANCODE_RALT;
    default:
        break;
    }
    for (const KeypadKey& k : kKeypad) {
        if (k.on == vk)
            return k.scancode;
    }
    const Table& table = KeyTable();
    for (int sc = 1; sc < SDL_NUM_SCANCODES; ++sc) {
        if (table[sc].vk == vk)
            return static_cast<SDL_Scancode>(sc);
    }
    return SDL_SCANCODE_UNKNOWN;
}

} // namespace platform
