// Diagnostic lines: a UTF-8 line on standard error, or into a capture while a test holds one.
#pragma once

#include <string>
#include <vector>

void OutputDebugStringW(const wchar_t* text);
void OutputDebugStringA(const char* text);

namespace platform {

// While it exists, diagnostic output is kept here instead of going to standard error.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Each call of OutputDebugString is one entry, as passed.
    std::vector<std::wstring> Entries() const;
    // All entries joined.
    std::wstring Text() const;
    void Clear();
};

} // namespace platform
