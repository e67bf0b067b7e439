// The surface the picture targets decode into: exactly the picture's size, so that a write outside the picture
// is caught. Pictures larger than any the program shows are refused, as a texture would refuse them.
#pragma once

#include <vector>

#include "engine/resources/image_sink.h"

class ExactSurface : public ImageSink {
public:
    static constexpr UINT kLargestSide = 4096;
    static constexpr UINT kLargestArea = 4096 * 1024;

    bool Begin(UINT width, UINT height, ImageTarget* target) override
    {
        if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide || width * height > kLargestArea)
            return false;
        bits_.assign(size_t(width) * height * 4, 0);
        *target = ImageTarget { bits_.data(), int(width * 4), width, height };
        return true;
    }
    void End(bool) override { }

private:
    std::vector<BYTE> bits_;
};
