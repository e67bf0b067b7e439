// What a save promises beyond the bytes it writes: the new workbook is on the disk before it replaces the stored one,
// the replacement itself is flushed, and the workbook keeps the permissions it was given.
#include <memory>

#include <sys/stat.h>

#include "report/report.h"
#include "report/workbook_file.h"
#include "tests/support/workbook_fixture.h"

namespace {

using Steps = std::vector<std::string>;

class RecordedSave : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        report::RecordFileSteps([this](const report::FileStep& step) { steps_.push_back(step); });
    }
    void TearDown() override
    {
        report::RecordFileSteps({});
        WorkbookTest::TearDown();
    }

    // The steps of a save to path, one a line, with paths inside the test's folder and any temporary file named T.
    Steps Save(IMReport& report, const std::wstring& path)
    {
        steps_.clear();
        EXPECT_TRUE(report.Save(path));
        Steps lines;
        for (const auto& step : steps_) {
            std::string line = step.call + " " + Inside(step.path);
            if (!step.to.empty())
                line += " " + Inside(step.to);
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::string Inside(const std::filesystem::path& path) const
    {
        std::filesystem::path relative = path.lexically_relative(folder_);
        const std::string name = relative.filename().string();
        if (name.starts_with(".report-") && name.ends_with(".tmp"))
            relative.replace_filename("T");
        return relative.string();
    }

    std::vector<report::FileStep> steps_;
};

TEST_F(RecordedSave, ReachesTheDiskBeforeItReplacesTheStoredWorkbook)
{
    const auto file = folder_ / "book.xls";
    auto report = IMReport::Open(Wide(file), L"Оля");
    ASSERT_TRUE(report);
    report->AddRow(L"Число попыток", L"1", L"Number");
    EXPECT_EQ(Save(*report, L""),
        (Steps { "lock .report.lock", "write T", "fsync T", "rename T book.xls", "fsync .", "unlock .report.lock" }))
        << "a new workbook";

    report->AddRow(L"Число попыток", L"2", L"Number");
    EXPECT_EQ(Save(*report, L""),
        (Steps { "lock .report.lock", "read book.xls", "write T", "fsync T", "rename T book.xls", "fsync .",
            "unlock .report.lock" }))
        << "a stored workbook";

    std::filesystem::create_directory(folder_ / "copies");
    EXPECT_EQ(Save(*report, Wide(folder_ / "copies" / "copy.xls")),
        (Steps { "write copies/T", "fsync copies/T", "rename copies/T copies/copy.xls", "fsync copies" }))
        << "saved under another name";
}

TEST_F(WorkbookTest, ASavedWorkbookKeepsItsPermissions)
{
    // Without the workbook's own mode, a new file would be readable by everyone under this mask.
    const mode_t mask = ::umask(022);
    std::shared_ptr<void> restore(nullptr, [mask](void*) { ::umask(mask); });
    const auto file = folder_ / "book.xls", copy = folder_ / "copy.xls";
    for (const mode_t mode : { 0600, 0640 }) {
        SCOPED_TRACE(testing::Message() << "mode " << std::oct << mode);
        RecordRun(file, L"Оля", L"Запуск", L"первый");
        WriteBytes(copy, "");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_EQ(::chmod(copy.c_str(), mode), 0);
        auto report = IMReport::Open(Wide(file), L"Оля");
        ASSERT_TRUE(report);
        report->AddRow(L"Запуск", L"второй", L"String");
        ASSERT_TRUE(report->Save(L""));
        ASSERT_TRUE(report->Save(Wide(copy)));
        struct stat saved, copied;
        ASSERT_EQ(::stat(file.c_str(), &saved), 0);
        ASSERT_EQ(::stat(copy.c_str(), &copied), 0);
        EXPECT_EQ(saved.st_mode & 07777, mode);
        EXPECT_EQ(copied.st_mode & 07777, mode) << "saved under another name over a stored file";
    }
}

} // namespace
