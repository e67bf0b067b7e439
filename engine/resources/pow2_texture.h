// Textures with power-of-two sides, as every texture of the table is made.
#pragma once

#include "platform/d3d9/d3d9.h"

// Sides rounded up to powers of two (0 and 1 give 1). True when created; false without a device or when the
// device refuses. Throws std::bad_alloc when texture memory is exhausted, so the caller can make room.
bool CreatePow2Texture(
    IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT width, UINT height, D3DFORMAT format);
