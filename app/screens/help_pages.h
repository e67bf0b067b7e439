// The two help pages the frame draws into a dialog it is given: the generic title page that closes itself after
// five seconds, and the input-help page with the keyboard, the mouse, a blinking space bar and a spoken line.
#pragma once

#include "app/screens/labels.h"

// The generic page; the dialog closes 5000 ms after it was built.
void BuildGenericHelpPage(IMDialog* dialog);
// The input-help page in the dialog; Space closes the dialog and clears instruction_playing. Nothing is built on a
// dialog that is closing. Every timer and key handler of the page ends with its dialog.
void BuildInputHelpPage(IMDialog* dialog, bool* instruction_playing);

// The space bar's blink period, in ms.
constexpr DWORD kBlinkPeriod = 500;
