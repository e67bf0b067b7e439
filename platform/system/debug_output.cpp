#include "platform/system/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/text/utf8.h"

namespace platform {
namespace {

std::mutex g_mutex;
DiagnosticSink g_sink;

bool TracesWanted()
{
    static const bool wanted = [] {
        const char* value = std::getenv("MAZE_DEBUG");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return wanted;
}

void Emit(std::wstring text, bool trace)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_sink) {
        g_sink(std::move(text));
        return;
    }
    if (trace && !TracesWanted())
        return;
    std::string line = ToUtf8(text);
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fputs(line.c_str(), stderr);
}

} // namespace

void TellUser(const std::wstring& text)
{
    Emit(text, false);
}

void SetDiagnosticSink(DiagnosticSink sink)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = std::move(sink);
}

} // namespace platform

void OutputDebugStringW(const wchar_t* text)
{
    platform::Emit(text ? text : L"", true);
}

void OutputDebugStringA(const char* text)
{
    platform::Emit(platform::FromUtf8(text ? text : ""), true);
}
