// The software presenter on the dummy display: what lands in the window surface, at 1:1 and scaled.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/gpu_probe.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/sdl/sdl_surface_presenter.h"
#include "platform/window/letterbox.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBlock = 40;

using Frame = std::vector<uint32_t>;

uint32_t Rgb(uint32_t word)
{
    return word & 0xFFFFFFu;
}

// Flat blocks of distinct colours, opaque.
Frame Blocks()
{
    Frame frame(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t bx = uint32_t(x / kBlock), by = uint32_t(y / kBlock);
            frame[size_t(y) * kWidth + x] = 0xFF000000u | (bx * 12) << 16 | (by * 16) << 8 | ((bx + by) * 7 & 255);
        }
    return frame;
}

// Every pixel different, so any misplaced pixel shows.
Frame Noise(uint32_t seed)
{
    Frame frame(size_t(kWidth) * kHeight);
    for (uint32_t& p : frame) {
        seed = seed * 1664525u + 1013904223u;
        p = 0xFF000000u | seed >> 8;
    }
    return frame;
}

class Screen {
public:
    Screen(int w, int h)
    {
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        window_ = SDL_CreateWindow("presenter", 0, 0, w, h, SDL_WINDOW_HIDDEN);
        presenter_ = platform::SdlPresenter::Create(window_);
    }
    ~Screen()
    {
        presenter_.reset();
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    platform::SdlPresenter& Presenter() { return *presenter_; }
    void Show(const Frame& frame) { presenter_->Present(frame.data(), kWidth, kHeight); }
    void Resize(int w, int h) { SDL_SetWindowSize(window_, w, h); }

    // The window surface as 0xRRGGBB words.
    Frame Pixels(int* w, int* h) const
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        *w = surface->w;
        *h = surface->h;
        Frame out(size_t(surface->w) * surface->h);
        SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
            SDL_PIXELFORMAT_ARGB8888, out.data(), surface->w * 4);
        for (uint32_t& p : out)
            p = Rgb(p);
        return out;
    }

private:
    SDL_Window* window_ = nullptr;
    std::unique_ptr<platform::SdlPresenter> presenter_;
};

// Checks a scaled picture of Blocks(): black outside the viewport; inside, a pixel whose sample point lies a whole
// source pixel away from any block edge has its block's colour, and any other lies between the colours of the
// blocks around it.
void ExpectScaledBlocks(const Frame& shown, int w, int h)
{
    const Frame source = Blocks();
    const SIZE client { kWidth, kHeight };
    const platform::Viewport v = platform::LetterboxViewport(w, h, client);
    int exact = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t got = shown[size_t(y) * w + x];
            POINT p;
            if (!platform::WindowToClient(v, client, x, y, &p)) {
                ASSERT_EQ(got, 0u) << x << "," << y;
                continue;
            }
            const int ix = p.x % kBlock, iy = p.y % kBlock;
            if (ix > 0 && ix < kBlock - 1 && iy > 0 && iy < kBlock - 1) {
                ASSERT_EQ(got, Rgb(source[size_t(p.y) * kWidth + p.x])) << x << "," << y;
                ++exact;
                continue;
            }
            for (int shift : { 0, 8, 16 }) {
                int lo = 255, hi = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int sx = std::clamp(int(p.x) + dx, 0, kWidth - 1);
                        const int sy = std::clamp(int(p.y) + dy, 0, kHeight - 1);
                        const int c = int(source[size_t(sy) * kWidth + sx] >> shift & 255);
                        lo = std::min(lo, c);
                        hi = std::max(hi, c);
                    }
                const int c = int(got >> shift & 255);
                ASSERT_TRUE(c >= lo && c <= hi) << x << "," << y;
            }
        }
    EXPECT_GT(exact, v.width * v.height / 2);
}

TEST(SdlPresenter, WithoutGpuPresentsOnTheWindowSurfaceExactlyAtOneToOne)
{
    Screen screen(kWidth, kHeight);
    ASSERT_NE(dynamic_cast<platform::SdlSurfacePresenter*>(&screen.Presenter()), nullptr);
    const Frame first = Noise(1);
    const Frame second = Noise(2);
    for (const Frame* frame : { &first, &second, &first }) {
        screen.Show(*frame);
        int w = 0, h = 0;
        const Frame shown = screen.Pixels(&w, &h);
        ASSERT_EQ(w, kWidth);
        ASSERT_EQ(h, kHeight);
        for (size_t k = 0; k < shown.size(); ++k)
            ASSERT_EQ(shown[k], Rgb((*frame)[k])) << k;
    }
    EXPECT_EQ(screen.Presenter().PresentCount(), 3);
}

TEST(SdlPresenter, ScalesIntoTheLetterboxAndRedrawsAfterAResize)
{
    Screen screen(1024, 768);
    screen.Show(Blocks());
    int w = 0, h = 0;
    Frame shown = screen.Pixels(&w, &h);
    ExpectScaledBlocks(shown, w, h);

    screen.Resize(1280, 720);
    screen.Presenter().Redraw();
    shown = screen.Pixels(&w, &h);
    ASSERT_EQ(w, 1280);
    ExpectScaledBlocks(shown, w, h);
}

// Only the changed part of a frame is scaled again; after a run of small changes the screen must look as if the
// last frame had been shown whole.
TEST(SdlPresenter, FramesShownOneOverAnotherLookTheSameAsTheLastShownAlone)
{
    std::vector<Frame> frames { Noise(7) };
    auto change = [&frames](auto edit) {
        Frame next = frames.back();
        edit(next);
        frames.push_back(std::move(next));
    };
    change([](Frame& f) {
        for (int y = 300; y < 340; ++y)
            for (int x = 410; x < 437; ++x)
                f[size_t(y) * kWidth + x] = 0xFFFF0000u;
    });
    change([](Frame& f) { f[0] = 0xFF00FF00u; });
    change([](Frame& f) { f[size_t(kHeight) * kWidth - 1] = 0xFF0000FFu; });
    change([](Frame& f) { f[size_t(123) * kWidth + 799] ^= 0x00808080u; });
    change([](Frame& f) { f[size_t(451) * kWidth + 3] ^= 0x00808080u; });

    for (auto [w, h] : { std::pair { 1024, 768 }, std::pair { 1920, 1080 }, std::pair { 640, 480 } }) {
        Screen incremental(w, h);
        for (const Frame& frame : frames)
            incremental.Show(frame);
        Screen whole(w, h);
        whole.Show(frames.back());
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        const Frame a = incremental.Pixels(&w1, &h1), b = whole.Pixels(&w2, &h2);
        ASSERT_EQ(a.size(), b.size());
        for (size_t k = 0; k < a.size(); ++k)
            ASSERT_EQ(a[k], b[k]) << w << "x" << h << " pixel " << k % size_t(w) << "," << k / size_t(w);
    }
}

TEST(SdlPresenter, SoftwareRasterisersAreToldFromGpus)
{
    EXPECT_TRUE(platform::IsSoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(platform::IsSoftwareRasteriser("Gallium 0.4 on softpipe"));
    EXPECT_TRUE(platform::IsSoftwareRasteriser("Software Rasterizer"));
    EXPECT_FALSE(platform::IsSoftwareRasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(platform::IsSoftwareRasteriser("NVIDIA GeForce GTX 1050/PCIe/SSE2"));
}

} // namespace
