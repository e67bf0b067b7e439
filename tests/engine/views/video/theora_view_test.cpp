#include <random>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "engine/views/theora_view.h"
#include "tests/engine/views/video/clip_fixtures.h"

namespace {

class TheoraViewTest : public ::testing::Test {
protected:
    MemoryFrameTextures textures;
    IMTheoraView view { textures.Table() };

    int Shown() const { return textures.FlatFrame(view.GetTextureId()); }

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
        EXPECT_TRUE(textures.GuardsIntact());
    }
};

TEST_F(TheoraViewTest, OpenPreparesFrameZeroBehindABlackTexture)
{
    const Bytes clip = FlatClip(3).Bytes();
    view.Open(clip.data(), clip.size());

    ASSERT_EQ(textures.textures.size(), 2u);
    EXPECT_EQ(textures.textures[0].name, L"IMTheoraView10");
    EXPECT_EQ(textures.textures[1].name, L"IMTheoraView20");
    EXPECT_EQ(textures.textures[0].width, 320);
    EXPECT_EQ(textures.textures[0].height, 240);
    EXPECT_EQ(view.GetTextureId(), 0u);
    EXPECT_EQ(textures.Pixel(0, 160, 120), 0u);
    EXPECT_EQ(textures.FlatFrame(1), 0);
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
    IMTheoraView second(textures.Table());
    second.Open(clip.data(), clip.size());
    ASSERT_EQ(textures.textures.size(), 4u);
    const std::wstring number = textures.textures[0].name.substr(13);
    const std::wstring next = std::to_wstring(std::stoi(number) + 1);
    EXPECT_EQ(textures.textures[1].name, L"IMTheoraView2" + number);
    EXPECT_EQ(textures.textures[2].name, L"IMTheoraView1" + next);
    EXPECT_EQ(textures.textures[3].name, L"IMTheoraView2" + next);
}

TEST_F(TheoraViewTest, StepByStepShowsEveryFrameAndEndsAtTheLast)
{
    const int frames = 8;
    const Bytes clip = FlatClip(frames).Bytes();
    view.Open(clip.data(), clip.size());
    ExpectEachFrameShown(0, frames - 1);
    EXPECT_EQ(view.GetEnd(), frames - 1);
    EXPECT_EQ(textures.textures.size(), 2u);
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
    IMTheoraView second(textures.Table());
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

    for (int round = 0; round < 2; ++round) {
        view.SetFrame(0); // shows what the previous call prepared, then decodes again from the headers
        ExpectEachFrameShown(1, frames - 1);
    }
    EXPECT_EQ(view.GetEnd(), frames - 1);
    EXPECT_EQ(textures.textures.size(), 2u);
    EXPECT_EQ(textures.Live(), 2);
}

TEST_F(TheoraViewTest, EndSetByTheOwnerStopsDecoding)
{
    const Bytes clip = FlatClip(8).Bytes();
    view.Open(clip.data(), clip.size());
    view.SetEnd(3);
    ExpectEachFrameShown(0, 3);
    EXPECT_EQ(textures.Writes(), 4); // frames 0 … 3; nothing past the end
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
    textures.device_lost = true;
    view.SetFrame(1);
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(textures.Writes(), 2);
    textures.device_lost = false;
    view.SetFrame(2);
    EXPECT_NE(Shown(), 2); // its frame was decoded while the device was lost
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

    // The first frame's packet claims to be a header.
    ExpectOpenFails(WithPatchedPage(good, good.header_pages, 0, [](uint8_t b) -> uint8_t { return b | 0x80; }),
        "error during theora_decode_packetin...");
    EXPECT_EQ(textures.Live(), 2) << "only the textures of the last attempt are held";
}

TEST(TheoraViewLifetime, FailedAndFinishedViewsGiveBackTheirTextures)
{
    MemoryFrameTextures textures;
    const TheoraClip good = FlatClip(3);
    {
        IMTheoraView failed(textures.Table());
        const Bytes bad = WithPatchedPage(good, good.header_pages, 0, [](uint8_t b) -> uint8_t { return b | 0x80; });
        EXPECT_THROW(failed.Open(bad.data(), bad.size()), std::runtime_error);
        IMTheoraView played(textures.Table());
        const Bytes bytes = good.Bytes();
        played.Open(bytes.data(), bytes.size());
        for (int n = 0; n < 5; ++n)
            played.SetFrame(n % 3);
        IMTheoraView never_opened(textures.Table());
        never_opened.SetFrame(1);
        EXPECT_EQ(textures.Live(), 4);
    }
    EXPECT_EQ(textures.Live(), 0);
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

TEST(TheoraViewBounds, CodedFrameLargerThanTheTextureStaysInside)
{
    MemoryFrameTextures textures;
    TheoraClipFormat offset;
    offset.width = 256;
    offset.height = 256;
    offset.picture_x = 16;
    offset.picture_y = 16;
    const Bytes clip = FlatClip(2, offset).Bytes();
    IMTheoraView view(textures.Table());
    view.Open(clip.data(), clip.size());
    view.SetFrame(0);
    view.SetFrame(1);
    EXPECT_EQ(textures.textures[0].allocated_width, 256);
    EXPECT_TRUE(textures.GuardsIntact());
}

TEST(TheoraViewBounds, FramesNarrowerThanOneBlockConvertIntoTheirTexture)
{
    MemoryFrameTextures textures;
    TheoraClipFormat tiny;
    tiny.width = 8;
    tiny.height = 8;
    const Bytes clip = FlatClip(3, tiny).Bytes();
    IMTheoraView view(textures.Table());
    view.Open(clip.data(), clip.size());
    for (int n = 0; n < 3; ++n) {
        view.SetFrame(n);
        const int expected = GreyOf(FlatLevel(n));
        for (int x = 0; x < 8; ++x)
            EXPECT_NEAR(static_cast<int>(textures.Pixel(view.GetTextureId(), x, 7) & 0xFF), expected, 5);
    }
    EXPECT_TRUE(textures.GuardsIntact());
}

} // namespace

namespace {
TEST(TheoraViewDamage, DamagedClipsFailOrPlayButNeverCrash)
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
        MemoryFrameTextures textures;
        IMTheoraView view(textures.Table());
        try {
            view.Open(bytes.data(), bytes.size());
            for (int n = 0; n < 6; ++n)
                view.SetFrame(n);
        } catch (const std::runtime_error&) {
        }
        ASSERT_TRUE(textures.GuardsIntact()) << "round " << round;
    }
}
} // namespace
