// Per-pixel arithmetic of the software device, on packed 0xAARRGGBB words.
// Rounding: every product of two 8-bit channels is divided by 255 and rounded to nearest; bilinear weights are
// 8-bit fractions and each of the three interpolations rounds to nearest. Two channels share one 32-bit multiply
// (red with blue, alpha with green); the lanes never carry into each other.
#pragma once

#include <cstdint>

namespace platform::d3d9 {

constexpr uint32_t kLaneMask = 0x00FF00FFu;
constexpr uint32_t kLaneHalf = 0x00800080u;

// round(x / 255) for each 16-bit lane holding at most 255 * 255 (bias already added).
inline uint32_t LanesDiv255(uint32_t biased)
{
    return ((biased + ((biased >> 8) & kLaneMask)) >> 8) & kLaneMask;
}

// Source alpha over inverse source alpha, all four channels: d = s * a + d * (1 - a).
inline uint32_t BlendOver(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24;
    if (a == 255)
        return s;
    if (a == 0)
        return d;
    uint32_t ia = 255 - a;
    uint32_t rb = (s & kLaneMask) * a + (d & kLaneMask) * ia + kLaneHalf;
    uint32_t ag = ((s >> 8) & kLaneMask) * a + ((d >> 8) & kLaneMask) * ia + kLaneHalf;
    return LanesDiv255(rb) | (LanesDiv255(ag) << 8);
}

inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// Texture colour times the tint, channel by channel.
inline uint32_t Modulate(uint32_t c, uint32_t k)
{
    uint32_t b = Div255((c & 0xFF) * (k & 0xFF));
    uint32_t g = Div255(((c >> 8) & 0xFF) * ((k >> 8) & 0xFF));
    uint32_t r = Div255(((c >> 16) & 0xFF) * ((k >> 16) & 0xFF));
    uint32_t a = Div255((c >> 24) * (k >> 24));
    return b | (g << 8) | (r << 16) | (a << 24);
}

// a + (b - a) * f / 256, f in 0..255.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f)
{
    uint32_t nf = 256 - f;
    uint32_t rb = (((a & kLaneMask) * nf + (b & kLaneMask) * f + kLaneHalf) >> 8) & kLaneMask;
    uint32_t ag = (((a >> 8) & kLaneMask) * nf + ((b >> 8) & kLaneMask) * f + kLaneHalf) & ~kLaneMask;
    return rb | ag;
}

} // namespace platform::d3d9

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::d3d9 {

// Colours of one row (with or_mask set in each) times the tint, then blended over or written into dst.
// The four-pixel steps compute exactly what the functions above compute for one pixel.
template <bool kTint, bool kBlend>
inline void CombineRow(uint32_t* dst, const uint32_t* src, int count, uint32_t or_mask, uint32_t tint)
{
    int k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(128);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i alpha_bits = _mm_set1_epi32(int(0xFF000000u));
    const __m128i or_bits = _mm_set1_epi32(int(or_mask));
    const __m128i tint16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(tint)), zero);
    auto div255 = [&](__m128i x) {
        x = _mm_add_epi16(x, half);
        return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
    };
    auto alpha_of = [](__m128i px16) { // each pixel's alpha in all four of its lanes
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(px16, 0xFF), 0xFF);
    };
    for (; k + 4 <= count; k += 4) {
        __m128i s = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k)), or_bits);
        __m128i s_lo = _mm_unpacklo_epi8(s, zero), s_hi = _mm_unpackhi_epi8(s, zero);
        if constexpr (kTint) {
            s_lo = div255(_mm_mullo_epi16(s_lo, tint16));
            s_hi = div255(_mm_mullo_epi16(s_hi, tint16));
            s = _mm_packus_epi16(s_lo, s_hi);
        }
        __m128i* out = reinterpret_cast<__m128i*>(dst + k);
        if constexpr (kBlend) {
            int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha_bits), alpha_bits));
            if (opaque == 0xFFFF) {
                _mm_storeu_si128(out, s);
                continue;
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha_bits), zero)) == 0xFFFF)
                continue;
            __m128i d = _mm_loadu_si128(out);
            __m128i a_lo = alpha_of(s_lo), a_hi = alpha_of(s_hi);
            __m128i r_lo = _mm_add_epi16(
                _mm_mullo_epi16(s_lo, a_lo), _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, a_lo)));
            __m128i r_hi = _mm_add_epi16(
                _mm_mullo_epi16(s_hi, a_hi), _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, a_hi)));
            _mm_storeu_si128(out, _mm_packus_epi16(div255(r_lo), div255(r_hi)));
        } else {
            _mm_storeu_si128(out, s);
        }
    }
#endif
    for (; k < count; ++k) {
        uint32_t c = src[k] | or_mask;
        if constexpr (kTint)
            c = Modulate(c, tint);
        dst[k] = kBlend ? BlendOver(c, dst[k]) : c;
    }
}

// Bilinear colours of four pixels from their corner texels (top-left, top-right, bottom-left, bottom-right) and
// column fractions, sharing the row fraction fy: for each, Lerp(Lerp(tl, tr, fx), Lerp(bl, br, fx), fy).
inline void Bilinear4(uint32_t* out, const uint32_t tl[4], const uint32_t tr[4], const uint32_t bl[4],
    const uint32_t br[4], const uint32_t fx[4], uint32_t fy)
{
#if defined(__SSE2__)
    // Every channel sum stays below 65536, so 16-bit lanes compute it exactly.
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(128);
    const __m128i full = _mm_set1_epi16(256);
    auto load = [](const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    auto lerp = [&](__m128i a, __m128i b, __m128i f) {
        __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(full, f)), _mm_mullo_epi16(b, f));
        return _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
    };
    const __m128i fy16 = _mm_set1_epi16(short(fy));
    const __m128i fx_lo = _mm_set_epi16(
        short(fx[1]), short(fx[1]), short(fx[1]), short(fx[1]), short(fx[0]), short(fx[0]), short(fx[0]), short(fx[0]));
    const __m128i fx_hi = _mm_set_epi16(
        short(fx[3]), short(fx[3]), short(fx[3]), short(fx[3]), short(fx[2]), short(fx[2]), short(fx[2]), short(fx[2]));
    __m128i a = load(tl), b = load(tr), c = load(bl), d = load(br);
    __m128i lo = lerp(lerp(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), fx_lo),
        lerp(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(d, zero), fx_lo), fy16);
    __m128i hi = lerp(lerp(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), fx_hi),
        lerp(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(d, zero), fx_hi), fy16);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(lo, hi));
#else
    for (int k = 0; k < 4; ++k)
        out[k] = Lerp(Lerp(tl[k], tr[k], fx[k]), Lerp(bl[k], br[k], fx[k]), fy);
#endif
}

} // namespace platform::d3d9
