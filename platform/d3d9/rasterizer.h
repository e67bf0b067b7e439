// Textured, tinted triangles with Direct3D 9's rules: pixel centres at integer coordinates, top-left fill rule,
// affine texture coordinates, point or bilinear sampling with wrap addressing, modulate and source-alpha blending.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace platform::d3d9 {

struct RasterVertex {
    float x, y; // screen pixels
    float u, v; // texture coordinates, 1.0 = the texture's full side
};

struct RasterSource {
    const uint32_t* texels = nullptr; // null samples opaque white
    int width = 1; // rows are width texels long
    int height = 1;
    bool ignore_alpha = false; // X8R8G8B8: the top byte reads as 255
};

struct RasterTarget {
    uint32_t* pixels = nullptr;
    int stride = 0; // in pixels
    RECT clip {}; // inside the target; right and bottom exclusive
};

struct RasterState {
    uint32_t tint = 0xFFFFFFFFu;
    bool blend = true;
    DWORD cull = 3; // none 1, clockwise 2, counter-clockwise 3 (as seen on the screen)
    bool min_linear = true;
    bool mag_linear = false;
};

void DrawTriangle(const RasterTarget& target, const RasterSource& source, const RasterState& state,
    const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);

// Fan (0, 1, 2), (0, 2, 3). Axis-aligned rectangles take a faster path with the same result unless
// allow_fast_path is false (tests compare the two).
void DrawQuadFan(const RasterTarget& target, const RasterSource& source, const RasterState& state,
    const RasterVertex v[4], bool allow_fast_path = true);

} // namespace platform::d3d9
