// The outline writer on handcrafted FreeType outlines.
#include <gtest/gtest.h>

#include "platform/fonts/native_outline.h"
#include "tests/platform/fonts/outline_reader.h"

namespace {

using Point = std::pair<int32_t, int32_t>;

constexpr char kOn = FT_CURVE_TAG_ON;
constexpr char kOff = FT_CURVE_TAG_CONIC;

// Points in whole pixels (26.6 on the FreeType side).
struct Outline {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;

    Outline& Contour(std::vector<std::tuple<int, int, char>> pts)
    {
        for (auto [x, y, tag] : pts) {
            points.push_back(FT_Vector { x * 64, y * 64 });
            tags.push_back(tag);
        }
        ends.push_back(static_cast<short>(points.size() - 1));
        return *this;
    }

    FT_Outline View()
    {
        FT_Outline o {};
        o.n_contours = static_cast<short>(ends.size());
        o.n_points = static_cast<short>(points.size());
        o.points = points.data();
        o.tags = tags.data();
        o.contours = ends.data();
        return o;
    }
};

Point Px(int x, int y)
{
    return { x * 65536, y * 65536 };
}

std::vector<ReadPolygon> Write(Outline& outline)
{
    std::vector<BYTE> bytes;
    FT_Outline view = outline.View();
    EXPECT_TRUE(platform::WriteNativeOutline(view, bytes));
    bool ok = false;
    auto polygons = ReadOutline(bytes.data(), bytes.size(), &ok);
    EXPECT_TRUE(ok);
    return polygons;
}

TEST(NativeOutline, StraightContourIsOnePolygonWithOneLineRecord)
{
    Outline square;
    square.Contour({ { 0, 0, kOn }, { 0, 10, kOn }, { 10, 10, kOn }, { 10, 0, kOn } });
    auto polygons = Write(square);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].type, TT_POLYGON_TYPE);
    EXPECT_EQ(polygons[0].start, Px(0, 0));
    ASSERT_EQ(polygons[0].curves.size(), 1u);
    EXPECT_EQ(polygons[0].curves[0].type, TT_PRIM_LINE);
    EXPECT_EQ(polygons[0].curves[0].points, (std::vector<Point> { Px(0, 10), Px(10, 10), Px(10, 0) }));
}

TEST(NativeOutline, ControlRunsEndAtTheirOnCurvePointAndLinesBetweenAreGrouped)
{
    Outline shape;
    shape.Contour({ { 0, 0, kOn }, { 5, 8, kOff }, { 10, 8, kOff }, { 15, 0, kOn }, { 15, -5, kOn }, { 10, -5, kOn },
        { 5, -8, kOff }, { 0, -5, kOn } });
    auto polygons = Write(shape);
    ASSERT_EQ(polygons.size(), 1u);
    const auto& curves = polygons[0].curves;
    ASSERT_EQ(curves.size(), 3u);
    EXPECT_EQ(curves[0].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(curves[0].points, (std::vector<Point> { Px(5, 8), Px(10, 8), Px(15, 0) }));
    EXPECT_EQ(curves[1].type, TT_PRIM_LINE);
    EXPECT_EQ(curves[1].points, (std::vector<Point> { Px(15, -5), Px(10, -5) }));
    EXPECT_EQ(curves[2].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(curves[2].points, (std::vector<Point> { Px(5, -8), Px(0, -5) }));
}

TEST(NativeOutline, ContourStartingOffCurveStartsAtItsFirstOnPointAndCurvesBackToIt)
{
    Outline shape;
    shape.Contour({ { 0, 10, kOff }, { 10, 10, kOn }, { 10, 0, kOn }, { 0, 0, kOff } });
    auto polygons = Write(shape);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].start, Px(10, 10));
    const auto& curves = polygons[0].curves;
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].type, TT_PRIM_LINE);
    EXPECT_EQ(curves[0].points, (std::vector<Point> { Px(10, 0) }));
    EXPECT_EQ(curves[1].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(curves[1].points, (std::vector<Point> { Px(0, 0), Px(0, 10), Px(10, 10) }));
}

TEST(NativeOutline, ContourOfControlPointsOnlyStartsBetweenItsLastAndFirst)
{
    Outline circle;
    circle.Contour({ { 0, 4, kOff }, { 4, 4, kOff }, { 4, 0, kOff }, { 0, 0, kOff } });
    auto polygons = Write(circle);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].start, Px(0, 2));
    ASSERT_EQ(polygons[0].curves.size(), 1u);
    EXPECT_EQ(polygons[0].curves[0].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(polygons[0].curves[0].points, (std::vector<Point> { Px(0, 4), Px(4, 4), Px(4, 0), Px(0, 0), Px(0, 2) }));
}

TEST(NativeOutline, SinglePointContoursAreSkippedAndOthersKeepTheirOrder)
{
    Outline shape;
    shape.Contour({ { 3, 3, kOn } })
        .Contour({ { 0, 0, kOn }, { 0, 1, kOn }, { 1, 1, kOn } })
        .Contour({ { 7, 7, kOff } })
        .Contour({ { 5, 5, kOn }, { 5, 6, kOn } });
    auto polygons = Write(shape);
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0].start, Px(0, 0));
    EXPECT_EQ(polygons[1].start, Px(5, 5));
}

TEST(NativeOutline, FractionalPointsKeepTheirFractionAndSign)
{
    Outline shape;
    shape.points = { FT_Vector { 32, -96 }, FT_Vector { -1, 64 }, FT_Vector { 0, 0 } };
    shape.tags = { kOn, kOn, kOn };
    shape.ends = { 2 };
    auto polygons = Write(shape);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].start, (Point { 0x8000, -0x18000 }));
    EXPECT_EQ(polygons[0].curves[0].points[0], (Point { -1024, 0x10000 }));
}

TEST(NativeOutline, CubicOutlinesAreRefusedAndNothingIsWritten)
{
    Outline shape;
    shape.Contour({ { 0, 0, kOn }, { 1, 1, FT_CURVE_TAG_CUBIC }, { 2, 1, FT_CURVE_TAG_CUBIC }, { 3, 0, kOn } });
    std::vector<BYTE> bytes { 1, 2, 3 };
    FT_Outline view = shape.View();
    EXPECT_FALSE(platform::WriteNativeOutline(view, bytes));
    EXPECT_EQ(bytes, (std::vector<BYTE> { 1, 2, 3 }));
}

} // namespace
