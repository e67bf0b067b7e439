// Shows presented frames in an SDL window: one streaming texture, scaled into the window with black bars.
#pragma once

#include <SDL_render.h>

#include "platform/presenter.h"

namespace platform {

class SdlPresenter : public Presenter {
public:
    explicit SdlPresenter(SDL_Renderer* renderer);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    void Present(const uint32_t* pixels, int width, int height) override;
    // Shows the last frame again (black before the first), e.g. after the window was exposed or resized.
    void Redraw();
    int PresentCount() const { return present_count_; }

private:
    bool EnsureTexture(int width, int height);

    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool has_frame_ = false;
    int present_count_ = 0;
};

} // namespace platform
