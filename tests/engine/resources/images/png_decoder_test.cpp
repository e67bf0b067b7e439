#include <cmath>

#include <gtest/gtest.h>
#include <png.h>

#include "engine/resources/png_decoder.h"
#include "tests/engine/resources/images/test_images.h"

namespace {

struct DecodedPicture {
    bool ok = false;
    UINT width = 0, height = 0;
    MemorySink sink;
};

void Decode(const std::vector<BYTE>& png, DecodedPicture& out)
{
    out.ok = DecodePngFromMemory(png.data(), png.size(), out.sink, &out.width, &out.height);
}

PngPicture RgbPicture(UINT width, UINT height)
{
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { 10 + x, 20 + y, 30 + x + y }; };
    return picture;
}

TEST(PngDecoder, EveryLayoutLandsAsBlueGreenRedAlpha)
{
    DecodedPicture rgb;
    Decode(MakePng(RgbPicture(5, 3)), rgb);
    ASSERT_TRUE(rgb.ok);
    EXPECT_EQ(rgb.width, 5u);
    EXPECT_EQ(rgb.height, 3u);
    EXPECT_EQ(rgb.sink.Pixel(4, 2), 0xFF0E1624u) << "RGB gains an opaque alpha after red, green, blue";
    EXPECT_TRUE(rgb.sink.complete);

    PngPicture rgba = RgbPicture(2, 2);
    rgba.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { 200, 100 + x, 50 + y, 7 }; };
    DecodedPicture rgba_picture;
    Decode(MakePng(rgba), rgba_picture);
    ASSERT_TRUE(rgba_picture.ok);
    EXPECT_EQ(rgba_picture.sink.Pixel(1, 1), 0x07C86533u);

    PngPicture deep = rgba;
    deep.bit_depth = 16;
    deep.pixel = [](UINT, UINT) { return std::vector<unsigned> { 0x12FF, 0x3400, 0x5680, 0xFF01 }; };
    DecodedPicture narrowed;
    Decode(MakePng(deep), narrowed);
    ASSERT_TRUE(narrowed.ok);
    const UINT p = narrowed.sink.Pixel(0, 0);
    EXPECT_NEAR(int(p >> 16 & 0xFF), 0x13, 1) << "16-bit channels are brought to 8 bits";
    EXPECT_NEAR(int(p >> 8 & 0xFF), 0x34, 1);
    EXPECT_NEAR(int(p & 0xFF), 0x56, 1);
    EXPECT_NEAR(int(p >> 24), 0xFF, 1);
}

TEST(PngDecoder, GreyAndPaletteBecomeFourBytesAPixel)
{
    PngPicture grey = RgbPicture(3, 2);
    grey.color_type = PNG_COLOR_TYPE_GRAY;
    grey.pixel = [](UINT x, UINT) { return std::vector<unsigned> { 40u * x }; };
    DecodedPicture grey_picture;
    Decode(MakePng(grey), grey_picture);
    ASSERT_TRUE(grey_picture.ok);
    EXPECT_EQ(grey_picture.sink.Pixel(2, 1), 0xFF505050u);
    EXPECT_TRUE(grey_picture.sink.UntouchedOutside(3, 2)) << "grey rows must not spill as three-byte pixels";

    PngPicture low = grey;
    low.bit_depth = 2;
    low.pixel = [](UINT x, UINT) { return std::vector<unsigned> { x % 4 }; };
    DecodedPicture low_grey;
    Decode(MakePng(low), low_grey);
    ASSERT_TRUE(low_grey.ok);
    EXPECT_EQ(low_grey.sink.Pixel(2, 0), 0xFFAAAAAAu);

    PngPicture indexed = RgbPicture(3, 3);
    indexed.color_type = PNG_COLOR_TYPE_PALETTE;
    indexed.palette = { { { 1, 2, 3 } }, { { 250, 128, 0 } } };
    indexed.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { (x + y) % 2 }; };
    DecodedPicture paletted;
    Decode(MakePng(indexed), paletted);
    ASSERT_TRUE(paletted.ok);
    EXPECT_EQ(paletted.sink.Pixel(1, 0), 0xFFFA8000u);
    EXPECT_EQ(paletted.sink.Pixel(1, 1), 0xFF010203u);
    EXPECT_TRUE(paletted.sink.UntouchedOutside(3, 3));
}

TEST(PngDecoder, GammaChunkIsAppliedAgainstScreenGamma)
{
    PngPicture linear = RgbPicture(1, 1);
    linear.pixel = [](UINT, UINT) { return std::vector<unsigned> { 64, 64, 64 }; };
    DecodedPicture plain;
    Decode(MakePng(linear), plain);
    EXPECT_EQ(plain.sink.Pixel(0, 0) & 0xFF, 64u) << "no gamma chunk, no correction";

    linear.gamma = 1.0;
    DecodedPicture corrected;
    Decode(MakePng(linear), corrected);
    ASSERT_TRUE(corrected.ok);
    const double expected = 255.0 * std::pow(64 / 255.0, 1 / 2.2);
    EXPECT_NEAR(double(corrected.sink.Pixel(0, 0) & 0xFF), expected, 1.5);

    linear.gamma = 0.45455;
    DecodedPicture unchanged;
    Decode(MakePng(linear), unchanged);
    EXPECT_NEAR(double(unchanged.sink.Pixel(0, 0) & 0xFF), 64, 1);
}

TEST(PngDecoder, WritesOnlyTheImageRectangle)
{
    DecodedPicture odd_sized;
    Decode(MakePng(RgbPicture(5, 3)), odd_sized);
    ASSERT_TRUE(odd_sized.ok);
    EXPECT_EQ(odd_sized.sink.surface_width, 8u);
    EXPECT_EQ(odd_sized.sink.surface_height, 4u);
    EXPECT_TRUE(odd_sized.sink.UntouchedOutside(5, 3));
}

TEST(PngDecoder, TruncatedOrDamagedPicturesAnswerFalseWithoutReadingPastTheirBytes)
{
    const std::vector<BYTE> whole_picture = MakePng(RgbPicture(9, 7));
    for (size_t length = 0; length < whole_picture.size(); ++length) {
        GuardedBytes bytes(whole_picture, length);
        MemorySink sink;
        UINT w = 0, h = 0;
        EXPECT_FALSE(DecodePngFromMemory(bytes.data(), length, sink, &w, &h)) << length;
        EXPECT_EQ(sink.begins, sink.ends) << "an opened destination is always closed";
        EXPECT_FALSE(sink.complete);
    }
    std::vector<BYTE> damaged_picture = whole_picture;
    damaged_picture[45] ^= 0xFF; // inside the image data: the checksum no longer matches
    MemorySink sink;
    UINT w = 0, h = 0;
    EXPECT_FALSE(DecodePngFromMemory(damaged_picture.data(), damaged_picture.size(), sink, &w, &h));
}

class RefusingSink : public MemorySink {
public:
    bool Begin(UINT, UINT, ImageTarget*) override { throw std::bad_alloc(); }
};

class TooSmallSink : public MemorySink {
public:
    bool Begin(UINT w, UINT h, ImageTarget* target) override
    {
        MemorySink::Begin(w, h, target);
        target->height = h - 1;
        return true;
    }
};

TEST(PngDecoder, DestinationFailuresReachTheCaller)
{
    const std::vector<BYTE> png = MakePng(RgbPicture(4, 4));
    UINT w = 0, h = 0;
    RefusingSink refusing;
    EXPECT_THROW(DecodePngFromMemory(png.data(), png.size(), refusing, &w, &h), std::bad_alloc);
    EXPECT_EQ(refusing.ends, 0);

    TooSmallSink small;
    EXPECT_FALSE(DecodePngFromMemory(png.data(), png.size(), small, &w, &h));
    EXPECT_EQ(small.ends, 1);
    EXPECT_TRUE(small.UntouchedOutside(0, 0)) << "nothing is written into a surface too small for the picture";
}

} // namespace
