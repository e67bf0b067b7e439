#include "platform/fonts/native_outline.h"

#include <cstring>

#include "platform/fonts/gdi_font.h"

namespace platform {
namespace {

struct Fixed2 {
    int32_t x = 0;
    int32_t y = 0;
};

Fixed2 ToFixed(const FT_Vector& v)
{
    return { static_cast<int32_t>(v.x * 1024), static_cast<int32_t>(v.y * 1024) };
}

Fixed2 Midpoint(Fixed2 a, Fixed2 b)
{
    return { static_cast<int32_t>((int64_t(a.x) + b.x) / 2), static_cast<int32_t>((int64_t(a.y) + b.y) / 2) };
}

void PutWord(std::vector<BYTE>& out, size_t at, WORD v)
{
    out[at] = static_cast<BYTE>(v);
    out[at + 1] = static_cast<BYTE>(v >> 8);
}

void PutDword(std::vector<BYTE>& out, size_t at, uint32_t v)
{
    PutWord(out, at, static_cast<WORD>(v));
    PutWord(out, at + 2, static_cast<WORD>(v >> 16));
}

void AppendPoint(std::vector<BYTE>& out, Fixed2 p)
{
    size_t at = out.size();
    out.resize(at + 8);
    PutDword(out, at, static_cast<uint32_t>(p.x));
    PutDword(out, at + 4, static_cast<uint32_t>(p.y));
}

// Builds one polygon; consecutive lines share a record, and each run of control points ends a spline record at
// the next on-curve point.
class PolygonWriter {
public:
    PolygonWriter(std::vector<BYTE>& out, Fixed2 start)
        : out_(out)
        , begin_(out.size())
    {
        out_.resize(begin_ + 8);
        PutDword(out_, begin_ + 4, TT_POLYGON_TYPE);
        AppendPoint(out_, start);
    }

    void Add(WORD type, Fixed2 p)
    {
        if (type != type_ || (type == TT_PRIM_QSPLINE && spline_closed_)) {
            curve_ = out_.size();
            out_.resize(curve_ + 4);
            PutWord(out_, curve_, type);
            type_ = type;
            count_ = 0;
            spline_closed_ = false;
        }
        AppendPoint(out_, p);
        PutWord(out_, curve_ + 2, ++count_);
    }

    // Ends the current spline record after its on-curve point.
    void CloseSpline() { spline_closed_ = true; }

    void Finish() { PutDword(out_, begin_, static_cast<uint32_t>(out_.size() - begin_)); }

private:
    std::vector<BYTE>& out_;
    size_t begin_;
    size_t curve_ = 0;
    WORD type_ = 0;
    WORD count_ = 0;
    bool spline_closed_ = false;
};

bool IsOn(char tag)
{
    return FT_CURVE_TAG(tag) == FT_CURVE_TAG_ON;
}

void WriteContour(const FT_Outline& outline, int first, int last, std::vector<BYTE>& out)
{
    const int n = last - first + 1;
    int start = -1;
    for (int i = 0; i < n && start < 0; ++i)
        if (IsOn(outline.tags[first + i]))
            start = i;

    auto point = [&](int i) { return ToFixed(outline.points[first + (i % n)]); };
    if (start < 0) {
        // Only control points: the contour starts and ends between the last and the first.
        Fixed2 begin = Midpoint(point(n - 1), point(0));
        PolygonWriter polygon(out, begin);
        for (int i = 0; i < n; ++i)
            polygon.Add(TT_PRIM_QSPLINE, point(i));
        polygon.Add(TT_PRIM_QSPLINE, begin);
        polygon.Finish();
        return;
    }

    PolygonWriter polygon(out, point(start));
    bool pending_controls = false;
    for (int k = 1; k <= n; ++k) {
        const int i = start + k;
        const bool on = IsOn(outline.tags[first + (i % n)]);
        if (!on) {
            polygon.Add(TT_PRIM_QSPLINE, point(i));
            pending_controls = true;
        } else if (pending_controls) {
            polygon.Add(TT_PRIM_QSPLINE, point(i));
            polygon.CloseSpline();
            pending_controls = false;
        } else if (k < n) {
            // The closing line back to the start is implied by the polygon.
            polygon.Add(TT_PRIM_LINE, point(i));
        }
    }
    polygon.Finish();
}

} // namespace

bool WriteNativeOutline(const FT_Outline& outline, std::vector<BYTE>& out)
{
    for (int i = 0; i < outline.n_points; ++i)
        if (FT_CURVE_TAG(outline.tags[i]) == FT_CURVE_TAG_CUBIC)
            return false;

    int first = 0;
    for (int c = 0; c < outline.n_contours; ++c) {
        const int last = outline.contours[c];
        if (last - first + 1 >= 2)
            WriteContour(outline, first, last, out);
        first = last + 1;
    }
    return true;
}

} // namespace platform
