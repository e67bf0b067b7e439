// Drawing a text view: clipped to the viewport and the view, through the drawing origin, only lines near the clip.
#include "platform/testing/device_faults.h"
#include "tests/engine/text/view/text_view_fixture.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFFu;

class TextDrawTest : public TextViewTest {
protected:
    void SetUp() override
    {
        TextViewTest::SetUp();
        device_ = rm_->GetDevice();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, kWhite, 1.0f, 0);
        view_.SetColor(0xFF000000u);
    }
    // The smallest rectangle holding every pixel that is not white.
    RECT Inked()
    {
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        RECT r { 800, 600, 0, 0 };
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if ((presenter_.Pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    r = RECT { std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                        std::max<LONG>(r.bottom, y + 1) };
        return r;
    }
    void SetViewport(const RECT& r)
    {
        const D3DVIEWPORT9 vp { DWORD(r.left), DWORD(r.top), DWORD(r.right - r.left), DWORD(r.bottom - r.top) };
        device_->SetViewport(&vp);
    }

    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(TextDrawTest, ViewPartlyOutsideTheViewportDrawsOnlyInsideItThroughTheOrigin)
{
    view_.SetText(L"ЖЖЖЖЖЖЖЖЖЖ");
    const RECT text = view_.GetSrcRect();
    // The view at (200, 95) moved by the origin (-50, 10) to (150, 105); the viewport cuts its left part and
    // its lower part.
    view_.SetRect(RECT { 200, 95, 200 + text.right, 95 + text.bottom });
    SetViewport(RECT { 180, 100, 600, 115 });
    rm_->SetOrigin(POINT { -50, 10 });
    view_.SetDirty(true);
    view_.Draw();

    const RECT inked = Inked();
    EXPECT_GE(inked.left, 180);
    EXPECT_GT(inked.right, 200);
    EXPECT_LE(inked.right, 150 + text.right);
    EXPECT_GE(inked.top, 105);
    EXPECT_EQ(inked.bottom, 115) << "ink cut at the viewport's bottom";
    EXPECT_FALSE(view_.IsDirty());
    EXPECT_EQ(rm_->GetOrigin().x, -50);
    D3DVIEWPORT9 vp;
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Height, 15u) << "the viewport is given back";

    const int draws = platform::headless::DrawCount(*device_);
    view_.SetPos(700, 590);
    view_.SetDirty(true);
    view_.Draw();
    EXPECT_EQ(platform::headless::DrawCount(*device_), draws) << "outside the viewport nothing is drawn";
    EXPECT_FALSE(view_.IsDirty());
}

TEST_F(TextDrawTest, OnlyTheLinesReachingTheClipAreSubmitted)
{
    // Ten lines of "ab"; the viewport shows part of the fourth and fifth.
    std::wstring text;
    for (int i = 0; i < 10; ++i)
        text += L"ab\n";
    Wrap(text, 300);
    view_.SetPos(0, 0);
    SetViewport(RECT { 0, 50, 300, 70 });
    view_.Draw();
    EXPECT_EQ(platform::headless::DrawCount(*device_), 2 * 3);
    const RECT inked = Inked();
    EXPECT_GE(inked.top, 50);
    EXPECT_LE(inked.bottom, 70);
    EXPECT_LT(inked.top, 64) << "the fourth line's lower part is drawn";
}

} // namespace
