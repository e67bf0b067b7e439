#include "tests/support/own_folder.h"

#include <stdexcept>

#include <gtest/gtest.h>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace testing_support {
namespace {

// "Suite.Name" of the running test, usable as a file name (parameterised names hold '/').
std::string TestName()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

} // namespace

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / (TestName() + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("no scratch folder " + pattern);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path PicturePath(const std::string& name)
{
    // CTest's whole run of an executable is the shuffled one, even of an executable with a single test.
    const bool whole = GTEST_FLAG_GET(shuffle) || testing::UnitTest::GetInstance()->test_to_run_count() > 1;
    const fs::path folder = fs::current_path() / "test-pictures" / (TestName() + (whole ? ".whole" : ".case"));
    fs::create_directories(folder);
    const fs::path path = folder / (name + ".png");
    fs::remove(path);
    return path;
}

} // namespace testing_support
