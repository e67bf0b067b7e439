// Pictures made by the tests themselves with libpng and libjpeg, and a plain memory surface to decode into.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "engine/resources/image_sink.h"

// What MakePng draws: the header fields and the samples of every pixel.
struct PngPicture {
    UINT width = 4;
    UINT height = 3;
    int color_type = 2; // PNG_COLOR_TYPE_RGB
    int bit_depth = 8;
    std::optional<double> gamma;
    // Samples of pixel (x, y), one per channel, at the bit depth (palette pictures: the index).
    std::function<std::vector<unsigned>(UINT x, UINT y)> pixel;
    std::vector<std::array<BYTE, 3>> palette;
};
std::vector<BYTE> MakePng(const PngPicture& picture);
// An RGB picture of one colour.
std::vector<BYTE> SolidPng(BYTE r, BYTE g, BYTE b, UINT width = 2, UINT height = 2);

// components 1 (grey), 3 (RGB) or 4 (stored as CMYK, kept as is); quality 100.
std::vector<BYTE> MakeJpeg(
    UINT width, UINT height, int components, const std::function<std::vector<BYTE>(UINT x, UINT y)>& pixel);

// A power-of-two surface pre-filled with a marker byte, to see which texels a decoder wrote.
class MemorySink : public ImageSink {
public:
    static constexpr BYTE kUntouched = 0xA5;
    bool Begin(UINT width, UINT height, ImageTarget* target) override;
    void End(bool complete) override;

    UINT Pixel(UINT x, UINT y) const; // 0xAARRGGBB read from blue, green, red, alpha bytes
    bool UntouchedOutside(UINT width, UINT height) const;

    std::vector<BYTE> bits;
    UINT surface_width = 0, surface_height = 0;
    int begins = 0, ends = 0;
    bool complete = false;
};

// The bytes copied so that they end exactly at an unreadable page: reading past them faults.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<BYTE>& bytes, size_t length);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const BYTE* data() const { return data_; }

private:
    BYTE* mapping_ = nullptr;
    size_t mapped_ = 0;
    const BYTE* data_ = nullptr;
};
