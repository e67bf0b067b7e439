// One live texture of the texture table: its device object, sizes, name, holders and system-memory pixel copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/win32.h"

struct IMTexture {
    // Takes over the device object; the name stays empty, the reference count 0 and there is no pixel copy.
    IMTexture(IDirect3DTexture9* texture, const RECT& image_rect, int32_t texture_width, int32_t texture_height);
    ~IMTexture();
    IMTexture(const IMTexture&) = delete;
    IMTexture& operator=(const IMTexture&) = delete;

    void ReleaseDeviceObject();

    IDirect3DTexture9* texture; // null while released (after a device loss or an eviction)
    RECT image_rect; // (0, 0, image width, image height)
    int32_t texture_width; // power-of-two sides of the device texture
    int32_t texture_height;
    std::wstring name;
    int32_t ref_count = 0;
    // Row pitch × texture height bytes laid out as the locked texture; empty when there is no copy.
    std::vector<BYTE> pixel_copy;
    int pixel_copy_pitch = 0;
};
