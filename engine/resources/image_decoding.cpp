#include "engine/resources/image_decoding.h"

// No decoder is linked in yet: every picture comes out as nothing decoded.

bool DecodeTextureFromMemory(IDirect3DDevice9*, const BYTE*, DWORD, IDirect3DTexture9** texture, UINT*, UINT*)
{
    *texture = nullptr;
    return false;
}

bool DecodeTextureFromName(IDirect3DDevice9*, const std::wstring&, IDirect3DTexture9** texture, UINT*, UINT*)
{
    *texture = nullptr;
    return false;
}
