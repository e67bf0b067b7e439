#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/screens/results.h"
#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"
#include "tests/app/screens/screen_run.h"

namespace {

using Label = IMStaticPictureBase<IMTextView>;
using Button = IMButtonBase<IMStateView>;

class ResultsScreenTest : public testing::Test {
protected:
    ResultsScreen Build(const std::wstring& pupil)
    {
        ResultsScreen screen = BuildResultsScreen(run_.Window(), { L"04271", L"Игра «Тумбилиада»", pupil });
        run_.RunFor(2);
        return screen;
    }
    static const Label* LabelWith(const ResultsScreen& screen, const std::wstring& text)
    {
        for (const Label* label : ChildrenOf<Label>(screen.dialog))
            if (label->GetText() == text)
                return label;
        return nullptr;
    }

    ScreenRun run_;
};

TEST_F(ResultsScreenTest, TextsStandWhereTheScreenPutsThemAndTheTitlesAreCentred)
{
    const ResultsScreen screen = Build(L"Маша");
    struct Place {
        std::wstring text;
        int x; // -1: centred
        int y;
        int size;
        bool bold;
    };
    const std::vector<Place> places { { L"мелунарий", -1, 10, 14, false }, { L"Пестромир", -1, 35, 18, true },
        { L"ЗАДАНИЕ ВЫПОЛНЕНО", -1, 150, 24, false }, { L"Номер ЦОР:", 30, 250, 18, true },
        { L"04271", 135, 250, 18, false }, { L"Название:", 30, 300, 18, true },
        { L"Игра «Тумбилиада»", 135, 300, 18, false }, { L"Ученик:", 30, 350, 18, true },
        { L"Маша", 135, 350, 18, false }, { L"Статистика:", 30, 465, 18, true } };
    ASSERT_EQ(ChildrenOf<Label>(screen.dialog).size(), places.size()) << "no statistic value is shown";
    for (const Place& place : places) {
        const Label* label = LabelWith(screen, place.text);
        ASSERT_NE(label, nullptr);
        const RECT r = label->GetRect();
        const int width = r.right - r.left;
        EXPECT_GT(width, 0);
        EXPECT_EQ(r.left, place.x < 0 ? 400 - width / 2 : place.x);
        EXPECT_EQ(r.top, place.y);
        EXPECT_EQ(label->fontSize, place.size);
        EXPECT_EQ(label->bold, place.bold);
        EXPECT_EQ(label->colour, 0xFF072134u);
    }
}

TEST_F(ResultsScreenTest, ButtonsTakeTheirPicturesSizesAtTheirPlaces)
{
    const ResultsScreen screen = Build(L"Маша");
    const std::vector<std::pair<Button*, RECT>> buttons { { screen.print, { 30, 490, 114, 537 } },
        { screen.save_as, { 128, 490, 276, 537 } }, { screen.retry, { 535, 490, 644, 537 } },
        { screen.close, { 660, 490, 771, 537 } }, { screen.exit, { 755, 22, 776, 43 } } };
    for (const auto& [button, rect] : buttons) {
        const RECT r = button->GetRect();
        EXPECT_TRUE(EqualRect(&r, &rect)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_TRUE(button->IsEnabled());
    }
    EXPECT_EQ(screen.retry->GetStatePicture(IMStateView::kHover), L"RetryButtonNuv");
    EXPECT_EQ(screen.exit->GetStatePicture(IMStateView::kPressed), L"ExitButton");
}

TEST_F(ResultsScreenTest, GreyedButtonShowsGreyAndIgnoresClicks)
{
    const ResultsScreen screen = Build(L"");
    int clicks = 0;
    IMControl::ConnectClick(screen.print, [&](const IMMouseEvent&) -> long { return ++clicks, 0; });
    run_.RunFor(2);
    const uint32_t before = run_.Pixel(72, 513);
    GreyOut(screen.print);
    run_.RunFor(2);
    EXPECT_FALSE(screen.print->IsEnabled());
    EXPECT_EQ(screen.print->GetState(), IMStateView::kDisabled);
    EXPECT_EQ(screen.print->GetColor(), 0xFF808080u);
    EXPECT_NE(run_.Pixel(72, 513), before);
    run_.input.MoveTo(72, 513);
    run_.input.Click();
    run_.RunFor(5);
    EXPECT_EQ(clicks, 0);
}

} // namespace
