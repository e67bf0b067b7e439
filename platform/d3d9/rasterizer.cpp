#include "platform/d3d9/rasterizer.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/pixel_ops.h"

namespace platform::d3d9 {
namespace {

// Positions are snapped to 1/256 pixel; texture coordinates step in 1/65536 texel.
constexpr int64_t kSubpixel = 256;
constexpr double kTexelFixed = 65536.0;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

int64_t FloorDiv(int64_t n, int64_t d)
{
    int64_t q = n / d;
    return (n % d != 0 && ((n < 0) != (d < 0))) ? q - 1 : q;
}

int64_t CeilDiv(int64_t n, int64_t d)
{
    return -FloorDiv(-n, d);
}

// Halves away from zero, as llround, without the library call.
int64_t Round(double x)
{
    return int64_t(x >= 0 ? x + 0.5 : x - 0.5);
}

struct Fixed {
    int64_t x, y;
};

Fixed Snap(const RasterVertex& v)
{
    return { std::llround(double(v.x) * kSubpixel), std::llround(double(v.y) * kSubpixel) };
}

struct Texels {
    const uint32_t* p;
    int w, h;
    bool pow2_w, pow2_h;
    uint32_t or_mask;
    const RowCoverage* coverage;

    explicit Texels(const RasterSource& src)
    {
        bool has = src.texels && src.width > 0 && src.height > 0;
        p = has ? src.texels : &kWhite;
        w = has ? src.width : 1;
        h = has ? src.height : 1;
        pow2_w = (w & (w - 1)) == 0;
        pow2_h = (h & (h - 1)) == 0;
        or_mask = src.ignore_alpha ? 0xFF000000u : 0;
        coverage = has && !src.ignore_alpha ? src.coverage : nullptr;
    }
    int WrapX(int64_t x) const { return pow2_w ? int(x & (w - 1)) : int(((x % w) + w) % w); }
    int WrapY(int64_t y) const { return pow2_h ? int(y & (h - 1)) : int(((y % h) + h) % h); }
    const uint32_t* Row(int y) const { return p + size_t(y) * size_t(w); }
    uint32_t Point(int64_t s, int64_t t) const { return Row(WrapY(t >> 16))[WrapX(s >> 16)] | or_mask; }
    uint32_t Linear(int64_t s, int64_t t) const
    {
        s -= 32768;
        t -= 32768;
        const uint32_t* r0 = Row(WrapY(t >> 16));
        const uint32_t* r1 = Row(WrapY((t >> 16) + 1));
        int x0 = WrapX(s >> 16), x1 = WrapX((s >> 16) + 1);
        uint32_t fx = uint32_t(s >> 8) & 255, fy = uint32_t(t >> 8) & 255;
        uint32_t top = Lerp(r0[x0] | or_mask, r0[x1] | or_mask, fx);
        uint32_t bottom = Lerp(r1[x0] | or_mask, r1[x1] | or_mask, fx);
        return Lerp(top, bottom, fy);
    }
};

// One row of pixels with texture coordinates stepping along it.
struct Span {
    uint32_t* dst;
    int count;
    int64_t s, t; // at the first pixel
    int64_t ds, dt; // per pixel
};

using SpanFn = void (*)(const Span&, const Texels&, uint32_t tint);

// Samples a run of texels into a small buffer, then combines the buffer with the row in one pass.
template <bool kLinear, bool kTint, bool kBlend> void SampledSpan(const Span& sp, const Texels& tx, uint32_t tint)
{
    constexpr int kChunk = 64;
    uint32_t colours[kChunk];
    int64_t s = sp.s, t = sp.t;
    for (int done = 0; done < sp.count; done += kChunk) {
        int n = std::min(kChunk, sp.count - done);
        for (int k = 0; k < n; ++k, s += sp.ds, t += sp.dt)
            colours[k] = kLinear ? tx.Linear(s, t) : tx.Point(s, t);
        CombineRow<kTint, kBlend>(sp.dst + done, colours, n, 0, tint);
    }
}

// Bilinear sampling along a row whose texture rows do not change: the shrunk axis-aligned picture.
template <bool kTint, bool kBlend> void LinearRowSpan(const Span& sp, const Texels& tx, uint32_t tint)
{
    constexpr int kChunk = 64;
    uint32_t colours[kChunk];
    const int64_t t = sp.t - 32768;
    const uint32_t* r0 = tx.Row(tx.WrapY(t >> 16));
    const uint32_t* r1 = tx.Row(tx.WrapY((t >> 16) + 1));
    const uint32_t fy = uint32_t(t >> 8) & 255;
    const uint32_t m = tx.or_mask;
    int64_t s = sp.s - 32768;
    // The corner texels are gathered for the whole chunk first, so the four-pixel blends read settled memory.
    uint32_t tl[kChunk], tr[kChunk], bl[kChunk], br[kChunk], fx[kChunk];
    for (int done = 0; done < sp.count; done += kChunk) {
        int n = std::min(kChunk, sp.count - done);
        for (int k = 0; k < n; ++k, s += sp.ds) {
            int x0 = tx.WrapX(s >> 16), x1 = tx.WrapX((s >> 16) + 1);
            tl[k] = r0[x0] | m;
            tr[k] = r0[x1] | m;
            bl[k] = r1[x0] | m;
            br[k] = r1[x1] | m;
            fx[k] = uint32_t(s >> 8) & 255;
        }
        int k = 0;
        for (; k + 4 <= n; k += 4)
            Bilinear4(colours + k, tl + k, tr + k, bl + k, br + k, fx + k, fy);
        for (; k < n; ++k)
            colours[k] = Lerp(Lerp(tl[k], tr[k], fx[k]), Lerp(bl[k], br[k], fx[k]), fy);
        CombineRow<kTint, kBlend>(sp.dst + done, colours, n, 0, tint);
    }
}

// Blends texel columns [begin, end) of a row whose coverage is known: transparent texels leave the target as it is
// and opaque ones replace it (a tint that keeps alpha at 255 keeps them opaque), so only the texels between are
// blended one by one.
template <bool kTint>
void CoveredRow(uint32_t* dst, const uint32_t* row, int begin, int end, const RowCoverage& c, uint32_t tint)
{
    int lo = std::max(begin, c.visible_begin), hi = std::min(end, c.visible_end);
    if (lo >= hi)
        return;
    int opaque_lo = std::clamp(c.opaque_begin, lo, hi), opaque_hi = std::clamp(c.opaque_end, opaque_lo, hi);
    if (kTint && tint >> 24 != 255)
        opaque_lo = opaque_hi = hi;
    dst -= begin;
    CombineRow<kTint, true>(dst + lo, row + lo, opaque_lo - lo, 0, tint);
    if constexpr (kTint)
        CombineRow<true, false>(dst + opaque_lo, row + opaque_lo, opaque_hi - opaque_lo, 0, tint);
    else
        std::copy(row + opaque_lo, row + opaque_hi, dst + opaque_lo);
    CombineRow<kTint, true>(dst + opaque_hi, row + opaque_hi, hi - opaque_hi, 0, tint);
}

// Point sampling at one texel per pixel along a row that needs no wrapping: the common 1:1 picture.
template <bool kTint, bool kBlend> void CopySpan(const Span& sp, const Texels& tx, uint32_t tint)
{
    const int y = tx.WrapY(sp.t >> 16);
    const int first = int(sp.s >> 16);
    if (kBlend && tx.coverage) {
        CoveredRow<kTint>(sp.dst, tx.Row(y), first, first + sp.count, tx.coverage[y], tint);
        return;
    }
    CombineRow<kTint, kBlend>(sp.dst, tx.Row(y) + first, sp.count, tx.or_mask, tint);
}

SpanFn PickSampled(bool linear, bool tint, bool blend)
{
    static const SpanFn table[8] = {
        SampledSpan<false, false, false>,
        SampledSpan<false, false, true>,
        SampledSpan<false, true, false>,
        SampledSpan<false, true, true>,
        SampledSpan<true, false, false>,
        SampledSpan<true, false, true>,
        SampledSpan<true, true, false>,
        SampledSpan<true, true, true>,
    };
    return table[(linear ? 4 : 0) + (tint ? 2 : 0) + (blend ? 1 : 0)];
}

SpanFn PickLinearRow(bool tint, bool blend)
{
    static const SpanFn table[4] = { LinearRowSpan<false, false>, LinearRowSpan<false, true>,
        LinearRowSpan<true, false>, LinearRowSpan<true, true> };
    return table[(tint ? 2 : 0) + (blend ? 1 : 0)];
}

SpanFn PickCopy(bool tint, bool blend)
{
    static const SpanFn table[4]
        = { CopySpan<false, false>, CopySpan<false, true>, CopySpan<true, false>, CopySpan<true, true> };
    return table[(tint ? 2 : 0) + (blend ? 1 : 0)];
}

// Texture coordinates in texels as planes over the screen, and the filter they call for.
struct Planes {
    double x0, y0, s0, t0;
    double dsdx, dsdy, dtdx, dtdy;
    bool linear;
    int64_t ds_fixed, dt_fixed;

    // Coordinates at pixel column 0 of row j: every span of the row steps from here, so two triangles sharing
    // a row sample exactly alike.
    int64_t SAtRow(int j) const { return Round((s0 - dsdx * x0 + dsdy * (j - y0)) * kTexelFixed); }
    int64_t TAtRow(int j) const { return Round((t0 - dtdx * x0 + dtdy * (j - y0)) * kTexelFixed); }
};

Planes MakePlanes(const Texels& tx, const RasterState& state, const RasterVertex* v[3], const Fixed p[3])
{
    double x[3], y[3], s[3], t[3];
    for (int k = 0; k < 3; ++k) {
        x[k] = double(p[k].x) / kSubpixel;
        y[k] = double(p[k].y) / kSubpixel;
        s[k] = double(v[k]->u) * tx.w;
        t[k] = double(v[k]->v) * tx.h;
    }
    double ax = x[1] - x[0], ay = y[1] - y[0], bx = x[2] - x[0], by = y[2] - y[0];
    double det = ax * by - bx * ay;
    Planes pl {};
    pl.x0 = x[0];
    pl.y0 = y[0];
    pl.s0 = s[0];
    pl.t0 = t[0];
    pl.dsdx = ((s[1] - s[0]) * by - (s[2] - s[0]) * ay) / det;
    pl.dsdy = ((s[2] - s[0]) * ax - (s[1] - s[0]) * bx) / det;
    pl.dtdx = ((t[1] - t[0]) * by - (t[2] - t[0]) * ay) / det;
    pl.dtdy = ((t[2] - t[0]) * ax - (t[1] - t[0]) * bx) / det;
    // More than one texel per pixel along either screen axis is minification. Snapping the corners to
    // 1/256 pixel moves the gradients of a turned 1:1 quad slightly off 1; that still counts as 1:1.
    double rho = std::max(std::hypot(pl.dsdx, pl.dtdx), std::hypot(pl.dsdy, pl.dtdy));
    pl.linear = rho > 1.0 + 1.0 / 1024 ? state.min_linear : state.mag_linear;
    pl.ds_fixed = Round(pl.dsdx * kTexelFixed);
    pl.dt_fixed = Round(pl.dtdx * kTexelFixed);
    return pl;
}

struct Edge {
    int64_t ax, ay, dx, dy;
    int64_t need; // 0 on top and left edges (pixels on them are drawn), 1 elsewhere

    // Edge function at pixel centre (i, j), in 1/65536 pixel squared.
    int64_t At(int64_t i, int64_t j) const { return dx * (j * kSubpixel - ay) - dy * (i * kSubpixel - ax); }
};

Edge MakeEdge(Fixed a, Fixed b)
{
    Edge e { a.x, a.y, b.x - a.x, b.y - a.y, 1 };
    bool top = e.dy == 0 && e.dx > 0;
    bool left = e.dy < 0;
    e.need = (top || left) ? 0 : 1;
    return e;
}

// Narrows [lo, hi] to the columns of row j inside the edge.
void ClampToEdge(const Edge& e, int64_t j, int64_t& lo, int64_t& hi)
{
    int64_t at_lo = e.At(lo, j);
    int64_t step = -e.dy * kSubpixel; // change per column
    if (step > 0)
        lo = std::max(lo, lo + CeilDiv(e.need - at_lo, step));
    else if (step < 0)
        hi = std::min(hi, lo + FloorDiv(at_lo - e.need, -step));
    else if (at_lo < e.need)
        hi = lo - 1;
}

bool Culled(int64_t area, DWORD cull)
{
    // Positive area: clockwise on the screen (y points down).
    return area == 0 || (cull == 3 && area < 0) || (cull == 2 && area > 0);
}

void RunRow(const RasterTarget& target, const Texels& tx, const RasterState& state, const Planes& pl, SpanFn fn, int j,
    int64_t lo, int64_t hi)
{
    if (lo > hi)
        return;
    Span sp { target.pixels + size_t(j) * size_t(target.stride) + lo, int(hi - lo + 1), pl.SAtRow(j) + lo * pl.ds_fixed,
        pl.TAtRow(j) + lo * pl.dt_fixed, pl.ds_fixed, pl.dt_fixed };
    fn(sp, tx, state.tint);
}

bool TintMatters(uint32_t tint)
{
    return tint != 0xFFFFFFFFu;
}

bool DrawAxisAlignedRect(
    const RasterTarget& target, const Texels& tx, const RasterState& state, const RasterVertex v[4])
{
    Fixed p[4];
    for (int k = 0; k < 4; ++k)
        p[k] = Snap(v[k]);
    bool rect = p[0].y == p[1].y && p[2].y == p[3].y && p[0].x == p[3].x && p[1].x == p[2].x && p[0].x < p[1].x
        && p[0].y < p[3].y;
    bool coords = v[0].u == v[3].u && v[1].u == v[2].u && v[0].v == v[1].v && v[2].v == v[3].v;
    if (!rect || !coords)
        return false;
    if (Culled(1, state.cull))
        return true;
    const RasterVertex* tri[3] = { &v[0], &v[1], &v[2] };
    Fixed tp[3] = { p[0], p[1], p[2] };
    Planes pl = MakePlanes(tx, state, tri, tp);

    int64_t lo = std::max<int64_t>(target.clip.left, CeilDiv(p[0].x, kSubpixel));
    int64_t hi = std::min<int64_t>(target.clip.right, CeilDiv(p[1].x, kSubpixel)) - 1;
    int64_t top = std::max<int64_t>(target.clip.top, CeilDiv(p[0].y, kSubpixel));
    int64_t bottom = std::min<int64_t>(target.clip.bottom, CeilDiv(p[3].y, kSubpixel));
    if (lo > hi || top >= bottom)
        return true;

    bool tint = TintMatters(state.tint);
    // Texture rows change only from one screen row to the next.
    SpanFn fn = pl.linear ? PickLinearRow(tint, state.blend) : PickSampled(false, tint, state.blend);
    if (!pl.linear && pl.ds_fixed == 65536) {
        // One texel per pixel: a straight row copy when the columns need no wrapping.
        int64_t first = (pl.SAtRow(int(top)) + lo * pl.ds_fixed) >> 16;
        if (first >= 0 && first + (hi - lo) < tx.w)
            fn = PickCopy(tint, state.blend);
    }
    for (int64_t j = top; j < bottom; ++j)
        RunRow(target, tx, state, pl, fn, int(j), lo, hi);
    return true;
}

void Triangle(const RasterTarget& target, const Texels& tx, const RasterState& state, const RasterVertex& a,
    const RasterVertex& b, const RasterVertex& c)
{
    const RasterVertex* v[3] = { &a, &b, &c };
    Fixed p[3] = { Snap(a), Snap(b), Snap(c) };
    int64_t area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (Culled(area, state.cull))
        return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(p[1], p[2]);
    }
    Planes pl = MakePlanes(tx, state, v, p);
    Edge edges[3] = { MakeEdge(p[0], p[1]), MakeEdge(p[1], p[2]), MakeEdge(p[2], p[0]) };

    int64_t min_x = std::min({ p[0].x, p[1].x, p[2].x }), max_x = std::max({ p[0].x, p[1].x, p[2].x });
    int64_t min_y = std::min({ p[0].y, p[1].y, p[2].y }), max_y = std::max({ p[0].y, p[1].y, p[2].y });
    int64_t left = std::max<int64_t>(target.clip.left, CeilDiv(min_x, kSubpixel));
    int64_t right = std::min<int64_t>(target.clip.right - 1, FloorDiv(max_x, kSubpixel));
    int64_t top = std::max<int64_t>(target.clip.top, CeilDiv(min_y, kSubpixel));
    int64_t bottom = std::min<int64_t>(target.clip.bottom - 1, FloorDiv(max_y, kSubpixel));
    SpanFn fn = PickSampled(pl.linear, TintMatters(state.tint), state.blend);
    for (int64_t j = top; j <= bottom; ++j) {
        int64_t lo = left, hi = right;
        for (const Edge& e : edges) {
            ClampToEdge(e, j, lo, hi);
            if (lo > hi)
                break;
        }
        RunRow(target, tx, state, pl, fn, int(j), lo, hi);
    }
}

bool ClipIsEmpty(const RasterTarget& target)
{
    return !target.pixels || target.clip.left >= target.clip.right || target.clip.top >= target.clip.bottom;
}

} // namespace

RowCoverage MeasureRow(const uint32_t* texels, int width)
{
    RowCoverage c;
    int x = 0;
    while (x < width && texels[x] >> 24 == 0)
        ++x;
    c.visible_begin = c.visible_end = x;
    while (x < width) {
        uint32_t a = texels[x] >> 24;
        if (a != 255) {
            if (a != 0)
                c.visible_end = x + 1;
            ++x;
            continue;
        }
        int run = x;
        while (x < width && texels[x] >> 24 == 255)
            ++x;
        c.visible_end = x;
        if (x - run > c.opaque_end - c.opaque_begin) {
            c.opaque_begin = run;
            c.opaque_end = x;
        }
    }
    return c;
}

void DrawTriangle(const RasterTarget& target, const RasterSource& source, const RasterState& state,
    const RasterVertex& a, const RasterVertex& b, const RasterVertex& c)
{
    if (ClipIsEmpty(target))
        return;
    Triangle(target, Texels(source), state, a, b, c);
}

void DrawQuadFan(const RasterTarget& target, const RasterSource& source, const RasterState& state,
    const RasterVertex v[4], bool allow_fast_path)
{
    if (ClipIsEmpty(target))
        return;
    Texels tx(source);
    if (allow_fast_path && DrawAxisAlignedRect(target, tx, state, v))
        return;
    Triangle(target, tx, state, v[0], v[1], v[2]);
    Triangle(target, tx, state, v[0], v[2], v[3]);
}

} // namespace platform::d3d9
