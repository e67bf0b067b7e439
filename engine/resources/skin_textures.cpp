#include "engine/resources/skin_textures.h"

#include "engine/resources/resource_manager.h"
#include "engine/resources/skin_pictures.h"

void RegisterSkinTextures(IMResourceManager& manager)
{
    for (const SkinPicture& skin : SkinPictures()) {
        // A program built without its assets has no skin: nothing to decode, and the name stays free.
        if (skin.png)
            manager.AddTextureFromMemory(skin.name, skin.png.data, static_cast<DWORD>(skin.png.size));
    }
}

void ReleaseSkinTextures(IMResourceManager& manager)
{
    for (const SkinPicture& skin : SkinPictures())
        manager.ReleaseTextureByName(skin.name);
}
