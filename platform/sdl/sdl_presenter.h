// Shows presented frames in an SDL window, scaled into it with black bars. Two ways: an accelerated SDL renderer
// where a real GPU drives it, else the window's own surface filled in software. Create picks one for the window.
#pragma once

#include <memory>

#include <SDL_video.h>

#include "platform/window/presenter.h"

namespace platform {

class SdlPresenter : public Presenter {
public:
    // The GPU renderer when the display has a hardware one (GL over a software rasteriser does not count), else
    // the window surface; null when neither works.
    static std::unique_ptr<SdlPresenter> Create(SDL_Window* window);
    // Before SDL's video starts: finds out whether a GPU is there without loading a GL driver into this process
    // (see gpu_probe.h), so Create need not ask through a GL renderer of its own.
    static void PrepareDisplay();

    SdlPresenter() = default;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    void Present(const uint32_t* pixels, int width, int height) final;
    // Shows the last frame again (black before the first), e.g. after the window was exposed or resized.
    virtual void Redraw() = 0;
    int PresentCount() const { return present_count_; }

protected:
    // Shows a new frame; false when it could not be taken.
    virtual bool Show(const uint32_t* pixels, int width, int height) = 0;

private:
    int present_count_ = 0;
};

} // namespace platform
