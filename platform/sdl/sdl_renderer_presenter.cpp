#include "platform/sdl/sdl_renderer_presenter.h"

#include <SDL_hints.h>
#include <SDL_log.h>

#include "platform/window/letterbox.h"

namespace platform {

SdlRendererPresenter::SdlRendererPresenter(SDL_Renderer* renderer)
    : renderer_(renderer)
{
}

SdlRendererPresenter::~SdlRendererPresenter()
{
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
}

bool SdlRendererPresenter::EnsureTexture(int width, int height)
{
    if (texture_ != nullptr && width == width_ && height == height_)
        return true;
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ == nullptr) {
        SDL_Log("cannot create the frame texture: %s", SDL_GetError());
        return false;
    }
    // The frame's alpha channel is not transparency on the screen.
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    width_ = width;
    height_ = height;
    return true;
}

bool SdlRendererPresenter::Show(const uint32_t* pixels, int width, int height)
{
    if (!EnsureTexture(width, height) || SDL_UpdateTexture(texture_, nullptr, pixels, width * 4) != 0)
        return false;
    has_frame_ = true;
    Redraw();
    return true;
}

void SdlRendererPresenter::Redraw()
{
    int out_w = 0, out_h = 0;
    SDL_GetRendererOutputSize(renderer_, &out_w, &out_h);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (has_frame_) {
        Viewport v = LetterboxViewport(out_w, out_h, SIZE { width_, height_ });
        SDL_Rect target { v.x, v.y, v.width, v.height };
        SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    }
    SDL_RenderPresent(renderer_);
}

} // namespace platform
