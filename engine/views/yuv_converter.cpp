#include "engine/views/yuv_converter.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define HAVE_AVX2_PATH 1
#endif

namespace {

// One pair of picture rows sharing a chroma row; out1 and y1 are null for the last row of an odd height.
struct RowPair {
    BYTE* out0;
    BYTE* out1;
    const BYTE* y0;
    const BYTE* y1;
    const BYTE* u;
    const BYTE* v;
    int width;
};

// The factors are those of 16-bit saturating lanes; with 8-bit inputs only the blue and red sums can reach the
// limit, and there the result clamps to 255 either way.
int Saturate16(int x)
{
    return std::clamp(x, -32768, 32767);
}
BYTE Clamp8(int x)
{
    return static_cast<BYTE>(std::clamp(x, 0, 255));
}

void WritePixel(BYTE* out, int luma, int u, int v)
{
    out[0] = Clamp8(Saturate16(luma + 129 * u) >> 6);
    out[1] = Clamp8(Saturate16(luma - Saturate16(25 * u + 52 * v)) >> 6);
    out[2] = Clamp8(Saturate16(luma + 102 * v) >> 6);
    out[3] = 0;
}

void ConvertRowPortable(BYTE* out, const BYTE* y, const BYTE* u, const BYTE* v, int width)
{
    for (int x = 0; x < width; ++x)
        WritePixel(out + 4 * x, 74 * (y[x] - 16), u[x / 2] - 128, v[x / 2] - 128);
}

void ConvertPairPortable(const RowPair& p)
{
    ConvertRowPortable(p.out0, p.y0, p.u, p.v, p.width);
    if (p.out1)
        ConvertRowPortable(p.out1, p.y1, p.u, p.v, p.width);
}

#if defined(__SSE2__)
// Chroma products for eight chroma samples, each lane later doubled to serve two neighbouring pixels.
struct ChromaTerms {
    __m128i blue;
    __m128i green;
    __m128i red;
};

ChromaTerms LoadChromaTerms(const BYTE* u_row, const BYTE* v_row)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i u
        = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u_row)), zero), bias);
    const __m128i v
        = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v_row)), zero), bias);
    return { _mm_mullo_epi16(u, _mm_set1_epi16(129)),
        _mm_adds_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(25)), _mm_mullo_epi16(v, _mm_set1_epi16(52))),
        _mm_mullo_epi16(v, _mm_set1_epi16(102)) };
}

// The chroma terms of pixels 0 … 7 (half 0) or 8 … 15 (half 1) of a 16-pixel run.
ChromaTerms Half(const ChromaTerms& c, int half)
{
    const auto twice = [half](__m128i t) { return half ? _mm_unpackhi_epi16(t, t) : _mm_unpacklo_epi16(t, t); };
    return { twice(c.blue), twice(c.green), twice(c.red) };
}

struct Channels {
    __m128i blue;
    __m128i green;
    __m128i red;
};

// Eight pixels as 16-bit blue, green and red lanes, before clamping.
Channels Compute8(__m128i y, const ChromaTerms& c)
{
    const __m128i luma = _mm_mullo_epi16(_mm_sub_epi16(y, _mm_set1_epi16(16)), _mm_set1_epi16(74));
    return { _mm_srai_epi16(_mm_adds_epi16(luma, c.blue), 6), _mm_srai_epi16(_mm_subs_epi16(luma, c.green), 6),
        _mm_srai_epi16(_mm_adds_epi16(luma, c.red), 6) };
}

void Write16Pixels(BYTE* out, const BYTE* y_row, const ChromaTerms& lo, const ChromaTerms& hi)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y_row));
    const Channels a = Compute8(_mm_unpacklo_epi8(y, zero), lo);
    const Channels b = Compute8(_mm_unpackhi_epi8(y, zero), hi);
    const __m128i blue = _mm_packus_epi16(a.blue, b.blue);
    const __m128i green = _mm_packus_epi16(a.green, b.green);
    const __m128i red = _mm_packus_epi16(a.red, b.red);
    const __m128i bg[2] = { _mm_unpacklo_epi8(blue, green), _mm_unpackhi_epi8(blue, green) };
    const __m128i r0[2] = { _mm_unpacklo_epi8(red, zero), _mm_unpackhi_epi8(red, zero) };
    auto* dst = reinterpret_cast<__m128i*>(out);
    for (int i = 0; i < 2; ++i) {
        _mm_storeu_si128(dst + 2 * i, _mm_unpacklo_epi16(bg[i], r0[i]));
        _mm_storeu_si128(dst + 2 * i + 1, _mm_unpackhi_epi16(bg[i], r0[i]));
    }
}

// Runs of 16 pixels, as two steps of 8 × 2 pixels sharing one load of chroma.
void ConvertPairSse2(const RowPair& p)
{
    for (int x = 0; x < p.width; x += 16) {
        const ChromaTerms c = LoadChromaTerms(p.u + x / 2, p.v + x / 2);
        const ChromaTerms lo = Half(c, 0);
        const ChromaTerms hi = Half(c, 1);
        Write16Pixels(p.out0 + 4 * x, p.y0 + x, lo, hi);
        if (p.out1)
            Write16Pixels(p.out1 + 4 * x, p.y1 + x, lo, hi);
    }
}
#endif

#if defined(HAVE_AVX2_PATH)
// The same arithmetic as the SSE2 form, 32 pixels a step: 16-bit lanes in pixel order, the bytes interleaved
// within each 128-bit half and the halves put in order when stored.
__attribute__((target("avx2"), always_inline)) inline __m256i DoubleChroma(__m256i terms, bool high)
{
    const __m256i quads = _mm256_permute4x64_epi64(terms, 0xD8);
    return high ? _mm256_unpackhi_epi16(quads, quads) : _mm256_unpacklo_epi16(quads, quads);
}

struct Channels256 {
    __m256i blue;
    __m256i green;
    __m256i red;
};

__attribute__((target("avx2"), always_inline)) inline Channels256 Compute16(
    __m128i y, __m256i blue, __m256i green, __m256i red)
{
    const __m256i luma
        = _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_cvtepu8_epi16(y), _mm256_set1_epi16(16)), _mm256_set1_epi16(74));
    return { _mm256_srai_epi16(_mm256_adds_epi16(luma, blue), 6), _mm256_srai_epi16(_mm256_subs_epi16(luma, green), 6),
        _mm256_srai_epi16(_mm256_adds_epi16(luma, red), 6) };
}

__attribute__((target("avx2"), always_inline)) inline void Write32Pixels(
    BYTE* out, const BYTE* y_row, const __m256i (&blue)[2], const __m256i (&green)[2], const __m256i (&red)[2])
{
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y_row));
    const Channels256 a = Compute16(_mm256_castsi256_si128(y), blue[0], green[0], red[0]);
    const Channels256 b = Compute16(_mm256_extracti128_si256(y, 1), blue[1], green[1], red[1]);
    // Each 128-bit half: pixels 0 … 7 and 16 … 23 (low half), 8 … 15 and 24 … 31 (high half).
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bl = _mm256_packus_epi16(a.blue, b.blue);
    const __m256i gr = _mm256_packus_epi16(a.green, b.green);
    const __m256i rd = _mm256_packus_epi16(a.red, b.red);
    const __m256i bg[2] = { _mm256_unpacklo_epi8(bl, gr), _mm256_unpackhi_epi8(bl, gr) };
    const __m256i r0[2] = { _mm256_unpacklo_epi8(rd, zero), _mm256_unpackhi_epi8(rd, zero) };
    auto* dst = reinterpret_cast<__m256i*>(out);
    for (int i = 0; i < 2; ++i) {
        const __m256i first = _mm256_unpacklo_epi16(bg[i], r0[i]);
        const __m256i second = _mm256_unpackhi_epi16(bg[i], r0[i]);
        _mm256_storeu_si256(dst + 2 * i, _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(dst + 2 * i + 1, _mm256_permute2x128_si256(first, second, 0x31));
    }
}

__attribute__((target("avx2"))) void ConvertPairAvx2(const RowPair& p)
{
    int x = 0;
    for (; x + 32 <= p.width; x += 32) {
        const __m256i bias = _mm256_set1_epi16(128);
        const __m256i u = _mm256_sub_epi16(
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p.u + x / 2))), bias);
        const __m256i v = _mm256_sub_epi16(
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p.v + x / 2))), bias);
        const __m256i blue = _mm256_mullo_epi16(u, _mm256_set1_epi16(129));
        const __m256i green = _mm256_adds_epi16(
            _mm256_mullo_epi16(u, _mm256_set1_epi16(25)), _mm256_mullo_epi16(v, _mm256_set1_epi16(52)));
        const __m256i red = _mm256_mullo_epi16(v, _mm256_set1_epi16(102));
        const __m256i b[2] = { DoubleChroma(blue, false), DoubleChroma(blue, true) };
        const __m256i g[2] = { DoubleChroma(green, false), DoubleChroma(green, true) };
        const __m256i r[2] = { DoubleChroma(red, false), DoubleChroma(red, true) };
        Write32Pixels(p.out0 + 4 * x, p.y0 + x, b, g, r);
        if (p.out1)
            Write32Pixels(p.out1 + 4 * x, p.y1 + x, b, g, r);
    }
    if (x < p.width) {
        RowPair rest { p.out0 + 4 * x, p.out1 ? p.out1 + 4 * x : nullptr, p.y0 + x, p.y1 ? p.y1 + x : nullptr,
            p.u + x / 2, p.v + x / 2, p.width - x };
        ConvertPairSse2(rest);
    }
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

template <class PairConverter>
void ConvertPicture(PairConverter convert_pair, void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v,
    int y_stride, int uv_stride, int width, int height, int flip)
{
    if (width <= 0 || height <= 0)
        return;
    const int w = (width + 15) & ~15;
    const std::ptrdiff_t step = flip ? -static_cast<std::ptrdiff_t>(pitch) : pitch;
    BYTE* row = static_cast<BYTE*>(dst) + (flip ? static_cast<std::ptrdiff_t>(height - 1) * pitch : 0);
    for (int top = 0; top < height; top += 2) {
        const bool pair = top + 1 < height;
        convert_pair(RowPair { row, pair ? row + step : nullptr, y, pair ? y + y_stride : nullptr, u, v, w });
        row += 2 * step;
        y += 2 * static_cast<std::ptrdiff_t>(y_stride);
        u += uv_stride;
        v += uv_stride;
    }
}

} // namespace

void ConvertYuv420ToRgb32Portable(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride,
    int uv_stride, int width, int height, int flip)
{
    ConvertPicture(ConvertPairPortable, dst, pitch, y, u, v, y_stride, uv_stride, width, height, flip);
}

void ConvertYuv420ToRgb32(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride,
    int uv_stride, int width, int height, int flip)
{
#if defined(HAVE_AVX2_PATH)
    if (HasAvx2())
        ConvertPicture(ConvertPairAvx2, dst, pitch, y, u, v, y_stride, uv_stride, width, height, flip);
    else
        ConvertPicture(ConvertPairSse2, dst, pitch, y, u, v, y_stride, uv_stride, width, height, flip);
#elif defined(__SSE2__)
    ConvertPicture(ConvertPairSse2, dst, pitch, y, u, v, y_stride, uv_stride, width, height, flip);
#else
    ConvertPicture(ConvertPairPortable, dst, pitch, y, u, v, y_stride, uv_stride, width, height, flip);
#endif
}

void ConvertYuvFrame(void* dst, int pitch, const BYTE* y, const BYTE* u, const BYTE* v, int y_stride, int uv_stride,
    int width, int height)
{
    ConvertYuv420ToRgb32(dst, pitch, y, u, v, y_stride, uv_stride, width, height, 0);
}
