// Conversions at the edges: wide strings hold code points, SDL and the file system take UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string ToUtf8(std::wstring_view text);
// Malformed sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

} // namespace platform
