// Where presented frames go: the SDL window, or a headless capture in tests.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class Presenter {
public:
    virtual ~Presenter() = default;
    // pixels: width * height words 0xAARRGGBB, rows top to bottom.
    virtual void Present(const uint32_t* pixels, int width, int height) = 0;
    // The same from a back buffer whose contents the present discards: a presenter that keeps frames may take the
    // buffer's storage and leave an earlier frame of the same size in its place.
    virtual void PresentDiscarding(std::vector<uint32_t>& pixels, int width, int height)
    {
        Present(pixels.data(), width, height);
    }
};

// The active presenter; null presents nowhere.
void SetPresenter(Presenter* presenter);
Presenter* GetPresenter();

} // namespace platform
