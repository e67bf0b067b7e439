#include <gtest/gtest.h>

#include "engine/resources/jpeg_decoder.h"
#include "tests/engine/resources/images/test_images.h"

namespace {

std::vector<BYTE> FlatJpeg(int components, std::vector<BYTE> samples, UINT width = 10, UINT height = 6)
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
    const auto rgb_jpeg = FlatJpeg(3, { 200, 40, 90 });
    MemorySink rgb;
    ASSERT_TRUE(DecodeJpegFromMemory(rgb_jpeg.data(), rgb_jpeg.size(), rgb, &w, &h));
    EXPECT_EQ(w, 10u);
    EXPECT_EQ(h, 6u);
    ExpectNear(rgb.Pixel(9, 5), 0xFFC8285Au, 3);
    EXPECT_EQ(rgb.Pixel(3, 3) >> 24, 0xFFu) << "three components get alpha 255";

    const auto cmyk_jpeg = FlatJpeg(4, { 30, 160, 220, 128 });
    MemorySink cmyk;
    ASSERT_TRUE(DecodeJpegFromMemory(cmyk_jpeg.data(), cmyk_jpeg.size(), cmyk, &w, &h));
    ExpectNear(cmyk.Pixel(0, 0), 0x801EA0DCu, 2);

    const auto grey_jpeg = FlatJpeg(1, { 77 });
    MemorySink grey;
    ASSERT_TRUE(DecodeJpegFromMemory(grey_jpeg.data(), grey_jpeg.size(), grey, &w, &h));
    ExpectNear(grey.Pixel(4, 4), 0xFF4D4D4Du, 1);
}

TEST(JpegDecoder, WritesOnlyTheImageRectangle)
{
    const auto odd_sized_jpeg = FlatJpeg(3, { 1, 2, 3 }, 17, 9);
    MemorySink sink;
    UINT w = 0, h = 0;
    ASSERT_TRUE(DecodeJpegFromMemory(odd_sized_jpeg.data(), odd_sized_jpeg.size(), sink, &w, &h));
    EXPECT_EQ(sink.surface_width, 32u);
    EXPECT_EQ(sink.surface_height, 16u);
    EXPECT_TRUE(sink.UntouchedOutside(17, 9));
}

TEST(JpegDecoder, RejectedBytesAnswerFalseAndTheProcessLivesOn)
{
    UINT w = 0, h = 0;
    const std::vector<BYTE> not_a_picture = { 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g' };
    MemorySink sink;
    EXPECT_FALSE(DecodeJpegFromMemory(not_a_picture.data(), not_a_picture.size(), sink, &w, &h));
    EXPECT_FALSE(DecodeJpegFromMemory(nullptr, 0, sink, &w, &h));

    auto damaged_jpeg = FlatJpeg(3, { 9, 9, 9 });
    for (size_t i = 2; i < 60 && i < damaged_jpeg.size(); ++i)
        damaged_jpeg[i] = 0x5A; // the header's markers are gone
    EXPECT_FALSE(DecodeJpegFromMemory(damaged_jpeg.data(), damaged_jpeg.size(), sink, &w, &h));
    EXPECT_EQ(sink.begins, sink.ends);

    const auto good_jpeg = FlatJpeg(3, { 50, 60, 70 });
    MemorySink after;
    EXPECT_TRUE(DecodeJpegFromMemory(good_jpeg.data(), good_jpeg.size(), after, &w, &h))
        << "decoding still works afterwards";
}

TEST(JpegDecoder, TruncatedPicturesAnswerFalseWithoutReadingPastTheirBytes)
{
    const auto whole_jpeg = MakeJpeg(24, 16, 3, [](UINT x, UINT y) {
        return std::vector<BYTE> { BYTE(x * 10), BYTE(y * 15), BYTE(x * y) };
    });
    for (size_t length = 0; length < whole_jpeg.size() - 2; length += 7) {
        GuardedBytes bytes(whole_jpeg, length);
        MemorySink sink;
        UINT w = 0, h = 0;
        EXPECT_FALSE(DecodeJpegFromMemory(bytes.data(), length, sink, &w, &h)) << length;
        EXPECT_EQ(sink.begins, sink.ends);
    }
    GuardedBytes exact(whole_jpeg, whole_jpeg.size());
    MemorySink sink;
    UINT w = 0, h = 0;
    EXPECT_TRUE(DecodeJpegFromMemory(exact.data(), whole_jpeg.size(), sink, &w, &h));
}

} // namespace
