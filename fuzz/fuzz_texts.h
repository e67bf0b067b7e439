// Texts from fuzzed bytes, separated by zero bytes. A byte below 0x80 is that character, 0xFF takes the next
// three bytes as one character (any value, zero and surrogates included) and any other byte is a Cyrillic letter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::wstring> FuzzTexts(const uint8_t* data, size_t size)
{
    std::vector<std::wstring> texts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            texts.emplace_back();
        } else if (data[i] < 0x80) {
            texts.back() += wchar_t(data[i]);
        } else if (data[i] == 0xFF && i + 3 < size) {
            texts.back() += wchar_t(data[i + 1] | data[i + 2] << 8 | data[i + 3] << 16);
            i += 3;
        } else {
            texts.back() += wchar_t(0x380 + data[i]);
        }
    }
    return texts;
}
