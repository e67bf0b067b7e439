// Placing glyphs: one row, wrapping inside the view's width and the two line breaks.
#include "tests/engine/text/view/text_view_fixture.h"

namespace {

TEST_F(TextViewTest, OneRowPlacesGlyphsSideBySideWithLineBreaksAsThinGlyphs)
{
    view_.SetText(L"ab\ncd");
    const LONG a = Width(L'a'), b = Width(L'b');
    EXPECT_EQ(view_.GetGlyphRect(1).left, a);
    EXPECT_EQ(view_.GetGlyphRect(2).left, a + b);
    EXPECT_EQ(view_.GetGlyphRect(2).right, a + b + 1);
    EXPECT_EQ(view_.GetGlyphRect(3).top, 0);
    EXPECT_EQ(view_.GetSrcRect().right, view_.GetGlyphRect(4).right);
    EXPECT_EQ(view_.GetSrcRect().bottom, 16);
    EXPECT_EQ(view_.GetLines(), std::vector<int32_t> { 0 });
}

TEST_F(TextViewTest, WrappingMovesAWholeWordAfterASpaceAndBreaksAWordLongerThanTheLine)
{
    const LONG a = Width(L'a'), space = Width(L' ');
    // "aaa aaa": the second word crosses the edge in its second letter.
    Wrap(L"aaa aaa", 4 * a + space);
    EXPECT_EQ(view_.GetLines(), (std::vector<int32_t> { 0, 4 }));
    EXPECT_EQ(view_.GetGlyphRect(4).left, 0);
    EXPECT_EQ(view_.GetGlyphRect(4).top, 16);
    EXPECT_EQ(view_.GetGlyphRect(6).left, 2 * a);

    // Eight letters in a three-letter line: each crossing letter starts the next line.
    Wrap(L"aaaaaaaa", 3 * a);
    EXPECT_EQ(view_.GetLines(), (std::vector<int32_t> { 0, 3, 6 }));
    EXPECT_EQ(view_.GetGlyphRect(7).top, 32);
    EXPECT_EQ(view_.GetSrcRect(), (RECT { 0, 0, 3 * a, 48 }));
}

TEST_F(TextViewTest, LineFeedStartsTheNextLineOneBreakWidthInAndCarriageReturnLineFeedLeavesAnEmptyLine)
{
    view_.fontSize = 20;
    Wrap(L"a\nb", 300);
    EXPECT_EQ(view_.GetGlyphRect(2).left, 1);
    EXPECT_EQ(view_.GetGlyphRect(2).top, 20) << "the taller of the line height and the glyphs";
    EXPECT_EQ(view_.GetLines(), (std::vector<int32_t> { 0, 2 }));

    Wrap(L"a\r\nb", 300);
    EXPECT_EQ(view_.GetLines(), (std::vector<int32_t> { 0, 2, 3 }));
    EXPECT_EQ(view_.GetGlyphRect(2).top, 20);
    EXPECT_EQ(view_.GetGlyphRect(3).top, 20 + 16) << "the empty line is the smallest line height";
    EXPECT_EQ(view_.GetSrcRect().bottom, 36 + 20);
}

TEST_F(TextViewTest, WrappingKeepsLineBreaksAtTheEdgeLeavesNoEmptyLineAndCoversTheLastLine)
{
    const LONG a = Width(L'a');
    Wrap(L"aa\nb", 2 * a);
    EXPECT_EQ(view_.GetLines(), (std::vector<int32_t> { 0, 3 })) << "a line break exactly at the edge";
    EXPECT_EQ(view_.GetGlyphRect(3), (RECT { 1, 16, 1 + Width(L'b'), 32 }));

    Wrap(L"Ш", 3);
    EXPECT_EQ(view_.GetGlyphRect(0).top, 0) << "a first glyph wider than the line stays on it";

    // The last letter crosses the edge and takes its word along; nothing follows on the new line.
    view_.fontSize = 24;
    const LONG a24 = Width(L'a');
    Wrap(L"aa aa", 3 * a24 + Width(L' '));
    EXPECT_EQ(view_.GetGlyphRect(3), (RECT { 0, 24, a24, 48 }));
    EXPECT_EQ(view_.GetSrcRect().bottom, 48);
}

TEST_F(TextViewTest, LayoutFromAnyGlyphGivesTheSameResultAsFromTheStart)
{
    const LONG a = Width(L'a');
    Wrap(L"aa aa", 5 * a);
    view_.Insert(5, L"aa");
    std::vector<RECT> incremental;
    for (int32_t i = 0; i < view_.GetGlyphCount(); ++i)
        incremental.push_back(view_.GetGlyphRect(i));
    const std::vector<int32_t> lines = view_.GetLines();
    view_.Layout(0);
    for (int32_t i = 0; i < view_.GetGlyphCount(); ++i)
        EXPECT_EQ(view_.GetGlyphRect(i), incremental[size_t(i)]) << i;
    EXPECT_EQ(view_.GetLines(), lines);
    EXPECT_EQ(view_.GetGlyphRect(3).left, 0) << "the grown word moved whole";
}

} // namespace
