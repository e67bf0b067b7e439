// The workbook's folder removed while a pupil plays: the next Start loses none of the sheets the program held.
#include <gtest/gtest.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "tests/app/app_fixture.h"

namespace {

namespace fs = std::filesystem;
using Cells = std::vector<std::wstring>;

const std::wstring kOthers[] = { L"Аня", L"Боря", L"Вова", L"Гена", L"Даша" };

class GoneWorkbookTest : public AppTest {
protected:
    // Five pupils' runs stored, then Маша plays while the workbook's folder is removed, and returns to the start
    // screen; remove changes the folder.
    void PlayWhileTheFolderGoes(const std::function<void(const fs::path&)>& remove)
    {
        fs::create_directories(WorkbookPath().parent_path());
        for (const std::wstring& pupil : kOthers)
            RecordRun(WorkbookPath(), pupil, L"Запуск", L"0");
        StartGame(L"Маша");
        remove(WorkbookPath().parent_path());
        Press(VK_F12);
        ClickAt(362, 230);
    }
    void CloseWithButton()
    {
        Press(VK_F12);
        ClickAt(362, 290);
        RunFor(1);
    }
};

TEST_F(GoneWorkbookTest, AFolderRemovedDuringARunIsMadeAnewWithEverySheetAtTheNextStart)
{
    platform::DebugCapture capture;
    PlayWhileTheFolderGoes([](const fs::path& folder) { fs::remove_all(folder); });
    StartGame(L"Петя");
    CloseWithButton();
    EXPECT_TRUE(app_->SaveReportsAtEnd());
    EXPECT_EQ(capture.Text().find(L"Report"), std::wstring::npos) << platform::ToUtf8(capture.Text());
    for (const std::wstring& pupil : kOthers)
        EXPECT_EQ(StoredRows(pupil), (Rows { { L"Запуск", L"0" } })) << platform::ToUtf8(pupil);
    EXPECT_EQ(StoredRows(L"Маша").size(), 4u);
    EXPECT_EQ(StoredRows(L"Петя").size(), 1u);
}

// The folder's place is taken by a file, so it cannot be made again: everything the program held of the workbook
// goes into a file of its own in the data folder, in the order the runs came, one line says where, and the program
// ends with the runs not stored (the next pupil's is kept too).
TEST_F(GoneWorkbookTest, AFolderThatCannotBeMadeAnewLeavesEverySheetInAFileOfItsOwn)
{
    platform::DebugCapture capture;
    PlayWhileTheFolderGoes([](const fs::path& folder) {
        fs::remove_all(folder);
        WriteBytes(folder, "a file in the folder's place");
    });
    StartGame(L"Петя");
    CloseWithButton();
    EXPECT_FALSE(app_->SaveReportsAtEnd());

    std::vector<fs::path> kept;
    for (const fs::path& name : FilesIn(folder_))
        if (name.string().find(".unsaved-") != std::string::npos)
            kept.push_back(folder_ / name);
    ASSERT_EQ(kept.size(), 2u) << platform::ToUtf8(capture.Text());
    std::vector<std::wstring> sheets(std::begin(kOthers), std::end(kOthers));
    sheets.push_back(L"Маша");
    const auto whole = std::find_if(kept.begin(), kept.end(),
        [&](const fs::path& file) { return SheetNames(*ParseStrictly(ReadBytes(file))) == sheets; });
    ASSERT_NE(whole, kept.end());
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(*whole)), L"Маша").size(), 4u);
    size_t lines = 0;
    for (const std::wstring& line : capture.Entries())
        lines += line.find(Wide(*whole)) != std::wstring::npos;
    EXPECT_EQ(lines, 1u) << platform::ToUtf8(capture.Text());
}

} // namespace
