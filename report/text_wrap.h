// A text broken into lines no wider than a width, measured on a printer context.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/gdi_font.h"

namespace report {

// The advance width of the text on the context, in device units.
int TextExtent(HDC dc, std::wstring_view text);

// The lines of the text as typed: a line break ("\n", "\r\n" or "\r") ends one and starts the next.
std::vector<std::wstring_view> TypedLines(std::wstring_view text);

// The text in lines no wider than the width given: each of its typed lines broken at spaces, within a word only
// where the word alone is wider, and there after its last hyphen that fits, else after as many letters as fit (one
// at least). A typed line with no room at all stays as it is.
std::vector<std::wstring> WrapText(HDC dc, const std::wstring& text, int width);

} // namespace report
