#include "engine/resources/image_decoding.h"

#include "engine/resources/texture_decoders.h"

bool DecodeTextureFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, DWORD length, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return LoadTextureFromMemory(device, blob, length, texture, width, height);
}

bool DecodeTextureFromName(
    IDirect3DDevice9* device, const std::wstring& name, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return LoadTextureByName(device, name, texture, width, height);
}
