#include <string>

#include "engine/controls/picture_factories.h"
#include "tests/widgets/widget_fixture.h"
#include "widgets/list.h"

namespace {

constexpr RECT kListRect { 250, 183, 550, 283 };

// A list of eight printer names on a white page: more lines than its 98-pixel inside holds.
class ListTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        CreatePicture(window_, 0, 0, L"EditBarBackGround")->SetSize(800, 600);
        list_ = new IMList(window_);
        list_->SetRect(kListRect);
        for (int i = 1; i <= 8; ++i)
            list_->AddItem(L"Принтер №" + std::to_wstring(i));
        RunFor(2);
    }
    // A point on the text of line i, in window coordinates.
    POINT OnLine(size_t i) const
    {
        const RECT r = list_->GetItems()[i]->GetRect();
        return POINT { kListRect.left + 1 + r.left + 5, kListRect.top + 1 + (r.top + r.bottom) / 2 };
    }
    void Click(POINT p)
    {
        ClickAt(p.x, p.y);
        RunFor(2);
    }
    // Dark pixels (text) in the row y between x0 and x1.
    int DarkPixels(int y, int x0, int x1) const
    {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            n += (Pixel(x, y) & 0xFF) < 0x80;
        return n;
    }

    IMList* list_ = nullptr;
};

TEST_F(ListTest, LinesStackAClickedLineIsBandedAndLinesBelowAreClipped)
{
    const auto& items = list_->GetItems();
    const LONG height = items[0]->GetHeight();
    ASSERT_GT(height, 10);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->GetRect().top, LONG(i) * height) << i;
    EXPECT_EQ(list_->GetSelected(), nullptr);
    EXPECT_TRUE(list_->GetSelectionPicture()->IsHidden());

    Click(OnLine(2));
    ASSERT_EQ(list_->GetSelected(), items[2]);
    const RECT band = list_->GetSelectionPicture()->GetRect();
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.top, items[2]->GetRect().top);
    EXPECT_EQ(band.right, 298);
    EXPECT_EQ(band.bottom, items[2]->GetRect().bottom + 1);
    // Translucent blue over white, across the whole inside, the text still on it.
    const uint32_t tinted = Pixel(kListRect.right - 5, kListRect.top + 1 + band.top + 2);
    EXPECT_NE(tinted, kWhite);
    EXPECT_GT(tinted & 0xFF, (tinted >> 16) & 0xFF);
    EXPECT_EQ(Pixel(kListRect.right - 5, kListRect.top + 1 + items[1]->GetRect().top + 2), kWhite);
    EXPECT_GT(DarkPixels(OnLine(2).y, kListRect.left, kListRect.right), 0);

    // Clicking the selected line keeps it; a click beside a line's text is on no line.
    Click(OnLine(2));
    EXPECT_EQ(list_->GetSelected(), items[2]);
    Click(POINT { kListRect.right - 5, OnLine(4).y });
    EXPECT_EQ(list_->GetSelected(), items[2]);
    Click(OnLine(0));
    EXPECT_EQ(list_->GetSelected(), items[0]);
    EXPECT_EQ(list_->GetSelectionPicture()->GetRect().top, 0);

    // Lines below the inside are clipped and out of reach.
    ASSERT_GT(items[7]->GetRect().top, 98);
    Click(OnLine(7));
    Click(OnLine(6));
    EXPECT_EQ(list_->GetSelected(), items[0]);
    // Nothing of the lower lines shows below the frame.
    for (int row = kListRect.bottom; row < kListRect.bottom + 60; ++row)
        EXPECT_EQ(DarkPixels(row, kListRect.left, kListRect.right), 0) << row;
    // The frame: black lines one pixel thick.
    EXPECT_EQ(Pixel(kListRect.left, kListRect.top + 50), kBlackPixel);
    EXPECT_EQ(Pixel(kListRect.right - 1, kListRect.top + 50), kBlackPixel);
    EXPECT_EQ(Pixel(kListRect.left + 150, kListRect.bottom - 1), kBlackPixel);
}

} // namespace
