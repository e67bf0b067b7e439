// One character of a text view with its own style and its own glyph texture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/win32.h"

struct IMGlyph {
    // The texture name: face, character, size, colour, bold, underline, italic, back colour and marker, the
    // numbers in decimal with colours as signed 32-bit values. Equal keys share one texture.
    void RebuildKey();
    // The image size of its texture; 0 x 0 when it has none.
    SIZE ImageSize() const;

    DWORD texture = 0xFFFFFFFFu; // one reference owned by the glyph
    wchar_t ch = 0;
    RECT rect {}; // relative to the view's top-left corner; empty until laid out
    D3DCOLOR colour = 0;
    bool underline = false;
    bool bold = false;
    bool italic = false;
    int32_t size = 0;
    std::wstring face;
    std::wstring key;
    D3DCOLOR backColour = 0;
    bool marker = false; // the texture is a whitespace marker picture
};
