#include "engine/controls/picture_factories.h"
#include "tests/engine/views/picture_fixture.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using IMButton = IMButtonBase<IMStateView>;

// A "CloseButton" made by the factory at (10, 80) in a root dialog, driven by mouse messages to the root.
class ButtonTest : public PictureTest {
protected:
    void SetUp() override
    {
        PictureTest::SetUp();
        Picture(L"CloseButton", 40, 20);
        Picture(L"CloseButtonNuv", 40, 20);
        Picture(L"CloseButtonKlick", 40, 20);
        root_ = std::make_unique<IMDialog>(nullptr, nullptr, 0);
        button_
            = CreateButton(root_.get(), 10, 80, L"CloseButton", L"CloseButton", L"CloseButtonNuv", L"CloseButtonKlick");
        root_->OnFrame(IMEvent(root_.get(), IMEV_FRAME));
        IMControl::ConnectClick(button_, [this](const IMMouseEvent&) {
            ++clicks_;
            return 0L;
        });
    }
    void TearDown() override
    {
        root_.reset();
        PictureTest::TearDown();
    }

    void Mouse(DWORD msg, WPARAM buttons, LONG x, LONG y)
    {
        root_->OnMouseMove(IMMouseEvent(nullptr, WM_MOUSEMOVE, buttons, x, y));
        if (msg != WM_MOUSEMOVE)
            root_->OnMouseButton(IMMouseEvent(nullptr, msg, buttons, x, y));
    }
    void MoveOn() { Mouse(WM_MOUSEMOVE, 0, 20, 90); }
    void MoveOff() { Mouse(WM_MOUSEMOVE, 0, 300, 300); }
    std::wstring Shown() const
    {
        const IMTexture* t = rm_->GetTextureRecord(button_->GetTextureId());
        return button_->HasTexture() && t ? t->name : L"";
    }

    std::unique_ptr<IMDialog> root_;
    IMButton* button_ = nullptr;
    int clicks_ = 0;
};

TEST_F(ButtonTest, FactoriesSizeThePictureAtItsPosition)
{
    const RECT b = button_->GetRect();
    EXPECT_EQ(b.left, 10);
    EXPECT_EQ(b.top, 80);
    EXPECT_EQ(b.right, 50);
    EXPECT_EQ(b.bottom, 100);

    Picture(L"Banner", 120, 40);
    auto* picture = CreatePicture(root_.get(), 10, 20, L"Banner", 0, 0xFF808080u);
    const RECT p = picture->GetRect();
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(p.right, 130);
    EXPECT_EQ(p.bottom, 60);
    EXPECT_EQ(picture->GetColor(), 0xFF808080u);
    EXPECT_TRUE(picture->IsDirty());
}

TEST_F(ButtonTest, PictureFollowsHoverAndPress)
{
    EXPECT_EQ(Shown(), L"CloseButton");
    MoveOn();
    EXPECT_EQ(Shown(), L"CloseButtonNuv");
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 90);
    EXPECT_EQ(Shown(), L"CloseButtonKlick");
    Mouse(WM_LBUTTONUP, 0, 20, 90);
    EXPECT_EQ(Shown(), L"CloseButtonNuv");
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 90);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 300, 300);
    EXPECT_EQ(Shown(), L"CloseButton");
}

TEST_F(ButtonTest, ClicksOnlyForPressAndReleaseOnIt)
{
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 300, 300);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 20, 90);
    Mouse(WM_LBUTTONUP, 0, 20, 90);
    EXPECT_EQ(clicks_, 0);

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 90);
    Mouse(WM_LBUTTONUP, 0, 20, 90);
    EXPECT_EQ(clicks_, 1);

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 90);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 300, 300);
    Mouse(WM_LBUTTONUP, 0, 300, 300);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(ButtonTest, DisabledPictureWinsUntilEnabledAndHiddenButtonsKeepTheirs)
{
    button_->Disable();
    MoveOn();
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 90);
    EXPECT_EQ(Shown(), L"CloseButton");
    EXPECT_EQ(button_->GetState(), IMStateView::kDisabled);
    Mouse(WM_LBUTTONUP, 0, 20, 90);
    EXPECT_EQ(clicks_, 0);
    button_->Enable();
    EXPECT_EQ(Shown(), L"CloseButtonNuv");

    button_->Hide();
    button_->Disable();
    EXPECT_EQ(button_->GetState(), IMStateView::kHover);
}

} // namespace
