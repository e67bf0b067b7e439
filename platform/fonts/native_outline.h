// FreeType outlines written as native glyph-outline records (polygon headers, line and quadratic spline curves).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

#include "platform/win32.h"

namespace platform {

// Appends the outline's records to out: 26.6 points become 16.16 fixed point, y stays up. Contours of fewer
// than two points are skipped. False (out unchanged) when the outline holds cubic segments.
bool WriteNativeOutline(const FT_Outline& outline, std::vector<BYTE>& out);

} // namespace platform
