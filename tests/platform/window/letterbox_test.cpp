#include <gtest/gtest.h>

#include "platform/window/letterbox.h"

namespace {

using platform::LetterboxViewport;
using platform::Viewport;
using platform::WindowToClient;

constexpr SIZE kClient { 800, 600 };

void ExpectViewport(const Viewport& v, int x, int y, int w, int h)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.width, w);
    EXPECT_EQ(v.height, h);
}

TEST(Letterbox, ViewportKeepsTheAspectRatioCentredWithBarsOnTheLongSide)
{
    ExpectViewport(LetterboxViewport(800, 600, kClient), 0, 0, 800, 600);
    ExpectViewport(LetterboxViewport(1920, 1080, kClient), 240, 0, 1440, 1080); // bars left and right
    ExpectViewport(LetterboxViewport(1280, 1024, kClient), 0, 32, 1280, 960); // bars above and below
    ExpectViewport(LetterboxViewport(1600, 1200, kClient), 0, 0, 1600, 1200);
    ExpectViewport(LetterboxViewport(0, 768, kClient), 0, 0, 0, 0);
}

TEST(Letterbox, WindowPointsMapToClientPixelsAndBarsAreOutside)
{
    Viewport v = LetterboxViewport(1920, 1080, kClient); // scale 1.8 from x = 240
    POINT p;
    EXPECT_TRUE(WindowToClient(v, kClient, 240, 0, &p));
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_TRUE(WindowToClient(v, kClient, 1679, 1079, &p));
    EXPECT_EQ(p.x, 799);
    EXPECT_EQ(p.y, 599);
    EXPECT_TRUE(WindowToClient(v, kClient, 960, 540, &p));
    EXPECT_EQ(p.x, 400);
    EXPECT_EQ(p.y, 300);
    EXPECT_FALSE(WindowToClient(v, kClient, 239, 500, &p)); // left bar
    EXPECT_LT(p.x, 0);
    EXPECT_FALSE(WindowToClient(v, kClient, 1680, 500, &p)); // right bar
    EXPECT_GE(p.x, 800);
    EXPECT_FALSE(WindowToClient(v, kClient, -300, 500, &p)); // beyond the window
    EXPECT_LT(p.x, -100);
}

TEST(Letterbox, OneToOneViewportIsTheIdentity)
{
    Viewport v = LetterboxViewport(800, 600, kClient);
    for (int x : { 0, 1, 399, 799 }) {
        POINT p;
        EXPECT_TRUE(WindowToClient(v, kClient, x, 599 - x % 600, &p));
        EXPECT_EQ(p.x, x);
        EXPECT_EQ(p.y, 599 - x % 600);
    }
}

TEST(Letterbox, EmptyWindowHasNoClientPoints)
{
    POINT p;
    EXPECT_FALSE(WindowToClient(LetterboxViewport(0, 0, kClient), kClient, 0, 0, &p));
}

} // namespace
