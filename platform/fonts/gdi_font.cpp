#include "platform/fonts/gdi_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include <freetype/ftoutln.h>
#include <freetype/tttables.h>

#include "platform/fonts/font_faces.h"
#include "platform/fonts/native_outline.h"

struct HFONT__ {
    std::unique_ptr<platform::SizedFace> face; // null for a default font that found no face
    TEXTMETRICW metrics;
    bool stock = false;
};

struct HDC__ {
    HFONT selected = nullptr;
};

namespace {

using platform::FaceLock;

// Live objects; handles are checked against these sets before use.
std::set<HFONT>& Fonts()
{
    static std::set<HFONT> fonts;
    return fonts;
}

std::set<HDC>& Contexts()
{
    static std::set<HDC> contexts;
    return contexts;
}

int Round(double v)
{
    return static_cast<int>(std::lround(v));
}

TEXTMETRICW MakeMetrics(
    platform::SizedFace& sized, int weight, bool italic, bool underline, bool strike_out, DWORD charset)
{
    FT_Face face = sized.Activate();
    const platform::CellScale& scale = sized.Scale();
    const double per_unit = double(scale.ppem) / std::max<int>(1, face->units_per_EM);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));

    TEXTMETRICW tm;
    tm.tmHeight = scale.cell_height;
    tm.tmDescent = scale.descent;
    tm.tmAscent = scale.cell_height - scale.descent;
    tm.tmInternalLeading = std::max(0, scale.cell_height - scale.ppem);
    tm.tmExternalLeading = std::max(0, Round(face->height * per_unit) - scale.cell_height);
    tm.tmAveCharWidth = os2 ? Round(os2->xAvgCharWidth * per_unit) : Round(face->max_advance_width * per_unit / 2);
    tm.tmMaxCharWidth = Round((face->bbox.xMax - face->bbox.xMin) * per_unit);
    tm.tmWeight = weight <= 0 ? FW_NORMAL : weight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = os2 ? os2->usFirstCharIndex : 0x20;
    tm.tmLastChar = os2 ? os2->usLastCharIndex : 0xFFFC;
    tm.tmDefaultChar = os2 && os2->usDefaultChar ? os2->usDefaultChar : 0x1F;
    tm.tmBreakChar = os2 && os2->usBreakChar ? os2->usBreakChar : 0x20;
    tm.tmItalic = italic ? 255 : 0;
    tm.tmUnderlined = underline ? 255 : 0;
    tm.tmStruckOut = strike_out ? 255 : 0;
    // Vector, TrueType, and (inverted sense) variable pitch.
    tm.tmPitchAndFamily = 0x06 | (FT_IS_FIXED_WIDTH(face) ? 0 : 0x01);
    tm.tmCharSet = static_cast<BYTE>(charset);
    return tm;
}

HFONT SelectedFont(HDC dc)
{
    if (!Contexts().count(dc) || !dc->selected || !dc->selected->face)
        return nullptr;
    return dc->selected;
}

// Loads the hinted outline of a character (the default glyph when the face lacks it); null on failure.
FT_GlyphSlot LoadGlyph(HFONT font, UINT ch)
{
    FT_Face face = font->face->Activate();
    FT_UInt index = FT_Get_Char_Index(face, ch);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
        return nullptr;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
        return nullptr;
    return face->glyph;
}

int Advance(FT_GlyphSlot slot)
{
    return static_cast<int>((slot->advance.x + 32) >> 6);
}

ABC WidthsOf(FT_GlyphSlot slot)
{
    ABC abc;
    const int advance = Advance(slot);
    if (slot->outline.n_contours == 0) {
        abc.abcB = static_cast<UINT>(std::max(advance, 0));
        abc.abcC = advance - static_cast<int>(abc.abcB);
        return abc;
    }
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    abc.abcA = static_cast<int>(box.xMin >> 6);
    const int right = static_cast<int>((box.xMax + 63) >> 6);
    abc.abcB = static_cast<UINT>(std::max(1, right - abc.abcA));
    abc.abcC = advance - abc.abcA - static_cast<int>(abc.abcB);
    return abc;
}

GLYPHMETRICS MetricsOf(FT_GlyphSlot slot)
{
    GLYPHMETRICS gm;
    gm.gmCellIncX = static_cast<SHORT>(Advance(slot));
    gm.gmBlackBoxX = 1;
    gm.gmBlackBoxY = 1;
    if (slot->outline.n_contours > 0) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        const LONG left = static_cast<LONG>(box.xMin >> 6);
        const LONG bottom = static_cast<LONG>(box.yMin >> 6);
        const LONG right = static_cast<LONG>((box.xMax + 63) >> 6);
        const LONG top = static_cast<LONG>((box.yMax + 63) >> 6);
        gm.gmBlackBoxX = static_cast<UINT>(std::max(1, right - left));
        gm.gmBlackBoxY = static_cast<UINT>(std::max(1, top - bottom));
        gm.gmptGlyphOrigin = POINT { left, top };
    }
    return gm;
}

bool IsIdentity(const MAT2* m)
{
    auto raw = [](FIXED f) { return int32_t(uint32_t(f.fract) | (uint32_t(uint16_t(f.value)) << 16)); };
    return m && raw(m->eM11) == 0x10000 && raw(m->eM22) == 0x10000 && raw(m->eM12) == 0 && raw(m->eM21) == 0;
}

HFONT NewFont(int height, int weight, bool italic, bool underline, bool strike_out, DWORD charset, const wchar_t* face)
{
    platform::FontRequest request { face ? std::wstring(face) : std::wstring(), weight, italic };
    auto sized = platform::OpenSizedFace(request, height);
    if (!sized)
        return nullptr;
    auto* font = new HFONT__;
    font->metrics = MakeMetrics(*sized, weight, italic, underline, strike_out, charset);
    font->face = std::move(sized);
    Fonts().insert(font);
    return font;
}

// Every context starts with this font selected, as a screen context starts with the system font.
HFONT StockFont()
{
    static HFONT stock = [] {
        HFONT font = NewFont(16, FW_NORMAL, false, false, false, DEFAULT_CHARSET, L"");
        if (!font) {
            font = new HFONT__;
            Fonts().insert(font);
        }
        font->stock = true;
        return font;
    }();
    return stock;
}

} // namespace

HDC GetDC(HWND)
{
    auto lock = FaceLock();
    auto* dc = new HDC__;
    dc->selected = StockFont();
    Contexts().insert(dc);
    return dc;
}

int ReleaseDC(HWND, HDC dc)
{
    auto lock = FaceLock();
    if (!Contexts().erase(dc))
        return 0;
    delete dc;
    return 1;
}

HFONT CreateFontW(int height, int, int, int, int weight, DWORD italic, DWORD underline, DWORD strike_out, DWORD charset,
    DWORD, DWORD, DWORD, DWORD, const wchar_t* face)
{
    auto lock = FaceLock();
    return NewFont(height, weight, italic != 0, underline != 0, strike_out != 0, charset, face);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    auto lock = FaceLock();
    auto font = static_cast<HFONT>(object);
    if (!Contexts().count(dc) || !Fonts().count(font))
        return nullptr;
    HFONT previous = dc->selected;
    dc->selected = font;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto lock = FaceLock();
    auto font = static_cast<HFONT>(object);
    if (!Fonts().count(font) || font->stock)
        return FALSE;
    for (HDC dc : Contexts())
        if (dc->selected == font)
            return FALSE;
    Fonts().erase(font);
    delete font;
    return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics)
{
    auto lock = FaceLock();
    HFONT font = SelectedFont(dc);
    if (!font || !metrics)
        return FALSE;
    *metrics = font->metrics;
    return TRUE;
}

BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, ABC* widths)
{
    auto lock = FaceLock();
    HFONT font = SelectedFont(dc);
    if (!font || !widths || last < first)
        return FALSE;
    for (UINT ch = first; ch <= last; ++ch) {
        FT_GlyphSlot slot = LoadGlyph(font, ch);
        if (!slot)
            return FALSE;
        widths[ch - first] = WidthsOf(slot);
        if (ch == last)
            break;
    }
    return TRUE;
}

DWORD GetGlyphOutlineW(
    HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD buffer_size, void* buffer, const MAT2* matrix)
{
    auto lock = FaceLock();
    HFONT font = SelectedFont(dc);
    if (!font || format != GGO_NATIVE || !metrics || !IsIdentity(matrix))
        return GDI_ERROR;
    FT_GlyphSlot slot = LoadGlyph(font, ch);
    if (!slot)
        return GDI_ERROR;
    std::vector<BYTE> bytes;
    if (!platform::WriteNativeOutline(slot->outline, bytes))
        return GDI_ERROR;
    *metrics = MetricsOf(slot);
    if (!buffer || buffer_size == 0)
        return static_cast<DWORD>(bytes.size());
    if (buffer_size < bytes.size())
        return GDI_ERROR;
    if (!bytes.empty())
        std::memcpy(buffer, bytes.data(), bytes.size());
    return static_cast<DWORD>(bytes.size());
}

namespace platform {

std::string FontFilePath(HFONT font)
{
    auto lock = FaceLock();
    if (!Fonts().count(font) || !font->face)
        return {};
    return font->face->Path();
}

} // namespace platform
