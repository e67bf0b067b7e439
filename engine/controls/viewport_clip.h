// The viewport that clips a dialog's children to the dialog.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32.h"

// current cut to rect moved by origin (rect in the coordinates the origin is relative to); false and nothing
// written when they do not overlap.
bool ClipViewportToRect(const D3DVIEWPORT9& current, const RECT& rect, POINT origin, D3DVIEWPORT9* clipped);
