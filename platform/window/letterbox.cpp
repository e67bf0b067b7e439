#include "platform/window/letterbox.h"

namespace platform {
namespace {

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The client pixel whose area holds the centre of the window pixel at offset d from the viewport's edge.
int MapAxis(int d, int client_extent, int viewport_extent)
{
    return static_cast<int>(FloorDiv((2 * int64_t(d) + 1) * client_extent, 2 * int64_t(viewport_extent)));
}

} // namespace

Viewport LetterboxViewport(int window_width, int window_height, SIZE client)
{
    Viewport v;
    if (window_width <= 0 || window_height <= 0 || client.cx <= 0 || client.cy <= 0)
        return v;
    if (int64_t(window_width) * client.cy <= int64_t(window_height) * client.cx) {
        v.width = window_width;
        v.height = static_cast<int>(int64_t(client.cy) * window_width / client.cx);
    } else {
        v.height = window_height;
        v.width = static_cast<int>(int64_t(client.cx) * window_height / client.cy);
    }
    v.x = (window_width - v.width) / 2;
    v.y = (window_height - v.height) / 2;
    return v;
}

bool WindowToClient(const Viewport& viewport, SIZE client, int window_x, int window_y, POINT* result)
{
    if (viewport.width <= 0 || viewport.height <= 0) {
        *result = POINT { -1, -1 };
        return false;
    }
    result->x = MapAxis(window_x - viewport.x, client.cx, viewport.width);
    result->y = MapAxis(window_y - viewport.y, client.cy, viewport.height);
    return result->x >= 0 && result->x < client.cx && result->y >= 0 && result->y < client.cy;
}

} // namespace platform
