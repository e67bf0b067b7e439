// The exit dialog: a veil over the whole screen and, in the middle, a small panel with Retry, Close and Cancel.
#pragma once

#include <functional>

#include "app/screens/labels.h"

struct ExitDialogActions {
    std::function<void()> retry;
    std::function<void()> close;
    std::function<void()> cancel;
};

// Builds the overlay in window on layer 1099 and returns it.
IMDialog* BuildExitDialog(IMDialog* window, ExitDialogActions actions);
