#include <map>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/resources/png_decoder.h"
#include "engine/resources/skin_pictures.h"
#include "tests/engine/resources/images/test_images.h"

namespace {

struct Inventory {
    UINT width, height;
    bool alpha;
};

// The skin as the screens expect it: sizes and channel layouts.
const std::map<std::string, Inventory>& SkinInventory()
{
    static const std::map<std::string, Inventory> table = [] {
        std::map<std::string, Inventory> t = {
            { "DefaultBackGround", { 800, 600, false } },
            { "ExitButton", { 21, 21, true } },
            { "EscButton", { 37, 25, false } },
            { "F1Button", { 37, 25, false } },
            { "F12Button", { 37, 25, false } },
            { "SliderSliderVertical", { 19, 10, true } },
            { "SliderSliderVerticalHover", { 19, 10, true } },
            { "SliderSliderHorizontal", { 11, 20, true } },
            { "SliderSliderHorizontalHover", { 11, 20, true } },
            { "ScrollSlider", { 16, 2, false } },
            { "ScrollSliderHorizontal", { 2, 16, false } },
            { "ScrollBackground", { 16, 16, false } },
            { "ScrollButtonUp", { 16, 16, true } },
            { "ScrollButtonDown", { 16, 16, true } },
            { "EditBarBackGround", { 1, 1, false } },
            { "EditBarBorderL", { 8, 1, false } },
            { "EditBarBorderR", { 8, 1, false } },
            { "EditBarBorderT", { 1, 8, false } },
            { "EditBarBorderB", { 1, 8, false } },
            { "EditBarKaretka", { 1, 19, false } },
            { "SelectionMask", { 1, 1, true } },
        };
        for (const char* box : { "CheckBoxUnchecked", "CheckBoxChecked", "CheckBoxDisUnchecked", "CheckBoxDisChecked" })
            t[box] = { 16, 16, false };
        for (const char* radio :
            { "RadioButtonUnchecked", "RadioButtonChecked", "RadioButtonDisUnchecked", "RadioButtonDisChecked" })
            t[radio] = { 16, 16, true };
        for (const char* corner : { "EditBarCornerLT", "EditBarCornerRT", "EditBarCornerLB", "EditBarCornerRB" })
            t[corner] = { 8, 8, true };
        const std::pair<const char*, UINT> buttons[] = { { "PrintButton", 84 }, { "SaveAsButton", 148 },
            { "RetryButton", 109 }, { "CloseButton", 111 }, { "StartPopStartButton", 84 }, { "SubmitButton", 109 },
            { "OptionsButton", 109 }, { "CancelButton", 111 } };
        for (const auto& [name, width] : buttons)
            for (const char* suffix : { "", "Klick", "Nuv" })
                t[std::string(name) + suffix] = { width, 47, true };
        return t;
    }();
    return table;
}

// The chunk types of a PNG file, in order.
std::vector<std::string> Chunks(const platform::Blob& png)
{
    std::vector<std::string> chunks;
    for (size_t at = 8; at + 8 <= png.size;) {
        const size_t length
            = (size_t(png.data[at]) << 24) | (png.data[at + 1] << 16) | (png.data[at + 2] << 8) | png.data[at + 3];
        chunks.emplace_back(reinterpret_cast<const char*>(png.data + at + 4), 4);
        at += 12 + length;
    }
    return chunks;
}

TEST(EmbeddedSkin, EveryPictureIsEmbeddedAtItsSizeAndLayout)
{
    RegisterEmbeddedAssets();
    const auto pictures = SkinPictures();
    ASSERT_EQ(pictures.size(), 57u);
    EXPECT_EQ(SkinInventory().size(), 57u);
    for (const SkinPicture& skin : pictures) {
        const std::string name(skin.name.begin(), skin.name.end());
        SCOPED_TRACE(name);
        ASSERT_TRUE(skin.png) << "missing from the program";
        const auto expected = SkinInventory().find(name);
        ASSERT_NE(expected, SkinInventory().end());
        MemorySink sink;
        UINT w = 0, h = 0;
        ASSERT_TRUE(DecodePngFromMemory(skin.png.data, skin.png.size, sink, &w, &h));
        EXPECT_EQ(w, expected->second.width);
        EXPECT_EQ(h, expected->second.height);
        ASSERT_GT(skin.png.size, 26u);
        EXPECT_EQ(skin.png.data[24], 8) << "8 bits a channel";
        EXPECT_EQ(skin.png.data[25], expected->second.alpha ? 6 : 2) << "RGBA or RGB";
        EXPECT_EQ(Chunks(skin.png), (std::vector<std::string> { "IHDR", "IDAT", "IEND" }));
    }
}

TEST(EmbeddedSkin, ExactPixelsOfThePlainPieces)
{
    RegisterEmbeddedAssets();
    auto decode = [](std::string_view name, MemorySink& sink) {
        platform::Blob png = platform::FindNamedBlob(name);
        UINT w = 0, h = 0;
        ASSERT_TRUE(png && DecodePngFromMemory(png.data, png.size, sink, &w, &h)) << name;
    };
    MemorySink back, caret, mask, white;
    decode("DefaultBackGround", back);
    EXPECT_EQ(back.Pixel(400, 63), 0xFFD8D9D9u);
    EXPECT_EQ(back.Pixel(0, 64), 0xFFE5E6E6u);
    EXPECT_EQ(back.Pixel(799, 599), 0xFFE5E6E6u);
    decode("EditBarKaretka", caret);
    for (UINT y = 0; y < 19; ++y)
        EXPECT_EQ(caret.Pixel(0, y), 0xFF000000u);
    decode("SelectionMask", mask);
    EXPECT_EQ(mask.Pixel(0, 0), 0x1C0056FFu);
    decode("EditBarBackGround", white);
    EXPECT_EQ(white.Pixel(0, 0), 0xFFFFFFFFu);
}

TEST(EmbeddedMarkers, TextMarkersArePresentAtTheirSizes)
{
    RegisterEmbeddedAssets();
    const std::pair<const char*, std::pair<UINT, UINT>> markers[] = { { "TextSpaceMarker", { 3, 3 } },
        { "TextLineBreakMarker", { 11, 21 } }, { "TextTabMarker", { 10, 5 } }, { "TextEmptyLineBreak", { 1, 1 } } };
    for (const auto& [name, size] : markers) {
        platform::Blob png = platform::FindNamedBlob(name);
        MemorySink sink;
        UINT w = 0, h = 0;
        ASSERT_TRUE(png && DecodePngFromMemory(png.data, png.size, sink, &w, &h)) << name;
        EXPECT_EQ(std::make_pair(w, h), size) << name;
    }
}

} // namespace
