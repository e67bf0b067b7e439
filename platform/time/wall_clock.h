// Calendar time: seconds since 1970-01-01 UTC, and its local-time text in the "C" locale's words.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Real time; while a manual clock is installed, the pinned (or first real) reading plus that clock's whole seconds, so
// a test decides both the date shown and the durations measured.
int64_t WallSeconds();
// Fixes the reading that WallSeconds starts from under a manual clock.
void PinWallClock(int64_t seconds);

// strftime in local time with the "C" locale, whatever locale the process or a library selected: month and day
// names are always English. Empty when the time cannot be broken down or the text exceeds 127 characters.
std::wstring FormatLocalTime(int64_t seconds, const char* format);

} // namespace platform
