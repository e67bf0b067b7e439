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

// What is known of one texture row's alpha without reading it: outside [visible_begin, visible_end) every texel is
// fully transparent, inside [opaque_begin, opaque_end) every texel is fully opaque.
struct RowCoverage {
    int visible_begin = 0, visible_end = 0;
    int opaque_begin = 0, opaque_end = 0;
};

// The coverage of one row of width texels; the opaque run is the row's longest.
RowCoverage MeasureRow(const uint32_t* texels, int width);

struct RasterSource {
    const uint32_t* texels = nullptr; // null samples opaque white
    int width = 1; // rows are width texels long
    int height = 1;
    bool ignore_alpha = false; // X8R8G8B8: the top byte reads as 255
    const RowCoverage* coverage = nullptr; // one per row, or null when not known
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
