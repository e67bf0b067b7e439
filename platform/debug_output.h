// Diagnostic lines: a UTF-8 line on standard error, or into a capture while a test holds one
// (platform/testing/debug_capture.h).
#pragma once

void OutputDebugStringW(const wchar_t* text);
void OutputDebugStringA(const char* text);
