// One typical frame (the 800 x 600 backdrop and 300 small pictures, some turned, tinted or shrunk) through our
// resource manager and software device, the same quads through SDL's software renderer, and a plain frame copy.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "engine/resources/pow2_texture.h"
#include "engine/resources/resource_manager.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSprites = 24;
constexpr int kQuads = 300;

struct Picture {
    int w, h;
    std::vector<uint32_t> pixels;
};

// A round sprite with a soft edge and transparent corners, like the program's buttons and hero frames.
Picture MakeSprite(int size, uint32_t seed)
{
    Picture p { size, size, std::vector<uint32_t>(size_t(size) * size) };
    float r = size * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float d = std::hypot(x + 0.5f - r, y + 0.5f - r);
            float cover = std::fmin(1.0f, std::fmax(0.0f, r - d));
            uint32_t a = uint32_t(cover * 255.0f);
            uint32_t rgb = (seed * 2654435761u + uint32_t(x * 7 + y * 13)) & 0xFFFFFF;
            p.pixels[size_t(y) * size + x] = a << 24 | rgb;
        }
    return p;
}

Picture MakeBackdrop()
{
    Picture p { kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight) };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            p.pixels[size_t(y) * kWidth + x] = y < 64 ? 0xFFD8D9D9u : 0xFFE5E6E6u ^ uint32_t((x ^ y) & 7);
    return p;
}

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

std::map<std::string, double> g_ns_per_frame;

template <class F> void TimeFrames(benchmark::State& state, const char* name, F frame)
{
    auto start = std::chrono::steady_clock::now();
    int64_t frames = 0;
    for (auto _ : state) {
        frame();
        ++frames;
    }
    double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    g_ns_per_frame[name] = ns / double(frames);
}

void BM_OurFrame(benchmark::State& state)
{
    const Scene& scene = TheScene();
    IMResourceManager::StartGraphics(false);
    IMResourceManager* rm = IMResourceManager::Instance();
    std::vector<DWORD> ids;
    for (size_t k = 0; k < scene.pictures.size(); ++k) {
        const Picture& p = scene.pictures[k];
        ids.push_back(rm->CreateNamedTexture(
            std::to_wstring(k), [&](IDirect3DDevice9* d, IDirect3DTexture9** t, UINT* w, UINT* h) {
                if (!CreatePow2Texture(d, t, UINT(p.w), UINT(p.h), D3DFMT_A8R8G8B8))
                    return false;
                D3DLOCKED_RECT lr;
                (*t)->LockRect(0, &lr, nullptr, 0);
                for (int y = 0; y < p.h; ++y)
                    std::memcpy(
                        static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &p.pixels[size_t(y) * p.w], size_t(p.w) * 4);
                (*t)->UnlockRect(0);
                *w = UINT(p.w);
                *h = UINT(p.h);
                return true;
            }));
    }
    IDirect3DDevice9* device = rm->GetDevice();
    TimeFrames(state, "ours", [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        for (const Quad& q : scene.quads)
            rm->DrawQuad(ids[size_t(q.picture)], q.dst, nullptr, q.tint, q.angle);
        benchmark::ClobberMemory();
    });
    IMResourceManager::StopGraphics();
}

void BM_SdlSoftwareFrame(benchmark::State& state)
{
    const Scene& scene = TheScene();
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    std::vector<SDL_Texture*> textures;
    for (const Picture& p : scene.pictures) {
        SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, p.w, p.h);
        SDL_UpdateTexture(t, nullptr, p.pixels.data(), p.w * 4);
        SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
        textures.push_back(t);
    }
    const int indices[6] = { 0, 1, 2, 0, 2, 3 };
    TimeFrames(state, "sdl", [&] {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        for (const Quad& q : scene.quads) {
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
            SDL_RenderGeometry(renderer, textures[size_t(q.picture)], v, 4, indices, 6);
        }
        SDL_RenderFlush(renderer);
        benchmark::ClobberMemory();
    });
    for (SDL_Texture* t : textures)
        SDL_DestroyTexture(t);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

void BM_PlainCopy(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kWidth) * kHeight, 0xFF123456u), to(from.size());
    TimeFrames(state, "copy", [&] {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    });
}

BENCHMARK(BM_OurFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlSoftwareFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    double ours = g_ns_per_frame["ours"], sdl = g_ns_per_frame["sdl"], copy = g_ns_per_frame["copy"];
    if (ours > 0 && sdl > 0 && copy > 0)
        std::printf("frame: ours %.0f us, SDL software %.0f us, plain copy %.0f us; ours/SDL %.2f, ours/copy %.1f\n",
            ours / 1000, sdl / 1000, copy / 1000, ours / sdl, ours / copy);
    return 0;
}
