// Presents on the window's own surface, scaled in software with black bars. Only the part of the screen that
// changed since the last frame is scaled and sent to the display.
#pragma once

#include <vector>

#include <SDL_video.h>

#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/window/letterbox.h"

namespace platform {

class SdlSurfacePresenter : public SdlPresenter {
public:
    explicit SdlSurfacePresenter(SDL_Window* window);

    void Redraw() override;

protected:
    bool Show(const uint32_t* pixels, int width, int height) override;

private:
    // Takes up the window's current surface; true when it is new or changed size, so all of it must be painted.
    bool Attach();
    SDL_Rect ChangedArea(const uint32_t* pixels) const;
    // Scales the source area into the viewport and returns the window pixels written.
    SDL_Rect Paint(SDL_Rect source);
    void PaintAll();
    bool Send(const SDL_Rect& area);

    SDL_Window* window_;
    SDL_Surface* surface_ = nullptr;
    int surface_w_ = 0;
    int surface_h_ = 0;
    bool direct_ = false; // the surface holds 0xXXRRGGBB words, so the scaler writes straight into it
    std::vector<uint32_t> staging_; // the scaled picture for surfaces of other formats
    Viewport viewport_;
    FrameScaler scaler_;
    std::vector<uint32_t> frame_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace platform
