// Two kinds of diagnostic line. Traces (OutputDebugString) are for whoever debugs the program: they reach standard
// error only when the environment variable MAZE_DEBUG is set to anything but "" or "0". Lines meant for the person
// at the terminal (TellUser: a save that failed and why, a workbook set aside) always print. While a sink is set
// (a test's capture), both kinds go there instead.
#pragma once

#include <functional>
#include <string>

void OutputDebugStringW(const wchar_t* text);
void OutputDebugStringA(const char* text);

namespace platform {

void TellUser(const std::wstring& text);

// Receives each line as passed; an empty sink sends lines back to standard error.
using DiagnosticSink = std::function<void(std::wstring)>;
void SetDiagnosticSink(DiagnosticSink sink);

} // namespace platform
