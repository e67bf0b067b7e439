// Glyph and stroke pixels: ink where the outline is, background elsewhere, nothing outside the image.
#include <vector>

#include <gtest/gtest.h>

#include "engine/text/glyphs/font_cache.h"
#include "engine/text/glyphs/glyph_path.h"
#include "engine/text/glyphs/glyph_raster.h"

namespace {

constexpr D3DCOLOR kInk = 0xFF072134;
constexpr D3DCOLOR kBack = 0x00AFAFAF;
constexpr D3DCOLOR kGuard = 0x5A5A5A5A;

// An image inside a larger power-of-two surface, as a texture lock gives it.
struct Surface {
    int width, height, surface_width, surface_height;
    std::vector<D3DCOLOR> pixels;

    Surface(int w, int h, int sw, int sh, D3DCOLOR fill = kGuard)
        : width(w)
        , height(h)
        , surface_width(sw)
        , surface_height(sh)
        , pixels(size_t(sw) * sh, fill)
    {
    }
    IMPixelBuffer Buffer()
    {
        return IMPixelBuffer { reinterpret_cast<BYTE*>(pixels.data()), surface_width * 4, width, height };
    }
    D3DCOLOR At(int x, int y) const { return pixels[size_t(y) * surface_width + x]; }
    bool OutsideUntouched() const
    {
        for (int y = 0; y < surface_height; ++y)
            for (int x = 0; x < surface_width; ++x)
                if ((x >= width || y >= height) && At(x, y) != kGuard)
                    return false;
        return true;
    }
};

int Alpha(D3DCOLOR c)
{
    return int(c >> 24);
}

class GlyphRaster : public ::testing::Test {
protected:
    IMFontCache cache;
    IMGlyphPath path { cache };
};

// Ink only inside the character's black box, placed on the baseline; returns the rows holding ink.
std::pair<int, int> CheckInkInsideBox(IMFontCache& cache, IMGlyphPath& path, wchar_t ch)
{
    EXPECT_TRUE(path.Build(ch));
    const SIZE size = GlyphImageSize(path, nullptr);
    EXPECT_EQ(size.cy, 24);
    Surface s(size.cx, size.cy, 32, 32);
    RasterizeGlyph(path, s.Buffer(), kInk, kBack);

    const GLYPHMETRICS gm = IMFont::GlyphMetrics(cache, path.FontIndex(), ch);
    const int descent = cache.Font(path.FontIndex()).metrics.tmDescent;
    // Texture rows run top-down; the box's top is origin.y above the baseline.
    const int left = gm.gmptGlyphOrigin.x, right = left + int(gm.gmBlackBoxX);
    const int top = size.cy - (gm.gmptGlyphOrigin.y + descent), bottom = top + int(gm.gmBlackBoxY);
    int solid = 0, first_row = size.cy, last_row = -1;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) {
            const D3DCOLOR c = s.At(x, y);
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            if (!inside) {
                EXPECT_EQ(c, kBack) << int(ch) << " at " << x << "," << y;
            }
            solid += c == kInk;
            if (c != kBack) {
                first_row = std::min(first_row, y);
                last_row = std::max(last_row, y);
            }
        }
    EXPECT_GT(solid, 10);
    EXPECT_TRUE(s.OutsideUntouched());
    return { first_row, last_row };
}

TEST_F(GlyphRaster, LettersHaveInkInsideTheirBlackBoxesStandingOnTheBaseline)
{
    path.SetFont(L"Arial", 24, false, false, false);
    const int descent = cache.Font(path.FontIndex()).metrics.tmDescent;
    const int baseline_row = 24 - descent - 1;
    auto [capital_top, capital_bottom] = CheckInkInsideBox(cache, path, L'Ж');
    EXPECT_EQ(capital_bottom, baseline_row);
    EXPECT_LE(capital_top, 6);
    auto [small_top, small_bottom] = CheckInkInsideBox(cache, path, L'р');
    EXPECT_GT(small_top, capital_top) << "x-height lies below the cap height";
    EXPECT_GT(small_bottom, baseline_row) << "the descender goes below the baseline";
}

TEST_F(GlyphRaster, UnderlineBandFillsRowsBelowTheBaselineAcrossTheAdvance)
{
    path.SetFont(L"Arial", 24, false, false, true);
    ASSERT_TRUE(path.Build(L' '));
    const int descent = cache.Font(path.FontIndex()).metrics.tmDescent;
    ASSERT_EQ(descent, 5); // band from 1/3 to 2.5 pixels above the bottom
    const SIZE size = GlyphImageSize(path, nullptr);
    Surface s(size.cx, size.cy, 8, 32);
    RasterizeGlyph(path, s.Buffer(), kInk, kBack);
    for (int x = 0; x < size.cx; ++x) {
        EXPECT_EQ(s.At(x, 22), kInk) << x;
        EXPECT_NEAR(Alpha(s.At(x, 23)), 170, 2) << x; // two thirds covered
        EXPECT_NEAR(Alpha(s.At(x, 21)), 128, 2) << x; // half covered
        for (int y = 0; y <= 20; ++y)
            ASSERT_EQ(s.At(x, y), kBack) << x << "," << y;
    }
    EXPECT_TRUE(s.OutsideUntouched());
}

TEST_F(GlyphRaster, BlankOrMissingOutlineGivesBackgroundOnly)
{
    path.SetFont(L"Arial", 16, false, false, false);
    ASSERT_TRUE(path.Build(L' '));
    Surface blank(path.Advance(), 16, 8, 16);
    RasterizeGlyph(path, blank.Buffer(), kInk, kBack);
    EXPECT_FALSE(path.BuildFromOutline(nullptr, -1, cache.Font(path.FontIndex()).metrics, 9));
    Surface failed(9, 16, 16, 16);
    RasterizeGlyph(path, failed.Buffer(), kInk, kBack);
    for (const Surface* s : { &blank, &failed }) {
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                ASSERT_EQ(s->At(x, y), kBack);
        EXPECT_TRUE(s->OutsideUntouched());
    }
}

TEST_F(GlyphRaster, ImageSizeComesFromTheRectangleOrTheAdvanceAndNeverDropsBelowOne)
{
    path.SetFont(L"Arial", 20, false, false, false);
    ASSERT_TRUE(path.Build(L'W'));
    const SIZE natural = GlyphImageSize(path, nullptr);
    EXPECT_EQ(natural.cx, path.Advance());
    EXPECT_EQ(natural.cy, 20);
    const RECT given { 5, 5, 12, 40 }, zero_width { 3, 0, 3, 10 }, inverted { 10, 10, 4, 2 };
    EXPECT_EQ(GlyphImageSize(path, &given).cx, 7);
    EXPECT_EQ(GlyphImageSize(path, &given).cy, 35);
    EXPECT_EQ(GlyphImageSize(path, &zero_width).cx, 1);
    EXPECT_EQ(GlyphImageSize(path, &inverted).cx, 1);
    EXPECT_EQ(GlyphImageSize(path, &inverted).cy, 1);

    // A glyph drawn into a 1-pixel-wide image writes that column only.
    Surface narrow(1, 20, 4, 32);
    RasterizeGlyph(path, narrow.Buffer(), kInk, kBack);
    EXPECT_TRUE(narrow.OutsideUntouched());
}

constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kPaper = 0xFFFFFFFF;

TEST(StrokeRaster, HorizontalStrokeIsTwoRowsOfRedBetweenItsEnds)
{
    Surface s(16, 16, 16, 16, kPaper);
    RasterizeStroke(s.Buffer(), 2, 5, 10, 5);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool on = (y == 4 || y == 5) && x >= 2 && x < 10;
            ASSERT_EQ(s.At(x, y), on ? kRed : kPaper) << x << "," << y;
        }
}

TEST(StrokeRaster, CoincidingEndsDrawNothing)
{
    Surface s(16, 16, 16, 16, kPaper);
    RasterizeStroke(s.Buffer(), 7, 7, 7, 7);
    for (D3DCOLOR c : s.pixels)
        ASSERT_EQ(c, kPaper);
}

TEST(StrokeRaster, StrokeRunningOutsideIsClippedToTheImage)
{
    Surface s(16, 16, 32, 32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            s.pixels[size_t(y) * 32 + x] = kPaper;
    RasterizeStroke(s.Buffer(), -10, 8, 100, 8);
    RasterizeStroke(s.Buffer(), 12, -50, 12, 100);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(s.At(x, 7), kRed);
        EXPECT_EQ(s.At(x, 8), kRed);
        EXPECT_EQ(s.At(x, 6), x == 11 || x == 12 ? kRed : kPaper);
    }
    EXPECT_TRUE(s.OutsideUntouched());
}

TEST(StrokeRaster, DiagonalStrokeBlendsOverWhatIsThere)
{
    Surface s(16, 16, 16, 16, 0xFF0000FF);
    RasterizeStroke(s.Buffer(), 0, 0, 15, 15);
    // Pixels on the line are red, far ones keep their blue, edge pixels mix the two.
    EXPECT_EQ(s.At(8, 8), kRed);
    EXPECT_EQ(s.At(14, 2), 0xFF0000FFu);
    const D3DCOLOR edge = s.At(9, 8);
    const int red = (edge >> 16) & 0xFF, blue = edge & 0xFF;
    EXPECT_EQ(Alpha(edge), 255);
    EXPECT_NEAR(red + blue, 255, 1);
}

} // namespace
