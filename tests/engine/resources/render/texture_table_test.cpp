#include <boost/function.hpp>

#include "platform/testing/debug_capture.h"
#include "tests/engine/resources/render/manager_fixture.h"

namespace {

using namespace platform::headless;

TEST_F(ManagerTest, FreedIdsAreTakenAgainLastFreedFirstAndTheCountNeverShrinks)
{
    EXPECT_EQ(Picture(L"a", 2, 2), 0u);
    EXPECT_EQ(Picture(L"b", 2, 2), 1u);
    EXPECT_EQ(Picture(L"c", 2, 2), 2u);
    rm_->ReleaseTexture(0);
    rm_->ReleaseTexture(1);
    EXPECT_EQ(rm_->FindTexture(L"a"), 3u);
    EXPECT_EQ(Picture(L"d", 2, 2), 1u);
    EXPECT_EQ(Picture(L"e", 2, 2), 0u);
    EXPECT_EQ(rm_->GetTextureCount(), 3u);
    EXPECT_EQ(Picture(L"f", 2, 2), 3u);
}

TEST_F(ManagerTest, KnownNameSharesItsTextureAndReferencesAreCounted)
{
    DWORD id = Picture(L"shared", 4, 4);
    EXPECT_EQ(Picture(L"shared", 8, 8, [](int, int) { return 0u; }), id);
    EXPECT_EQ(made_, 1) << "a known name makes nothing new";
    EXPECT_EQ(rm_->GetTextureRecord(id)->ref_count, 2);
    EXPECT_EQ(rm_->GetTextureRecord(id)->image_rect.right, 4);
    rm_->ReleaseTexture(id);
    EXPECT_EQ(rm_->FindTexture(L"shared"), id);
    EXPECT_EQ(rm_->AddRefTexture(id), id);
    rm_->ReleaseTextureByName(L"shared");
    rm_->ReleaseTextureByName(L"shared");
    EXPECT_EQ(rm_->GetTextureRecord(id), nullptr);
    EXPECT_EQ(rm_->FindTexture(L"shared"), rm_->GetTextureCount());
    rm_->ReleaseTextureByName(L"never made");
    EXPECT_EQ(rm_->GetTextureCount(), 1u);
}

TEST_F(ManagerTest, FailedCreationGivesAnIdThatNeverNamesATexture)
{
    DWORD failed = rm_->AddTextureFromResource(L"no such picture");
    EXPECT_EQ(failed, IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->AddRefTexture(failed), IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->FindTexture(L"no such picture"), rm_->GetTextureCount());
    DWORD real = Picture(L"real", 2, 2);
    rm_->ReleaseTexture(failed);
    rm_->ReleaseDeviceTexture(failed);
    EXPECT_EQ(rm_->GetTextureRecord(real)->ref_count, 1);
    EXPECT_NE(rm_->GetTextureRecord(real)->texture, nullptr);
    EXPECT_EQ(rm_->AddRefTexture(rm_->GetTextureCount()), IMResourceManager::kNoTexture);
}

TEST_F(ManagerTest, ScreenSizedPictureGetsAPowerOfTwoTextureAndAPixelCopy)
{
    DWORD id = Picture(L"background", 800, 600);
    const IMTexture* rec = rm_->GetTextureRecord(id);
    EXPECT_EQ(rec->texture_width, 1024);
    EXPECT_EQ(rec->texture_height, 1024);
    EXPECT_EQ(rec->image_rect.right, 800);
    EXPECT_EQ(rec->image_rect.bottom, 600);
    ASSERT_EQ(rec->pixel_copy.size(), 1024u * 4 * 1024);
    const uint32_t* copy = reinterpret_cast<const uint32_t*>(rec->pixel_copy.data());
    EXPECT_EQ(copy[599 * 1024 + 799], Opaque(799, 599));
    EXPECT_EQ(copy[599 * 1024 + 800], 0u);
}

TEST_F(ManagerTest, FrameTextureIsZeroFilledAndReportsItsPitch)
{
    DWORD id = rm_->CreateFrameTexture(L"frame", 320, 240, D3DFMT_X8R8G8B8);
    ASSERT_NE(id, IMResourceManager::kNoTexture);
    const IMTexture* rec = rm_->GetTextureRecord(id);
    EXPECT_EQ(rec->texture_width, 512);
    EXPECT_EQ(rec->texture_height, 256);
    EXPECT_EQ(rm_->GetTexturePitch(id), 2048);
    EXPECT_TRUE(std::all_of(rec->pixel_copy.begin(), rec->pixel_copy.end(), [](BYTE b) { return b == 0; }));
}

TEST_F(ManagerTest, PixelWriterGetsTheLockedTextureOrTheDebugLine)
{
    DWORD id = rm_->CreateFrameTexture(L"frame", 10, 6, D3DFMT_X8R8G8B8);
    int seen_pitch = 0, seen_height = 0;
    rm_->WriteTexturePixels(id, [&](BYTE* p, int pitch, int height) {
        seen_pitch = pitch;
        seen_height = height;
        reinterpret_cast<uint32_t*>(p)[0] = 0x00ABCDEF;
    });
    EXPECT_EQ(seen_pitch, 64);
    EXPECT_EQ(seen_height, 6);
    RECT first_texel { 0, 0, 1, 1 };
    rm_->DrawQuad(id, RECT { 0, 0, 1, 1 }, &first_texel, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(0, 0), 0xFFABCDEFu) << "video frames draw opaque";

    platform::DebugCapture capture;
    FailTextureLock(1);
    bool called = false;
    rm_->WriteTexturePixels(id, [&](BYTE*, int, int) { called = true; });
    EXPECT_FALSE(called);
    EXPECT_EQ(capture.Text(), L"Fuck!!!");

    EXPECT_THROW(rm_->WriteTexturePixels(id, IMResourceManager::PixelWriter()), boost::bad_function_call);
    EXPECT_EQ(rm_->GetTexturePitch(id), 64) << "the texture was unlocked after the empty writer";
}

TEST_F(ManagerTest, UploadWipesWhatWasWrittenSinceCreation)
{
    DWORD id = Picture(L"field", 4, 4);
    rm_->WriteTexturePixels(id, [](BYTE* p, int, int) { reinterpret_cast<uint32_t*>(p)[0] = 0xFFFF0000u; });
    ClearScreen();
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(0, 0), 0xFFFF0000u);
    rm_->UploadTexturePixels(id);
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(0, 0), Opaque(0, 0));
}

TEST_F(ManagerTest, OutOfTextureMemoryReleasesTheLowestOtherTextureAndRetries)
{
    const size_t one = 16 * 16 * 4;
    SetTextureBudget(TextureBytesInUse() + 2 * one);
    DWORD a = Picture(L"a", 16, 16, [](int, int) { return 0xFF111111u; });
    DWORD b = Picture(L"b", 16, 16, [](int, int) { return 0xFF222222u; });
    DWORD c = Picture(L"c", 16, 16, [](int, int) { return 0xFF333333u; });
    ASSERT_NE(c, IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->GetTextureRecord(a)->texture, nullptr);
    EXPECT_NE(rm_->GetTextureRecord(b)->texture, nullptr);

    ClearScreen();
    rm_->DrawQuad(a, RECT { 0, 0, 16, 16 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(5, 5), 0xFF111111u) << "the evicted texture comes back from its copy";
    EXPECT_EQ(rm_->GetTextureRecord(b)->texture, nullptr);
    rm_->DrawQuad(b, RECT { 0, 0, 16, 16 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(5, 5), 0xFF222222u);
}

TEST_F(ManagerTest, OutOfTextureMemoryWithNothingToReleaseFailsCleanly)
{
    SetTextureBudget(TextureBytesInUse() + 16 * 16 * 4);
    DWORD small = Picture(L"small", 16, 16);
    DWORD big = Picture(L"big", 32, 32);
    EXPECT_EQ(big, IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->FindTexture(L"big"), rm_->GetTextureCount());
    // The small one was released to make room and still comes back when there is room again.
    SetTextureBudget(kUnlimitedTextureMemory);
    rm_->DrawQuad(small, RECT { 0, 0, 16, 16 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(3, 4), Opaque(3, 4));
}

TEST_F(ManagerTest, FailedBackupLeavesNoCopyAndTheTextureStillDraws)
{
    FailTextureLock(2); // the zero fill and the copy
    DWORD id = rm_->CreateFrameTexture(L"frame", 4, 4, D3DFMT_A8R8G8B8);
    ASSERT_NE(id, IMResourceManager::kNoTexture);
    EXPECT_TRUE(rm_->GetTextureRecord(id)->pixel_copy.empty());
    rm_->UploadTexturePixels(id);
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(DrawCount(*rm_->GetDevice()), 1);
}

} // namespace
