// Rasterisation of glyph paths and path strokes into 32-bit B, G, R, A pixels held by the caller.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/win32.h"

class IMGlyphPath;

// width × height pixels starting at bits, rows pitch bytes apart (top row first).
struct IMPixelBuffer {
    BYTE* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The image size of a glyph texture: the rectangle's size when given, else the advance and the cell height.
// Sides of 0 or less become 1.
SIZE GlyphImageSize(const IMGlyphPath& path, const RECT* rect);

// Clears the pixels to the background colour (raw copy, alpha included) and fills the path in the colour.
// The path's y grows upward from the bottom row.
void RasterizeGlyph(IMGlyphPath& path, const IMPixelBuffer& target, D3DCOLOR colour, D3DCOLOR background);

// Blends a 2-pixel-wide opaque red segment with butt ends over the pixels; y grows downward. Clipped to the
// buffer; coinciding ends draw nothing.
void RasterizeStroke(const IMPixelBuffer& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
