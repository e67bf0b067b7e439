#include "engine/resources/skin_pictures.h"

std::vector<SkinPicture> SkinPictures()
{
    std::vector<SkinPicture> pictures;
    pictures.reserve(kSkinPictureNames.size());
    for (std::string_view name : kSkinPictureNames)
        pictures.push_back({ std::wstring(name.begin(), name.end()), platform::FindNamedBlob(name) });
    return pictures;
}
