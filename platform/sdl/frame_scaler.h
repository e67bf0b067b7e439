// Scales the 32-bit frame into a viewport of a larger or smaller picture with bilinear filtering, sampling like a
// GPU's linear texture filter (pixel centres, edges clamped), so the software and the GPU presenters show the same
// picture. Only the part of the output that a changed source rectangle reaches need be redone.
#pragma once

#include <cstdint>
#include <vector>

#include <SDL_rect.h>

namespace platform {

class FrameScaler {
public:
    // Source of src_w × src_h pixels shown in a viewport of view_w × view_h pixels.
    void Configure(int src_w, int src_h, int view_w, int view_h);

    // The viewport pixels (relative to the viewport) whose samples read any pixel of the source rectangle.
    SDL_Rect Reach(SDL_Rect source) const;

    // Writes the viewport pixels of `area` (relative to the viewport, inside it); view points at the viewport's
    // top-left pixel. Pitches are in pixels.
    void Scale(const uint32_t* src, int src_pitch, uint32_t* view, int view_pitch, SDL_Rect area);

private:
    // For one output pixel along an axis: the two source pixels it blends and the second one's weight (0 … 256).
    struct Tap {
        int first;
        int second;
        uint32_t weight;
    };
    static std::vector<Tap> Taps(int src_extent, int view_extent);
    static void Span(const std::vector<Tap>& taps, int lo, int hi, int* out_lo, int* out_hi);
    void ScaleRow(const uint32_t* src_row, int x0, int x1, uint32_t* out) const;

    std::vector<Tap> columns_;
    // Per output column, the 16-bit factors of its two source pixels' four channels: 256 − weight four times, then
    // weight four times.
    std::vector<uint16_t> column_factors_;
    // The columns [blend_begin_, blend_end_) read two neighbouring source pixels; the others, at the edges, one.
    int blend_begin_ = 0;
    int blend_end_ = 0;
    bool same_width_ = false;
    std::vector<Tap> rows_;
    std::vector<uint32_t> upper_;
    std::vector<uint32_t> lower_;
    int src_w_ = 0;
    int src_h_ = 0;
};

} // namespace platform
