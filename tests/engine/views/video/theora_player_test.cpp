#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/controls/animation_base.h"
#include "engine/controls/dialog_base.h"
#include "engine/controls/picture_factories.h"
#include "engine/views/theora_view.h"
#include "platform/testing/debug_capture.h"
#include "platform/testing/device_faults.h"
#include "platform/testing/test_clock.h"
#include "tests/engine/views/picture_fixture.h"
#include "tests/engine/views/video/clip_fixtures.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Clip = IMAnimationBase<IMTheoraView>;

constexpr int32_t kClipPeriod = 5000; // 1/12 s, the clips' own rate
constexpr uint32_t kBackdrop = 0x3366CCu;

// What the presented frame shows inside the clip's rectangle, besides frame k of a flat clip.
constexpr int kBlack = -1;
constexpr int kBackdropShows = -2;
constexpr int kSomethingElse = -3;

// A clip control in a full-screen dialog over a backdrop picture, paced by the test clock at the clip's period;
// each pass of the frame loop draws the dialog and presents it through the headless device.
class TheoraPlayerTest : public PictureTest {
protected:
    void SetUp() override
    {
        PictureTest::SetUp();
        Picture(L"backdrop", 800, 600, kBackdrop);
        root_ = CreateDialog(nullptr, 0, 800, 0, 600, 0);
        CreatePicture(root_, 0, 0, L"backdrop");
        clip_ = new Clip(root_);
        clip_->SetPeriod(kClipPeriod);
        Clip::ConnectFinished(clip_, [this](const IMEvent&) {
            finished_at_.push_back(pass_);
            return 0L;
        });
    }
    void TearDown() override
    {
        delete root_;
        EXPECT_TRUE(LiveFrameTextures().empty()) << "a frame texture outlived its clip";
        PictureTest::TearDown();
    }

    // Opens the clip and places it as the praise shows it: 320 × 200 at (230, 176).
    void Open(const Bytes& bytes)
    {
        clip_->Open(bytes.data(), bytes.size());
        clip_->SetPos(230, 176);
        clip_->SetSize(320, 200);
    }
    // Passes of the frame loop, one a period apart from Play on; passes while the device is lost frame but
    // draw nothing, as the message loop does. Notes what each drawn pass presents.
    void Run(int passes, bool draw = true)
    {
        for (int k = 0; k < passes; ++k, ++pass_) {
            clock_.AdvanceTicks(pass_ * kClipPeriod - clock_.Ticks());
            root_->OnFrame(IMEvent(root_, IMEV_FRAME));
            if (draw)
                presented_.push_back(Draw());
        }
    }
    int Draw()
    {
        IDirect3DDevice9* device = rm_->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        root_->OnDraw(IMEvent(root_, IMEV_DRAW));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        return Presented(presenter_.Pixel(390, 276));
    }
    static int Presented(uint32_t pixel)
    {
        const uint32_t rgb = pixel & 0xFFFFFFu;
        if (rgb == kBackdrop)
            return kBackdropShows;
        if (rgb == 0)
            return kBlack;
        const int b = rgb & 0xFF, g = (rgb >> 8) & 0xFF, r = (rgb >> 16) & 0xFF;
        for (int k = 0; k < 11; ++k) {
            const int grey = GreyOf(FlatLevel(k));
            if (std::abs(b - grey) <= 5 && std::abs(g - grey) <= 5 && std::abs(r - grey) <= 5)
                return k;
        }
        return kSomethingElse;
    }

    platform::TestClock clock_ { 60000 }; // one tick per period unit
    IMDialog* root_ = nullptr;
    Clip* clip_ = nullptr;
    int pass_ = 0;
    std::vector<int> presented_;
    std::vector<int> finished_at_;
};

// The player's first call is SetFrame(1), which shows frame 0 prepared by Open; frame 1 is decoded behind it
// and never shown. Until then the first texture, zero-filled, shows black.
TEST_F(TheoraPlayerTest, ClipPlaysAtItsPeriodAndFinishesOnceAfterItsLastFrame)
{
    Open(FlatClip(6).Bytes());
    root_->OnFrame(IMEvent(root_, IMEV_FRAME)); // the clip joins the dialog
    clip_->Play();
    Run(6);
    EXPECT_EQ(presented_, (std::vector<int> { kBlack, 0, 2, 3, 4, 5 }));
    EXPECT_EQ(clip_->GetEnd(), 5);
    EXPECT_TRUE(finished_at_.empty());

    clock_.AdvanceTicks(6 * kClipPeriod - 1 - clock_.Ticks());
    root_->OnFrame(IMEvent(root_, IMEV_FRAME));
    EXPECT_TRUE(finished_at_.empty()) << "the last frame keeps its whole period";
    Run(3);
    EXPECT_EQ(finished_at_, (std::vector<int> { 6 }));
    EXPECT_EQ(presented_.back(), 5);
    EXPECT_FALSE(clip_->IsPlaying());
}

TEST_F(TheoraPlayerTest, ClipThatCannotBeDecodedEndsForItsOwnerWithoutACrash)
{
    // Its owner catches the failed Open and closes the clip at once; the frame loop goes on without it.
    const Bytes garbage(6000, 0x5A);
    bool ended = false;
    try {
        Open(garbage);
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "eof searched, terminate...");
        clip_->Close();
        ended = true;
    }
    ASSERT_TRUE(ended);
    Run(2);
    EXPECT_EQ(presented_, (std::vector<int> { kBackdropShows, kBackdropShows }));
    EXPECT_TRUE(LiveFrameTextures().empty());
    EXPECT_TRUE(root_->LiveChildren().size() == 1) << "only the backdrop is left";
}

TEST_F(TheoraPlayerTest, FrameThatCannotBeDecodedFinishesTheRunThere)
{
    const TheoraClip good = FlatClip(6);
    Open(WithPatchedPage(good, good.header_pages + 3, 0, [](uint8_t b) -> uint8_t { return b | 0x80; }));
    platform::DebugCapture trace;
    root_->OnFrame(IMEvent(root_, IMEV_FRAME));
    clip_->Play();
    Run(5);
    EXPECT_EQ(finished_at_, (std::vector<int> { 2 })) << "frame 3 is the damaged one, prepared at pass 2";
    EXPECT_EQ(presented_, (std::vector<int> { kBlack, 0, 2, 2, 2 }));
    EXPECT_NE(trace.Text().find(L"error during theora_decode_packetin..."), std::wstring::npos);
}

// While the device is lost the frames are counted but not converted. Afterwards both frame textures come back
// from their zero-filled copies in the picture format, whose alpha byte counts: the converted frames carry alpha
// 0, so the backdrop shows through the clip until it ends.
TEST_F(TheoraPlayerTest, AfterADeviceLossTheClipPlaysOnTransparentAndStillFinishes)
{
    Open(FlatClip(8).Bytes());
    root_->OnFrame(IMEvent(root_, IMEV_FRAME));
    clip_->Play();
    Run(3);
    platform::headless::SimulateDeviceLoss();
    Run(1, false);
    ASSERT_TRUE(rm_->ResetDevice());
    Run(6);
    EXPECT_EQ(presented_,
        (std::vector<int> { kBlack, 0, 2, kBackdropShows, kBackdropShows, kBackdropShows, kBackdropShows,
            kBackdropShows, kBackdropShows }));
    EXPECT_EQ(finished_at_, (std::vector<int> { 8 }));
    for (const DWORD id : LiveFrameTextures()) {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(rm_->GetTextureRecord(id)->texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(TexturePixel(id, 160, 120) >> 24, 0u);
    }
}

} // namespace
