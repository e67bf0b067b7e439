#include "engine/resources/pow2_texture.h"

#include <new>

namespace {

constexpr UINT kLargestSide = 1u << 31;

UINT RoundUpToPowerOfTwo(UINT side)
{
    UINT p = 1;
    while (p < side)
        p <<= 1;
    return p;
}

} // namespace

bool CreatePow2Texture(IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT width, UINT height, D3DFORMAT format)
{
    *texture = nullptr;
    if (!device || width > kLargestSide || height > kLargestSide)
        return false;
    HRESULT hr = device->CreateTexture(RoundUpToPowerOfTwo(width), RoundUpToPowerOfTwo(height), 0, D3DUSAGE_DYNAMIC,
        format, D3DPOOL_DEFAULT, texture, nullptr);
    if (hr == D3DERR_OUTOFVIDEOMEMORY)
        throw std::bad_alloc();
    if (FAILED(hr))
        *texture = nullptr;
    return SUCCEEDED(hr);
}
