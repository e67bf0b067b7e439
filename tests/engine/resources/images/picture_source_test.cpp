#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/resources/picture_source.h"
#include "tests/engine/resources/images/test_images.h"
#include "tests/support/own_folder.h"

namespace {

// A fresh folder for the sibling store and file pictures, removed afterwards.
class PictureSourceTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetSiblingStoreFolder(folder_); }

    void WriteFile(const std::filesystem::path& path, const std::vector<BYTE>& bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    UINT DecodeByName(const std::wstring& name, bool expect_ok = true)
    {
        MemorySink sink;
        UINT w = 0, h = 0;
        EXPECT_EQ(DecodePictureByName(name, sink, &w, &h), expect_ok) << platform_name(name);
        return expect_ok ? sink.Pixel(0, 0) : 0;
    }
    static std::string platform_name(const std::wstring& name) { return std::string(name.begin(), name.end()); }

    testing_support::ScratchFolder scratch_;
    const std::filesystem::path folder_ = scratch_.path();
};

TEST(ResourceNames, DecimalNamesAreResourceIdsByTheirLow16Bits)
{
    EXPECT_EQ(ResourceIdFromName(L"700000"), WORD(44640));
    EXPECT_EQ(ResourceIdFromName(L"44640"), WORD(44640));
    EXPECT_EQ(ResourceIdFromName(L"1000018"), WORD(16978));
    EXPECT_EQ(ResourceIdFromName(L"180"), WORD(180));
    EXPECT_EQ(ResourceIdFromName(L"4294967295"), WORD(0xFFFF));
    for (const wchar_t* path : { L"", L" 180", L"180 ", L"18O", L"180.png", L"4294967296", L"pictures/7.png" })
        EXPECT_FALSE(ResourceIdFromName(path).has_value()) << "a path: " << path;
}

TEST_F(PictureSourceTest, OwnStoreComesBeforeTheSiblingStore)
{
    static const std::vector<BYTE> own = SolidPng(255, 0, 0);
    platform::RegisterOwnResource(180, own.data(), own.size());
    WriteFile(folder_ / "Animations" / "180", SolidPng(0, 0, 255));
    WriteFile(folder_ / "Animations" / "181", SolidPng(0, 255, 0));

    EXPECT_EQ(DecodeByName(L"180"), 0xFFFF0000u);
    EXPECT_EQ(DecodeByName(L"65716"), 0xFFFF0000u) << "65716 is id 180 as well";
    EXPECT_EQ(DecodeByName(L"181"), 0xFF00FF00u) << "an id the program lacks comes from the sibling store";
    DecodeByName(L"182", false);
}

TEST_F(PictureSourceTest, MissingSiblingStoreFailsCleanly)
{
    DecodeByName(L"183", false);
    platform::RegisterSiblingResource(kSiblingStoreName, 183, SolidPng(1, 2, 3));
    EXPECT_EQ(DecodeByName(L"183"), 0xFF010203u) << "an in-memory sibling entry is found";
}

TEST_F(PictureSourceTest, OtherNamesAreFilePathsPngFirstThenJpeg)
{
    WriteFile(folder_ / "picture.png", SolidPng(10, 20, 30));
    EXPECT_EQ(DecodeByName((folder_ / "picture.png").wstring()), 0xFF0A141Eu);

    WriteFile(folder_ / "photo.png", MakeJpeg(8, 8, 3, [](UINT, UINT) { return std::vector<BYTE> { 0, 0, 0 }; }));
    MemorySink sink;
    UINT w = 0, h = 0;
    EXPECT_TRUE(DecodePictureByName((folder_ / "photo.png").wstring(), sink, &w, &h)) << "a JPEG whatever its name";
    EXPECT_EQ(w, 8u);

    WriteFile(folder_ / "180", SolidPng(1, 1, 1));
    DecodeByName(L"180", false); // digits only: never a file, and no store holds 180 here
    WriteFile(folder_ / "empty.jpg", {});
    DecodeByName((folder_ / "empty.jpg").wstring(), false);
    DecodeByName((folder_ / "absent.png").wstring(), false);
}

TEST(PictureBytes, PngFailureFallsBackToJpegOnTheSameBytes)
{
    const auto jpeg = MakeJpeg(3, 5, 3, [](UINT, UINT) { return std::vector<BYTE> { 255, 255, 255 }; });
    MemorySink sink;
    UINT w = 0, h = 0;
    ASSERT_TRUE(DecodePicture(jpeg.data(), jpeg.size(), sink, &w, &h));
    EXPECT_EQ(h, 5u);
    const std::vector<BYTE> neither = { 0x89, 'P', 'N', 'G', 1, 2, 3 };
    EXPECT_FALSE(DecodePicture(neither.data(), neither.size(), sink, &w, &h));
}

} // namespace
