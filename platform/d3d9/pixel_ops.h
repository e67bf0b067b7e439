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
