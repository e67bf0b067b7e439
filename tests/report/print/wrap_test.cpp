// Where a value too wide for its column breaks into lines, measured on a printer context with the printer's face.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "report/text_wrap.h"
#include "tests/support/own_folder.h"

namespace {

using Lines = std::vector<std::wstring>;

class WrapTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The context only measures: no document is started, so the file is never written.
        dc = CreatePdfFileDC(platform::DefaultPage(), (folder.path() / "unwritten.pdf").string());
        ASSERT_NE(dc, nullptr);
    }
    void TearDown() override { DeleteDC(dc); }

    int Width(const std::wstring& text) const { return report::TextExtent(dc, text); }
    int WidestOf(const Lines& texts) const
    {
        int widest = 0;
        for (const std::wstring& text : texts)
            widest = std::max(widest, Width(text));
        return widest;
    }

    testing_support::ScratchFolder folder;
    HDC dc = nullptr;
};

TEST_F(WrapTest, AWordTooWideForTheLineBreaksAfterItsLastHyphenThatFits)
{
    // Each text on a line as wide as its widest line expected.
    const struct {
        std::wstring text;
        Lines lines;
    } cases[] = {
        { L"Мария-Константинопольская", { L"Мария-", L"Константинопольская" } },
        { L"Анна-Мария-Константинопольская", { L"Анна-Мария-", L"Константинопольская" } },
        // The word's part up to the hyphen shares the line before it.
        { L"Анна Петрова-Рождественская", { L"Анна Петрова-", L"Рождественская" } },
        // A word that fits on a line of its own is not broken at its hyphen.
        { L"Иван Петров-Водкин", { L"Иван", L"Петров-Водкин" } },
        // Without a hyphen: as many letters as fit.
        { L"Константинопольская", { L"Константинопольск", L"ая" } },
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(testing::PrintToString(lines.front()));
        EXPECT_EQ(report::WrapText(dc, text, WidestOf(lines)), lines);
    }
}

// A value typed on several lines in a spreadsheet program: each line break ("\n", "\r\n", "\r") starts a new line,
// and each line wraps by itself.
TEST_F(WrapTest, ALineBreakStartsANewLineAndEachLineWraps)
{
    const int wide = Width(L"Старался, но торопился и ошибался");
    EXPECT_EQ(report::WrapText(dc, L"Старался,\nно торопился", wide), (Lines { L"Старался,", L"но торопился" }));
    EXPECT_EQ(report::WrapText(dc, L"Старался,\r\nно торопился", wide), (Lines { L"Старался,", L"но торопился" }));
    EXPECT_EQ(report::WrapText(dc, L"Старался,\rно торопился", wide), (Lines { L"Старался,", L"но торопился" }));
    EXPECT_EQ(
        report::WrapText(dc, L"Старался\n\nи ошибался\n", wide), (Lines { L"Старался", L"", L"и ошибался", L"" }));
    EXPECT_EQ(report::WrapText(dc, L"Молодец\r\nИван Петров-Водкин", Width(L"Петров-Водкин")),
        (Lines { L"Молодец", L"Иван", L"Петров-Водкин" }));
}

TEST_F(WrapTest, ALongWordFillsEveryLineAndLosesNoLetter)
{
    // 3 000 letters with a hyphen after every fortieth, in a column about twenty letters wide: most lines break
    // between letters, the others after a hyphen.
    const std::wstring letters = L"Константинопольская";
    std::wstring word;
    for (size_t i = 0; word.size() < 3000; ++i)
        word += i % 41 == 40 ? L'-' : letters[i % letters.size()];
    const int width = Width(letters);
    const Lines lines = report::WrapText(dc, word, width);
    ASSERT_GT(lines.size(), 100u);
    std::wstring joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        joined += lines[i];
        EXPECT_LE(Width(lines[i]), width) << "line " << i;
        if (i + 1 < lines.size() && lines[i].back() != L'-') {
            EXPECT_GT(Width(lines[i] + lines[i + 1].front()), width) << "line " << i << " could take another letter";
            EXPECT_EQ(lines[i].find(L'-', 1), std::wstring::npos) << "line " << i << " passes a hyphen that fits";
        }
    }
    EXPECT_EQ(joined, word);
}

} // namespace
