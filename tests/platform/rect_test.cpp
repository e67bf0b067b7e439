#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(Rect, PointInsideIncludesLeftTopExcludesRightBottom)
{
    RECT r { 10, 20, 30, 40 };
    EXPECT_TRUE(PtInRect(&r, POINT { 10, 20 }));
    EXPECT_TRUE(PtInRect(&r, POINT { 29, 39 }));
    EXPECT_FALSE(PtInRect(&r, POINT { 30, 39 }));
    EXPECT_FALSE(PtInRect(&r, POINT { 29, 40 }));
    EXPECT_FALSE(PtInRect(&r, POINT { 9, 25 }));
    RECT empty { 5, 5, 5, 10 };
    EXPECT_FALSE(PtInRect(&empty, POINT { 5, 6 }));
}

TEST(Rect, IntersectionAndItsEmptyResult)
{
    RECT a { 0, 0, 100, 100 }, b { 50, 60, 150, 160 }, out { 1, 2, 3, 4 };
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE((out.left == 50 && out.top == 60 && out.right == 100 && out.bottom == 100));

    RECT touching { 100, 0, 200, 100 };
    out = RECT { 1, 2, 3, 4 };
    EXPECT_FALSE(IntersectRect(&out, &a, &touching));
    EXPECT_TRUE((out.left == 0 && out.top == 0 && out.right == 0 && out.bottom == 0));

    // An empty input never intersects, even when it lies inside the other.
    RECT inside_empty { 10, 10, 10, 50 };
    out = RECT { 1, 2, 3, 4 };
    EXPECT_FALSE(IntersectRect(&out, &inside_empty, &a));
    EXPECT_EQ(out.right, 0);

    // The result may alias an input.
    RECT c = a;
    EXPECT_TRUE(IntersectRect(&c, &c, &b));
    EXPECT_EQ(c.left, 50);
}

TEST(Rect, EqualityAndOffset)
{
    RECT a { 1, 2, 3, 4 }, b { 1, 2, 3, 4 };
    EXPECT_TRUE(EqualRect(&a, &b));
    RECT e1 { 0, 0, 0, 0 }, e2 { 5, 5, 5, 5 };
    EXPECT_FALSE(EqualRect(&e1, &e2)); // two different empty rectangles are not equal
    OffsetRect(&a, -1, 10);
    EXPECT_TRUE((a.left == 0 && a.top == 12 && a.right == 2 && a.bottom == 14));
}

TEST(Rect, PackedCoordinatesKeepTheirSign)
{
    LPARAM lp = MAKELPARAM(-5, 700);
    EXPECT_EQ(GET_X_LPARAM(lp), -5);
    EXPECT_EQ(GET_Y_LPARAM(lp), 700);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKELONG(MK_LBUTTON, static_cast<WORD>(-120))), -120);
}

} // namespace
