// One font of the font cache with its per-character caches of widths, glyph metrics and native outlines.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/fonts/gdi_font.h"

class IMFontCache;

struct IMFont {
    // Outlines needing more bytes than this read as failed.
    static constexpr DWORD kOutlineBufferSize = 16352;

    IMFont(std::wstring face, int32_t height, bool bold, bool italic, bool underline);
    ~IMFont();
    IMFont(const IMFont&) = delete;
    IMFont& operator=(const IMFont&) = delete;

    // Underline takes no part: one font serves both.
    static bool Matches(
        const IMFont& font, const std::wstring& face, int32_t height, bool bold, bool italic, bool underline);
    static ABC GlyphWidths(IMFontCache& cache, int32_t index, wchar_t ch);
    static GLYPHMETRICS GlyphMetrics(IMFontCache& cache, int32_t index, wchar_t ch);
    static const BYTE* OutlineData(IMFontCache& cache, int32_t index, wchar_t ch);
    // Negative when the outline could not be delivered.
    static int32_t OutlineSize(IMFontCache& cache, int32_t index, wchar_t ch);
    static bool GlyphOutline(IMFontCache& cache, int32_t index, wchar_t ch);

    std::wstring face;
    int32_t height;
    bool bold;
    bool italic;
    bool underline;
    TEXTMETRICW metrics;
    std::map<wchar_t, ABC> widths;
    std::map<wchar_t, GLYPHMETRICS> glyphMetrics;
    std::map<wchar_t, std::unique_ptr<BYTE[]>> outlines;
    std::map<wchar_t, uint32_t> outlineSizes;
    HFONT font = nullptr;
};
