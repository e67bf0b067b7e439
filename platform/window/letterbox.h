// Where the fixed-size client appears inside a window of any size, and back from window points to client pixels.
#pragma once

#include "platform/win32.h"

namespace platform {

struct Viewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle with the client's aspect ratio, centred in the window; bars fill the rest.
Viewport LetterboxViewport(int window_width, int window_height, SIZE client);

// Maps a window point to client pixels. The result is set even outside the client (bars, beyond the window);
// the return value says whether the point lies inside it.
bool WindowToClient(const Viewport& viewport, SIZE client, int window_x, int window_y, POINT* result);

} // namespace platform
