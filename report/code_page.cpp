#include "report/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Windows-1251 bytes 0x80..0xBF; 0x98 has no character of its own and keeps the C1 code point, as the system's
// converter does, so that every byte survives a round trip.
constexpr std::array<char16_t, 64> kHighBlock = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

constexpr char32_t kCyrillicA = 0x0410; // 0xC0..0xFF hold U+0410..U+044F in order
constexpr char32_t kCyrillicYa = 0x044F;

} // namespace

char NarrowChar(wchar_t c)
{
    auto code = static_cast<char32_t>(c);
    if (code == U'"')
        return '\'';
    if (code < 0x80)
        return static_cast<char>(code);
    if (code >= kCyrillicA && code <= kCyrillicYa)
        return static_cast<char>(0xC0 + (code - kCyrillicA));
    auto found = std::find(kHighBlock.begin(), kHighBlock.end(), code);
    if (found == kHighBlock.end())
        return '?';
    return static_cast<char>(0x80 + (found - kHighBlock.begin()));
}

wchar_t WidenChar(char c)
{
    auto byte = static_cast<uint8_t>(c);
    if (byte < 0x80)
        return static_cast<wchar_t>(byte);
    if (byte >= 0xC0)
        return static_cast<wchar_t>(kCyrillicA + (byte - 0xC0));
    return static_cast<wchar_t>(kHighBlock[byte - 0x80]);
}

std::string NarrowString(std::wstring_view text)
{
    std::string out(text.size(), '\0');
    std::transform(text.begin(), text.end(), out.begin(), NarrowChar);
    return out;
}

std::wstring WidenString(std::string_view text)
{
    std::wstring out(text.size(), L'\0');
    std::transform(text.begin(), text.end(), out.begin(), WidenChar);
    return out;
}
