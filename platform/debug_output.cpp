#include "platform/debug_output.h"

#include <cstdio>
#include <mutex>

#include "platform/testing/debug_capture.h"
#include "platform/utf8.h"

namespace platform {
namespace {

std::mutex g_mutex;
bool g_capturing = false;
std::vector<std::wstring> g_entries;

void Emit(std::wstring text)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_capturing) {
        g_entries.push_back(std::move(text));
        return;
    }
    std::string line = ToUtf8(text);
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fputs(line.c_str(), stderr);
}

} // namespace

DebugCapture::DebugCapture()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capturing = true;
    g_entries.clear();
}

DebugCapture::~DebugCapture()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capturing = false;
    g_entries.clear();
}

std::vector<std::wstring> DebugCapture::Entries() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_entries;
}

std::wstring DebugCapture::Text() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::wstring all;
    for (const auto& e : g_entries)
        all += e;
    return all;
}

void DebugCapture::Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_entries.clear();
}

} // namespace platform

void OutputDebugStringW(const wchar_t* text)
{
    platform::Emit(text ? text : L"");
}

void OutputDebugStringA(const char* text)
{
    platform::Emit(platform::FromUtf8(text ? text : ""));
}
