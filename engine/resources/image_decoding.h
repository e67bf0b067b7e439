// Pictures decoded straight into new A8R8G8B8 textures made with CreatePow2Texture. Each returns true with the
// texture and the picture's own size, or false with no texture ("nothing decoded"). They may throw
// std::bad_alloc when texture memory is exhausted; the texture table then makes room and asks again.
#pragma once

#include <string>

#include "platform/d3d9.h"

// A PNG or JPEG picture held in memory.
bool DecodeTextureFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, DWORD length, IDirect3DTexture9** texture, UINT* width, UINT* height);

// The picture a texture name stands for: a decimal resource id, or else a file path.
bool DecodeTextureFromName(
    IDirect3DDevice9* device, const std::wstring& name, IDirect3DTexture9** texture, UINT* width, UINT* height);
