#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/system/app_data.h"
#include "platform/testing/test_clock.h"
#include "platform/text/utf8.h"
#include "platform/time/wall_clock.h"

namespace {

namespace fs = std::filesystem;

TEST(WallClock, TestClockDrivesTheCalendarFromThePinnedStartAndTheTextIsEnglishLocalTime)
{
    setenv("TZ", "UTC", 1);
    tzset();
    platform::TestClock clock;
    platform::PinWallClock(1796638500);
    EXPECT_EQ(platform::FormatLocalTime(platform::WallSeconds(), "%d-%B-%Y %H:%M"), L"07-December-2026 10:15");
    clock.Advance(59'999);
    EXPECT_EQ(platform::WallSeconds(), 1796638559);
    clock.Advance(1);
    EXPECT_EQ(platform::FormatLocalTime(platform::WallSeconds(), "%d-%B-%Y %H:%M"), L"07-December-2026 10:16");
    setenv("TZ", "Europe/Moscow", 1);
    tzset();
    EXPECT_EQ(platform::FormatLocalTime(1796638500, "%d-%B %H:%M"), L"07-December 13:15") << "local time";
    setenv("TZ", "UTC", 1);
    tzset();
}

// A Russian locale compiled for the test: the process's own month names change, the calendar text's do not.
TEST(WallClock, MonthNamesStayEnglishUnderAnotherLocale)
{
    const fs::path dir = fs::temp_directory_path() / ("locales-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string make = "localedef -i ru_RU -f UTF-8 '" + (dir / "ru_RU.UTF-8").string() + "' 2>/dev/null";
    setenv("LOCPATH", dir.c_str(), 1);
    if (std::system(make.c_str()) != 0 || !std::setlocale(LC_ALL, "ru_RU.UTF-8")) {
        fs::remove_all(dir);
        GTEST_SKIP() << "no Russian locale can be made here";
    }
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t t = 1796638500;
    char native[64];
    std::strftime(native, sizeof native, "%B", std::localtime(&t));
    EXPECT_NE(std::string(native), "December") << "the locale is in effect";
    EXPECT_EQ(platform::FormatLocalTime(t, "%d-%B-%Y %H:%M"), L"07-December-2026 10:15");
    std::setlocale(LC_ALL, "C");
    fs::remove_all(dir);
}

class DataFolder : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("data-folder-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
};

TEST_F(DataFolder, TheXdgFolderOrTheHomeDefaultIsMadeWithItsParents)
{
    const fs::path xdg = root_ / "deep" / "данные";
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    EXPECT_EQ(platform::ApplicationDataFolder(), platform::FromUtf8(xdg.string()));
    EXPECT_TRUE(fs::is_directory(xdg));

    setenv("XDG_DATA_HOME", "relative/data", 1);
    setenv("HOME", root_.c_str(), 1);
    EXPECT_EQ(platform::ApplicationDataFolder(), platform::FromUtf8((root_ / ".local" / "share").string()));
    EXPECT_TRUE(fs::is_directory(root_ / ".local" / "share"));

    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(platform::ApplicationDataFolder(), L"") << "no home: the caller falls back to the working directory";

    std::ofstream(root_ / "file").put('x');
    setenv("XDG_DATA_HOME", (root_ / "file" / "below").c_str(), 1);
    EXPECT_EQ(platform::ApplicationDataFolder(), L"");
}

TEST_F(DataFolder, AnyEntryOfTheNameCountsAsTheFolder)
{
    const std::wstring base = platform::FromUtf8(root_.string());
    EXPECT_TRUE(platform::EnsureFolder(base + L"/TIRQ"));
    EXPECT_TRUE(fs::is_directory(root_ / "TIRQ"));
    std::ofstream(root_ / "plain").put('x');
    EXPECT_TRUE(platform::EnsureFolder(base + L"/plain"));
    EXPECT_FALSE(platform::EnsureFolder(base + L"/missing/TIRQ"));
}

} // namespace
