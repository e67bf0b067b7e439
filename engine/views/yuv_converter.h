// Planar YUV 4:2:0 pictures to 32-bit X8R8G8B8 pixels (bytes blue, green, red, 0), studio-range BT.601.
#pragma once

#include "platform/win32.h"

// Converts width × height pixels; the width is taken up to the next multiple of 16, so the destination rows and
// the source planes must hold that many pixels. One U and one V sample serve each 2 × 2 block. Strides may be
// negative. With flip ≠ 0 the picture is written bottom-up. Exactly height rows are read and written.
void ConvertYuv420ToRgb32(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride,
    int uv_stride, int width, int height, int flip);

// The same, top-down.
void ConvertYuvFrame(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride, int uv_stride,
    int width, int height);

// Plain per-pixel form of ConvertYuv420ToRgb32 with the same results; the vector form is checked against it.
void ConvertYuv420ToRgb32Portable(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride,
    int uv_stride, int width, int height, int flip);
