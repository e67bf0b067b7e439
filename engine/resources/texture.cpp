#include "engine/resources/texture.h"

IMTexture::IMTexture(IDirect3DTexture9* texture, const RECT& image_rect, int32_t texture_width, int32_t texture_height)
    : texture(texture)
    , image_rect(image_rect)
    , texture_width(texture_width)
    , texture_height(texture_height)
{
}

IMTexture::~IMTexture()
{
    ReleaseDeviceObject();
}

void IMTexture::ReleaseDeviceObject()
{
    if (texture)
        texture->Release();
    texture = nullptr;
}
