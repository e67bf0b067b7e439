// The application screens' pictures, sounds and clips as the program finds them (embedded under their ids and
// names) and reads them with its own decoders; the praise clip sits in the cloud without a seam.

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/sound/sound_source.h"
#include "engine/views/theora_view.h"
#include "platform/resources/resources.h"
#include "tests/engine/resources/render/manager_fixture.h"
#include "tests/support/own_folder.h"

namespace {

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

class EmbeddedAppAssets : public ManagerTest {
protected:
    void SetUp() override
    {
        RegisterEmbeddedAssets();
        ManagerTest::SetUp();
    }

    // Registers a named blob as a texture, as the screens do before they create its picture.
    DWORD BlobTexture(const std::string& name)
    {
        const platform::Blob blob = platform::FindNamedBlob(name);
        EXPECT_TRUE(blob) << name << " is not embedded";
        return blob ? rm_->AddTextureFromMemory(Wide(name), blob.data, DWORD(blob.size)) : rm_->GetTextureCount();
    }

    SIZE ImageSize(DWORD id) const
    {
        const IMTexture* t = rm_->GetTextureRecord(id);
        return t ? SIZE { t->image_rect.right, t->image_rect.bottom } : SIZE { 0, 0 };
    }
};

bool NearGrey(uint32_t argb, int level, int tolerance)
{
    for (int shift : { 0, 8, 16 })
        if (std::abs(int((argb >> shift) & 0xFF) - level) > tolerance)
            return false;
    return true;
}

// Decodes the whole sound; seconds of it, or −1 when it stops early.
double DecodedSeconds(CSoundSource& source)
{
    std::vector<BYTE> chunk(16384);
    size_t bytes = 0;
    for (DWORD n; (n = source.ReadPcm(chunk.data(), DWORD(chunk.size()))) > 0;)
        bytes += n;
    if (bytes != size_t(source.GetTotalFrames()) * source.GetBytesPerFrame())
        return -1;
    return double(source.GetTotalFrames()) / source.GetRate();
}

TEST_F(EmbeddedAppAssets, PicturesDecodeAtTheSizesTheScreensPlaceThem)
{
    const struct {
        const char* name;
        LONG width, height;
    } pictures[]
        = { { "KEYBOARDPIC", 524, 230 }, { "MOUSE", 246, 246 }, { "KEYSPACE", 112, 14 }, { "oblako_png", 506, 350 } };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        const SIZE size = ImageSize(BlobTexture(p.name));
        EXPECT_EQ(size.cx, p.width);
        EXPECT_EQ(size.cy, p.height);
    }
    const SIZE marker = ImageSize(rm_->AddTextureFromResource(L"14467"));
    EXPECT_EQ(marker.cx, 80);
    EXPECT_EQ(marker.cy, 64);
}

TEST_F(EmbeddedAppAssets, SoundsDecodeWholeAtTheirRatesInStereo)
{
    CSoundSource instruction;
    ASSERT_TRUE(instruction.OpenResourceByName(L"14464"));
    EXPECT_EQ(instruction.GetRate(), 44100);
    EXPECT_EQ(instruction.GetChannels(), 2);
    // Its last label fires at 7.5 s, and only while it still plays.
    EXPECT_GT(DecodedSeconds(instruction), 8.0);

    const struct {
        const char* name;
        int rate;
        double shortest, longest;
    } voices[] = { { "ENDHELPSOUND", 44000, 3.0, 8.0 }, { "bravo_sound", 44100, 0.3, 2.0 },
        { "gotovo_sound", 11025, 0.3, 2.0 }, { "molodec_sound", 44100, 0.3, 2.0 },
        { "otlichno_sound", 44100, 0.3, 2.0 }, { "ura_sound", 22050, 0.3, 2.0 } };
    for (const auto& v : voices) {
        SCOPED_TRACE(v.name);
        const platform::Blob blob = platform::FindNamedBlob(v.name);
        CSoundSource source;
        ASSERT_TRUE(blob && source.OpenMemory(blob.data, DWORD(blob.size)));
        EXPECT_EQ(source.GetRate(), v.rate);
        EXPECT_EQ(source.GetChannels(), 2);
        const double seconds = DecodedSeconds(source);
        EXPECT_GE(seconds, v.shortest);
        EXPECT_LE(seconds, v.longest);
    }
}

// Every clip decodes frame by frame to its end; its middle frame is drawn over the maze in the cloud as the
// praise pop-up draws it, squashed to 320 × 200 at (230, 176), and the clip's white meets the cloud's.
TEST_F(EmbeddedAppAssets, ClipsPlayWholeAndSitInTheCloudWithoutASeam)
{
    const DWORD maze = rm_->AddTextureFromResource(L"180");
    const DWORD cloud = BlobTexture("oblako_png");
    const RECT clip_rect { 230, 176, 550, 376 };
    for (int n = 0; n < 5; ++n) {
        const std::string name = "praise_clip_" + std::to_string(n);
        SCOPED_TRACE(name);
        const platform::Blob blob = platform::FindNamedBlob(name);
        ASSERT_TRUE(blob);
        IMTheoraView view;
        view.Open(blob.data, blob.size);
        int frames = 0;
        bool drawn = false;
        for (; frames <= view.GetEnd() && frames < 100; ++frames) {
            view.SetFrame(frames);
            if (frames == 16) {
                drawn = true;
                ClearScreen();
                rm_->DrawQuad(maze, RECT { 0, 0, 800, 600 }, nullptr, 0xFFFFFFFFu, 0.0f);
                rm_->DrawQuad(cloud, RECT { 137, 100, 643, 450 }, nullptr, 0xFFFFFFFFu, 0.0f);
                rm_->DrawQuad(view.GetTextureId(), clip_rect, nullptr, 0xFFFFFFFFu, 0.0f);
                rm_->GetDevice()->Present(nullptr, nullptr, nullptr, nullptr);
                EXPECT_TRUE(presenter_.SavePng(testing_support::PicturePath(name + std::string("_in_the_cloud"))));
                // Just inside and just outside each side of the clip.
                for (const POINT p : { POINT { 232, 300 }, POINT { 226, 300 }, POINT { 547, 300 }, POINT { 553, 300 },
                         POINT { 260, 178 }, POINT { 260, 172 }, POINT { 260, 373 }, POINT { 260, 379 } })
                    EXPECT_TRUE(NearGrey(presenter_.Pixel(p.x, p.y), 253, 3))
                        << std::hex << presenter_.Pixel(p.x, p.y) << " at " << std::dec << p.x << ", " << p.y;
                // The yellow hero stands in the middle.
                int yellow = 0;
                for (LONG y = 260; y < 330; y += 5) {
                    const uint32_t p = presenter_.Pixel(390, y);
                    yellow += ((p >> 16) & 0xFF) > 200 && (p & 0xFF) < 140;
                }
                EXPECT_GE(yellow, 3);
            }
        }
        EXPECT_GE(frames, 30);
        EXPECT_LE(frames, 36);
        const SIZE size = ImageSize(view.GetTextureId());
        EXPECT_EQ(size.cx, 320);
        EXPECT_EQ(size.cy, 240);
        EXPECT_TRUE(drawn);
    }
}

} // namespace
