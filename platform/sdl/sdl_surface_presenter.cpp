#include "platform/sdl/sdl_surface_presenter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <SDL_log.h>

namespace platform {
namespace {

bool HoldsArgbWords(const SDL_Surface* surface)
{
    const Uint32 format = surface->format->format;
    return format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888;
}

} // namespace

SdlSurfacePresenter::SdlSurfacePresenter(SDL_Window* window)
    : window_(window)
{
}

bool SdlSurfacePresenter::Attach()
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        surface_ = nullptr;
        return false;
    }
    if (surface == surface_ && surface->w == surface_w_ && surface->h == surface_h_)
        return false;
    surface_ = surface;
    surface_w_ = surface->w;
    surface_h_ = surface->h;
    direct_ = HoldsArgbWords(surface) && surface->pitch % 4 == 0;
    staging_.assign(direct_ ? 0 : size_t(surface_w_) * surface_h_, 0xFF000000u);
    viewport_ = Viewport {};
    return true;
}

SDL_Rect SdlSurfacePresenter::ChangedArea(const uint32_t* pixels) const
{
    int top = -1, bottom = -1, left = width_, right = 0;
    for (int y = 0; y < height_; ++y) {
        const uint32_t* a = frame_.data() + size_t(y) * width_;
        const uint32_t* b = pixels + size_t(y) * width_;
        if (std::memcmp(a, b, size_t(width_) * 4) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x0 = 0, x1 = width_;
        while (a[x0] == b[x0])
            ++x0;
        while (a[x1 - 1] == b[x1 - 1])
            --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    return top < 0 ? SDL_Rect { 0, 0, 0, 0 } : SDL_Rect { left, top, right - left, bottom + 1 - top };
}

SDL_Rect SdlSurfacePresenter::Paint(SDL_Rect source)
{
    if (viewport_.width == 0) {
        viewport_ = LetterboxViewport(surface_w_, surface_h_, SIZE { width_, height_ });
        scaler_.Configure(width_, height_, viewport_.width, viewport_.height);
    }
    const SDL_Rect reach = scaler_.Reach(source);
    if (SDL_RectEmpty(&reach))
        return reach;
    uint32_t* base = staging_.data();
    int pitch = surface_w_;
    if (direct_) {
        base = static_cast<uint32_t*>(surface_->pixels);
        pitch = surface_->pitch / 4;
    }
    scaler_.Scale(frame_.data(), width_, base + std::ptrdiff_t(viewport_.y) * pitch + viewport_.x, pitch, reach);
    return SDL_Rect { viewport_.x + reach.x, viewport_.y + reach.y, reach.w, reach.h };
}

// Black bars and the whole frame.
void SdlSurfacePresenter::PaintAll()
{
    viewport_ = Viewport {};
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    std::fill(staging_.begin(), staging_.end(), 0xFF000000u);
    if (!frame_.empty())
        Paint(SDL_Rect { 0, 0, width_, height_ });
}

bool SdlSurfacePresenter::Send(const SDL_Rect& area)
{
    if (!direct_ && !SDL_RectEmpty(&area)) {
        const int bytes = surface_->format->BytesPerPixel;
        auto* to = static_cast<uint8_t*>(surface_->pixels) + std::ptrdiff_t(area.y) * surface_->pitch + area.x * bytes;
        SDL_ConvertPixels(area.w, area.h, SDL_PIXELFORMAT_ARGB8888,
            staging_.data() + size_t(area.y) * surface_w_ + area.x, surface_w_ * 4, surface_->format->format, to,
            surface_->pitch);
    }
    const SDL_Rect& rect = area;
    const int result = area.x == 0 && area.y == 0 && area.w == surface_w_ && area.h == surface_h_
        ? SDL_UpdateWindowSurface(window_)
        : SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
    if (result != 0)
        SDL_Log("cannot show the frame: %s", SDL_GetError());
    return result == 0;
}

bool SdlSurfacePresenter::Show(const uint32_t* pixels, int width, int height)
{
    const bool fresh = Attach() || width != width_ || height != height_;
    if (surface_ == nullptr)
        return false;
    if (fresh) {
        width_ = width;
        height_ = height;
        frame_.assign(pixels, pixels + size_t(width) * height);
        PaintAll();
        return Send(SDL_Rect { 0, 0, surface_w_, surface_h_ });
    }
    const SDL_Rect changed = ChangedArea(pixels);
    if (SDL_RectEmpty(&changed))
        return true;
    for (int y = changed.y; y < changed.y + changed.h; ++y)
        std::memcpy(frame_.data() + size_t(y) * width_ + changed.x, pixels + size_t(y) * width_ + changed.x,
            size_t(changed.w) * 4);
    return Send(Paint(changed));
}

void SdlSurfacePresenter::Redraw()
{
    Attach();
    if (surface_ == nullptr)
        return;
    PaintAll();
    Send(SDL_Rect { 0, 0, surface_w_, surface_h_ });
}

} // namespace platform
