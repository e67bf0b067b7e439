// Narrow text in the Windows-1251 code page, converted through fixed tables so that the process locale never
// changes a character.
#pragma once

#include <string>
#include <string_view>

// A double quote becomes an apostrophe; a character without a Windows-1251 form becomes '?'.
char NarrowChar(wchar_t c);
wchar_t WidenChar(char c);

// One narrow character per wide character (per code point).
std::string NarrowString(std::wstring_view text);
std::wstring WidenString(std::string_view text);
