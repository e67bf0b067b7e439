#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "engine/views/theora_view.h"
#include "platform/testing/device_faults.h"
#include "tests/engine/views/picture_fixture.h"
#include "tests/engine/views/video/clip_fixtures.h"

namespace {

// A video view on the headless device's texture table. Every test ends with each frame texture given back.
class TheoraViewTest : public PictureTest {
protected:
    void TearDown() override
    {
        holder_.reset();
        EXPECT_TRUE(LiveFrameTextures().empty()) << "a frame texture outlived its view";
        PictureTest::TearDown();
    }

    std::optional<IMTheoraView> holder_;
    IMTheoraView& view = holder_.emplace();

    int Shown() const { return FlatFrame(view.GetTextureId()); }
    // The frame texture of the only clip that is not shown.
    DWORD Back() const
    {
        const std::vector<DWORD> ids = LiveFrameTextures();
        return ids.at(0) == view.GetTextureId() ? ids.at(1) : ids.at(0);
    }
    static bool NothingOutsideThePictures()
    {
        for (const DWORD id : LiveFrameTextures())
            if (!NothingBelowThePicture(id))
                return false;
        return true;
    }

    // Steps through frames first … last as the frame player does and checks that each one is shown.
    void ExpectEachFrameShown(int first, int last)
    {
        for (int n = first; n <= last; ++n) {
            view.SetFrame(n);
            EXPECT_EQ(Shown(), n) << "after SetFrame(" << n << ")";
            EXPECT_EQ(view.GetFrame(), n);
        }
    }

    void ExpectOpenFails(const Bytes& clip, const std::string& message)
    {
        try {
            view.Open(clip.data(), clip.size());
            ADD_FAILURE() << "opened a clip that should fail with " << message;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_EQ(view.GetEnd(), -1);
        const DWORD before = view.GetTextureId();
        view.SetFrame(1); // neither hangs nor shows anything
        EXPECT_EQ(view.GetTextureId(), before);
        EXPECT_TRUE(NothingOutsideThePictures());
    }
};

TEST_F(TheoraViewTest, OpenPreparesFrameZeroBehindABlackTexture)
{
    const Bytes clip = FlatClip(3).Bytes();
    view.Open(clip.data(), clip.size());

    const std::vector<DWORD> ids = LiveFrameTextures();
    ASSERT_EQ(ids.size(), 2u);
    const IMTexture* shown = rm_->GetTextureRecord(ids[0]);
    // The number counts the clips the process has opened: 0 for its first, checked in a child that runs this test
    // alone, since earlier tests of this process may have opened clips.
    ASSERT_TRUE(shown->name.starts_with(L"IMTheoraView1"));
    const std::wstring number = shown->name.substr(13);
    EXPECT_EQ(rm_->GetTextureRecord(ids[1])->name, L"IMTheoraView2" + number);
    EXPECT_EXIT(std::exit(number == L"0" ? 0 : 1), testing::ExitedWithCode(0), "") << "the first clip of a process";
    EXPECT_EQ(shown->image_rect.right, 320);
    EXPECT_EQ(shown->image_rect.bottom, 240);
    EXPECT_EQ(shown->texture_width, 512);
    EXPECT_EQ(shown->texture_height, 256);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(shown->texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(view.GetTextureId(), ids[0]);
    EXPECT_EQ(TexturePixel(ids[0], 160, 120), 0u);
    EXPECT_EQ(FlatFrame(ids[1]), 0);
    // The view's own reference on each, and the shown one's for its texture-view part.
    EXPECT_EQ(Refs(L"IMTheoraView1" + number), 2);
    EXPECT_EQ(Refs(L"IMTheoraView2" + number), 1);
    const RECT src = view.GetSrcRect();
    EXPECT_EQ(src.right, 320);
    EXPECT_EQ(src.bottom, 240);
    EXPECT_EQ(view.GetFrame(), 0);
    EXPECT_EQ(view.GetEnd(), IMTheoraView::kWholeClip);
}

TEST_F(TheoraViewTest, EachClipOpenedNamesItsTexturesWithTheNextNumber)
{
    const Bytes clip = FlatClip(1).Bytes();
    view.Open(clip.data(), clip.size());
    IMTheoraView second;
    second.Open(clip.data(), clip.size());
    ASSERT_EQ(LiveFrameTextures().size(), 4u);
    const std::wstring first_name = rm_->GetTextureRecord(view.GetTextureId())->name;
    ASSERT_TRUE(first_name.starts_with(L"IMTheoraView1"));
    const std::wstring number = first_name.substr(13);
    const std::wstring next = std::to_wstring(std::stoi(number) + 1);
    EXPECT_EQ(Refs(L"IMTheoraView2" + number), 1);
    EXPECT_EQ(rm_->GetTextureRecord(second.GetTextureId())->name, L"IMTheoraView1" + next);
    EXPECT_EQ(Refs(L"IMTheoraView2" + next), 1);
}

TEST_F(TheoraViewTest, StepByStepShowsEveryFrameAndEndsAtTheLast)
{
    const int frames = 8;
    const Bytes clip = FlatClip(frames).Bytes();
    view.Open(clip.data(), clip.size());
    ExpectEachFrameShown(0, frames - 1);
    EXPECT_EQ(view.GetEnd(), frames - 1);
    EXPECT_EQ(LiveFrameTextures().size(), 2u);
}

TEST_F(TheoraViewTest, ClipsOfOneFrameOrNoneOpen)
{
    const Bytes single = FlatClip(1).Bytes();
    view.Open(single.data(), single.size());
    view.SetFrame(0);
    EXPECT_EQ(Shown(), 0);
    EXPECT_EQ(view.GetEnd(), 0);

    const TheoraClip headers_only = FlatClip(0);
    ASSERT_EQ(headers_only.pages.size(), static_cast<size_t>(headers_only.header_pages));
    const Bytes empty = headers_only.Bytes();
    IMTheoraView second;
    second.Open(empty.data(), empty.size());
    EXPECT_EQ(second.GetEnd(), 0);
    EXPECT_EQ(second.GetFrame(), 0);
}

TEST_F(TheoraViewTest, ClipLongerThanOneFeedPlaysWhole)
{
    const int frames = 6;
    const TheoraClip noisy = NoisyClip(frames);
    const Bytes clip = noisy.Bytes();
    ASSERT_GT(clip.size(), 4 * 8192u);
    view.Open(clip.data(), clip.size());
    ExpectEachFrameShown(0, frames - 1);
    EXPECT_EQ(view.GetEnd(), frames - 1);
}

TEST_F(TheoraViewTest, UnderThePlayerTheFirstCallShowsFrameZero)
{
    const Bytes clip = FlatClip(4).Bytes();
    view.Open(clip.data(), clip.size());
    view.SetFrame(1);
    EXPECT_EQ(Shown(), 0);
    view.SetFrame(2);
    EXPECT_EQ(Shown(), 2);
    view.SetFrame(3);
    EXPECT_EQ(Shown(), 3);
}

TEST_F(TheoraViewTest, GoingBackRewindsAndPlaysTheClipAgain)
{
    const int frames = 5;
    const Bytes clip = FlatClip(frames).Bytes();
    view.Open(clip.data(), clip.size());
    for (int n = 0; n < frames; ++n)
        view.SetFrame(n);
    ASSERT_EQ(view.GetEnd(), frames - 1);
    const std::vector<DWORD> ids = LiveFrameTextures();

    for (int round = 0; round < 2; ++round) {
        view.SetFrame(0); // shows what the previous call prepared, then decodes again from the headers
        ExpectEachFrameShown(1, frames - 1);
    }
    EXPECT_EQ(view.GetEnd(), frames - 1);
    EXPECT_EQ(LiveFrameTextures(), ids);
}

TEST_F(TheoraViewTest, EndSetByTheOwnerStopsDecoding)
{
    const Bytes clip = FlatClip(8).Bytes();
    view.Open(clip.data(), clip.size());
    view.SetEnd(3);
    ExpectEachFrameShown(0, 3);
    EXPECT_EQ(FlatFrame(Back()), 2) << "nothing past the end is converted";
    EXPECT_EQ(view.GetEnd(), 3);

    view.SetStart(-5);
    view.SetEnd(1000);
    EXPECT_EQ(view.GetStart(), -5);
    EXPECT_EQ(view.GetEnd(), 1000);
}

TEST_F(TheoraViewTest, LostDeviceSkipsConversionButCountsTheFrame)
{
    const Bytes clip = FlatClip(5).Bytes();
    view.Open(clip.data(), clip.size());
    view.SetFrame(0);
    platform::headless::SimulateDeviceLoss();
    view.SetFrame(1);
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(FlatFrame(Back()), 0) << "frame 2 was not converted";
    ASSERT_TRUE(rm_->ResetDevice());
    view.SetFrame(2);
    EXPECT_EQ(TexturePixel(view.GetTextureId(), 160, 120), 0u) << "it comes back from its zero-filled copy";
    view.SetFrame(3);
    EXPECT_EQ(Shown(), 3);
}

TEST_F(TheoraViewTest, TheoraBehindAVorbisStreamStillPlays)
{
    const int frames = 5;
    const Bytes clip = VorbisFirst(FlatClip(frames));
    view.Open(clip.data(), clip.size());
    ExpectEachFrameShown(0, frames - 1);
    EXPECT_EQ(view.GetEnd(), frames - 1);
}

TEST_F(TheoraViewTest, ClipsThatCannotBeOpenedFailWithTheirReason)
{
    const TheoraClip good = FlatClip(4);
    const Bytes bytes = good.Bytes();

    ExpectOpenFails(Bytes(5000, 0x5A), "eof searched, terminate...");
    ExpectOpenFails(Bytes(), "eof searched, terminate...");
    ExpectOpenFails(Bytes(bytes.begin(), bytes.begin() + good.pages[0].size()), "eof searched, terminate...");

    const size_t inside_headers = good.pages[0].size() + good.pages[1].size();
    ExpectOpenFails(Bytes(bytes.begin(), bytes.begin() + inside_headers), "eof searched. terminate...");

    // The comment header's packet type byte no longer names a comment.
    ExpectOpenFails(WithPatchedPage(good, 1, 0, [](uint8_t) -> uint8_t { return 0x85; }),
        "error during theora_decode_header (corrupt stream)");

    // The identification header claims a frame over 65000 macroblocks wide or high.
    for (const size_t byte : { 10, 12 })
        ExpectOpenFails(WithPatchedPage(good, 0, byte, [](uint8_t) -> uint8_t { return 0xFF; }),
            "error during theora_decode_header (corrupt stream)");

    platform::headless::SetTextureBudget(platform::headless::TextureBytesInUse());
    ExpectOpenFails(bytes, "the frame textures cannot be created");
    platform::headless::ResetDeviceFaults();

    // The first frame's packet claims to be a header.
    ExpectOpenFails(WithPatchedPage(good, good.header_pages, 0, [](uint8_t b) -> uint8_t { return b | 0x80; }),
        "error during theora_decode_packetin...");
    EXPECT_EQ(LiveFrameTextures().size(), 2u) << "only the textures of the last attempt are held";
}

TEST_F(TheoraViewTest, FailedPlayedAndReopenedViewsGiveBackTheirTextures)
{
    const TheoraClip good = FlatClip(3);
    const Bytes bytes = good.Bytes();
    {
        IMTheoraView failed;
        const Bytes bad = WithPatchedPage(good, good.header_pages, 0, [](uint8_t b) -> uint8_t { return b | 0x80; });
        EXPECT_THROW(failed.Open(bad.data(), bad.size()), std::runtime_error);
        IMTheoraView played;
        played.Open(bytes.data(), bytes.size());
        for (int n = 0; n < 5; ++n)
            played.SetFrame(n % 3);
        const std::wstring shown = rm_->GetTextureRecord(played.GetTextureId())->name;
        const std::wstring back = (shown[12] == L'1' ? L"IMTheoraView2" : L"IMTheoraView1") + shown.substr(13);
        EXPECT_EQ(Refs(shown), 2);
        EXPECT_EQ(Refs(back), 1);
        IMTheoraView never_opened;
        never_opened.SetFrame(1);
        EXPECT_EQ(LiveFrameTextures().size(), 4u);
    }
    EXPECT_TRUE(LiveFrameTextures().empty());

    // Opening again gives back the first clip's textures, also the one still shown.
    view.Open(bytes.data(), bytes.size());
    view.SetFrame(0);
    view.Open(bytes.data(), bytes.size());
    EXPECT_EQ(LiveFrameTextures().size(), 2u);
    ExpectEachFrameShown(0, 2);
}

TEST_F(TheoraViewTest, BadFrameInTheMiddleEndsTheClipThere)
{
    const TheoraClip good = FlatClip(6);
    const Bytes clip = WithPatchedPage(good, good.header_pages + 3, 0, [](uint8_t b) -> uint8_t { return b | 0x80; });
    view.Open(clip.data(), clip.size());
    view.SetFrame(0);
    view.SetFrame(1);
    try {
        view.SetFrame(2);
        ADD_FAILURE() << "the bad frame decoded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "error during theora_decode_packetin...");
    }
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(view.GetEnd(), 2);
    view.SetFrame(3); // the view is still ready; the player stops here since the frame passed the end
}

TEST_F(TheoraViewTest, TruncatedClipPlaysTheFramesItHolds)
{
    const TheoraClip good = FlatClip(6);
    Bytes clip = good.Bytes();
    size_t keep = 0;
    for (int i = 0; i < good.header_pages + 4; ++i)
        keep += good.pages[i].size();
    clip.resize(keep + good.pages[good.header_pages + 4].size() / 2);
    view.Open(clip.data(), clip.size());
    ExpectEachFrameShown(0, 3);
    EXPECT_EQ(view.GetEnd(), 3);
}

// The coded frame (272 × 256) is wider than the texture (256 × 256) and taller than the picture (240 rows):
// what does not fit would land in the rows below the picture.
TEST_F(TheoraViewTest, CodedFrameLargerThanTheTextureStaysInside)
{
    TheoraClipFormat offset;
    offset.width = 250;
    offset.height = 240;
    offset.picture_x = 16;
    offset.picture_y = 16;
    const Bytes clip = FlatClip(2, offset).Bytes();
    view.Open(clip.data(), clip.size());
    view.SetFrame(0);
    view.SetFrame(1);
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(rm_->GetTextureRecord(view.GetTextureId())->texture_width, 256);
    EXPECT_TRUE(NothingOutsideThePictures());
}

TEST_F(TheoraViewTest, FramesNarrowerThanOneBlockConvertIntoTheirTexture)
{
    TheoraClipFormat tiny;
    tiny.width = 8;
    tiny.height = 6;
    const Bytes clip = FlatClip(3, tiny).Bytes();
    view.Open(clip.data(), clip.size());
    for (int n = 0; n < 3; ++n) {
        view.SetFrame(n);
        const int expected = GreyOf(FlatLevel(n));
        for (int x = 0; x < 8; ++x)
            EXPECT_NEAR(static_cast<int>(TexturePixel(view.GetTextureId(), x, 5) & 0xFF), expected, 5);
    }
    EXPECT_TRUE(NothingOutsideThePictures());
}

} // namespace

namespace {
TEST_F(TheoraViewTest, DamagedClipsFailOrPlayButNeverCrash)
{
    const TheoraClip good = NoisyClip(4, TheoraClipFormat { 64, 48 });
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        TheoraClip damaged = good;
        OggPageBytes& page = damaged.pages[random() % damaged.pages.size()];
        const size_t header_len = 27 + page[26];
        for (int hits = 0; hits < 3; ++hits)
            page[header_len + random() % (page.size() - header_len)] = static_cast<uint8_t>(random());
        SetPageChecksum(page);
        const Bytes bytes = damaged.Bytes();
        {
            IMTheoraView damaged_view;
            try {
                damaged_view.Open(bytes.data(), bytes.size());
                for (int n = 0; n < 6; ++n)
                    damaged_view.SetFrame(n);
            } catch (const std::runtime_error&) {
            }
            ASSERT_TRUE(NothingOutsideThePictures()) << "round " << round;
        }
        ASSERT_TRUE(LiveFrameTextures().empty()) << "round " << round;
    }
}
} // namespace
