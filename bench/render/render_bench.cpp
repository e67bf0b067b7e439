// One typical frame (the 800 x 600 backdrop and 300 small pictures, some turned, tinted or shrunk) through our
// resource manager and software device, and the same quads through SDL's software renderer: its copy path
// (RenderCopy, RenderCopyEx for turned ones) and its geometry path; and a plain frame copy.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "bench/support/median_report.h"
#include "bench/support/pictures.h"
#include "engine/resources/resource_manager.h"

namespace {

using bench::MakeBackdrop;
using bench::MakeSprite;
using bench::Picture;
constexpr int kWidth = bench::kFrameWidth;
constexpr int kHeight = bench::kFrameHeight;
constexpr int kSprites = 24;
constexpr int kQuads = 300;

struct Quad {
    int picture; // 0 = backdrop
    RECT dst;
    D3DCOLOR tint;
    float angle;
};

struct Scene {
    std::vector<Picture> pictures;
    std::vector<Quad> quads;
};

Scene MakeScene()
{
    Scene s;
    s.pictures.push_back(MakeBackdrop());
    for (int k = 0; k < kSprites; ++k)
        s.pictures.push_back(MakeSprite(31 + k * 2, uint32_t(k + 1)));
    s.quads.push_back({ 0, RECT { 0, 0, kWidth, kHeight }, 0xFFFFFFFF, 0.0f });
    uint32_t rnd = 12345;
    auto next = [&rnd](uint32_t n) {
        rnd = rnd * 1103515245u + 12345u;
        return (rnd >> 8) % n;
    };
    for (int k = 0; k < kQuads; ++k) {
        int pic = 1 + int(next(kSprites));
        int size = s.pictures[size_t(pic)].w;
        if (k % 10 == 3)
            size = size * 2 / 3; // hero frames are drawn smaller than their picture
        int x = int(next(kWidth - size)), y = int(next(kHeight - size));
        D3DCOLOR tint = k % 7 == 0 ? 0xFF808080u : (k % 11 == 0 ? 0x80FFFFFFu : 0xFFFFFFFFu);
        float angle = k % 15 == 0 ? 0.3f + float(k) * 0.01f : 0.0f;
        s.quads.push_back({ pic, RECT { x, y, x + size, y + size }, tint, angle });
    }
    return s;
}

const Scene& TheScene()
{
    static Scene scene = MakeScene();
    return scene;
}

void BM_OurFrame(benchmark::State& state)
{
    const Scene& scene = TheScene();
    IMResourceManager::StartGraphics(false);
    IMResourceManager* rm = IMResourceManager::Instance();
    std::vector<DWORD> ids;
    for (size_t k = 0; k < scene.pictures.size(); ++k)
        ids.push_back(bench::AddTexture(std::to_wstring(k), scene.pictures[k]));
    IDirect3DDevice9* device = rm->GetDevice();
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        for (const Quad& q : scene.quads)
            rm->DrawQuad(ids[size_t(q.picture)], q.dst, nullptr, q.tint, q.angle);
        benchmark::ClobberMemory();
    }
    IMResourceManager::StopGraphics();
}

// SDL's software renderer drawing into an 800 x 600 surface, with the scene's pictures as textures.
class SdlScene {
public:
    SdlScene()
        : surface_(SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888))
        , renderer_(surface_ ? SDL_CreateSoftwareRenderer(surface_) : nullptr)
    {
        if (renderer_ == nullptr)
            return;
        for (const Picture& p : TheScene().pictures) {
            SDL_Texture* t = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, p.w, p.h);
            SDL_UpdateTexture(t, nullptr, p.pixels.data(), p.w * 4);
            SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
            textures_.push_back(t);
        }
    }
    ~SdlScene()
    {
        for (SDL_Texture* t : textures_)
            SDL_DestroyTexture(t);
        if (renderer_)
            SDL_DestroyRenderer(renderer_);
        SDL_FreeSurface(surface_);
    }
    SDL_Renderer* Renderer() const { return renderer_; }
    SDL_Texture* Texture(const Quad& q) const { return textures_[size_t(q.picture)]; }
    void Clear() const
    {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
    }

private:
    SDL_Surface* surface_;
    SDL_Renderer* renderer_;
    std::vector<SDL_Texture*> textures_;
};

void BM_SdlCopyFrame(benchmark::State& state)
{
    SdlScene sdl;
    if (!sdl.Renderer()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    for (auto _ : state) {
        sdl.Clear();
        for (const Quad& q : TheScene().quads) {
            SDL_Texture* t = sdl.Texture(q);
            SDL_SetTextureColorMod(t, Uint8(q.tint >> 16), Uint8(q.tint >> 8), Uint8(q.tint));
            SDL_SetTextureAlphaMod(t, Uint8(q.tint >> 24));
            const SDL_Rect dst { q.dst.left, q.dst.top, q.dst.right - q.dst.left, q.dst.bottom - q.dst.top };
            if (q.angle == 0.0f)
                SDL_RenderCopy(sdl.Renderer(), t, nullptr, &dst);
            else
                SDL_RenderCopyEx(sdl.Renderer(), t, nullptr, &dst, q.angle * 180.0 / M_PI, nullptr, SDL_FLIP_NONE);
        }
        SDL_RenderFlush(sdl.Renderer());
        benchmark::ClobberMemory();
    }
}

void BM_SdlGeometryFrame(benchmark::State& state)
{
    SdlScene sdl;
    if (!sdl.Renderer()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    const int indices[6] = { 0, 1, 2, 0, 2, 3 };
    for (auto _ : state) {
        sdl.Clear();
        for (const Quad& q : TheScene().quads) {
            float cx = (q.dst.left + q.dst.right) * 0.5f, cy = (q.dst.top + q.dst.bottom) * 0.5f;
            float c = std::cos(q.angle), s = std::sin(q.angle);
            const float xs[4] = { float(q.dst.left), float(q.dst.right), float(q.dst.right), float(q.dst.left) };
            const float ys[4] = { float(q.dst.top), float(q.dst.top), float(q.dst.bottom), float(q.dst.bottom) };
            const float us[4] = { 0, 1, 1, 0 }, vs[4] = { 0, 0, 1, 1 };
            SDL_Color color { Uint8(q.tint >> 16), Uint8(q.tint >> 8), Uint8(q.tint), Uint8(q.tint >> 24) };
            SDL_Vertex v[4];
            for (int k = 0; k < 4; ++k) {
                float dx = xs[k] - cx, dy = ys[k] - cy;
                v[k].position = { cx + c * dx - s * dy, cy + s * dx + c * dy };
                v[k].color = color;
                v[k].tex_coord = { us[k], vs[k] };
            }
            SDL_RenderGeometry(sdl.Renderer(), sdl.Texture(q), v, 4, indices, 6);
        }
        SDL_RenderFlush(sdl.Renderer());
        benchmark::ClobberMemory();
    }
}

void BM_PlainCopy(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kWidth) * kHeight, 0xFF123456u), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_OurFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlCopyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlGeometryFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    const bench::Report report = bench::RunWithMedians(argc, argv);
    const bench::Medians& medians = report.medians;
    bench::PrintRatio(medians, "frame_vs_sdl_copy", "BM_OurFrame", "BM_SdlCopyFrame");
    bench::PrintRatio(medians, "frame_vs_sdl_geometry", "BM_OurFrame", "BM_SdlGeometryFrame");
    bench::PrintRatio(medians, "frame_vs_plain_copy", "BM_OurFrame", "BM_PlainCopy");
    return report.ExitStatus();
}
