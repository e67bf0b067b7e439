// Pictures decoded into new A8R8G8B8 textures with power-of-two sides. Every loader fills the texture and the
// image size and answers true, or answers false and leaves no texture behind. A full video memory passes up as
// std::bad_alloc from CreatePow2Texture, for the texture table to make room and try again.
#pragma once

#include <string>

#include "engine/resources/jpeg_decoder.h"
#include "engine/resources/png_decoder.h"
#include "engine/resources/pow2_texture.h"
#include "platform/d3d9/d3d9.h"
#include "platform/resources/resources.h"

bool LoadPngFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height);
bool LoadPngFromResource(
    IDirect3DDevice9* device, WORD id, HMODULE module, IDirect3DTexture9** texture, UINT* width, UINT* height);
bool LoadPngFromFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height);
// Takes over the read structure (source set, signature read) and destroys it.
bool DecodePngToTexture(
    IDirect3DDevice9* device, png_structp png, IDirect3DTexture9** texture, UINT* width, UINT* height);

bool LoadJpegFromMemory(
    IDirect3DDevice9* device, const BYTE* bytes, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height);
bool LoadJpegFromResource(
    IDirect3DDevice9* device, WORD id, HMODULE module, IDirect3DTexture9** texture, UINT* width, UINT* height);
bool LoadJpegFromFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height);
// Takes over a decompressor made by CreateJpegDecompressor and destroys it.
bool DecodeJpegToTexture(
    IDirect3DDevice9* device, j_decompress_ptr cinfo, IDirect3DTexture9** texture, UINT* width, UINT* height);

// PNG, and JPEG when that fails.
bool LoadImageFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height);

// The decoding step of the texture table's creators: a blob (PNG, then JPEG), or a texture name (a decimal name
// is a resource id, own store first, then the sibling store; anything else a file path).
bool LoadTextureFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height);
bool LoadTextureByName(
    IDirect3DDevice9* device, const std::wstring& name, IDirect3DTexture9** texture, UINT* width, UINT* height);
