#include <cmath>

#include <gtest/gtest.h>
#include <png.h>

#include "engine/resources/png_decoder.h"
#include "tests/engine/resources/images/test_images.h"

namespace {

struct Decoded {
    bool ok = false;
    UINT width = 0, height = 0;
    MemorySink sink;
};

void Decode(const std::vector<BYTE>& png, Decoded& out)
{
    out.ok = DecodePngFromMemory(png.data(), png.size(), out.sink, &out.width, &out.height);
}

PngSpec Rgb(UINT width, UINT height)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { 10 + x, 20 + y, 30 + x + y }; };
    return spec;
}

TEST(PngDecoder, EveryLayoutLandsAsBlueGreenRedAlpha)
{
    Decoded rgb;
    Decode(MakePng(Rgb(5, 3)), rgb);
    ASSERT_TRUE(rgb.ok);
    EXPECT_EQ(rgb.width, 5u);
    EXPECT_EQ(rgb.height, 3u);
    EXPECT_EQ(rgb.sink.Pixel(4, 2), 0xFF0E1624u) << "RGB gains an opaque alpha after red, green, blue";
    EXPECT_TRUE(rgb.sink.complete);

    PngSpec rgba = Rgb(2, 2);
    rgba.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { 200, 100 + x, 50 + y, 7 }; };
    Decoded four;
    Decode(MakePng(rgba), four);
    ASSERT_TRUE(four.ok);
    EXPECT_EQ(four.sink.Pixel(1, 1), 0x07C86533u);

    PngSpec deep = rgba;
    deep.bit_depth = 16;
    deep.pixel = [](UINT, UINT) { return std::vector<unsigned> { 0x12FF, 0x3400, 0x5680, 0xFF01 }; };
    Decoded stripped;
    Decode(MakePng(deep), stripped);
    ASSERT_TRUE(stripped.ok);
    const UINT p = stripped.sink.Pixel(0, 0);
    EXPECT_NEAR(int(p >> 16 & 0xFF), 0x13, 1) << "16-bit channels are brought to 8 bits";
    EXPECT_NEAR(int(p >> 8 & 0xFF), 0x34, 1);
    EXPECT_NEAR(int(p & 0xFF), 0x56, 1);
    EXPECT_NEAR(int(p >> 24), 0xFF, 1);
}

TEST(PngDecoder, GreyAndPaletteBecomeFourBytesAPixel)
{
    PngSpec grey = Rgb(3, 2);
    grey.color_type = PNG_COLOR_TYPE_GRAY;
    grey.pixel = [](UINT x, UINT) { return std::vector<unsigned> { 40u * x }; };
    Decoded g;
    Decode(MakePng(grey), g);
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.sink.Pixel(2, 1), 0xFF505050u);
    EXPECT_TRUE(g.sink.UntouchedOutside(3, 2)) << "grey rows must not spill as three-byte pixels";

    PngSpec low = grey;
    low.bit_depth = 2;
    low.pixel = [](UINT x, UINT) { return std::vector<unsigned> { x % 4 }; };
    Decoded l;
    Decode(MakePng(low), l);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.sink.Pixel(2, 0), 0xFFAAAAAAu);

    PngSpec indexed = Rgb(3, 3);
    indexed.color_type = PNG_COLOR_TYPE_PALETTE;
    indexed.palette = { { { 1, 2, 3 } }, { { 250, 128, 0 } } };
    indexed.pixel = [](UINT x, UINT y) { return std::vector<unsigned> { (x + y) % 2 }; };
    Decoded i;
    Decode(MakePng(indexed), i);
    ASSERT_TRUE(i.ok);
    EXPECT_EQ(i.sink.Pixel(1, 0), 0xFFFA8000u);
    EXPECT_EQ(i.sink.Pixel(1, 1), 0xFF010203u);
    EXPECT_TRUE(i.sink.UntouchedOutside(3, 3));
}

TEST(PngDecoder, GammaChunkIsAppliedAgainstScreenGamma)
{
    PngSpec linear = Rgb(1, 1);
    linear.pixel = [](UINT, UINT) { return std::vector<unsigned> { 64, 64, 64 }; };
    Decoded plain;
    Decode(MakePng(linear), plain);
    EXPECT_EQ(plain.sink.Pixel(0, 0) & 0xFF, 64u) << "no gamma chunk, no correction";

    linear.gamma = 1.0;
    Decoded corrected;
    Decode(MakePng(linear), corrected);
    ASSERT_TRUE(corrected.ok);
    const double expected = 255.0 * std::pow(64 / 255.0, 1 / 2.2);
    EXPECT_NEAR(double(corrected.sink.Pixel(0, 0) & 0xFF), expected, 1.5);

    linear.gamma = 0.45455;
    Decoded identity;
    Decode(MakePng(linear), identity);
    EXPECT_NEAR(double(identity.sink.Pixel(0, 0) & 0xFF), 64, 1);
}

TEST(PngDecoder, WritesOnlyTheImageRectangle)
{
    Decoded odd;
    Decode(MakePng(Rgb(5, 3)), odd);
    ASSERT_TRUE(odd.ok);
    EXPECT_EQ(odd.sink.surface_width, 8u);
    EXPECT_EQ(odd.sink.surface_height, 4u);
    EXPECT_TRUE(odd.sink.UntouchedOutside(5, 3));
}

TEST(PngDecoder, TruncatedOrDamagedPicturesAnswerFalseWithoutReadingPastTheirBytes)
{
    const std::vector<BYTE> whole = MakePng(Rgb(9, 7));
    for (size_t length = 0; length < whole.size(); ++length) {
        GuardedBytes bytes(whole, length);
        MemorySink sink;
        UINT w = 0, h = 0;
        EXPECT_FALSE(DecodePngFromMemory(bytes.data(), length, sink, &w, &h)) << length;
        EXPECT_EQ(sink.begins, sink.ends) << "an opened destination is always closed";
        EXPECT_FALSE(sink.complete);
    }
    std::vector<BYTE> damaged = whole;
    damaged[45] ^= 0xFF; // inside the image data: the checksum no longer matches
    MemorySink sink;
    UINT w = 0, h = 0;
    EXPECT_FALSE(DecodePngFromMemory(damaged.data(), damaged.size(), sink, &w, &h));
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
    const std::vector<BYTE> png = MakePng(Rgb(4, 4));
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
