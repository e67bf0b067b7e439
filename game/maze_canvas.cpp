#include "game/maze_canvas.h"

#include <algorithm>
#include <cstdlib>

#include "engine/resources/resource_manager.h"

namespace {

constexpr uint32_t kPathColour = 0xFFFF0000u;

// Pixels of a segment two pixels wide: a square of 2 x 2 at every step of the longer axis.
void PaintSegment(BYTE* pixels, int pitch, int width, int height, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const int32_t steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int32_t i = 0; i <= steps; ++i) {
        const int32_t cx = steps ? x0 + (x1 - x0) * i / steps : x0;
        const int32_t cy = steps ? y0 + (y1 - y0) * i / steps : y0;
        for (int32_t y = cy - 1; y <= cy; ++y) {
            for (int32_t x = cx - 1; x <= cx; ++x) {
                if (x >= 0 && x < width && y >= 0 && y < height)
                    reinterpret_cast<uint32_t*>(pixels + y * pitch)[x] = kPathColour;
            }
        }
    }
}

} // namespace

void MazeCanvas::Attach(const std::wstring& name)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    texture_id_ = rm ? rm->FindTexture(name) : IMResourceManager::kNoTexture;
}

void MazeCanvas::Stroke(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    const IMTexture* record = rm ? rm->GetTextureRecord(texture_id_) : nullptr;
    if (!record)
        return;
    const int width = static_cast<int>(record->image_rect.right);
    rm->WriteTexturePixels(texture_id_,
        [=](BYTE* pixels, int pitch, int height) { PaintSegment(pixels, pitch, width, height, x0, y0, x1, y1); });
}

void MazeCanvas::Wipe()
{
    if (IMResourceManager* rm = IMResourceManager::Instance())
        rm->UploadTexturePixels(texture_id_);
}
