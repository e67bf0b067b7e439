#include <gtest/gtest.h>

#include "engine/resources/jpeg_decoder.h"
#include "tests/engine/resources/images/test_images.h"

namespace {

std::vector<BYTE> Flat(int components, std::vector<BYTE> samples, UINT width = 10, UINT height = 6)
{
    return MakeJpeg(width, height, components, [samples](UINT, UINT) { return samples; });
}

void ExpectNear(UINT pixel, UINT expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(int(pixel >> shift & 0xFF), int(expected >> shift & 0xFF), tolerance)
            << std::hex << pixel << " vs " << expected;
}

TEST(JpegDecoder, ComponentsLandAsBlueGreenRedAlpha)
{
    UINT w = 0, h = 0;
    const auto rgb = Flat(3, { 200, 40, 90 });
    MemorySink three;
    ASSERT_TRUE(DecodeJpegFromMemory(rgb.data(), rgb.size(), three, &w, &h));
    EXPECT_EQ(w, 10u);
    EXPECT_EQ(h, 6u);
    ExpectNear(three.Pixel(9, 5), 0xFFC8285Au, 3);
    EXPECT_EQ(three.Pixel(3, 3) >> 24, 0xFFu) << "three components get alpha 255";

    const auto four = Flat(4, { 30, 160, 220, 128 });
    MemorySink cmyk;
    ASSERT_TRUE(DecodeJpegFromMemory(four.data(), four.size(), cmyk, &w, &h));
    ExpectNear(cmyk.Pixel(0, 0), 0x801EA0DCu, 2);

    const auto grey = Flat(1, { 77 });
    MemorySink one;
    ASSERT_TRUE(DecodeJpegFromMemory(grey.data(), grey.size(), one, &w, &h));
    ExpectNear(one.Pixel(4, 4), 0xFF4D4D4Du, 1);
}

TEST(JpegDecoder, WritesOnlyTheImageRectangle)
{
    const auto rgb = Flat(3, { 1, 2, 3 }, 17, 9);
    MemorySink sink;
    UINT w = 0, h = 0;
    ASSERT_TRUE(DecodeJpegFromMemory(rgb.data(), rgb.size(), sink, &w, &h));
    EXPECT_EQ(sink.surface_width, 32u);
    EXPECT_EQ(sink.surface_height, 16u);
    EXPECT_TRUE(sink.UntouchedOutside(17, 9));
}

TEST(JpegDecoder, RejectedBytesAnswerFalseAndTheProcessLivesOn)
{
    UINT w = 0, h = 0;
    const std::vector<BYTE> garbage = { 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g' };
    MemorySink sink;
    EXPECT_FALSE(DecodeJpegFromMemory(garbage.data(), garbage.size(), sink, &w, &h));
    EXPECT_FALSE(DecodeJpegFromMemory(nullptr, 0, sink, &w, &h));

    auto damaged = Flat(3, { 9, 9, 9 });
    for (size_t i = 2; i < 60 && i < damaged.size(); ++i)
        damaged[i] = 0x5A; // the header's markers are gone
    EXPECT_FALSE(DecodeJpegFromMemory(damaged.data(), damaged.size(), sink, &w, &h));
    EXPECT_EQ(sink.begins, sink.ends);

    const auto good = Flat(3, { 50, 60, 70 });
    MemorySink after;
    EXPECT_TRUE(DecodeJpegFromMemory(good.data(), good.size(), after, &w, &h)) << "decoding still works afterwards";
}

TEST(JpegDecoder, TruncatedPicturesAnswerFalseWithoutReadingPastTheirBytes)
{
    const auto whole = MakeJpeg(24, 16, 3, [](UINT x, UINT y) {
        return std::vector<BYTE> { BYTE(x * 10), BYTE(y * 15), BYTE(x * y) };
    });
    for (size_t length = 0; length < whole.size() - 2; length += 7) {
        GuardedBytes bytes(whole, length);
        MemorySink sink;
        UINT w = 0, h = 0;
        EXPECT_FALSE(DecodeJpegFromMemory(bytes.data(), length, sink, &w, &h)) << length;
        EXPECT_EQ(sink.begins, sink.ends);
    }
    GuardedBytes exact(whole, whole.size());
    MemorySink sink;
    UINT w = 0, h = 0;
    EXPECT_TRUE(DecodeJpegFromMemory(exact.data(), whole.size(), sink, &w, &h));
}

} // namespace
