// Presents through an SDL renderer: one streaming texture, scaled into the window with black bars.
#pragma once

#include <SDL_render.h>

#include "platform/sdl/sdl_presenter.h"

namespace platform {

class SdlRendererPresenter : public SdlPresenter {
public:
    // Takes the renderer over.
    explicit SdlRendererPresenter(SDL_Renderer* renderer);
    ~SdlRendererPresenter() override;

    void Redraw() override;

protected:
    bool Show(const uint32_t* pixels, int width, int height) override;

private:
    bool EnsureTexture(int width, int height);

    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool has_frame_ = false;
};

} // namespace platform
