// The face a printer context writes with: a sans face that has Cyrillic letters, at 10 pt in device units,
// known both to the GDI-shaped font calls (metrics) and to cairo (drawing and measuring).
#pragma once

#include <memory>
#include <string>

#include <cairo.h>

#include "platform/fonts/gdi_font.h"

namespace platform {

class PrintFont {
public:
    // Null when no installed face has Cyrillic letters.
    static std::unique_ptr<PrintFont> Open();
    ~PrintFont();
    PrintFont(const PrintFont&) = delete;
    PrintFont& operator=(const PrintFont&) = delete;

    HFONT Font() const { return font_; }
    int Ascent() const { return metrics_.tmAscent; }
    int Height() const { return metrics_.tmHeight; }
    // Advance width of UTF-8 text in device units.
    int Advance(const std::string& utf8) const;
    // Makes this face the current one of cr, whose user units are device units.
    void Apply(cairo_t* cr) const;

private:
    PrintFont(HFONT font, cairo_font_face_t* face);

    HFONT font_;
    TEXTMETRICW metrics_ {};
    cairo_font_face_t* face_;
    cairo_font_options_t* options_;
    cairo_scaled_font_t* scaled_;
    double em_ = 0;
};

} // namespace platform
