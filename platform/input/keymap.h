// Physical keys to virtual-key codes and keyboard scan codes, independent of the keyboard layout:
// the key right of U gives 'I' whether it types "i" or "ш".
#pragma once

#include <SDL_scancode.h>

#include "platform/win32.h"

namespace platform {

struct KeyCode {
    UINT vk = 0; // 0: a key the program does not know
    BYTE scan = 0; // set-1 scan code
    bool extended = false;
};

// Keypad digit keys give VK_NUMPAD0..9 while Num Lock is on and the navigation codes otherwise.
// Shift, Ctrl and Alt give the generic codes VK_SHIFT, VK_CONTROL and VK_MENU.
KeyCode KeyFromScancode(SDL_Scancode scancode, bool num_lock);

// The first physical key giving vk (left-hand keys for the modifiers, VK_L*/VK_R* for either side);
// SDL_SCANCODE_UNKNOWN when none does.
SDL_Scancode ScancodeFromVk(UINT vk);

} // namespace platform
