#include "bench/support/pictures.h"

#include <cmath>
#include <cstring>

#include "engine/resources/pow2_texture.h"
#include "engine/resources/resource_manager.h"

namespace bench {

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
    Picture p { kFrameWidth, kFrameHeight, std::vector<uint32_t>(size_t(kFrameWidth) * kFrameHeight) };
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            p.pixels[size_t(y) * kFrameWidth + x] = y < 64 ? 0xFFD8D9D9u : 0xFFE5E6E6u ^ uint32_t((x ^ y) & 7);
    return p;
}

DWORD AddTexture(const std::wstring& name, const Picture& p)
{
    return IMResourceManager::Instance()->CreateNamedTexture(
        name, [&p](IDirect3DDevice9* d, IDirect3DTexture9** t, UINT* w, UINT* h) {
            if (!CreatePow2Texture(d, t, UINT(p.w), UINT(p.h), D3DFMT_A8R8G8B8))
                return false;
            D3DLOCKED_RECT lr;
            (*t)->LockRect(0, &lr, nullptr, 0);
            for (int y = 0; y < p.h; ++y)
                std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &p.pixels[size_t(y) * p.w], size_t(p.w) * 4);
            (*t)->UnlockRect(0);
            *w = UINT(p.w);
            *h = UINT(p.h);
            return true;
        });
}

} // namespace bench
