// Where presented frames go: the SDL window, or a headless capture in tests.
#pragma once

#include <cstdint>

namespace platform {

class Presenter {
public:
    virtual ~Presenter() = default;
    // pixels: width * height words 0xAARRGGBB, rows top to bottom.
    virtual void Present(const uint32_t* pixels, int width, int height) = 0;
};

// The active presenter; null presents nowhere.
void SetPresenter(Presenter* presenter);
Presenter* GetPresenter();

} // namespace platform
