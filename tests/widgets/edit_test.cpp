#include <string>

#include "engine/text/create_text.h"
#include "tests/widgets/widget_fixture.h"
#include "widgets/edit_bar.h"

namespace {

constexpr RECT kBarRect { 100, 100, 400, 124 };

// An edit bar in the main window, used with the keyboard after a click has given it the focus.
class EditBarTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        bar_ = new IMEditBar(window_);
        bar_->SetRect(kBarRect);
        edit_ = bar_->GetEdit();
        RunFor(1);
    }
    void Focus()
    {
        ClickAt(kBarRect.left + 150, kBarRect.top + 10);
        RunFor(1);
    }
    // The caret picture in the bar's coordinates.
    RECT Caret() const { return edit_->GetCaretPicture()->GetRect(); }

    IMEditBar* bar_ = nullptr;
    IMTextEdit* edit_ = nullptr;
};

TEST_F(EditBarTest, TypingInsertsAtTheCaretAndControlKeysTypeNothing)
{
    Focus();
    ASSERT_TRUE(edit_->IsFocused());
    input_.Type(L"Маша");
    Key(VK_LEFT, 2);
    input_.Type(L"ё");
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"Маёша");
    EXPECT_EQ(edit_->GetCaretPos(), 3);
    const RECT glyph = edit_->GetGlyphRect(2);
    EXPECT_EQ(Caret().left, edit_->GetRect().left + glyph.right);
    EXPECT_EQ(Caret().bottom - Caret().top, glyph.bottom - glyph.top);

    input_.Type(L"\t\r\x1b");
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"Маёша");
    EXPECT_EQ(edit_->GetCaretPos(), 3);

    // Ctrl+letters type their control characters; a character beyond U+FFFF is one character.
    input_.SetModifier(platform::Modifier::Ctrl, true);
    Key('B');
    input_.SetModifier(platform::Modifier::Ctrl, false);
    input_.Type(L"\U0001F438");
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"Маё\x02\U0001F438ша");
    EXPECT_EQ(edit_->GetCaretPos(), 5);
    input_.Type(L"\b\b");
    Key(VK_DELETE);
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"Маёа");

    // Backspace at the start, Delete at the end, and Up and Down in one line change nothing.
    Key(VK_LEFT, 5);
    input_.Type(L"\b");
    Key(VK_RIGHT, 5);
    for (UINT vk : { VK_DELETE, VK_UP, VK_DOWN })
        Key(vk);
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"Маёа");
    EXPECT_EQ(edit_->GetCaretPos(), 4);

    // A text replaced from outside keeps the caret inside it, so typing goes on.
    edit_->SetText(L"");
    input_.Type(L"я");
    RunFor(1);
    EXPECT_EQ(bar_->GetText(), L"я");
}

TEST_F(EditBarTest, CaretTakesTheHeightOfItsGlyphOrOfASpace)
{
    // Empty: at the edit's top-left corner, as tall as a space in the edit's font.
    auto* space = CreateText(window_, 0, 500, L" ");
    const RECT edit = edit_->GetRect();
    EXPECT_EQ(Caret().left, edit.left);
    EXPECT_EQ(Caret().top, edit.top);
    EXPECT_EQ(Caret().right - Caret().left, 1);
    EXPECT_EQ(Caret().bottom - Caret().top, space->GetGlyphRect(0).bottom);
    EXPECT_GT(Caret().bottom - Caret().top, 0);

    // A bigger first glyph: before it the caret takes its height, after it too, at its right edge.
    Focus();
    edit_->SetFontSize(30);
    input_.Type(L"Щ");
    Key(VK_LEFT);
    RunFor(1);
    const RECT glyph = edit_->GetGlyphRect(0);
    EXPECT_EQ(Caret().left, edit.left);
    EXPECT_EQ(Caret().bottom - Caret().top, glyph.bottom - glyph.top);
    EXPECT_GT(glyph.bottom - glyph.top, space->GetGlyphRect(0).bottom);
}

TEST_F(EditBarTest, TextShiftsSoTheCaretStaysInsideTheField)
{
    Focus();
    const std::wstring long_name(60, L'Ш');
    input_.Type(long_name);
    RunFor(20);
    const LONG width = kBarRect.right - kBarRect.left;
    EXPECT_EQ(Caret().right, width - 3);
    EXPECT_LT(edit_->GetRect().left, 0);
    // The caret is drawn inside the frame, on the white background, with the last letter left of it.
    EXPECT_EQ(Pixel(kBarRect.right - 4, kBarRect.top + 10), kBlackPixel);
    EXPECT_EQ(Pixel(kBarRect.right - 1, kBarRect.top + 10), kBlackPixel);
    EXPECT_EQ(Pixel(kBarRect.right - 2, kBarRect.top + 10), kWhite);

    Key(VK_LEFT, 60);
    RunFor(20);
    EXPECT_EQ(edit_->GetCaretPos(), 0);
    EXPECT_EQ(Caret().left, 2);
    EXPECT_EQ(bar_->GetText(), long_name);
}

TEST_F(EditBarTest, CaretBlinksOnlyWhileFocused)
{
    const RECT caret = Caret();
    const int x = kBarRect.left + caret.left;
    const int y = kBarRect.top + caret.top + 5;
    std::string seen;
    auto sample = [&] { seen += Pixel(x, y) == kBlackPixel ? '|' : '.'; };
    // The blink timer runs from the bar's making: 500, 1000, 1500 ... ms.
    for (DWORD t : { 250, 750 })
        input_.At(t, sample);
    input_.At(900, [&] { ClickAt(kBarRect.left + 150, kBarRect.top + 10); });
    for (DWORD t : { 950, 1250, 1750, 2250, 2750 })
        input_.At(t, sample);
    // Another field takes the focus.
    auto* other = new IMEditBar(window_);
    other->SetRect(RECT { 100, 200, 400, 224 });
    input_.At(2800, [&] { ClickAt(150, 210); });
    for (DWORD t : { 2850, 3250, 3750 })
        input_.At(t, sample);
    RunFor(3800);
    EXPECT_EQ(seen, "..|.|.|...");

    // The blink timer goes with its edit.
    EXPECT_EQ(ArmedTimers(), (std::vector<DWORD> { edit_->GetBlinkTimer(), other->GetEdit()->GetBlinkTimer() }));
    bar_->Close();
    other->Close();
    RunFor(2);
    EXPECT_TRUE(ArmedTimers().empty());
}

// Up and Down aim at the column remembered from the last Left or Right, by the line starts of a wrapped text.
TEST_F(WidgetTest, UpAndDownKeepTheRememberedColumn)
{
    auto* edit = new IMTextEdit(window_);
    edit->SetRect(RECT { 100, 300, 300, 400 });
    edit->wordWrap = true;
    edit->SetText(L"abcdef\nab\nabcd");
    RunFor(1);
    ASSERT_EQ(edit->GetLines(), (std::vector<int32_t> { 0, 7, 10 }));
    ClickAt(105, 305);
    Key(VK_RIGHT, 5);
    std::vector<int32_t> carets;
    auto press = [&](UINT vk) {
        Key(vk);
        RunFor(1);
        carets.push_back(edit->GetCaretPos());
    };
    for (UINT vk : { VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_UP })
        press(vk);
    // Column 5: the short middle line stops at its end; Down stops on the last character.
    EXPECT_EQ(carets, (std::vector<int32_t> { 9, 13, 9, 5, 5 }));

    carets.clear();
    Key(VK_LEFT, 2);
    for (UINT vk : { VK_DOWN, VK_DOWN, VK_UP, VK_UP })
        press(vk);
    // Column 3 lands exactly on the start of the last line: Down keeps it, Up from there moves back by one.
    EXPECT_EQ(carets, (std::vector<int32_t> { 10, 10, 9, 3 }));
}

} // namespace
