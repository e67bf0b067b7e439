#include "engine/text/glyphs/font.h"

#include <utility>

#include "engine/text/glyphs/font_cache.h"

IMFont::IMFont(std::wstring face, int32_t height, bool bold, bool italic, bool underline)
    : face(std::move(face))
    , height(height)
    , bold(bold)
    , italic(italic)
    , underline(underline)
{
}

IMFont::~IMFont()
{
    if (font)
        DeleteObject(font);
}

bool IMFont::Matches(const IMFont& font, const std::wstring& face, int32_t height, bool bold, bool italic, bool)
{
    return font.face == face && font.height == height && font.bold == bold && font.italic == italic;
}

ABC IMFont::GlyphWidths(IMFontCache& cache, int32_t index, wchar_t ch)
{
    IMFont& font = cache.Font(index);
    auto found = font.widths.find(ch);
    if (found != font.widths.end())
        return found->second;
    // A failed query stores zero widths rather than leaving garbage.
    ABC abc;
    cache.WithFont(index, [&](HDC dc) {
        if (!GetCharABCWidthsW(dc, ch, ch, &abc))
            abc = ABC {};
    });
    font.widths[ch] = abc;
    return abc;
}

bool IMFont::GlyphOutline(IMFontCache& cache, int32_t index, wchar_t ch)
{
    IMFont& font = cache.Font(index);
    auto buffer = std::make_unique<BYTE[]>(kOutlineBufferSize);
    // A character whose outline cannot be read keeps zero metrics.
    GLYPHMETRICS metrics {};
    DWORD size = GDI_ERROR;
    const MAT2 identity { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };
    cache.WithFont(index, [&](HDC dc) {
        size = GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, kOutlineBufferSize, buffer.get(), &identity);
    });
    font.glyphMetrics[ch] = metrics;
    font.outlines[ch] = std::move(buffer);
    font.outlineSizes[ch] = size;
    return true;
}

GLYPHMETRICS IMFont::GlyphMetrics(IMFontCache& cache, int32_t index, wchar_t ch)
{
    IMFont& font = cache.Font(index);
    if (!font.glyphMetrics.count(ch))
        GlyphOutline(cache, index, ch);
    return font.glyphMetrics[ch];
}

const BYTE* IMFont::OutlineData(IMFontCache& cache, int32_t index, wchar_t ch)
{
    IMFont& font = cache.Font(index);
    if (!font.outlines.count(ch))
        GlyphOutline(cache, index, ch);
    return font.outlines[ch].get();
}

int32_t IMFont::OutlineSize(IMFontCache& cache, int32_t index, wchar_t ch)
{
    IMFont& font = cache.Font(index);
    if (!font.outlineSizes.count(ch))
        GlyphOutline(cache, index, ch);
    return static_cast<int32_t>(font.outlineSizes[ch]);
}
