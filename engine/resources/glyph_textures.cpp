// Glyph and stroke textures of the resource manager: texture creation and locking around the rasterisers.
#include <algorithm>

#include "engine/resources/pow2_texture.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/glyphs/glyph_path.h"
#include "engine/text/glyphs/glyph_raster.h"

void IMResourceManager::GetFont(
    IMGlyphPath& path, const std::wstring& face, int32_t height, bool bold, bool italic, bool underline)
{
    path.SetFont(face, height, bold, italic, underline);
}

DWORD IMResourceManager::RenderGlyphTexture(const std::wstring& key, const wchar_t* text, const RECT* rect,
    D3DCOLOR colour, int32_t height, const std::wstring& face, bool italic, bool bold, bool underline,
    D3DCOLOR background)
{
    // The key alone decides: a known one only gains a reference and nothing is drawn again.
    return CreateNamedTexture(key, [&](IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT* w, UINT* h) {
        IMGlyphPath path(fontCache_);
        GetFont(path, face, height, bold, italic, underline);
        // A character without an outline still gets its cell, in the background colour.
        path.Build(text ? text[0] : L'\0');
        const SIZE size = GlyphImageSize(path, rect);
        if (!CreatePow2Texture(device, texture, UINT(size.cx), UINT(size.cy), D3DFMT_A8R8G8B8))
            return false;
        D3DLOCKED_RECT locked;
        // A texture that cannot be locked stays registered, undrawn.
        if (SUCCEEDED((*texture)->LockRect(0, &locked, nullptr, 0))) {
            RasterizeGlyph(path, IMPixelBuffer { static_cast<BYTE*>(locked.pBits), locked.Pitch, size.cx, size.cy },
                colour, background);
            (*texture)->UnlockRect(0);
        }
        *w = UINT(size.cx);
        *h = UINT(size.cy);
        return true;
    });
}

void IMResourceManager::RenderStrokeTexture(DWORD id, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    RestoreTexture(id);
    const IMTexture* record = Record(id);
    if (!record || !record->texture)
        return;
    D3DLOCKED_RECT locked;
    if (FAILED(record->texture->LockRect(0, &locked, nullptr, 0)))
        return;
    // Strokes reach only the picture, never the padding of the power-of-two texture. The pixel copy keeps the
    // picture without them.
    const int32_t width = std::min<int32_t>(record->image_rect.right, record->texture_width);
    const int32_t height = std::min<int32_t>(record->image_rect.bottom, record->texture_height);
    RasterizeStroke(IMPixelBuffer { static_cast<BYTE*>(locked.pBits), locked.Pitch, width, height }, x0, y0, x1, y1);
    record->texture->UnlockRect(0);
}
