// The font services on the installed faces: resolution, cell metrics, widths and native outlines.
#include <cmath>

#include <freetype/ftfntfmt.h>
#include <freetype/tttables.h>
#include <gtest/gtest.h>

#include "platform/fonts/gdi_font.h"
#include "tests/platform/fonts/outline_reader.h"

namespace {

const MAT2 kIdentity { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };
const int kScreenSizes[] = { 14, 16, 18, 20, 21, 24, 25 };

HFONT Arial(int height, bool bold = false, bool italic = false, bool underline = false)
{
    return CreateFontW(
        height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, L"Arial");
}

// A context with one font selected, both released at the end of the test.
class Selected {
public:
    explicit Selected(HFONT font)
        : font_(font)
        , dc_(GetDC(nullptr))
    {
        previous_ = SelectObject(dc_, font_);
    }
    ~Selected()
    {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
        ReleaseDC(nullptr, dc_);
    }
    HDC dc() const { return dc_; }

private:
    HFONT font_;
    HDC dc_;
    HGDIOBJ previous_;
};

// The face file read independently of the layer.
class FaceFile {
public:
    explicit FaceFile(const std::string& path)
    {
        FT_Init_FreeType(&library_);
        if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0)
            face_ = nullptr;
    }
    ~FaceFile()
    {
        if (face_)
            FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    FT_Face face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

int Advance(HDC dc, wchar_t ch)
{
    ABC abc;
    EXPECT_TRUE(GetCharABCWidthsW(dc, ch, ch, &abc));
    return abc.abcA + static_cast<int>(abc.abcB) + abc.abcC;
}

TEST(FontResolution, ArialResolvesToQuadraticFacesWithCyrillicForEveryStyle)
{
    std::string files[4];
    for (int style = 0; style < 4; ++style) {
        const bool bold = style & 1, italic = style & 2;
        HFONT font = Arial(16, bold, italic);
        ASSERT_NE(font, nullptr);
        files[style] = platform::FontFilePath(font);
        FaceFile file(files[style]);
        ASSERT_NE(file.face(), nullptr) << files[style];
        EXPECT_STREQ(FT_Get_Font_Format(file.face()), "TrueType");
        EXPECT_NE(FT_Get_Char_Index(file.face(), L'Ж'), 0u);
        EXPECT_NE(FT_Get_Char_Index(file.face(), L'ё'), 0u);
        EXPECT_EQ((file.face()->style_flags & FT_STYLE_FLAG_BOLD) != 0, bold) << files[style];
        EXPECT_EQ((file.face()->style_flags & FT_STYLE_FLAG_ITALIC) != 0, italic) << files[style];
        EXPECT_TRUE(DeleteObject(font));
    }
    EXPECT_NE(files[0], files[1]);
    EXPECT_NE(files[0], files[2]);
}

TEST(FontMetrics, CellHeightIsAscentPlusDescentSplitByTheFacesWindowsMetrics)
{
    for (int height : kScreenSizes) {
        HFONT font = Arial(height);
        FaceFile file(platform::FontFilePath(font));
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(file.face(), FT_SFNT_OS2));
        ASSERT_NE(os2, nullptr);
        Selected selected(font);
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(selected.dc(), &tm));
        const double total = os2->usWinAscent + os2->usWinDescent;
        EXPECT_EQ(tm.tmHeight, height);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, height);
        EXPECT_EQ(tm.tmDescent, std::lround(os2->usWinDescent * height / total)) << height;
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_GE(tm.tmInternalLeading, 0);
        EXPECT_LT(tm.tmInternalLeading, height / 4 + 1);
        EXPECT_EQ(tm.tmCharSet, RUSSIAN_CHARSET);
    }
}

TEST(FontMetrics, NegativeHeightAsksForTheEmSize)
{
    Selected em(Arial(-14));
    Selected cell(Arial(16));
    TEXTMETRICW a, b;
    ASSERT_TRUE(GetTextMetricsW(em.dc(), &a));
    ASSERT_TRUE(GetTextMetricsW(cell.dc(), &b));
    EXPECT_EQ(a.tmHeight, 16);
    EXPECT_EQ(a.tmHeight - a.tmInternalLeading, 14);
    EXPECT_EQ(Advance(em.dc(), L'W'), Advance(cell.dc(), L'W'));
}

TEST(FontWidths, AdvancesArePositiveStableAndFollowTheGlyphs)
{
    for (int height : kScreenSizes) {
        Selected selected(Arial(height));
        for (wchar_t ch : std::wstring(L"AЖжё1 .«–")) {
            const int first = Advance(selected.dc(), ch);
            EXPECT_GT(first, 0) << height << " " << int(ch);
            EXPECT_EQ(Advance(selected.dc(), ch), first);
        }
        EXPECT_GT(Advance(selected.dc(), L'W'), Advance(selected.dc(), L'i'));
    }
    Selected small(Arial(16)), large(Arial(25)), bold(Arial(25, true));
    EXPECT_LT(Advance(small.dc(), L'Ж'), Advance(large.dc(), L'Ж'));
    EXPECT_LE(Advance(large.dc(), L'Ж'), Advance(bold.dc(), L'Ж'));
}

TEST(FontWidths, RangeFillsOneEntryPerCharacter)
{
    Selected selected(Arial(18));
    ABC range[3];
    ASSERT_TRUE(GetCharABCWidthsW(selected.dc(), L'a', L'c', range));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(range[i].abcA + int(range[i].abcB) + range[i].abcC, Advance(selected.dc(), wchar_t(L'a' + i)));
    EXPECT_FALSE(GetCharABCWidthsW(selected.dc(), L'c', L'a', range));
}

TEST(GlyphOutline, BlankGlyphNeedsNoBytes)
{
    Selected selected(Arial(16));
    GLYPHMETRICS gm;
    BYTE buffer[64];
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L' ', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L' ', GGO_NATIVE, &gm, sizeof buffer, buffer, &kIdentity), 0u);
    EXPECT_EQ(gm.gmCellIncX, Advance(selected.dc(), L' '));
}

TEST(GlyphOutline, BufferSizeRulesAndUnsupportedRequests)
{
    Selected selected(Arial(24));
    GLYPHMETRICS gm;
    const DWORD needed = GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, 0, nullptr, &kIdentity);
    ASSERT_GT(needed, 0u);
    ASSERT_NE(needed, GDI_ERROR);
    std::vector<BYTE> buffer(needed);
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, needed - 1, buffer.data(), &kIdentity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, needed, buffer.data(), &kIdentity), needed);

    const MAT2 doubled { { 0, 2 }, { 0, 0 }, { 0, 0 }, { 0, 2 } };
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, needed, buffer.data(), &doubled), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, needed, buffer.data(), nullptr), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(selected.dc(), L'Ж', 1, &gm, needed, buffer.data(), &kIdentity), GDI_ERROR);
}

TEST(GlyphOutline, RecordsTileTheBufferAndStayInsideTheBlackBoxAboveTheBaseline)
{
    Selected selected(Arial(24));
    GLYPHMETRICS gm;
    std::vector<BYTE> buffer(16352);
    const DWORD size = GetGlyphOutlineW(selected.dc(), L'Ж', GGO_NATIVE, &gm, 16352, buffer.data(), &kIdentity);
    ASSERT_NE(size, GDI_ERROR);
    bool ok = false;
    auto polygons = ReadOutline(buffer.data(), size, &ok);
    ASSERT_TRUE(ok);
    ASSERT_FALSE(polygons.empty());
    const double left = gm.gmptGlyphOrigin.x, top = gm.gmptGlyphOrigin.y;
    const double right = left + gm.gmBlackBoxX, bottom = top - double(gm.gmBlackBoxY);
    EXPECT_GE(bottom, -1.0); // no descender
    EXPECT_GT(top, 12.0);
    for (const auto& polygon : polygons) {
        EXPECT_EQ(polygon.type, TT_POLYGON_TYPE);
        for (const auto& curve : polygon.curves) {
            EXPECT_TRUE(curve.type == TT_PRIM_LINE || curve.type == TT_PRIM_QSPLINE);
            for (auto [x, y] : curve.points) {
                EXPECT_GE(x / 65536.0, left);
                EXPECT_LE(x / 65536.0, right);
                EXPECT_GE(y / 65536.0, bottom);
                EXPECT_LE(y / 65536.0, top);
            }
        }
    }
}

TEST(FontContext, SelectionReturnsThePreviousFontAndGuardsItsObjects)
{
    HDC dc = GetDC(nullptr);
    HFONT a = Arial(16), b = Arial(20);
    HGDIOBJ stock = SelectObject(dc, a);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(dc, b), a);
    EXPECT_FALSE(DeleteObject(b)) << "a selected font stays alive";
    EXPECT_FALSE(DeleteObject(stock));
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 20);
    EXPECT_EQ(SelectObject(dc, stock), b);
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_EQ(SelectObject(dc, b), nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_FALSE(GetTextMetricsW(dc, &tm));
    GLYPHMETRICS gm;
    EXPECT_EQ(GetGlyphOutlineW(dc, L'A', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
}

TEST(FontContext, ZeroHeightIsRefused)
{
    EXPECT_EQ(Arial(0), nullptr);
}

} // namespace
