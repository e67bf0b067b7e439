#include <filesystem>
#include <numbers>

#include <gtest/gtest.h>

#include "engine/controls/animation_base.h"
#include "engine/controls/picture_factories.h"
#include "engine/views/sequence_view.h"
#include "platform/testing/test_clock.h"
#include "tests/engine/controls/screen_fixture.h"
#include "tests/support/own_folder.h"

namespace {

using Animation = IMAnimationBase<IMSequenceView>;

constexpr D3DCOLOR kUntinted = 0xFFFFFFFFu;
constexpr D3DCOLOR kGreyedOut = 0xFF808080u;

// A screen of skin pictures, one button per state (each in its own panel, so each has its own hover child) and a
// running animation, drawn through the headless device.
class PictureScreen : public ScreenTest {
protected:
    IMButtonBase<IMStateView>* PanelButton(int x, const wchar_t* base)
    {
        panels_.push_back(CreateDialog(root_, x, 160, 100, 60, 0));
        const std::wstring name = base;
        return CreateButton(panels_.back(), 0, 0, name, name, name + L"Nuv", name + L"Klick");
    }
    void Mouse(IMDialog* panel, DWORD msg, WPARAM buttons)
    {
        const RECT r = panel->GetRect();
        panel->OnMouseMove(IMMouseEvent(root_, WM_MOUSEMOVE, buttons, r.left + 30, r.top + 20));
        if (msg != WM_MOUSEMOVE)
            panel->OnMouseButton(IMMouseEvent(root_, msg, buttons, r.left + 30, r.top + 20));
    }
    // Pixels of the w x h block at (ax, ay) that differ from the block at (bx, by).
    int Differing(int ax, int ay, int bx, int by, int w, int h) const
    {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += presenter_.Pixel(ax + x, ay + y) != presenter_.Pixel(bx + x, by + y);
        return n;
    }

    platform::TestClock clock_;
    std::vector<IMDialog*> panels_;
};

TEST_F(PictureScreen, PicturesButtonsAndAnAnimationReachTheFrame)
{
    CreatePicture(root_, 0, 0, L"DefaultBackGround");
    IMButtonBase<IMStateView>* normal = PanelButton(20, L"CloseButton");
    PanelButton(200, L"CloseButton");
    PanelButton(380, L"CloseButton");
    IMButtonBase<IMStateView>* disabled = PanelButton(560, L"CloseButton");
    disabled->Disable();
    disabled->SetColor(kGreyedOut);
    const wchar_t* row[] = { L"CheckBoxChecked", L"RadioButtonChecked", L"ScrollButtonUp", L"ExitButton", L"F1Button" };
    for (int i = 0; i < 5; ++i)
        CreatePicture(root_, 20 + 60 * i, 200, row[i]);
    CreatePicture(root_, 340, 200, L"EscButton", 0, kUntinted)->SetAngle(std::numbers::pi_v<float> / 4);
    CreatePicture(root_, 420, 200, L"StartPopStartButton")->SetSize(168, 94);
    CreatePicture(root_, 120, 320, L"700002");

    auto* anim = new Animation(root_);
    anim->AddFrames(L"7%1$05d", 0, 9);
    anim->SetEnd(9);
    anim->SetPos(20, 320);
    anim->SetSize(78, 78);
    root_->OnFrame(IMEvent(root_, IMEV_FRAME));

    Mouse(panels_[1], WM_MOUSEMOVE, 0);
    Mouse(panels_[2], WM_LBUTTONDOWN, MK_LBUTTON);
    Mouse(panels_[3], WM_LBUTTONDOWN, MK_LBUTTON);
    anim->Play(true);
    clock_.Advance(80);
    root_->OnFrame(IMEvent(root_, IMEV_FRAME));
    ASSERT_EQ(anim->GetFrame(), 2);
    Render();

    const auto png = testing_support::PicturePath("picture_screen");
    ASSERT_TRUE(presenter_.SavePng(png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);

    const RECT b = normal->GetRect();
    const int w = b.right - b.left;
    const int h = b.bottom - b.top;
    EXPECT_GT(Differing(20, 100, 200, 100, w, h), 0) << "hover";
    EXPECT_GT(Differing(20, 100, 380, 100, w, h), 0) << "pressed";
    EXPECT_GT(Differing(200, 100, 380, 100, w, h), 0) << "hover and pressed";
    EXPECT_EQ(Differing(20, 320, 120, 320, 78, 78), 0) << "the animation's third frame";
    for (int x = 5; x < w; x += 10) {
        const uint32_t plain = presenter_.Pixel(20 + x, 120);
        const uint32_t grey = presenter_.Pixel(560 + x, 120);
        for (int shift : { 0, 8, 16 })
            EXPECT_NEAR(int(grey >> shift & 0xFF), int(plain >> shift & 0xFF) * 0x80 / 0xFF, 1) << x;
    }
}

} // namespace
