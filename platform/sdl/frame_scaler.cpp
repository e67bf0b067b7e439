#include "platform/sdl/frame_scaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {
namespace {

// Blends two 0xAARRGGBB words channel by channel: a × (256 − w) + b × w, over 256.
uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t rb = (((a & 0xFF00FFu) * (256 - w) + (b & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
    const uint32_t ag = (((a >> 8) & 0xFF00FFu) * (256 - w) + ((b >> 8) & 0xFF00FFu) * w) & 0xFF00FF00u;
    return rb | ag;
}

// out[x] = Lerp(a[x], b[x], w) for x in [x0, x1).
void BlendRows(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int x0, int x1)
{
    int x = x0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
    const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - w));
    // Each product is at most 255 × 256 and so is the sum of the two, so 16-bit lanes hold them exactly.
    const auto blend = [&](__m128i pa, __m128i pb) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(pa, wa), _mm_mullo_epi16(pb, wb)), 8);
    };
    for (; x + 4 <= x1; x += 4) {
        const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        const __m128i lo = blend(_mm_unpacklo_epi8(pa, zero), _mm_unpacklo_epi8(pb, zero));
        const __m128i hi = blend(_mm_unpackhi_epi8(pa, zero), _mm_unpackhi_epi8(pb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < x1; ++x)
        out[x] = Lerp(a[x], b[x], w);
}

} // namespace

std::vector<FrameScaler::Tap> FrameScaler::Taps(int src_extent, int view_extent)
{
    std::vector<Tap> taps(static_cast<size_t>(std::max(view_extent, 0)));
    for (int d = 0; d < view_extent; ++d) {
        if (src_extent == view_extent) {
            taps[size_t(d)] = Tap { d, d, 0 };
            continue;
        }
        // The sample point of output pixel d's centre, in source pixels less half a pixel, with 8 fraction bits.
        const int64_t u = ((2 * int64_t(d) + 1) * src_extent * 256) / (2 * int64_t(view_extent)) - 128;
        if (u <= 0) {
            taps[size_t(d)] = Tap { 0, 0, 0 };
            continue;
        }
        const int first = static_cast<int>(u >> 8);
        const int second = std::min(first + 1, src_extent - 1);
        taps[size_t(d)] = Tap { first, second, second == first ? 0u : static_cast<uint32_t>(u & 255) };
    }
    return taps;
}

void FrameScaler::Configure(int src_w, int src_h, int view_w, int view_h)
{
    src_w_ = src_w;
    src_h_ = src_h;
    columns_ = Taps(src_w, view_w);
    rows_ = Taps(src_h, view_h);
    same_width_ = src_w == view_w;
    column_factors_.assign(columns_.size() * 8, 0);
    blend_begin_ = static_cast<int>(columns_.size());
    blend_end_ = 0;
    for (size_t x = 0; x < columns_.size(); ++x) {
        const Tap& t = columns_[x];
        std::fill_n(column_factors_.begin() + std::ptrdiff_t(8 * x), 4, static_cast<uint16_t>(256 - t.weight));
        std::fill_n(column_factors_.begin() + std::ptrdiff_t(8 * x + 4), 4, static_cast<uint16_t>(t.weight));
        if (t.second == t.first + 1) {
            blend_begin_ = std::min(blend_begin_, int(x));
            blend_end_ = int(x) + 1;
        }
    }
    upper_.assign(columns_.size(), 0);
    lower_.assign(columns_.size(), 0);
}

// The output range [out_lo, out_hi) of the pixels reading any source pixel in [lo, hi).
void FrameScaler::Span(const std::vector<Tap>& taps, int lo, int hi, int* out_lo, int* out_hi)
{
    const auto begin = std::partition_point(taps.begin(), taps.end(), [lo](const Tap& t) { return t.second < lo; });
    const auto end = std::partition_point(begin, taps.end(), [hi](const Tap& t) { return t.first < hi; });
    *out_lo = static_cast<int>(begin - taps.begin());
    *out_hi = static_cast<int>(end - taps.begin());
}

SDL_Rect FrameScaler::Reach(SDL_Rect source) const
{
    const int x0 = std::max(source.x, 0), x1 = std::min(source.x + source.w, src_w_);
    const int y0 = std::max(source.y, 0), y1 = std::min(source.y + source.h, src_h_);
    if (x0 >= x1 || y0 >= y1)
        return SDL_Rect { 0, 0, 0, 0 };
    SDL_Rect out;
    int right = 0, bottom = 0;
    Span(columns_, x0, x1, &out.x, &right);
    Span(rows_, y0, y1, &out.y, &bottom);
    out.w = right - out.x;
    out.h = bottom - out.y;
    return out;
}

void FrameScaler::ScaleRow(const uint32_t* src_row, int x0, int x1, uint32_t* out) const
{
    if (same_width_) {
        std::memcpy(out + x0, src_row + x0, size_t(x1 - x0) * 4);
        return;
    }
    const auto one = [&](int x) {
        const Tap& t = columns_[size_t(x)];
        out[x] = t.weight == 0 ? src_row[t.first] : Lerp(src_row[t.first], src_row[t.second], t.weight);
    };
    int x = x0;
#if defined(__SSE2__)
    for (; x < std::min(x1, blend_begin_); ++x)
        one(x);
    // Two output pixels a step, each from one 8-byte load of its two neighbouring source pixels.
    const __m128i zero = _mm_setzero_si128();
    const int end = std::min(x1, blend_end_);
    for (; x + 2 <= end; x += 2) {
        const Tap& t0 = columns_[size_t(x)];
        const Tap& t1 = columns_[size_t(x) + 1];
        const __m128i p0
            = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src_row + t0.first)), zero);
        const __m128i p1
            = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src_row + t1.first)), zero);
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column_factors_.data() + 8 * size_t(x)));
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column_factors_.data() + 8 * size_t(x) + 8));
        const __m128i m0 = _mm_mullo_epi16(p0, f);
        const __m128i m1 = _mm_mullo_epi16(p1, g);
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
        const __m128i pixels = _mm_srli_epi16(sum, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(pixels, pixels));
    }
#endif
    for (; x < x1; ++x)
        one(x);
}

void FrameScaler::Scale(const uint32_t* src, int src_pitch, uint32_t* view, int view_pitch, SDL_Rect area)
{
    const int x0 = area.x, x1 = area.x + area.w;
    // The horizontally scaled source rows held in upper_ and lower_, so each is scaled once for all the output
    // rows between them.
    int upper_row = -1, lower_row = -1;
    for (int y = area.y; y < area.y + area.h; ++y) {
        const Tap& t = rows_[size_t(y)];
        if (upper_row != t.first) {
            if (lower_row == t.first) {
                std::swap(upper_, lower_);
                std::swap(upper_row, lower_row);
            } else {
                ScaleRow(src + std::ptrdiff_t(t.first) * src_pitch, x0, x1, upper_.data());
                upper_row = t.first;
            }
        }
        uint32_t* out = view + std::ptrdiff_t(y) * view_pitch;
        if (t.weight == 0) {
            std::memcpy(out + x0, upper_.data() + x0, size_t(x1 - x0) * 4);
            continue;
        }
        if (lower_row != t.second) {
            ScaleRow(src + std::ptrdiff_t(t.second) * src_pitch, x0, x1, lower_.data());
            lower_row = t.second;
        }
        BlendRows(upper_.data(), lower_.data(), t.weight, out, x0, x1);
    }
}

} // namespace platform
