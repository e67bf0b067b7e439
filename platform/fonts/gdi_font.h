// GDI-shaped font services: font contexts, fonts, text metrics, character widths and native glyph outlines.
// Faces are resolved by fontconfig and rendered by FreeType; only quadratic (TrueType) faces are used.
#pragma once

#include <string>

#include "platform/win32.h"

struct HDC__;
using HDC = HDC__*;
struct HFONT__;
using HFONT = HFONT__*;
using HGDIOBJ = void*;

constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD RUSSIAN_CHARSET = 204;

// Glyph outline format: the native outline records.
constexpr UINT GGO_NATIVE = 2;

// Native outline record types.
constexpr DWORD TT_POLYGON_TYPE = 24;
constexpr WORD TT_PRIM_LINE = 1;
constexpr WORD TT_PRIM_QSPLINE = 2;
constexpr WORD TT_PRIM_CSPLINE = 3;

struct TEXTMETRICW {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 0;
    LONG tmDigitizedAspectY = 0;
    wchar_t tmFirstChar = 0;
    wchar_t tmLastChar = 0;
    wchar_t tmDefaultChar = 0;
    wchar_t tmBreakChar = 0;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};

// A + B + C is the advance in whole pixels.
struct ABC {
    int abcA = 0;
    UINT abcB = 0;
    int abcC = 0;
};

struct GLYPHMETRICS {
    UINT gmBlackBoxX = 0;
    UINT gmBlackBoxY = 0;
    POINT gmptGlyphOrigin {};
    SHORT gmCellIncX = 0;
    SHORT gmCellIncY = 0;
};

// 16.16 fixed point; as a little-endian 32-bit word it reads value * 65536 + fract.
struct FIXED {
    WORD fract = 0;
    SHORT value = 0;
};

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};

struct POINTFX {
    FIXED x;
    FIXED y;
};

// Outline records as laid out in a GGO_NATIVE buffer: a polygon header followed by its curve records.
struct TTPOLYGONHEADER {
    DWORD cb = 0; // bytes of the polygon, header included
    DWORD dwType = TT_POLYGON_TYPE;
    POINTFX pfxStart;
};

struct TTPOLYCURVE {
    WORD wType = 0;
    WORD cpfx = 0; // number of points that follow
    POINTFX apfx[1];
};

static_assert(sizeof(FIXED) == 4 && sizeof(POINTFX) == 8 && sizeof(TTPOLYGONHEADER) == 16);

// A context for font queries. Any window gives the same kind of context; null gives the screen's.
HDC GetDC(HWND window);
// 1 when the context was released, 0 for an unknown context.
int ReleaseDC(HWND window, HDC dc);

// Positive height: cell height in pixels (ascent + descent); negative: em height. Null when no quadratic face
// can be found for the request.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
    DWORD strike_out, DWORD charset, DWORD out_precision, DWORD clip_precision, DWORD quality, DWORD pitch_and_family,
    const wchar_t* face);
// Returns the previously selected font, or null (nothing changed) for an unknown context or object.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// FALSE for an unknown object, a context's default font, or a font still selected into a context.
BOOL DeleteObject(HGDIOBJ object);

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, ABC* widths);
// The glyph's hinted outline in pixel units, y up from the baseline at the glyph origin. With no buffer (or size
// 0) returns the size needed; GDI_ERROR when the buffer is too small, the format or matrix is not supported, or
// the glyph cannot be loaded. A blank glyph needs 0 bytes. Only the identity matrix is supported.
DWORD GetGlyphOutlineW(
    HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD buffer_size, void* buffer, const MAT2* matrix);

namespace platform {

// The font file a font was resolved to (empty for an unknown font).
std::string FontFilePath(HFONT font);

} // namespace platform
