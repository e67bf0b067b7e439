// The start screen's texts at every size the screens use, drawn through the headless device and saved as PNG.
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "engine/controls/picture_factories.h"
#include "engine/text/create_text.h"
#include "tests/engine/controls/screen_fixture.h"
#include "tests/engine/text/screen/start_screen_texts.h"
#include "tests/support/own_folder.h"

namespace {

using Label = IMStaticPictureBase<IMTextView>;

struct Line {
    const wchar_t* text;
    int x, y, size;
    bool bold;
};

// The start screen's labels (x < 0: centred), then lines at the other sizes in its free places.
const Line kLines[] = {
    { L"мелунарий", -1, 10, 14, false },
    { L"Пестромир", -1, 35, 18, true },
    { L"ЗАДАНИЕ ВЫПОЛНЕНО", -1, 70, 24, false },
    { L"Номер ЦОР:", 30, 115, 18, true },
    { L"04271", 135, 115, 18, false },
    { L"Название:", 30, 152, 18, true },
    { L"Игра «Тумбилиада»", 135, 152, 18, false },
    { L"Описание:", 30, 188, 18, true },
    { L"Ученик:", 30, 460, 18, true },
    { L"Клавиши:", 30, 520, 18, true },
    { L"- пропустить инструкцию;", 180, 520, 16, false },
    { L"- повторить инструкцию;", 395, 520, 16, false },
    { L"- выход", 600, 520, 16, false },
    { L"Трёхмерная графика:", 30, 560, 21, false },
    { L"Пестромир", 260, 556, 25, false },
    { L"Ещё раз – всё получится!", 420, 560, 20, false },
};

class StartScreenText : public ScreenTest {
protected:
    Label* Text(IMDialog* parent, const Line& line)
    {
        Label* label = CreateText(parent, 0, line.y, line.text);
        label->SetFontSize(line.size);
        label->SetColor(kTextColour);
        if (line.bold)
            label->SetBold(true);
        label->SetRect(label->GetSrcRect());
        const LONG width = label->GetWidth();
        label->SetPos(line.x >= 0 ? line.x : 800 / 2 - width / 2, line.y);
        return label;
    }
    // The wrapped description in its clipping panel, as the start screen holds it.
    Label* Description()
    {
        IMDialog* outer = CreateDialog(root_, 119, kDescriptionWidth, 187, kDescriptionHeight, 0);
        IMDialog* inner = CreateDialog(outer, 0, kDescriptionWidth, 0, kDescriptionHeight, 0);
        Label* label = CreateText(inner, 0, 0, L"");
        label->SetFontSize(18);
        label->SetColor(kTextColour);
        label->SetRect(RECT { 0, 0, kDescriptionWidth, 415 });
        label->wordWrap = true;
        label->Layout(0);
        label->SetText(kDescription);
        label->SetRect(label->GetSrcRect());
        inner->SetRect(RECT { 0, 0, kDescriptionWidth, label->GetSrcRect().bottom });
        return label;
    }
    // Pixels inside r (screen coordinates) markedly darker than the light background.
    int Ink(const RECT& r) const
    {
        int n = 0;
        for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, 600); ++y)
            for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, 800); ++x) {
                const uint32_t p = presenter_.Pixel(int(x), int(y));
                n += ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 3 * 140;
            }
        return n;
    }
    // Every visible glyph that is not whitespace shows ink at its place; returns the characters checked.
    std::set<wchar_t> CheckInk(const Label& label, POINT at, LONG visible_bottom)
    {
        std::set<wchar_t> seen;
        for (const auto& glyph : label.Glyphs()) {
            if (glyph->ch == L' ' || glyph->ch == L'\n' || glyph->rect.bottom > visible_bottom)
                continue;
            RECT r = glyph->rect;
            OffsetRect(&r, at.x, at.y);
            EXPECT_GT(Ink(r), 0) << "no ink for U+" << std::hex << int(glyph->ch);
            seen.insert(glyph->ch);
        }
        return seen;
    }
};

TEST_F(StartScreenText, RussianTextsAtEveryScreenSizeAreDrawnWithEveryGlyph)
{
    ASSERT_EQ(kDescription.size(), 974u);
    CreatePicture(root_, 0, 0, L"DefaultBackGround")->SetRect(root_->GetRect());
    std::vector<Label*> labels;
    for (const Line& line : kLines)
        labels.push_back(Text(root_, line));
    Label* description = Description();
    // Children join at the next frame: the panels, then their own children.
    for (int pass = 0; pass < 3; ++pass)
        root_->OnFrame(IMEvent(root_, IMEV_FRAME));
    Render(0xFFFFFFFFu);
    const auto png = testing_support::PicturePath("start_screen_text");
    ASSERT_TRUE(presenter_.SavePng(png.string()));

    std::set<wchar_t> seen;
    for (const Label* label : labels)
        seen.merge(CheckInk(*label, label->GetPos(), 600));
    seen.merge(CheckInk(*description, POINT { 119, 187 }, kDescriptionHeight));
    for (wchar_t ch : std::wstring(L"ёЦЗы«»–"))
        EXPECT_TRUE(seen.count(ch)) << "U+" << std::hex << int(ch) << " was not checked";

    EXPECT_LE(description->GetSrcRect().right, kDescriptionWidth);
    EXPECT_GT(description->GetSrcRect().bottom, kDescriptionHeight) << "the description needs scrolling";
    EXPECT_EQ(Ink(RECT { 119, 187 + kDescriptionHeight, 119 + kDescriptionWidth, 187 + kDescriptionHeight + 20 }), 0)
        << "nothing drawn below the panel";
}

} // namespace
