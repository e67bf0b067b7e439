#include "platform/sdl/frame_scaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace platform {
namespace {

// Blends two 0xAARRGGBB words channel by channel: a × (256 − w) + b × w, over 256.
uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t rb = (((a & 0xFF00FFu) * (256 - w) + (b & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
    const uint32_t ag = (((a >> 8) & 0xFF00FFu) * (256 - w) + ((b >> 8) & 0xFF00FFu) * w) & 0xFF00FF00u;
    return rb | ag;
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

void FrameScaler::ScaleRow(const uint32_t* src_row, int x0, int x1, uint32_t* out)
{
    for (int x = x0; x < x1; ++x) {
        const Tap& t = columns_[size_t(x)];
        out[x] = t.weight == 0 ? src_row[t.first] : Lerp(src_row[t.first], src_row[t.second], t.weight);
    }
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
        for (int x = x0; x < x1; ++x)
            out[x] = Lerp(upper_[size_t(x)], lower_[size_t(x)], t.weight);
    }
}

} // namespace platform
