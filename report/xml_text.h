// Text on its way into and out of the document, whose strings are UTF-16.
#pragma once

#include <string>
#include <string_view>

#include <xercesc/util/XercesDefs.hpp>

namespace report {

// Narrows through Windows-1251 (quote to apostrophe, unmappable to '?'), then turns every character XML 1.0
// forbids into '?', and gives the result as document text.
std::u16string DocumentText(std::wstring_view text);

// Document text (from the parser or the library's messages) for diagnostics and tests.
std::string Utf8Of(const XMLCh* text);
std::wstring WideOf(const XMLCh* text);

} // namespace report
