// The font cache and its per-character caches on the installed faces.
#include <gtest/gtest.h>

#include "engine/text/glyphs/font_cache.h"
#include "engine/text/glyphs/glyph_path.h"

namespace {

TEST(FontCache, SameStyleSharesAFontWhateverTheUnderline)
{
    IMFontCache cache;
    const int32_t plain = cache.FindOrCreate(L"Arial", 16, false, false, false);
    EXPECT_EQ(cache.FindOrCreate(L"Arial", 16, false, false, true), plain);
    EXPECT_EQ(cache.FindOrCreate(L"Arial", 16, false, false, false), plain);
    EXPECT_FALSE(cache.Font(plain).underline) << "the first request's style stays";
    EXPECT_EQ(cache.Count(), 1u);
}

TEST(FontCache, EachNewFaceHeightOrWeightAppendsAFontAndEarlierIndicesStay)
{
    IMFontCache cache;
    const int32_t arial = cache.FindOrCreate(L"Arial", 18, false, false, false);
    const int32_t bold = cache.FindOrCreate(L"Arial", 18, true, false, false);
    const int32_t taller = cache.FindOrCreate(L"Arial", 24, false, false, false);
    const int32_t other = cache.FindOrCreate(L"DejaVu Sans", 18, false, false, false);
    const int32_t cased = cache.FindOrCreate(L"arial", 18, false, false, false);
    EXPECT_EQ(std::vector<int32_t>({ arial, bold, taller, other, cased }), std::vector<int32_t>({ 0, 1, 2, 3, 4 }));
    EXPECT_EQ(cache.FindOrCreate(L"Arial", 18, false, false, false), arial);
    EXPECT_EQ(cache.Font(taller).metrics.tmHeight, 24);
    EXPECT_EQ(cache.Font(bold).metrics.tmWeight, FW_BOLD);
    EXPECT_NE(cache.ScreenDC(), nullptr);
}

TEST(FontCache, CharacterCachesAnswerAsTheFontServicesDo)
{
    IMFontCache cache;
    const int32_t index = cache.FindOrCreate(L"Arial", 24, false, false, false);
    const ABC widths = IMFont::GlyphWidths(cache, index, L'Ж');
    ABC direct;
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, cache.Font(index).font);
    ASSERT_TRUE(GetCharABCWidthsW(dc, L'Ж', L'Ж', &direct));
    GLYPHMETRICS gm;
    const MAT2 identity { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };
    const DWORD size = GetGlyphOutlineW(dc, L'Ж', GGO_NATIVE, &gm, 0, nullptr, &identity);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);

    EXPECT_EQ(widths.abcA + int(widths.abcB) + widths.abcC, direct.abcA + int(direct.abcB) + direct.abcC);
    EXPECT_EQ(IMFont::OutlineSize(cache, index, L'Ж'), int32_t(size));
    EXPECT_NE(IMFont::OutlineData(cache, index, L'Ж'), nullptr);
    EXPECT_EQ(IMFont::GlyphMetrics(cache, index, L'Ж').gmBlackBoxX, gm.gmBlackBoxX);
    EXPECT_EQ(IMFont::OutlineSize(cache, index, L' '), 0);
    EXPECT_EQ(cache.Font(index).outlineSizes.size(), 2u);
    EXPECT_EQ(cache.Font(index).widths.size(), 1u);
}

TEST(FontCache, ClearDestroysEveryFontAndTheScreenContext)
{
    IMFontCache cache;
    cache.FindOrCreate(L"Arial", 16, false, false, false);
    IMFont::GlyphWidths(cache, 0, L'A');
    HFONT font = cache.Font(0).font;
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.ScreenDC(), nullptr);
    EXPECT_FALSE(DeleteObject(font)) << "the font was deleted with its record";
    EXPECT_THROW(cache.Font(0), std::out_of_range);
    EXPECT_EQ(cache.FindOrCreate(L"Arial", 16, false, false, false), 0);
    EXPECT_NE(cache.ScreenDC(), nullptr);
}

TEST(GlyphPathBuild, CharacterPathsUseTheFontsCellAndAdvance)
{
    IMFontCache cache;
    IMGlyphPath path(cache);
    path.SetFont(L"Arial", 24, false, false, false);
    const IMFont& font = cache.Font(path.FontIndex());
    ASSERT_TRUE(path.Build(L' '));
    const ABC space = IMFont::GlyphWidths(cache, path.FontIndex(), L' ');
    EXPECT_EQ(path.Advance(), space.abcA + int(space.abcB) + space.abcC);
    EXPECT_EQ(path.CellHeight(), 24);
    double x, y;
    path.rewind(0);
    EXPECT_EQ(path.vertex(&x, &y), IMGlyphPath::kStop);

    ASSERT_TRUE(path.Build(L'Ж'));
    path.rewind(0);
    double low = 1e9, high = -1e9;
    for (unsigned cmd; (cmd = path.vertex(&x, &y)) != IMGlyphPath::kStop;)
        if (cmd != IMGlyphPath::kEndPolygon) {
            low = std::min(low, y);
            high = std::max(high, y);
        }
    // The letter stands on the baseline, tmDescent above the cell's bottom, and stays inside the cell.
    EXPECT_NEAR(low, font.metrics.tmDescent, 0.5);
    EXPECT_LE(high, 24.0);
}

} // namespace
