#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/views/yuv_converter.h"
#include "tests/engine/views/video/clip_fixtures.h"

namespace {

constexpr uint8_t kUntouched = 0xEE;

// Planes of a picture and a destination with spare rows above and below and spare pixels on the right.
struct Picture {
    int width;
    int height;
    int y_stride;
    int uv_stride;
    std::vector<uint8_t> y, u, v;

    Picture(int w, int h)
        : width(w)
        , height(h)
        , y_stride((w + 15) & ~15)
        , uv_stride(y_stride / 2)
        , y(y_stride * h, 16)
        , u(uv_stride * ((h + 1) / 2), 128)
        , v(uv_stride * ((h + 1) / 2), 128)
    {
    }

    void Fill(uint8_t luma, uint8_t cb, uint8_t cr)
    {
        std::fill(y.begin(), y.end(), luma);
        std::fill(u.begin(), u.end(), cb);
        std::fill(v.begin(), v.end(), cr);
    }

    void Randomise(unsigned seed)
    {
        std::mt19937 random(seed);
        for (auto* plane : { &y, &u, &v })
            for (uint8_t& b : *plane)
                b = static_cast<uint8_t>(random());
    }
};

struct Target {
    static constexpr int kSpareRows = 2;
    int pitch;
    int rows;
    std::vector<uint8_t> bytes;

    Target(int pixels_per_row, int picture_rows)
        : pitch(4 * pixels_per_row)
        , rows(picture_rows)
        , bytes(static_cast<size_t>(pitch) * (rows + 2 * kSpareRows), kUntouched)
    {
    }

    uint8_t* Top() { return bytes.data() + kSpareRows * pitch; }
    const uint8_t* Pixel(int x, int row) const { return bytes.data() + (kSpareRows + row) * pitch + 4 * x; }
    bool RowUntouched(int row, int from_x = 0) const
    {
        const uint8_t* p = Pixel(from_x, row);
        return std::all_of(p, p + pitch - 4 * from_x, [](uint8_t b) { return b == kUntouched; });
    }
};

void Convert(const Picture& p, Target& t, int flip = 0)
{
    ConvertYuv420ToRgb32(
        t.Top(), t.pitch, p.y.data(), p.u.data(), p.v.data(), p.y_stride, p.uv_stride, p.width, p.height, flip);
}

TEST(YuvConverter, GreyLevelsFollowTheStudioRangeFactors)
{
    // 74 × (Y − 16) >> 6 for U = V = 128, limited to 0 … 255.
    const int cases[][2] = { { 0, 0 }, { 16, 0 }, { 17, 1 }, { 128, 129 }, { 235, 253 }, { 236, 254 }, { 255, 255 } };
    for (const auto& [luma, grey] : cases) {
        Picture picture(16, 2);
        picture.Fill(static_cast<uint8_t>(luma), 128, 128);
        Target target(16, 2);
        Convert(picture, target);
        const uint8_t* px = target.Pixel(5, 1);
        EXPECT_EQ(px[0], grey) << "Y " << luma;
        EXPECT_EQ(px[1], grey) << "Y " << luma;
        EXPECT_EQ(px[2], grey) << "Y " << luma;
        EXPECT_EQ(px[3], 0) << "Y " << luma;
        EXPECT_EQ(GreyOf(luma), grey);
    }
}

TEST(YuvConverter, ColourChannelsLandInBlueGreenRedOrder)
{
    // Y 100, U 200, V 60: blue (6216 + 9288) >> 6 = 242, green (6216 + 1736) >> 6 = 124, red −720 >> 6 → 0.
    Picture picture(16, 2);
    picture.Fill(100, 200, 60);
    Target target(16, 2);
    Convert(picture, target);
    const uint8_t* px = target.Pixel(3, 0);
    EXPECT_EQ(px[0], 242);
    EXPECT_EQ(px[1], 124);
    EXPECT_EQ(px[2], 0);
    EXPECT_EQ(px[3], 0);

    // Sums past the 16-bit limit still give full intensity: 17686 + 16383 saturates.
    picture.Fill(255, 255, 255);
    Convert(picture, target);
    EXPECT_EQ(target.Pixel(0, 0)[0], 255);
    EXPECT_EQ(target.Pixel(0, 0)[2], 255);
}

TEST(YuvConverter, RowsAreWholeMultiplesOfSixteenPixels)
{
    for (const auto& [width, written] : { std::pair { 320, 320 }, { 330, 336 }, { 1, 16 } }) {
        Picture picture(width, 4);
        picture.Fill(128, 128, 128);
        Target target(written + 8, 4);
        Convert(picture, target);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(target.Pixel(written - 1, row)[1], GreyOf(128)) << width;
            EXPECT_TRUE(target.RowUntouched(row, written)) << width;
        }
    }
}

TEST(YuvConverter, EachChromaSampleServesATwoByTwoBlock)
{
    Picture picture(16, 4);
    picture.Fill(128, 0, 128);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 8; ++col)
            picture.u[row * picture.uv_stride + col] = static_cast<uint8_t>(100 + 10 * col + 5 * row);
    Target target(16, 4);
    Convert(picture, target);
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(target.Pixel(x, row)[0], target.Pixel(x & ~1, row & ~1)[0]) << x << "," << row;
    EXPECT_NE(target.Pixel(0, 0)[0], target.Pixel(2, 0)[0]);
    EXPECT_NE(target.Pixel(0, 0)[0], target.Pixel(0, 2)[0]);
}

TEST(YuvConverter, FlipWritesBottomUpAndOddHeightsStayInTheirRows)
{
    for (const int height : { 6, 5 }) {
        Picture picture(16, height);
        for (int row = 0; row < height; ++row)
            std::fill_n(picture.y.begin() + row * picture.y_stride, 16, static_cast<uint8_t>(40 + 30 * row));
        Target down(16, height), up(16, height);
        Convert(picture, down, 0);
        Convert(picture, up, 1);
        for (int row = 0; row < height; ++row) {
            EXPECT_EQ(down.Pixel(7, row)[1], GreyOf(40 + 30 * row));
            EXPECT_EQ(up.Pixel(7, height - 1 - row)[1], GreyOf(40 + 30 * row));
        }
        for (Target* t : { &down, &up }) {
            EXPECT_TRUE(t->RowUntouched(-1)) << height;
            EXPECT_TRUE(t->RowUntouched(height)) << height;
        }
    }
}

TEST(YuvConverter, NegativeStridesReadPlanesBottomUp)
{
    Picture picture(32, 8);
    picture.Randomise(3);
    Target forward(32, 8), backward(32, 8);
    Convert(picture, forward);

    // The same picture stored with its rows in the opposite order.
    Picture stored = picture;
    for (int row = 0; row < 8; ++row)
        std::memcpy(&stored.y[(7 - row) * stored.y_stride], &picture.y[row * picture.y_stride], picture.y_stride);
    for (int row = 0; row < 4; ++row) {
        std::memcpy(&stored.u[(3 - row) * stored.uv_stride], &picture.u[row * picture.uv_stride], stored.uv_stride);
        std::memcpy(&stored.v[(3 - row) * stored.uv_stride], &picture.v[row * picture.uv_stride], stored.uv_stride);
    }
    ConvertYuvFrame(backward.Top(), backward.pitch, &stored.y[7 * stored.y_stride], &stored.u[3 * stored.uv_stride],
        &stored.v[3 * stored.uv_stride], -stored.y_stride, -stored.uv_stride, 32, 8);
    EXPECT_EQ(forward.bytes, backward.bytes);
}

TEST(YuvConverter, VectorFormMatchesThePlainForm)
{
    unsigned seed = 1;
    for (const int width : { 16, 48, 330 })
        for (const int height : { 2, 7, 24 })
            for (const int flip : { 0, 1 }) {
                Picture picture(width, height);
                picture.Randomise(seed++);
                Target fast(352, height), plain(352, height);
                Convert(picture, fast, flip);
                ConvertYuv420ToRgb32Portable(plain.Top(), plain.pitch, picture.y.data(), picture.u.data(),
                    picture.v.data(), picture.y_stride, picture.uv_stride, width, height, flip);
                EXPECT_EQ(fast.bytes, plain.bytes) << width << " × " << height << " flip " << flip;
            }
}

} // namespace
