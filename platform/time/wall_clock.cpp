#include "platform/time/wall_clock.h"

#include <atomic>
#include <ctime>

#include <locale.h>

#include "platform/text/utf8.h"
#include "platform/time/clock.h"

namespace platform {
namespace {

std::atomic<int64_t> g_pinned { -1 };

} // namespace

int64_t WallSeconds()
{
    if (!CurrentManualClock())
        return int64_t(std::time(nullptr));
    int64_t base = g_pinned;
    if (base < 0) {
        const int64_t now = int64_t(std::time(nullptr));
        g_pinned.compare_exchange_strong(base, now);
        base = g_pinned;
    }
    return base + NowMs() / 1000;
}

void PinWallClock(int64_t seconds)
{
    g_pinned = seconds;
}

std::wstring FormatLocalTime(int64_t seconds, const char* format)
{
    const std::time_t t = std::time_t(seconds);
    std::tm local {};
    if (!localtime_r(&t, &local))
        return {};
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    char buffer[128];
    const size_t n = strftime_l(buffer, sizeof buffer, format, &local, c_locale);
    return n == 0 ? std::wstring() : FromUtf8(std::string_view(buffer, n));
}

} // namespace platform
