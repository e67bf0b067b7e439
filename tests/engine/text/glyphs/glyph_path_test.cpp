// The glyph path on handcrafted native outline buffers.
#include <cstring>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/text/glyphs/font_cache.h"
#include "engine/text/glyphs/glyph_path.h"

namespace {

using Raw = std::pair<int32_t, int32_t>;

struct Curve {
    WORD type;
    std::vector<Raw> points;
};

void Put(std::vector<BYTE>& out, const void* data, size_t n)
{
    auto* p = static_cast<const BYTE*>(data);
    out.insert(out.end(), p, p + n);
}

// Appends one polygon record with its curve records.
void Polygon(std::vector<BYTE>& out, Raw start, const std::vector<Curve>& curves)
{
    std::vector<BYTE> body;
    for (const Curve& c : curves) {
        WORD n = static_cast<WORD>(c.points.size());
        Put(body, &c.type, 2);
        Put(body, &n, 2);
        for (auto [x, y] : c.points) {
            Put(body, &x, 4);
            Put(body, &y, 4);
        }
    }
    DWORD cb = static_cast<DWORD>(16 + body.size());
    DWORD type = TT_POLYGON_TYPE;
    Put(out, &cb, 4);
    Put(out, &type, 4);
    Put(out, &start.first, 4);
    Put(out, &start.second, 4);
    Put(out, body.data(), body.size());
}

constexpr int32_t One = 0x10000;

struct Vertex {
    unsigned command;
    double x, y;
    bool operator==(const Vertex&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Vertex& v)
{
    return os << "{" << v.command << ", " << v.x << ", " << v.y << "}";
}

std::vector<Vertex> Drain(IMGlyphPath& path)
{
    std::vector<Vertex> out;
    path.rewind(0);
    for (;;) {
        Vertex v {};
        v.command = path.vertex(&v.x, &v.y);
        out.push_back(v);
        if (v.command == IMGlyphPath::kStop)
            return out;
    }
}

TEXTMETRICW Metrics(int height, int descent)
{
    TEXTMETRICW tm;
    tm.tmHeight = height;
    tm.tmDescent = descent;
    tm.tmAscent = height - descent;
    return tm;
}

class GlyphPathTest : public ::testing::Test {
protected:
    IMFontCache cache;
    IMGlyphPath path { cache };
    std::vector<BYTE> bytes;

    bool Build(int descent = 0, int advance = 10)
    {
        return path.BuildFromOutline(bytes.data(), static_cast<int32_t>(bytes.size()), Metrics(20, descent), advance);
    }
};

TEST(FixedToDouble, AddsTheUnsignedFractionToTheSignedValue)
{
    EXPECT_EQ(FixedToDouble(FIXED { 0x8000, 1 }), 1.5);
    EXPECT_EQ(FixedToDouble(FIXED { 0x8000, -1 }), -0.5);
    EXPECT_EQ(FixedToDouble(FIXED { 0, -3 }), -3.0);
}

TEST_F(GlyphPathTest, LinePolygonsBecomeMoveLinesAndCloseShiftedUpByTheDescent)
{
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { 0, 2 * One }, { One + One / 2, 2 * One } } } });
    Polygon(bytes, { 3 * One, -One }, { { TT_PRIM_LINE, { { 4 * One, -One } } } });
    ASSERT_TRUE(Build(4));
    EXPECT_EQ(Drain(path),
        (std::vector<Vertex> { { 1, 0, 4 }, { 2, 0, 6 }, { 2, 1.5, 6 }, { 0x5F, 0, 0 }, { 1, 3, 3 }, { 2, 4, 3 },
            { 0x5F, 0, 0 }, { 0, 0, 0 } }));
    EXPECT_EQ(path.Advance(), 10);
    EXPECT_EQ(path.CellHeight(), 20);
}

TEST_F(GlyphPathTest, SplinesPairControlPointsWithMidpointsAndEndOnTheirLastPoint)
{
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_QSPLINE, { { 2 * One, 4 * One }, { 6 * One, 4 * One }, { 8 * One, 0 } } } });
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path),
        (std::vector<Vertex> {
            { 1, 0, 0 }, { 3, 2, 4 }, { 3, 4, 4 }, { 3, 6, 4 }, { 3, 8, 0 }, { 0x5F, 0, 0 }, { 0, 0, 0 } }));
}

TEST_F(GlyphPathTest, MidpointsOfRawValuesTruncateTowardZero)
{
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_QSPLINE, { { -3, 3 }, { 0, 0 }, { One, One } } } });
    ASSERT_TRUE(Build());
    auto v = Drain(path);
    ASSERT_GE(v.size(), 3u);
    EXPECT_EQ(v[2].x, -1 / 65536.0);
    EXPECT_EQ(v[2].y, 1 / 65536.0);
}

TEST_F(GlyphPathTest, ShortSplinesAndUnknownRecordsEmitNothingButKeepTheirPlace)
{
    Polygon(bytes, { 0, 0 },
        { { TT_PRIM_QSPLINE, { { One, One } } }, { TT_PRIM_CSPLINE, { { One, 0 }, { 0, One }, { One, One } } },
            { TT_PRIM_LINE, { { 5 * One, 5 * One } } } });
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path), (std::vector<Vertex> { { 1, 0, 0 }, { 2, 5, 5 }, { 0x5F, 0, 0 }, { 0, 0, 0 } }));
}

TEST_F(GlyphPathTest, FailedOutlineLeavesOnlyTheStop)
{
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { One, One } } } });
    ASSERT_TRUE(Build());
    EXPECT_FALSE(path.BuildFromOutline(bytes.data(), -1, Metrics(20, 4), 7));
    EXPECT_EQ(Drain(path), (std::vector<Vertex> { { 0, 0, 0 } }));
    EXPECT_EQ(path.Advance(), 7);
}

TEST_F(GlyphPathTest, UnderlineBandSpansTheAdvanceBelowTheBaseline)
{
    cache.Clear();
    path.SetFont(L"Arial", 24, false, false, true);
    ASSERT_TRUE(path.BuildFromOutline(nullptr, 0, Metrics(24, 6), 13));
    EXPECT_EQ(Drain(path),
        (std::vector<Vertex> {
            { 1, 0, 3 }, { 2, 13, 3 }, { 2, 13, 6 / 15.0 }, { 2, 0, 6 / 15.0 }, { 0x5F, 0, 0 }, { 0, 0, 0 } }));
}

TEST_F(GlyphPathTest, MalformedRecordsEndTheOutlineWithoutReadingPastIt)
{
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { One, One } } } });
    const size_t first = bytes.size();
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { 2 * One, 2 * One } } } });
    // The second polygon claims more bytes than the buffer holds.
    DWORD too_long = 1000;
    std::memcpy(bytes.data() + first, &too_long, 4);
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path).size(), 4u);

    bytes.assign(32, 0); // a zero-length polygon would never advance
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path), (std::vector<Vertex> { { 0, 0, 0 } }));

    bytes.clear();
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { One, One }, { 2 * One, 0 } } } });
    WORD too_many = 50;
    std::memcpy(bytes.data() + 18, &too_many, 2);
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path), (std::vector<Vertex> { { 1, 0, 0 }, { 0x5F, 0, 0 }, { 0, 0, 0 } }));
}

TEST_F(GlyphPathTest, LongSplinesHoldEveryVertexBeyondTheStartingCapacity)
{
    std::vector<Raw> points;
    for (int i = 0; i < 2000; ++i)
        points.push_back({ i * One, (i % 2) * One });
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_QSPLINE, points } });
    ASSERT_TRUE(Build());
    auto v = Drain(path);
    ASSERT_EQ(v.size(), 1 + 2 * 1999 + 2u);
    EXPECT_GE(path.Capacity(), v.size());
    EXPECT_EQ(v[v.size() - 3], (Vertex { 3, 1999, 1 }));
    // A second, small glyph reuses the path.
    bytes.clear();
    Polygon(bytes, { 0, 0 }, { { TT_PRIM_LINE, { { One, One } } } });
    ASSERT_TRUE(Build());
    EXPECT_EQ(Drain(path).size(), 4u);
}

TEST_F(GlyphPathTest, RewindRestartsAndReadingPastTheEndKeepsAnsweringStop)
{
    Polygon(bytes, { One, One }, { { TT_PRIM_LINE, { { 2 * One, 2 * One } } } });
    ASSERT_TRUE(Build());
    auto first = Drain(path);
    double x = 7, y = 7;
    EXPECT_EQ(path.vertex(&x, &y), IMGlyphPath::kStop);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(Drain(path), first);
}

} // namespace
