#include <vector>

#include "engine/resources/picture_source.h"
#include "platform/resources/resources.h"
#include "tests/engine/resources/images/test_images.h"
#include "tests/engine/resources/textures/texture_fixture.h"

namespace {

using namespace platform::headless;

DWORD FromBytes(IMResourceManager* rm, const std::wstring& name, const std::vector<BYTE>& bytes)
{
    return rm->AddTextureFromMemory(name, bytes.data(), DWORD(bytes.size()));
}

TEST_F(TextureTest, DecodersWriteOnlyTheImageRectangleOfThePowerOfTwoTexture)
{
    PngPicture picture;
    picture.width = 5;
    picture.height = 3;
    picture.color_type = 6; // RGBA
    picture.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { 40 * x, 80 * y, 200, 255 - x }; };
    const DWORD png = FromBytes(rm_, L"png", MakePng(picture));
    const DWORD jpeg = FromBytes(rm_, L"jpeg", MakeJpeg(5, 3, 3, [](UINT, UINT) {
        return std::vector<BYTE> { 255, 255, 255 };
    }));
    for (DWORD id : { png, jpeg }) {
        const IMTexture* t = rm_->GetTextureRecord(id);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->image_rect.right, 5);
        EXPECT_EQ(t->image_rect.bottom, 3);
        EXPECT_EQ(t->texture_width, 8);
        EXPECT_EQ(t->texture_height, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                if (x >= 5 || y >= 3)
                    EXPECT_EQ(Texel(id, x, y), 0u) << "outside the image at " << x << ", " << y;
                else
                    EXPECT_EQ(Texel(id, x, y) >> 24, id == png ? 255u - x : 255u) << x << ", " << y;
    }
    EXPECT_EQ(Texel(png, 4, 2), 0xFBA0A0C8u);
}

TEST_F(TextureTest, KnownNameTakesAReferenceWithoutLookingAtTheNewBytes)
{
    const DWORD id = FromBytes(rm_, L"skin", SolidPng(255, 0, 0));
    const size_t bytes = TextureBytesInUse();
    std::vector<BYTE> broken = SolidPng(0, 0, 255);
    broken.resize(broken.size() / 2);
    EXPECT_EQ(FromBytes(rm_, L"skin", SolidPng(0, 0, 255)), id);
    EXPECT_EQ(FromBytes(rm_, L"skin", broken), id) << "a broken picture under a known name is never decoded";
    EXPECT_EQ(rm_->GetTextureRecord(id)->ref_count, 3);
    EXPECT_EQ(TextureBytesInUse(), bytes);
    EXPECT_EQ(DrawnPixel(id, 1, 1), 0xFFFF0000u);
}

TEST_F(TextureTest, BrokenPicturesMakeNoTextureAndLeaveTheTableAsItWas)
{
    const std::vector<BYTE> png = SolidPng(1, 2, 3, 16, 16);
    const std::vector<BYTE> jpeg = MakeJpeg(16, 16, 3, [](UINT x, UINT) { return std::vector<BYTE>(3, BYTE(x)); });
    std::vector<BYTE> cut_png(png.begin(), png.begin() + png.size() / 2);
    std::vector<BYTE> cut_jpeg(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
    std::vector<BYTE> bad_crc = png;
    bad_crc[bad_crc.size() - 20] ^= 0x5A; // inside the picture data
    std::vector<BYTE> bad_jpeg = jpeg;
    for (size_t k = 2; k < 40 && k < bad_jpeg.size(); ++k)
        bad_jpeg[k] = BYTE(k * 37);
    const std::vector<BYTE> not_a_picture(300, 0x42);

    const DWORD kept = FromBytes(rm_, L"kept", SolidPng(9, 9, 9));
    const size_t bytes = TextureBytesInUse();
    const std::pair<const char*, const std::vector<BYTE>*> broken_pictures[]
        = { { "cut PNG", &cut_png }, { "cut JPEG", &cut_jpeg }, { "PNG data damaged", &bad_crc },
              { "JPEG header damaged", &bad_jpeg }, { "neither", &not_a_picture } };
    for (const auto& [what, picture] : broken_pictures) {
        EXPECT_EQ(FromBytes(rm_, L"broken", *picture), IMResourceManager::kNoTexture) << what;
        EXPECT_EQ(rm_->FindTexture(L"broken"), rm_->GetTextureCount());
    }
    EXPECT_EQ(rm_->AddTextureFromMemory(L"broken", nullptr, 0), IMResourceManager::kNoTexture);
    EXPECT_EQ(TextureBytesInUse(), bytes) << "no texture of a failed decode is left behind";
    EXPECT_EQ(rm_->GetTextureCount(), 1u);
    EXPECT_EQ(FromBytes(rm_, L"broken", png), 1u) << "the name is free for a good picture";
    EXPECT_EQ(DrawnPixel(kept, 0, 0), 0xFF090909u);
}

TEST_F(TextureTest, DecimalNamesAreResourcesOwnStoreFirstThenTheSiblingStore)
{
    static const std::vector<BYTE> own = SolidPng(255, 0, 0);
    platform::RegisterOwnResource(44640, own.data(), own.size());
    platform::RegisterSiblingResource(kSiblingStoreName, 44640, SolidPng(0, 0, 255));
    platform::RegisterSiblingResource(kSiblingStoreName, 181, SolidPng(0, 255, 0));

    const DWORD wide = rm_->AddTextureFromResource(L"700000");
    const DWORD exact = rm_->AddTextureFromResource(L"44640");
    ASSERT_NE(wide, IMResourceManager::kNoTexture);
    ASSERT_NE(exact, IMResourceManager::kNoTexture);
    EXPECT_NE(wide, exact) << "two names, two textures";
    EXPECT_EQ(Texel(wide, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(exact, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(rm_->AddTextureFromResource(L"181"), 0, 0), 0xFF00FF00u);

    const size_t bytes = TextureBytesInUse();
    const DWORD count = rm_->GetTextureCount();
    for (const wchar_t* missing : { L"182", L"no/such/picture.png" }) {
        EXPECT_EQ(rm_->AddTextureFromResource(missing), IMResourceManager::kNoTexture) << missing;
        EXPECT_EQ(rm_->FindTexture(missing), count);
    }
    EXPECT_EQ(rm_->GetTextureCount(), count);
    EXPECT_EQ(TextureBytesInUse(), bytes);
}

TEST_F(TextureTest, DecodeUnderATightBudgetEvictsTheLowestOtherTextureAndRetries)
{
    const DWORD a = FromBytes(rm_, L"a", SolidPng(200, 0, 0, 8, 8));
    const DWORD b = FromBytes(rm_, L"b", SolidPng(0, 200, 0, 8, 8));
    SetTextureBudget(TextureBytesInUse() + 8 * 8 * 4 - 1);

    const DWORD c = FromBytes(rm_, L"c", SolidPng(0, 0, 200, 8, 8));
    ASSERT_NE(c, IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->GetTextureRecord(a)->texture, nullptr) << "the lowest id gave up its device object";
    EXPECT_NE(rm_->GetTextureRecord(b)->texture, nullptr);
    EXPECT_EQ(Texel(c, 7, 7), 0xFF0000C8u);
    EXPECT_EQ(DrawnPixel(a, 3, 3), 0xFFC80000u) << "the evicted picture comes back from its copy";

    const DWORD huge = FromBytes(rm_, L"huge", SolidPng(1, 1, 1, 64, 64));
    EXPECT_EQ(huge, IMResourceManager::kNoTexture) << "nothing left to release: the creation fails";
    EXPECT_EQ(rm_->FindTexture(L"huge"), rm_->GetTextureCount());
    EXPECT_EQ(DrawnPixel(b, 0, 0), 0xFF00C800u);
    EXPECT_EQ(DrawnPixel(c, 0, 0), 0xFF0000C8u);
}

} // namespace
