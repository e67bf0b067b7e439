// A started resource manager whose textures are read back through their pixel copies.
#pragma once

#include <cstring>

#include "tests/engine/resources/render/manager_fixture.h"

class TextureTest : public ManagerTest {
protected:
    // 0xAARRGGBB of texel (x, y) as the pixel copy holds it.
    uint32_t Texel(DWORD id, int x, int y) const
    {
        const IMTexture* t = rm_->GetTextureRecord(id);
        uint32_t texel = 0;
        std::memcpy(&texel, t->pixel_copy.data() + size_t(y) * size_t(t->pixel_copy_pitch) + size_t(x) * 4, 4);
        return texel;
    }

    // Draws the texture whole at (0, 0) over black and reads the shown pixel back.
    uint32_t DrawnPixel(DWORD id, int x, int y)
    {
        const IMTexture* t = rm_->GetTextureRecord(id);
        ClearScreen();
        rm_->DrawQuad(id, t->image_rect, nullptr, 0xFFFFFFFFu, 0.0f);
        return Shown(x, y);
    }
};
