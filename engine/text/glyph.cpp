#include "engine/text/glyph.h"

#include <sstream>

#include "engine/resources/resource_manager.h"

void IMGlyph::RebuildKey()
{
    // Built on a stream: the face and the character are wide, and no length limit can cut two keys equal.
    std::wostringstream out;
    out << face << ch << size << int32_t(colour) << int(bold) << int(underline) << int(italic) << int32_t(backColour)
        << int(marker);
    key = out.str();
}

SIZE IMGlyph::ImageSize() const
{
    IMResourceManager* manager = IMResourceManager::Instance();
    const IMTexture* record = manager ? manager->GetTextureRecord(texture) : nullptr;
    return record ? SIZE { record->image_rect.right, record->image_rect.bottom } : SIZE { 0, 0 };
}
