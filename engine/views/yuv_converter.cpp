#include "engine/views/yuv_converter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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
struct ChromaTerms {
    __m128i blue;
    __m128i green;
    __m128i red;
};

// Four chroma samples widened to eight lanes, each sample serving two neighbouring pixels.
__m128i LoadChroma(const BYTE* c)
{
    int four;
    std::memcpy(&four, c, sizeof four);
    const __m128i wide = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), _mm_setzero_si128());
    return _mm_sub_epi16(_mm_unpacklo_epi16(wide, wide), _mm_set1_epi16(128));
}

ChromaTerms LoadChromaTerms(const BYTE* u_row, const BYTE* v_row)
{
    const __m128i u = LoadChroma(u_row);
    const __m128i v = LoadChroma(v_row);
    return { _mm_mullo_epi16(u, _mm_set1_epi16(129)),
        _mm_adds_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(25)), _mm_mullo_epi16(v, _mm_set1_epi16(52))),
        _mm_mullo_epi16(v, _mm_set1_epi16(102)) };
}

void Write8Pixels(BYTE* out, const BYTE* y_row, const ChromaTerms& c)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i y = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y_row)), zero);
    const __m128i luma = _mm_mullo_epi16(_mm_sub_epi16(y, _mm_set1_epi16(16)), _mm_set1_epi16(74));
    const __m128i b = _mm_srai_epi16(_mm_adds_epi16(luma, c.blue), 6);
    const __m128i g = _mm_srai_epi16(_mm_subs_epi16(luma, c.green), 6);
    const __m128i r = _mm_srai_epi16(_mm_adds_epi16(luma, c.red), 6);
    const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g));
    const __m128i r0 = _mm_unpacklo_epi8(_mm_packus_epi16(r, r), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, r0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bg, r0));
}

void ConvertPairSse2(const RowPair& p)
{
    for (int x = 0; x < p.width; x += 8) {
        const ChromaTerms c = LoadChromaTerms(p.u + x / 2, p.v + x / 2);
        Write8Pixels(p.out0 + 4 * x, p.y0 + x, c);
        if (p.out1)
            Write8Pixels(p.out1 + 4 * x, p.y1 + x, c);
    }
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
#if defined(__SSE2__)
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
