// Pictures the benchmarks draw: a round sprite like the program's buttons and hero frames, and an 800 × 600
// backdrop like its screens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace bench {

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

struct Picture {
    int w, h;
    std::vector<uint32_t> pixels; // 0xAARRGGBB
};

// A round sprite with a soft edge and transparent corners.
Picture MakeSprite(int size, uint32_t seed);
Picture MakeBackdrop();

// Makes the picture a named texture of the resource manager (started by the caller) and returns its id.
DWORD AddTexture(const std::wstring& name, const Picture& picture);

} // namespace bench
