#include "platform/print/print_font.h"

#include <cmath>
#include <mutex>
#include <string>

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/print/page_setup.h"

namespace platform {

namespace {

// 10 pt: the size a printer context's own font has.
constexpr int kEmHeight = kPrintDpi * 10 / 72;

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        FT_Init_FreeType(&lib);
        return lib;
    }();
    return library;
}

const cairo_user_data_key_t kFaceKey {};

void DoneFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

// A cairo face on the font's file when that file has Cyrillic letters; null otherwise.
cairo_font_face_t* CyrillicFace(HFONT font)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::string path = FontFilePath(font);
    FT_Face face = nullptr;
    if (path.empty() || !Library() || FT_New_Face(Library(), path.c_str(), 0, &face) != 0)
        return nullptr;
    if (FT_Get_Char_Index(face, U'Ж') == 0 || FT_Get_Char_Index(face, U'я') == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(cface, &kFaceKey, face, DoneFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cface);
        FT_Done_Face(face);
        return nullptr;
    }
    return cface;
}

} // namespace

std::unique_ptr<PrintFont> PrintFont::Open()
{
    for (const wchar_t* name : { L"Arial", L"Liberation Sans", L"DejaVu Sans", L"" }) {
        HFONT font = CreateFontW(-kEmHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, name);
        if (!font)
            continue;
        if (cairo_font_face_t* face = CyrillicFace(font))
            return std::unique_ptr<PrintFont>(new PrintFont(font, face));
        DeleteObject(font);
    }
    return nullptr;
}

PrintFont::PrintFont(HFONT font, cairo_font_face_t* face)
    : font_(font)
    , face_(face)
    , options_(cairo_font_options_create())
{
    HDC dc = GetDC(nullptr);
    SelectObject(dc, font_);
    GetTextMetricsW(dc, &metrics_);
    ReleaseDC(nullptr, dc);
    em_ = metrics_.tmHeight - metrics_.tmInternalLeading;
    // Unhinted advances: the widths measured are the widths drawn, at any resolution.
    cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_NONE);
    cairo_matrix_t size;
    cairo_matrix_init_scale(&size, em_, em_);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    scaled_ = cairo_scaled_font_create(face_, &size, &identity, options_);
}

PrintFont::~PrintFont()
{
    cairo_scaled_font_destroy(scaled_);
    cairo_font_options_destroy(options_);
    cairo_font_face_destroy(face_);
    DeleteObject(font_);
}

int PrintFont::Advance(const std::string& utf8) const
{
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(scaled_, utf8.c_str(), &extents);
    return static_cast<int>(std::lround(extents.x_advance));
}

void PrintFont::Apply(cairo_t* cr) const
{
    cairo_set_font_face(cr, face_);
    cairo_set_font_size(cr, em_);
    cairo_set_font_options(cr, options_);
}

} // namespace platform
