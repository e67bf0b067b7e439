#include <gtest/gtest.h>

#include "platform/testing/debug_capture.h"
#include "platform/testing/test_clock.h"
#include "platform/text/utf8.h"

namespace {

TEST(Clock, RealCounterIsMonotonicAndAgreesWithTimeGetTime)
{
    LARGE_INTEGER f, a, b;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    ASSERT_GT(f.QuadPart, 0);
    QueryPerformanceCounter(&a);
    DWORD t0 = timeGetTime();
    Sleep(5);
    QueryPerformanceCounter(&b);
    DWORD t1 = timeGetTime();
    EXPECT_GE((b.QuadPart - a.QuadPart) * 1000 / f.QuadPart, 4);
    EXPECT_GE(t1 - t0, 4u);
}

TEST(Clock, TestClockDrivesCounterAndMillisecondsTogether)
{
    DWORD real_before = timeGetTime();
    {
        platform::TestClock clock(1000000, 5000);
        LARGE_INTEGER f, c;
        QueryPerformanceFrequency(&f);
        EXPECT_EQ(f.QuadPart, 1000000);
        QueryPerformanceCounter(&c);
        EXPECT_EQ(c.QuadPart, 5000);
        DWORD t0 = timeGetTime();
        Sleep(3); // real time does not move the test clock
        EXPECT_EQ(timeGetTime(), t0);
        clock.Advance(40);
        QueryPerformanceCounter(&c);
        EXPECT_EQ(c.QuadPart, 45000);
        EXPECT_EQ(timeGetTime() - t0, 40u);

        int calls = 0;
        int id = clock.AddListener([&] { ++calls; });
        clock.Advance(1);
        clock.RemoveListener(id);
        clock.Advance(1);
        EXPECT_EQ(calls, 1);
    }
    // Gone again: back on the real clock.
    EXPECT_GE(timeGetTime(), real_before);
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    EXPECT_NE(f.QuadPart, 1000000);
}

TEST(DebugOutput, CapturedEntriesKeepTextAsWritten)
{
    platform::DebugCapture capture;
    OutputDebugStringW(L"FPS: 50\n");
    OutputDebugStringW(L" звук играет\n");
    OutputDebugStringA("plain");
    auto entries = capture.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1], L" звук играет\n");
    EXPECT_EQ(capture.Text(), L"FPS: 50\n звук играет\nplain");
}

TEST(Utf8, RoundTripAndMalformedInput)
{
    std::wstring text = L"Игра «Тумбилиада» – ё \U0001F600";
    EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(text)), text);
    EXPECT_EQ(platform::ToUtf8(L"ё"), "\xD1\x91");
    EXPECT_EQ(platform::FromUtf8("a\xD1"), L"a\uFFFD"); // truncated sequence
    EXPECT_EQ(platform::FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD"); // overlong form
    EXPECT_EQ(platform::FromUtf8("\xFFz"), L"\uFFFDz");
}

// The last and first code point of each sequence length, and the last code point of all.
TEST(Utf8, EachLengthBoundaryEncodesAndDecodesExactly)
{
    const std::pair<wchar_t, std::string> kBoundaries[] = {
        { L'\x7F', "\x7F" },
        { L'\x80', "\xC2\x80" },
        { L'\x7FF', "\xDF\xBF" },
        { L'\x800', "\xE0\xA0\x80" },
        { L'\xFFFF', "\xEF\xBF\xBF" },
        { L'\x10000', "\xF0\x90\x80\x80" },
        { L'\x10FFFF', "\xF4\x8F\xBF\xBF" },
    };
    for (const auto& [point, bytes] : kBoundaries) {
        SCOPED_TRACE(std::to_string(uint32_t(point)));
        EXPECT_EQ(platform::ToUtf8(std::wstring(1, point)), bytes);
        EXPECT_EQ(platform::FromUtf8(bytes), std::wstring(1, point));
        EXPECT_EQ(platform::FromUtf8("a" + bytes + "z"), L"a" + std::wstring(1, point) + L"z");
    }
}

} // namespace
